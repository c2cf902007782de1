#include "VCard.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "DelimitedText.h"
#include "LineTokenizer.h"
#include "StoredText.h"
#include "TextEncoding.h"
#include "TextLines.h"

namespace transfer {

namespace {

using P = PersonRecord;

// ---------------------------------------------------------------------------------------------
// Bytes

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether the text is the upper-case word, letters in either case.
bool Is(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (Upper(text[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}

bool StartsWith(std::string_view text, std::string_view upper) {
    return text.size() >= upper.size() && Is(text.substr(0, upper.size()), upper);
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Quoted-printable decoded; an "=" without two hex digits after it is kept as it is. The soft
// line breaks are gone already, the line reader joining those lines, but for one at the value's
// very end, which has no line to join.
void AppendQuotedPrintableDecoded(std::string& out, std::string_view in) {
    out.reserve(out.size() + in.size());
    if (!in.empty() && in.back() == '=') {
        in.remove_suffix(1);
    }
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size()) {
            const int high = HexValue(in[i + 1]);
            const int low = HexValue(in[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += in[i];
    }
}

// ---------------------------------------------------------------------------------------------
// Lines

// The physical lines of the file: LF, CR LF and a CR alone end a line, in any mix, and CRs
// before an LF (CR CR LF) end one line with it.
class PhysicalLines {
public:
    explicit PhysicalLines(std::string_view text) : lines_(text) {}

    bool AtEnd() const { return lines_.AtEnd(); }
    char PeekByte() const { return lines_.Rest().front(); }

    std::string_view PeekLine() const {
        TextLines ahead = lines_;
        std::string_view line;
        ahead.Next(line);
        return line;
    }

    bool Next(std::string_view& line) { return lines_.Next(line); }

private:
    TextLines lines_;
};

enum class Encoding { Plain, QuotedPrintable, Base64 };
enum class Charset { Unstated, Utf8, Windows1252, Latin1, Named };

enum TypeBit : unsigned {
    kHome = 1u << 0,
    kWork = 1u << 1,
    kCell = 1u << 2,
    kPager = 1u << 3,
    kFax = 1u << 4,
};

// A content line taken apart: name (its group left off), the parameters this reader uses, and
// the value as it stands in the line.
struct ContentLine {
    std::string_view name;
    unsigned types = 0;
    int pref = 0;  // 0 when not preferred, else the rank: 1 is the most preferred
    Encoding encoding = Encoding::Plain;
    Charset charset = Charset::Unstated;
    std::string_view charsetName;  // for Named: as the parameter gives it
    std::string_view value;
};

void Prefer(ContentLine& line, int rank) {
    if (rank > 0 && (line.pref == 0 || rank < line.pref)) {
        line.pref = rank;
    }
}

// A type word of TYPE= or, in 2.1, a parameter on its own.
void ApplyWord(std::string_view word, ContentLine& line) {
    word = Trimmed(word);
    while (!word.empty() && word.front() == '"') {
        word.remove_prefix(1);
    }
    while (!word.empty() && word.back() == '"') {
        word.remove_suffix(1);
    }
    if (Is(word, "HOME")) {
        line.types |= kHome;
    } else if (Is(word, "WORK")) {
        line.types |= kWork;
    } else if (Is(word, "CELL") || Is(word, "MOBILE")) {
        line.types |= kCell;
    } else if (Is(word, "PAGER")) {
        line.types |= kPager;
    } else if (Is(word, "FAX")) {
        line.types |= kFax;
    } else if (Is(word, "HOMEFAX")) {
        // Some webmail programs write the two words as one.
        line.types |= kHome | kFax;
    } else if (Is(word, "WORKFAX")) {
        line.types |= kWork | kFax;
    } else if (Is(word, "PREF")) {
        Prefer(line, 1);
    } else if (Is(word, "QUOTED-PRINTABLE")) {
        line.encoding = Encoding::QuotedPrintable;
    } else if (Is(word, "BASE64")) {
        line.encoding = Encoding::Base64;
    }
}

void ApplyParameter(std::string_view parameter, ContentLine& line) {
    const size_t equals = parameter.find('=');
    if (equals == std::string_view::npos) {
        ApplyWord(parameter, line);
        return;
    }
    const std::string_view name = Trimmed(parameter.substr(0, equals));
    std::string_view value = Trimmed(parameter.substr(equals + 1));
    if (Is(name, "TYPE")) {
        // TYPE=a,b and TYPE="a,b": each word on its own.
        while (!value.empty()) {
            const size_t comma = value.find(',');
            ApplyWord(value.substr(0, comma), line);
            if (comma == std::string_view::npos) {
                break;
            }
            value.remove_prefix(comma + 1);
        }
    } else if (Is(name, "ENCODING")) {
        if (Is(value, "QUOTED-PRINTABLE") || Is(value, "QP")) {
            line.encoding = Encoding::QuotedPrintable;
        } else if (Is(value, "BASE64") || Is(value, "B")) {
            line.encoding = Encoding::Base64;
        }
    } else if (Is(name, "CHARSET")) {
        if (!value.empty() && value.front() == '"') {
            value = Trimmed(value.substr(1, value.find('"', 1) - 1));
        }
        if (Is(value, "UTF-8") || Is(value, "UTF8")) {
            line.charset = Charset::Utf8;
        } else if (Is(value, "WINDOWS-1252") || Is(value, "CP1252") || Is(value, "CP-1252")) {
            line.charset = Charset::Windows1252;
        } else if (Is(value, "ISO-8859-1") || Is(value, "ISO8859-1") || Is(value, "LATIN1")) {
            line.charset = Charset::Latin1;
        } else if (!value.empty()) {
            // Any other the converters know: SHIFT_JIS from Japanese phones, GB18030, KOI8-R.
            line.charset = Charset::Named;
            line.charsetName = value;
        }
    } else if (Is(name, "PREF")) {
        int rank = 0;
        for (char c : value) {
            if (!IsDigit(c) || rank > 1000) {
                break;
            }
            rank = rank * 10 + (c - '0');
        }
        Prefer(line, rank > 0 ? rank : 1);
    }
}

// Name, parameters and value; false when the line has no colon after its name and parameters.
// A quoted parameter value may hold ';' and ':'.
bool ParseContentLine(std::string_view text, ContentLine& line) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] != ';' && text[i] != ':') {
        ++i;
    }
    if (i == n) {
        return false;
    }
    std::string_view name = Trimmed(text.substr(0, i));
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        name.remove_prefix(dot + 1);
    }
    line.name = name;
    while (i < n && text[i] == ';') {
        const size_t begin = ++i;
        bool quoted = false;
        while (i < n && (quoted || (text[i] != ';' && text[i] != ':'))) {
            quoted ^= text[i] == '"';
            ++i;
        }
        ApplyParameter(text.substr(begin, i - begin), line);
    }
    if (i == n) {
        return false;
    }
    line.value = text.substr(i + 1);
    return true;
}

bool IsEndOfCard(std::string_view text) {
    ContentLine line;
    return ParseContentLine(text, line) && Is(line.name, "END") && Is(Trimmed(line.value), "VCARD");
}

// The content lines of the file: folded lines joined (a line that starts with a blank goes on
// the previous one, without that blank), and a quoted-printable value that ends in "=" going on
// with the whole next line. The joining is on bytes, so a fold inside a UTF-8 character
// rejoins it.
class ContentLines {
public:
    explicit ContentLines(std::string_view text) : lines_(text) {}

    bool Next(std::string_view& text) {
        if (!lines_.Next(text)) {
            return false;
        }
        joined_ = false;
        // Where the colon after the parameters is, found as the line grows.
        size_t scanned = 0;
        bool quoted = false;
        size_t colon = std::string_view::npos;
        int quotedPrintable = -1;
        while (!lines_.AtEnd()) {
            bool softBreak = false;
            if (!text.empty() && text.back() == '=') {
                for (; colon == std::string_view::npos && scanned < text.size(); ++scanned) {
                    if (text[scanned] == '"') {
                        quoted = !quoted;
                    } else if (text[scanned] == ':' && !quoted) {
                        colon = scanned;
                    }
                }
                if (colon != std::string_view::npos) {
                    if (quotedPrintable < 0) {
                        ContentLine line;
                        quotedPrintable = ParseContentLine(text, line) &&
                                          line.encoding == Encoding::QuotedPrintable;
                    }
                    softBreak = quotedPrintable == 1 && !IsEndOfCard(lines_.PeekLine());
                }
            }
            if (!softBreak && !IsBlank(lines_.PeekByte())) {
                break;
            }
            std::string_view more;
            lines_.Next(more);
            if (!joined_) {
                buffer_.assign(text);
                joined_ = true;
            }
            if (softBreak) {
                buffer_.pop_back();
                buffer_.append(more);
            } else {
                buffer_.append(more.substr(1));
            }
            text = buffer_;
        }
        return true;
    }

    // Whether the last line is a view into the file, which outlives it, rather than joined in
    // storage the next line reuses.
    bool InFile() const { return !joined_; }

private:
    PhysicalLines lines_;
    std::string buffer_;
    bool joined_ = false;
};

// ---------------------------------------------------------------------------------------------
// Values

// How backslashes read: in 2.1 a backslash escapes only a semicolon, and itself before one
// ("\\;" is a backslash and then a semicolon that separates), every other stays as it is; 3.0
// and 4.0 have the escapes of their text values.
enum class Escapes { Semicolon, Text };

// The value with its escapes undone and every line break as CR LF, as multi-line fields are
// stored.
void AppendUnescaped(std::string& out, std::string_view in, Escapes escapes) {
    const size_t n = in.size();
    size_t run = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = in[i];
        if (c != '\\' && c != '\r' && c != '\n') {
            continue;
        }
        out.append(in.data() + run, i - run);
        run = i + 1;
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < n && in[i + 1] == '\n') {
                ++i, ++run;
            }
        } else if (c == '\n') {
            out += "\r\n";
        } else if (i + 1 < n) {
            const char next = in[i + 1];
            if (escapes == Escapes::Semicolon) {
                if (next == ';') {
                    out += ';';
                    ++i, ++run;
                } else if (next == '\\' && i + 2 < n && in[i + 2] == ';') {
                    out += '\\';
                    ++i, ++run;
                } else {
                    out += '\\';
                }
            } else if (next == 'n' || next == 'N') {
                out += "\r\n";
                ++i, ++run;
            } else if (next == '\\' || next == ';' || next == ',' || next == ':') {
                out += next;
                ++i, ++run;
            } else {
                out += '\\';
            }
        } else {
            out += '\\';
        }
    }
    out.append(in.data() + run, n - run);
}

