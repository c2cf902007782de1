#pragma once

#include <string>

#include <QString>

// How text is kept in a .tch file: 8-bit text in the local encoding, multi-line fields with CR LF
// between their lines. Every reader and writer of a field converts here and nowhere else.

// A stored field as the widgets show it.
QString FromStoredText(const std::string& text);
// What the widgets hold, as a field is stored.
std::string ToStoredText(const QString& text);

// Multi-line fields keep CR LF in the file; the editors and fields use plain line breaks.
std::string ToStoredLines(const std::string& text);
std::string FromStoredLines(const std::string& text);
