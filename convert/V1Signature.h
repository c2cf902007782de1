#pragma once

#include <string>
#include <string_view>

// Whether the text opens like a version-1 address book: an XML document whose root element is
// Tidemark. Only the start is looked at; what follows the root's name is not checked.
bool StartsLikeVersionOneFile(std::string_view head);

// The same for the start of a file; false when it cannot be read.
bool IsVersionOneFile(const std::string& path);