void SetText(std::string& field, std::string_view in, Escapes escapes) {
    field.clear();
    AppendUnescaped(field, Trimmed(in), escapes);
    TrimInPlace(field);
}

// The components of a structured value (N, ADR, ORG), split at the semicolons no backslash
// escapes; still escaped themselves.
void SplitComponents(std::string_view value, Escapes escapes,
                     std::vector<std::string_view>& components) {
    components.clear();
    size_t begin = 0;
    const size_t n = value.size();
    for (size_t i = 0; i < n; ++i) {
        if (value[i] == '\\' && i + 1 < n) {
            if (escapes == Escapes::Text || value[i + 1] == ';') {
                ++i;
            } else if (value[i + 1] == '\\' && i + 2 < n && value[i + 2] == ';') {
                // 2.1: the component ends in one backslash, and the semicolon separates.
                components.push_back(value.substr(begin, i + 1 - begin));
                begin = i + 3;
                i += 2;
            }
        } else if (value[i] == ';') {
            components.push_back(value.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    components.push_back(value.substr(begin));
}

// "555-1234 x12", "555-1234 ext. 12", "555-1234 extension 12": the number before the last such
// mark and the extension after it. The extension starts with a digit, so words that merely
// begin with an x stay whole.
bool SplitExtension(std::string_view phone, std::string_view& number, std::string_view& extension) {
    for (size_t i = phone.size(); i-- > 0;) {
        const char c = Upper(phone[i]);
        if (c != 'X' && c != 'E') {
            continue;
        }
        if (i > 0 && IsLetter(phone[i - 1])) {
            continue;
        }
        const std::string_view at = phone.substr(i);
        size_t mark = 0;
        if (c == 'X') {
            mark = 1;
        } else if (StartsWith(at, "EXTENSION")) {
            mark = 9;
        } else if (StartsWith(at, "EXT")) {
            mark = 3;
        } else {
            continue;
        }
        size_t j = i + mark;
        if (j < phone.size() && (phone[j] == '.' || phone[j] == ':')) {
            ++j;
        }
        while (j < phone.size() && IsBlank(phone[j])) {
            ++j;
        }
        if (j == phone.size() || !IsDigit(phone[j])) {
            continue;
        }
        number = Trimmed(phone.substr(0, i));
        extension = Trimmed(phone.substr(j));
        return true;
    }
    return false;
}

// A telephone value: a "tel:" URI loses its prefix and its parameters, ";ext=" giving the
// extension.
struct Phone {
    std::string number;
    std::string extension;
};

Phone ReadPhone(std::string value) {
    Phone phone;
    std::string_view text = value;
    if (!StartsWith(text, "TEL:")) {
        phone.number = std::move(value);
        return phone;
    }
    text = Trimmed(text.substr(4));
    size_t semicolon = text.find(';');
    phone.number = Trimmed(text.substr(0, semicolon));
    while (semicolon != std::string_view::npos) {
        text.remove_prefix(semicolon + 1);
        semicolon = text.find(';');
        const std::string_view parameter = text.substr(0, semicolon);
        if (StartsWith(parameter, "EXT=")) {
            phone.extension = Trimmed(parameter.substr(4));
            break;
        }
    }
    return phone;
}

enum class Kind {
    Other,
    Begin,
    End,
    Version,
    N,
    FN,
    Org,
    Title,
    Adr,
    Tel,
    Email,
    Url,
    Uid,
    Agent,
    CardKind
};

Kind KindOf(std::string_view name) {
    switch (name.size()) {
        case 1:
            return Is(name, "N") ? Kind::N : Kind::Other;
        case 2:
            return Is(name, "FN") ? Kind::FN : Kind::Other;
        case 3:
            return Is(name, "TEL")   ? Kind::Tel
                   : Is(name, "ADR") ? Kind::Adr
                   : Is(name, "ORG") ? Kind::Org
                   : Is(name, "URL") ? Kind::Url
                   : Is(name, "UID") ? Kind::Uid
                   : Is(name, "END") ? Kind::End
                                     : Kind::Other;
        case 4:
            return Is(name, "KIND") ? Kind::CardKind : Kind::Other;
        case 5:
            return Is(name, "EMAIL")   ? Kind::Email
                   : Is(name, "TITLE") ? Kind::Title
                   : Is(name, "BEGIN") ? Kind::Begin
                   : Is(name, "AGENT") ? Kind::Agent
                                       : Kind::Other;
        case 7:
            return Is(name, "VERSION") ? Kind::Version : Kind::Other;
        case 10:
            return Is(name, "X-ABSHOWAS") ? Kind::CardKind : Kind::Other;
        default:
            return Kind::Other;
    }
}

// ---------------------------------------------------------------------------------------------
// Cards

// A property kept until the card ends, when the version is known for sure and every telephone
// and address can be weighed against the others.
struct Property {
    Kind kind;
    unsigned types;
    int pref;
    Encoding encoding;
    Charset charset;
    const char* data;  // the value in the file, or nullptr when it is in the card's bytes
    size_t offset;     // of the value in the card's bytes
    size_t size;
    std::string charsetName;  // for Charset::Named
};

// Whether the raw value holds anything: not only blanks, nor, for an address, only the
// semicolons between empty components.
bool HasContent(std::string_view value, Kind kind) {
    for (char c : value) {
        if (!IsLineSpace(c) && (c != ';' || kind != Kind::Adr)) {
            return true;
        }
    }
    return false;
}

// Whether a is to be taken before b, the one found first: a preferred one before one that is
// not, and the more preferred of two.
bool Preferred(const Property& a, const Property* b) {
    return b == nullptr || (a.pref != 0 && (b->pref == 0 || a.pref < b->pref));
}

class Card {
public:
    void Clear() {
        properties_.clear();
        bytes_.clear();
        version21_ = false;
        notPerson_ = false;
    }

    void SetVersion(std::string_view value) {
        version21_ = !Trimmed(value).empty() && Trimmed(value).front() == '2';
    }

    // KIND (4.0) or X-ABShowAs (Apple): a card of an organisation or a group, whose formatted
    // name is no person's.
    void SetKind(std::string_view value) {
        value = Trimmed(value);
        notPerson_ = !value.empty() && !Is(value, "INDIVIDUAL") && !Is(value, "PERSON");
    }

    // A value of a joined line is copied; one of a line in the file stays there.
    void Add(Kind kind, const ContentLine& line, bool inFile) {
        properties_.push_back(Property{kind, line.types, line.pref, line.encoding, line.charset,
                                       inFile ? line.value.data() : nullptr, bytes_.size(),
                                       line.value.size(), std::string(line.charsetName)});
        if (!inFile) {
            bytes_.append(line.value);
        }
    }

    // The card as a person; false when it has no name and no organisation.
    bool Finish(VCardPerson& out);

private:
    std::string_view Raw(const Property& property) const {
        return std::string_view(
            property.data != nullptr ? property.data : bytes_.data() + property.offset,
            property.size);
    }
    std::string_view Utf8(const Property& property);
    void Text(std::string& field, const Property& property) {
        SetText(field, Utf8(property), version21_ ? Escapes::Semicolon : Escapes::Text);
    }
    // The components of a structured value, each unescaped and trimmed.
    void Components(const Property& property, size_t count, std::string* components[]);
    const Property* First(Kind kind) const;
    const Property* Best(Kind kind, unsigned types) const;
    std::string FirstText(Kind kind);
    void ReadName(PersonRecord& person);
    void ReadAddress(PersonRecord& person);
    void ReadPhones(PersonRecord& person);

    std::vector<Property> properties_;
    std::string bytes_;
    bool version21_ = false;
    bool notPerson_ = false;
    std::string decoded_;
    std::string converted_;
    std::vector<std::string_view> parts_;
};

// The value as UTF-8: quoted-printable decoded and converted from its character set. Without
// one, 8-bit text is UTF-8 when it reads as such, else Windows-1252.
std::string_view Card::Utf8(const Property& property) {
    std::string_view bytes = Raw(property);
    if (property.encoding == Encoding::QuotedPrintable) {
        decoded_.clear();
        AppendQuotedPrintableDecoded(decoded_, bytes);
        bytes = decoded_;
    }
    switch (property.charset) {
        case Charset::Windows1252:
            if (IsAscii(bytes)) {
                return bytes;
            }
            converted_ = Windows1252ToUtf8(std::string(bytes));
            return converted_;
        case Charset::Latin1:
            if (IsAscii(bytes)) {
                return bytes;
            }
            converted_ = Latin1ToUtf8(std::string(bytes));
            return converted_;
        case Charset::Named:
            if (DecodeToUtf8(bytes, property.charsetName, converted_)) {
                return converted_;
            }
            break;
        case Charset::Utf8:
        case Charset::Unstated:
            break;
    }
    if (IsValidUtf8(bytes.data(), bytes.size())) {
        return bytes;
    }
    if (property.charset == Charset::Utf8) {
        DecodeToUtf8(bytes, "UTF-8", converted_);
    } else {
        converted_ = Windows1252ToUtf8(std::string(bytes));
    }
    return converted_;
}

void Card::Components(const Property& property, size_t count, std::string* components[]) {
    const Escapes escapes = version21_ ? Escapes::Semicolon : Escapes::Text;
    SplitComponents(Utf8(property), escapes, parts_);
    for (size_t i = 0; i < count; ++i) {
        if (components[i] != nullptr) {
            SetText(*components[i], i < parts_.size() ? parts_[i] : std::string_view(), escapes);
        }
    }
}

const Property* Card::First(Kind kind) const {
    for (const Property& property : properties_) {
        if (property.kind == kind) {
            return &property;
        }
    }
    return nullptr;
}

// Of the properties of the kind that have one of the types (any, when types is 0) and a value,
// the preferred, else the first.
const Property* Card::Best(Kind kind, unsigned types) const {
    const Property* best = nullptr;
    for (const Property& property : properties_) {
        if (property.kind == kind && (types == 0 || (property.types & types) != 0) &&
            HasContent(Raw(property), kind) && Preferred(property, best)) {
            best = &property;
        }
    }
    return best;
}

// The first value of the kind that is not empty.
std::string Card::FirstText(Kind kind) {
    std::string text;
    for (const Property& property : properties_) {
        if (property.kind == kind) {
            Text(text, property);
            if (!text.empty()) {
                break;
            }
        }
    }
    return text;
}

void Card::ReadName(PersonRecord& person) {
    if (const Property* n = First(Kind::N)) {
        std::string* components[] = {&person[P::LName], &person[P::FName], nullptr,
                                     &person[P::Title]};
        Components(*n, 4, components);
    }
    for (const Property& property : properties_) {
        if (property.kind == Kind::Org) {
            std::string* components[] = {&person[P::Company]};
            Components(property, 1, components);
            if (!person[P::Company].empty()) {
                break;
            }
        }
    }
    if (!person[P::LName].empty() || !person[P::FName].empty()) {
        return;
    }
    // Without a family or given name the formatted name stands for them, unless it names the
    // organisation or is only the title.
    std::string formatted = FirstText(Kind::FN);
    const std::string& title = person[P::Title];
    if (!title.empty() && formatted.size() > title.size() &&
        formatted.compare(0, title.size(), title) == 0 && IsBlank(formatted[title.size()])) {
        formatted.erase(0, title.size());
        TrimInPlace(formatted);
    }
    if (formatted.empty() || notPerson_ || formatted == person[P::Company] || formatted == title) {
        return;
    }
    const size_t blank = formatted.find_last_of(" \t");
    if (blank == std::string::npos) {
        person[P::LName] = std::move(formatted);
        return;
    }
    person[P::LName] = formatted.substr(blank + 1);
    formatted.resize(blank);
    TrimInPlace(formatted);
    person[P::FName] = std::move(formatted);
}

void Card::ReadAddress(PersonRecord& person) {
    const Property* address = Best(Kind::Adr, kWork);
    if (address == nullptr) {
        address = Best(Kind::Adr, kHome);
    }
    if (address == nullptr) {
        address = Best(Kind::Adr, 0);
    }
    if (address == nullptr) {
        return;
    }
    std::string box, extended, street, country;
    std::string* components[] = {
        &box, &extended, &street, &person[P::City], &person[P::State], &person[P::Zip], &country};
    Components(*address, 7, components);
    std::string& lines = person[P::Addr];
    for (const std::string* line : {&street, &extended, &box, &country}) {
        if (!line->empty()) {
            if (!lines.empty()) {
                lines += "\r\n";
            }
            lines += *line;
        }
    }
}

void Card::ReadPhones(PersonRecord& person) {
    // The typed ones in their fields, the preferred of each kind, else the first.
    enum Slot { Home, Work, Cell, Pager, Fax, Untyped, SlotCount };
    const Property* chosen[SlotCount - 1] = {};
    std::vector<const Property*> untyped;
    for (const Property& property : properties_) {
        if (property.kind != Kind::Tel || !HasContent(Raw(property), Kind::Tel)) {
            continue;
        }
        const unsigned t = property.types;
        const Slot slot = (t & kFax)     ? Fax
                          : (t & kPager) ? Pager
                          : (t & kCell)  ? Cell
                          : (t & kWork)  ? Work
                          : (t & kHome)  ? Home
                                         : Untyped;
        if (slot == Untyped) {
            untyped.push_back(&property);
        } else if (Preferred(property, chosen[slot])) {
            chosen[slot] = &property;
        }
    }
    // Numbers of no such type where a home, work or mobile number is missing, the preferred
    // first, so that none is lost while there is room.
    std::stable_sort(untyped.begin(), untyped.end(), [](const Property* a, const Property* b) {
        return (a->pref == 0 ? INT_MAX : a->pref) < (b->pref == 0 ? INT_MAX : b->pref);
    });
    size_t next = 0;
    for (Slot slot : {Home, Work, Cell}) {
        if (chosen[slot] == nullptr && next < untyped.size()) {
            chosen[slot] = untyped[next++];
        }
    }
    const P::Field fields[] = {P::HmPhone, P::WkPhone, P::CelPhone, P::Pager, P::WkFax};
    std::string text;
    for (int slot = Home; slot < Untyped; ++slot) {
        if (chosen[slot] == nullptr) {
            continue;
        }
        Text(text, *chosen[slot]);
        Phone phone = ReadPhone(std::move(text));
        std::string& field = person[fields[slot]];
        if (slot == Work) {
            std::string_view number, extension;
            if (phone.extension.empty() && SplitExtension(phone.number, number, extension)) {
                person[P::WkExt] = extension;
                field = number;
            } else {
                person[P::WkExt] = std::move(phone.extension);
                field = std::move(phone.number);
            }
        } else {
            field = std::move(phone.number);
            if (!phone.extension.empty()) {
                field += " x";
                field += phone.extension;
            }
        }
    }
}

bool Card::Finish(VCardPerson& out) {
    PersonRecord& person = out.person;
    ReadName(person);
    if (person[P::FName].empty() && person[P::LName].empty() && person[P::Company].empty()) {
        return false;
    }
    person[P::Position] = FirstText(Kind::Title);
    ReadAddress(person);
    ReadPhones(person);
    if (const Property* email = Best(Kind::Email, 0)) {
        Text(person[P::Email], *email);
        if (StartsWith(person[P::Email], "MAILTO:")) {
            person[P::Email].erase(0, 7);
            TrimInPlace(person[P::Email]);
        }
    }
    if (const Property* url = Best(Kind::Url, 0)) {
        Text(person[P::WebPage], *url);
    }
    // The identifier as written: no escapes to undo in one this program writes.
    if (const Property* uid = First(Kind::Uid)) {
        out.uid = Trimmed(Utf8(*uid));
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Writing

// 3.0 text: backslash, semicolon and comma escaped, each line break (CR LF, CR or LF) as "\n".
void AppendEscaped(std::string& out, std::string_view text) {
    const size_t n = text.size();
    size_t run = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\\' && c != ';' && c != ',' && c != '\r' && c != '\n') {
            continue;
        }
        out.append(text.data() + run, i - run);
        run = i + 1;
        if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                ++i, ++run;
            }
        } else {
            out += '\\';
            out += c;
        }
    }
    out.append(text.data() + run, n - run);
}

// A telephone number, e-mail address or web page as it is, but on one line: line breaks as
// blanks and backslashes escaped.
void AppendPlain(std::string& out, std::string_view text) {
    const size_t n = text.size();
    size_t run = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\\' && c != '\r' && c != '\n') {
            continue;
        }
        out.append(text.data() + run, i - run);
        run = i + 1;
        if (c == '\\') {
            out += "\\\\";
        } else {
            out += ' ';
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                ++i, ++run;
            }
        }
    }
    out.append(text.data() + run, n - run);
}

