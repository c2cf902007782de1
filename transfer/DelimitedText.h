#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace transfer {

// The lines of a delimited text file as the export writes them: UTF-8 bytes, each line ending
// with one LF, no CR.
class DelimitedText {
public:
    // encloser 0: values are written bare.
    DelimitedText(char separator, char encloser) : separator_(separator), encloser_(encloser) {}

    // The header line: each name enclosed, joined by the separator, then LF.
    void AppendHeader(std::string& out, const std::vector<std::string>& names) const;
    // One value of a record line, after the separator unless it is the line's first. An empty
    // value adds nothing; another is enclosed with each encloser inside it written twice.
    void AppendValue(std::string& out, std::string_view value, bool first) const;
    // The same with each CR LF of the value replaced by the given text first.
    void AppendValue(std::string& out, std::string_view value, bool first,
                     std::string_view lineBreak) const;
    static void EndLine(std::string& out) { out += '\n'; }

private:
    void AppendEnclosed(std::string& out, std::string_view value) const;

    char separator_;
    char encloser_;
};

// Text of the database as UTF-8: valid UTF-8 stays as it is, other text is Windows-1252.
// Writes into out and returns a view of the result, or of the text itself when it is UTF-8
// already (no copy).
std::string_view AsUtf8(std::string_view text, std::string& out);

}  // namespace transfer
