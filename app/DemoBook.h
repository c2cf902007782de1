#pragma once

#include <string>

// Writes the demo address book that "make run" opens: a dozen persons with a few contacts
// each. Throws SQLException on failure.
void WriteDemoBook(const std::string& path);