constexpr size_t kLineBytes = 75;

// Ends the content line that starts at begin: folded at 75 bytes, never inside a UTF-8
// character, each continuation starting with a blank that counts in its line.
void EndLine(std::string& out, size_t begin) {
    if (out.size() - begin <= kLineBytes) {
        out += "\r\n";
        return;
    }
    const std::string line = out.substr(begin);
    out.resize(begin);
    size_t at = 0;
    size_t room = kLineBytes;
    while (line.size() - at > room) {
        size_t cut = at + room;
        while (cut > at && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        if (cut == at) {
            cut = at + room;
        }
        out.append(line, at, cut - at);
        out += "\r\n ";
        at = cut;
        room = kLineBytes - 1;
    }
    out.append(line, at, std::string::npos);
    out += "\r\n";
}

}  // namespace

VCardReadResult ReadVCards(std::string_view bytes) {
    // A file in UTF-16, with a mark or without, is read as its UTF-8 text.
    bool littleEndian = bytes.substr(0, 2) == "\xFF\xFE";
    if (littleEndian || bytes.substr(0, 2) == "\xFE\xFF" || LooksLikeUtf16(bytes, littleEndian)) {
        std::string text;
        DecodeToUtf8(bytes, littleEndian ? "UTF-16LE" : "UTF-16BE", text);
        return ReadVCards(text);
    }
    VCardReadResult result;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    ContentLines lines(bytes);
    Card card;
    bool inCard = false;
    // A 2.1 AGENT without a value is followed by the agent's own card: skipped whole.
    bool agentCardNext = false;
    int agentDepth = 0;
    const auto finish = [&]() {
        VCardPerson person;
        if (card.Finish(person)) {
            result.persons.push_back(std::move(person));
        } else {
            ++result.nameless;
        }
        card.Clear();
    };
    std::string_view text;
    while (lines.Next(text)) {
        ContentLine line;
        if (!ParseContentLine(text, line)) {
            continue;
        }
        const Kind kind = KindOf(line.name);
        const bool begin = kind == Kind::Begin && Is(Trimmed(line.value), "VCARD");
        const bool end = kind == Kind::End && Is(Trimmed(line.value), "VCARD");
        if (agentDepth > 0) {
            agentDepth += begin ? 1 : end ? -1 : 0;
            continue;
        }
        if (begin) {
            result.isVCard = true;
            if (inCard && agentCardNext) {
                agentDepth = 1;
                agentCardNext = false;
                continue;
            }
            if (inCard) {
                finish();
            }
            inCard = true;
            continue;
        }
        if (!inCard) {
            continue;
        }
        agentCardNext = kind == Kind::Agent && Trimmed(line.value).empty();
        switch (kind) {
            case Kind::End:
                if (end) {
                    finish();
                    inCard = false;
                }
                break;
            case Kind::Version:
                card.SetVersion(line.value);
                break;
            case Kind::CardKind:
                card.SetKind(line.value);
                break;
            case Kind::N:
            case Kind::FN:
            case Kind::Org:
            case Kind::Title:
            case Kind::Adr:
            case Kind::Tel:
            case Kind::Email:
            case Kind::Url:
            case Kind::Uid:
                card.Add(kind, line, lines.InFile());
                break;
            case Kind::Other:
            case Kind::Begin:
            case Kind::Agent:
                break;
        }
    }
    if (inCard) {
        finish();
    }
    return result;
}

