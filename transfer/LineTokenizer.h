#pragma once

#include <string>
#include <string_view>

namespace transfer {

// Splits one record of a delimited text file into its fields, front to back. Works on bytes:
// the separator and the encloser are single ASCII characters, so UTF-8 text passes whole.
class LineTokenizer {
public:
    // encloser 0: fields are not enclosed.
    LineTokenizer(char separator, char encloser) : separator_(separator), encloser_(encloser) {}

    // How the field just taken ended.
    enum class Ending { Plain, Closed, Open };

    // Takes the next field off the front of the line, which is left holding what follows it.
    // False when the line has no field left (it was empty or white space only).
    //
    // White space is trimmed off both ends of the line first, but for the separator itself when
    // it is white space (a tab, a blank): two separators in a row are always an empty field
    // between them. A line starting with the separator gives an empty field. A plain field runs to
    // the next separator. An enclosed field runs to an encloser that is not doubled; inside it two
    // enclosers stand for one, a separator and line breaks are part of the field, and a backslash
    // escapes the character after it (\a \b \f \n \r \t \v, one to three octal digits, or the
    // character itself). The closing encloser is dropped; when anything but the separator follows
    // it, the field goes on with that text as a plain field does. Two enclosers followed by the
    // separator or the end are an empty field.
    bool NextField(std::string_view& line, std::string& field) const {
        Ending ending;
        return NextField(line, field, ending);
    }
    // The same, telling whether an enclosed field reached the end of the line still open.
    bool NextField(std::string_view& line, std::string& field, Ending& ending) const;

    char Separator() const { return separator_; }
    char Encloser() const { return encloser_; }

private:
    void ReadEnclosed(std::string_view& line, std::string& field, Ending& ending) const;

    char separator_;
    char encloser_;
};

// True for the white space the tokenizer trims: space, tab, CR, LF, vertical tab, form feed.
inline bool IsLineSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The text without white space at either end.
std::string_view Trimmed(std::string_view text);
// The same, but for the character kept, which stays wherever it is.
std::string_view TrimmedKeeping(std::string_view text, char kept);
// The same, in place.
void TrimInPlace(std::string& text);

}  // namespace transfer
