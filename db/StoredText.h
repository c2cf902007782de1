#pragma once

#include <string>
#include <string_view>

#include <QString>

// How text is kept in a .tch file: 8-bit text, multi-line fields with CR LF between their lines.
// Files of this program hold UTF-8; files written on Windows by earlier programs hold the
// Windows-1252 code page. Every reader and writer of a field converts here and nowhere else.

// A stored field as the widgets show it: UTF-8 when it is valid UTF-8, else Windows-1252.
QString FromStoredText(std::string_view text);
// What the widgets hold, as a changed field is stored: UTF-8.
std::string ToStoredText(const QString& text);
// What an editor writes back for a field it showed: the stored bytes as they were when the
// text still reads as they do (so a Windows-1252 field the user did not touch keeps its bytes),
// else the edited text as UTF-8.
std::string ToStoredText(const QString& edited, const std::string& stored);

// One character of UTF-8 text as it is read: its code point and its bytes. A byte that starts
// no well-formed character (a lone continuation byte, a lead byte cut short, an overlong form,
// a surrogate, a code point beyond U+10FFFF) reads as that byte alone, not valid.
struct Utf8Char {
    char32_t code = 0;  // the code point; the byte itself when not valid
    size_t length = 0;  // 1 to 4
    bool valid = false;
};
// The character at p (p < end).
Utf8Char ReadUtf8(const unsigned char* p, const unsigned char* end);

// The characters of UTF-8 text in turn, for range-based loops:
//     for (const Utf8Char c : Utf8Chars(text)) ...
// Every byte is in exactly one character, so the lengths add up to the text's. It views the
// text, which must outlive it.
class Utf8Chars {
public:
    class Iterator {
    public:
        Iterator(const unsigned char* at, const unsigned char* end) : at_(at), end_(end) { Read(); }
        const Utf8Char& operator*() const { return char_; }
        Iterator& operator++() {
            at_ += char_.length;
            Read();
            return *this;
        }
        bool operator==(const Iterator& other) const { return at_ == other.at_; }
        bool operator!=(const Iterator& other) const { return at_ != other.at_; }

    private:
        void Read() {
            if (at_ == end_) {
                return;
            }
            // Most stored text is ASCII: its bytes need no call.
            char_ = *at_ < 0x80 ? Utf8Char{*at_, 1, true} : ReadUtf8(at_, end_);
        }
        const unsigned char* at_;
        const unsigned char* end_;
        Utf8Char char_;
    };

    explicit Utf8Chars(std::string_view text)
        : begin_(reinterpret_cast<const unsigned char*>(text.data())), end_(begin_ + text.size()) {}
    Iterator begin() const { return Iterator(begin_, end_); }
    Iterator end() const { return Iterator(end_, end_); }

private:
    const unsigned char* begin_;
    const unsigned char* end_;
};

bool IsValidUtf8(const char* bytes, size_t length);
// The code point (at most U+10FFFF) as UTF-8, at the end of out.
void AppendUtf8(std::string& out, char32_t c);
// The length of the UTF-8 character at p (p < end), or 0 when the bytes there are not one.
size_t Utf8CharLength(const unsigned char* p, const unsigned char* end);
inline bool IsValidUtf8(const std::string& text) {
    return IsValidUtf8(text.data(), text.size());
}
// Windows-1252 text as UTF-8; the five bytes the code page leaves unassigned keep their
// Latin-1 meaning.
std::string Windows1252ToUtf8(const std::string& text);
// ISO-8859-1 text as UTF-8.
std::string Latin1ToUtf8(const std::string& text);

// Multi-line fields keep CR LF in the file; the editors and fields use plain line breaks.
std::string ToStoredLines(const std::string& text);
std::string FromStoredLines(const std::string& text);
// ToStoredText for a multi-line field: the stored bytes when the shown lines are unchanged.
std::string ToStoredLinesText(const QString& edited, const std::string& stored);
