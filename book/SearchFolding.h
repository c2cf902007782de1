#pragma once

#include <string>
#include <string_view>

#include <QString>

// Text as the search compares it, as UTF-8: lower case, accents and other non-spacing marks
// dropped, compatibility forms (ligatures, full-width letters) as their plain letters, and the
// letters that keep no accent to drop spelled as an ASCII typist would: ß ss, æ ae, œ oe, ø o,
// ł l, đ d, ð d, þ th, ħ h, ı i; typographic quotes and dashes as ' " -. A stored field may be
// UTF-8 or Windows-1252 (as FromStoredText reads it).
std::string FoldForSearch(std::string_view stored);
std::string FoldForSearch(const QString& text);
// The same, appended to out: one buffer serves many fields.
void AppendFolded(std::string& out, std::string_view stored);
void AppendFolded(std::string& out, const QString& text);