void AppendVCard(std::string& out, const PersonRecord& person) {
    std::string_view fields[P::FieldCount];
    for (int i = 0; i < P::FieldCount; ++i) {
        fields[i] = person.fields[i];
    }
    AppendVCard(out, person.id, fields);
}

void AppendVCard(std::string& out, std::string_view id,
                 const std::string_view (&stored)[PersonRecord::FieldCount]) {
    // Stored text that is not UTF-8 is Windows-1252.
    std::string converted[P::FieldCount];
    std::string_view f[P::FieldCount];
    for (int i = 0; i < P::FieldCount; ++i) {
        f[i] = AsUtf8(stored[i], converted[i]);
    }
    size_t begin = 0;
    const auto start = [&](const char* name) {
        begin = out.size();
        out += name;
    };
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";

    start("N:");
    AppendEscaped(out, f[P::LName]);
    out += ';';
    AppendEscaped(out, f[P::FName]);
    out += ";;";
    AppendEscaped(out, f[P::Title]);
    out += ';';
    EndLine(out, begin);

    start("FN:");
    if (f[P::FName].empty() && f[P::LName].empty() && !f[P::Company].empty()) {
        AppendEscaped(out, f[P::Company]);
    } else {
        bool first = true;
        for (int i : {P::Title, P::FName, P::LName}) {
            if (!f[i].empty()) {
                if (!first) {
                    out += ' ';
                }
                AppendEscaped(out, f[i]);
                first = false;
            }
        }
    }
    EndLine(out, begin);

    const auto text = [&](const char* name, P::Field field) {
        if (!f[field].empty()) {
            start(name);
            AppendEscaped(out, f[field]);
            EndLine(out, begin);
        }
    };
    text("ORG:", P::Company);
    text("TITLE:", P::Position);

    if (!f[P::Addr].empty() || !f[P::City].empty() || !f[P::State].empty() || !f[P::Zip].empty()) {
        start("ADR:;;");
        for (int i : {P::Addr, P::City, P::State, P::Zip}) {
            AppendEscaped(out, f[i]);
            out += ';';
        }
        EndLine(out, begin);
    }

    const auto plain = [&](const char* name, P::Field field) {
        if (!f[field].empty()) {
            start(name);
            AppendPlain(out, f[field]);
            EndLine(out, begin);
        }
    };
    plain("TEL;TYPE=HOME,VOICE:", P::HmPhone);
    if (!f[P::WkPhone].empty() || !f[P::WkExt].empty()) {
        start("TEL;TYPE=WORK,VOICE:");
        AppendPlain(out, f[P::WkPhone]);
        if (!f[P::WkExt].empty()) {
            out += f[P::WkPhone].empty() ? "x" : " x";
            AppendPlain(out, f[P::WkExt]);
        }
        EndLine(out, begin);
    }
    plain("TEL;TYPE=CELL:", P::CelPhone);
    plain("TEL;TYPE=PAGER:", P::Pager);
    plain("TEL;TYPE=WORK,FAX:", P::WkFax);
    plain("EMAIL;TYPE=INTERNET:", P::Email);
    plain("URL:", P::WebPage);

    start("UID:");
    AppendPlain(out, id);
    EndLine(out, begin);
    out += "END:VCARD\r\n";
}

}  // namespace transfer
