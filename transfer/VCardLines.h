#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "LineTokenizer.h"
#include "TextLines.h"

// The content lines of vCard files (2.1, 3.0 and 4.0) as they are written: each card a list of
// lines, each line its group, name, parameters and value as the file has them, so that a card
// read and written again gives back every line, those no field comes from included. What the
// lines mean is VCardMapping's business.
namespace transfer::vcard {

// Trimmed, without a call where there is nothing to trim, as with most names and values.
inline std::string_view Trim(std::string_view text) {
    return text.empty() || (!IsLineSpace(text.front()) && !IsLineSpace(text.back()))
               ? text
               : Trimmed(text);
}

// Whether the text is the upper-case word, or starts with it, letters in either case.
inline bool IsWord(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (((c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c) != upper[i]) {
            return false;
        }
    }
    return true;
}
bool StartsWithWord(std::string_view text, std::string_view upper);
// A word of a parameter without the blanks and quotes around it.
std::string_view Unquoted(std::string_view word);

// One parameter of a line: "TYPE=WORK,VOICE", "CHARSET=UTF-8", or a 2.1 word on its own
// ("HOME", "QUOTED-PRINTABLE"), which has a name and no value.
struct Parameter {
    std::string_view name;   // as written, blanks around it included
    std::string_view value;  // after the '=', quotes, commas and blanks as written
    bool hasValue = false;   // whether an '=' follows the name

    bool operator==(const Parameter& other) const {
        return name == other.name && value == other.value && hasValue == other.hasValue;
    }
};

// The values of a parameter one by one, TYPE=a,b and TYPE="a,b" alike: each without the
// blanks and quotes around it.
class ParameterValues {
public:
    explicit ParameterValues(std::string_view value);
    bool Next(std::string_view& value);

private:
    std::string_view rest_;
    bool done_ = false;
};

// A line of a card, folds and quoted-printable soft breaks joined. The texts are views: into
// the bytes read, or into the card's own storage.
struct Line {
    std::string_view group;  // "item1" of "item1.TEL", empty when there is none
    std::string_view name;   // as written: "TEL", "X-ABLabel"
    std::vector<Parameter> parameters;
    // As written: escapes, quoted-printable and character set undone by no one. For a line
    // that is no content line, its whole text.
    std::string_view value;
    // False for a line without a colon after its name and parameters (a blank line, a line of
    // 2.1 base64 that lost its indent): no property, kept as text.
    bool content = true;
    // A line of the card a 2.1 AGENT holds, nested in this one: no line of this card's own.
    bool inAgent = false;

    bool operator==(const Line& other) const {
        return group == other.group && name == other.name && parameters == other.parameters &&
               value == other.value && content == other.content && inAgent == other.inAgent;
    }
    bool operator!=(const Line& other) const { return !(*this == other); }
};

// The name as the reader compares it, letters in either case ("BEGIN " is BEGIN).
std::string_view PropertyName(const Line& line);
// Whether the line is a content line of that name (upper case), letters in either case.
bool IsProperty(const Line& line, std::string_view upperName);
// Whether the line is BEGIN:VCARD or END:VCARD, letters in either case and blanks around.
bool IsCardBegin(const Line& line);
bool IsCardEnd(const Line& line);

// A card: its lines from BEGIN:VCARD to END:VCARD, both included (a card the file cuts short
// has no END). A copy holds its own copy of every text; a card moved keeps its views.
class Card {
public:
    Card() = default;
    Card(const Card& other);
    Card& operator=(const Card& other);
    Card(Card&& other) noexcept;
    Card& operator=(Card&& other) noexcept;

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const Line& operator[](size_t i) const { return lines_[i]; }
    // A line to change in place; the texts it is given must outlive the card, or be kept here.
    Line& operator[](size_t i) { return lines_[i]; }
    const Line* begin() const { return lines_.data(); }
    const Line* end() const { return lines_.data() + count_; }

    // A copy of the text, kept as long as the card.
    std::string_view Keep(std::string_view text);
    // A new empty line at the end, or before the line at index at.
    Line& Add();
    Line& Insert(size_t at);
    void Erase(size_t at);
    void Clear();

private:
    void CopyFrom(const Card& other);

