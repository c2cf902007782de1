#pragma once

#include <string>
#include <string_view>

// The 31-character text identifier of every row: upper-case hexadecimal in groups of 8, 4, 4
// and 12. Compared as plain text, never parsed.
using RecordId = std::string;

// A fresh identifier from a random (version 4) UUID. Contains no quote, so callers may put it
// between single quotes directly.
RecordId NewRecordId();

// The value with every single quote doubled, for placing between single quotes in SQL. A NUL
// byte, which would end the literal for the engine, becomes "' || char(0) || '", so the value
// keeps it; text without NUL is only doubled.
std::string QuoteSqlText(const std::string& value);
// The same, appended to the text.
void AppendQuotedSqlText(std::string& text, std::string_view value);