    // Lines past count_ are kept for their parameters' storage, to be used again.
    std::vector<Line> lines_;
    size_t count_ = 0;
    // Storage in blocks that never move, so that the views into it stay valid.
    std::vector<std::pair<std::unique_ptr<char[]>, size_t>> blocks_;
    size_t used_ = 0;
};

// The text of a file as its content lines: a line that starts with a blank goes on the
// previous one without that blank, and a quoted-printable value that ends in "=" goes on with
// the whole next line (but for the card's end). The joining is on bytes, so a fold inside a
// UTF-8 character rejoins it. LF, CR LF, a CR alone and CR CR LF end a line.
class UnfoldedLines {
public:
    explicit UnfoldedLines(std::string_view text) : lines_(text) {}

    bool Next(std::string_view& text);
    // Whether the last line is a view into the text rather than joined in storage that the
    // next line reuses.
    bool InText() const { return !joined_; }

private:
    TextLines lines_;
    std::string buffer_;
    bool joined_ = false;
    Line scratch_;
};

// Takes a line apart: false when it has no colon after its name and parameters (a quoted
// parameter value may hold ';' and ':'), the line then being no content line with the whole
// text as value. The views point into text.
bool ParseLine(std::string_view text, Line& line);

// The cards of a file one by one. A UTF-8 mark is skipped; UTF-16 with a mark or without is
// read as its UTF-8 text. Lines outside cards are left out. A card's texts are views into the
// bytes (or, for UTF-16, into the reader): both must outlive it, unless it is copied.
class CardReader {
public:
    explicit CardReader(std::string_view bytes);
    CardReader(const CardReader&) = delete;
    CardReader& operator=(const CardReader&) = delete;

    // The next card; false when there is none. A BEGIN:VCARD before the last card's END ends
    // that card and begins the next, but for the card of an AGENT without a value, which is
    // within the card it stands in.
    bool Next(Card& card);
    // Whether a BEGIN:VCARD was read: the bytes are a vCard file.
    bool SawCard() const { return sawCard_; }

private:
    std::string decoded_;
    std::unique_ptr<UnfoldedLines> lines_;
    std::string pendingBegin_;
    bool pending_ = false;
    bool sawCard_ = false;
};

// Every card of the file, each holding its own texts.
std::vector<Card> ReadCards(std::string_view bytes);

// The card's lines, each ended by CR LF and folded at 75 bytes, never inside a UTF-8 character:
// a continuation starts with a blank; in a quoted-printable value it follows a soft break
// ("=" at the end of the line) instead, never inside an "=XX". Read again, they are the same
// lines. (A line that starts with a blank continues an empty line; a quoted-printable value
// that ends in "=" keeps it only before the card's end.)
void AppendCard(std::string& out, const Card& card);
std::string WriteCards(const std::vector<Card>& cards);

// The line's group, name and parameters as written, and the colon: all of it but the value.
void AppendLineHead(std::string& out, const Line& line);
// Ends the content line that starts at begin in out: folded as AppendCard folds, then CR LF.
void EndLine(std::string& out, size_t begin);

// Whether every byte is below 0x80, eight at a time: most values are, and need no more look.
bool IsAscii(std::string_view text);

// How a value is written: its encoding and character set as its parameters say.
enum class Encoding { Plain, QuotedPrintable, Base64 };
enum class Charset { Unstated, Utf8, Windows1252, Latin1, Named };
struct ValueForm {
    Encoding encoding = Encoding::Plain;
    Charset charset = Charset::Unstated;
    std::string_view charsetName;  // for Named: as the parameter gives it
    int charsetParameter = -1;     // the parameter that gives the character set, -1 when none
};
ValueForm FormOf(const Line& line);

// A line's value as UTF-8, escapes left as they are: quoted-printable decoded, converted from
// its character set when Qt knows it; without one, 8-bit text is UTF-8 when it reads as such,
// else Windows-1252. The view is valid until the next call and the line's own life.
class ValueDecoder {
public:
    std::string_view Utf8(const Line& line);
    std::string_view Utf8(std::string_view raw, const ValueForm& form);

private:
    std::string decoded_;
    std::string converted_;
};

// Sets the line's value to the UTF-8 text (escapes applied): quoted-printable when the line is,
// or when the text holds a line break (2.1 has no other way to write one); in the line's
// character set when that holds every character, else with its CHARSET made UTF-8.
void SetValueText(Card& card, size_t index, std::string_view utf8);

}  // namespace transfer::vcard
