#include "VCardMapping.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "LineTokenizer.h"
#include "VCardMappingInternal.h"
#include "VCardValues.h"

namespace transfer::vcard {

namespace {

using P = PersonRecord;

enum TypeBit : unsigned {
    kHome = 1u << 0,
    kWork = 1u << 1,
    kCell = 1u << 2,
    kPager = 1u << 3,
    kFax = 1u << 4,
};

// A line that gives fields: its kind, and the types and preference its parameters state.
struct Property {
    Kind kind;
    unsigned types;
    int pref;  // 0 when not preferred, else the rank: 1 is the most preferred
    int line;
    ValueForm form;
};

void Prefer(Property& property, int rank) {
    if (rank > 0 && (property.pref == 0 || rank < property.pref)) {
        property.pref = rank;
    }
}

// A type word of TYPE= or, in 2.1, a parameter on its own.
void ApplyWord(std::string_view word, Property& property) {
    if (IsWord(word, "HOME")) {
        property.types |= kHome;
    } else if (IsWord(word, "WORK")) {
        property.types |= kWork;
    } else if (IsWord(word, "CELL") || IsWord(word, "MOBILE")) {
        property.types |= kCell;
    } else if (IsWord(word, "PAGER")) {
        property.types |= kPager;
    } else if (IsWord(word, "FAX")) {
        property.types |= kFax;
    } else if (IsWord(word, "HOMEFAX")) {
        // Some webmail programs write the two words as one.
        property.types |= kHome | kFax;
    } else if (IsWord(word, "WORKFAX")) {
        property.types |= kWork | kFax;
    } else if (IsWord(word, "PREF")) {
        Prefer(property, 1);
    }
}

void ApplyParameters(const Line& line, Property& property) {
    for (const Parameter& parameter : line.parameters) {
        if (!parameter.hasValue) {
            ApplyWord(Unquoted(parameter.name), property);
            continue;
        }
        const std::string_view name = Trim(parameter.name);
        if (IsWord(name, "TYPE")) {
            ParameterValues words(parameter.value);
            std::string_view word;
            while (words.Next(word)) {
                ApplyWord(word, property);
            }
        } else if (IsWord(name, "PREF")) {
            int rank = 0;
            for (char c : Trim(parameter.value)) {
                if (c < '0' || c > '9' || rank > 1000) {
                    break;
                }
                rank = rank * 10 + (c - '0');
            }
            Prefer(property, rank > 0 ? rank : 1);
        }
    }
}

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

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

Kind KindOf(const Line& line) {
    if (!line.content || line.inAgent) {
        return Kind::Other;
    }
    const std::string_view name = PropertyName(line);
    if (name.empty()) {
        return Kind::Other;
    }
    // By the first letter, so that a line is compared with one name or two.
    switch (name.front() & ~0x20) {
        case 'A':
            return IsWord(name, "ADR") ? Kind::Adr : Kind::Other;
        case 'E':
            return IsWord(name, "EMAIL") ? Kind::Email : Kind::Other;
        case 'F':
            return IsWord(name, "FN") ? Kind::FN : Kind::Other;
        case 'K':
            return IsWord(name, "KIND") ? Kind::CardKind : Kind::Other;
        case 'N':
            return IsWord(name, "N") ? Kind::N : Kind::Other;
        case 'O':
            return IsWord(name, "ORG") ? Kind::Org : Kind::Other;
        case 'T':
            return IsWord(name, "TEL")     ? Kind::Tel
                   : IsWord(name, "TITLE") ? Kind::Title
                                           : Kind::Other;
        case 'U':
            return IsWord(name, "URL") ? Kind::Url : IsWord(name, "UID") ? Kind::Uid : Kind::Other;
        case 'V':
            return IsWord(name, "VERSION") ? Kind::Version : Kind::Other;
        case 'X':
            return IsWord(name, "X-ABSHOWAS") ? Kind::CardKind : Kind::Other;
        default:
            return Kind::Other;
    }
}

Version VersionOf(const Card& card) {
    Version version = Version::V30;
    for (const Line& line : card) {
        if (KindOf(line) == Kind::Version) {
            const std::string_view value = Trimmed(line.value);
            version = value.empty()          ? Version::V30
                      : value.front() == '2' ? Version::V21
                      : value.front() == '4' ? Version::V40
                                             : Version::V30;
        }
    }
    return version;
}

const char* HeadOf(PersonRecord::Field field, Version version) {
    // The forms of 2.1, 3.0 and 4.0; the export writes those of 3.0.
    struct Heads {
        P::Field field;
        const char* forms[3];
    };
    static const Heads kHeads[] = {
        {P::HmPhone, {"TEL;HOME;VOICE:", "TEL;TYPE=HOME,VOICE:", "TEL;TYPE=home,voice:"}},
        {P::WkPhone, {"TEL;WORK;VOICE:", "TEL;TYPE=WORK,VOICE:", "TEL;TYPE=work,voice:"}},
        {P::WkExt, {"TEL;WORK;VOICE:", "TEL;TYPE=WORK,VOICE:", "TEL;TYPE=work,voice:"}},
        {P::CelPhone, {"TEL;CELL:", "TEL;TYPE=CELL:", "TEL;TYPE=cell:"}},
        {P::Pager, {"TEL;PAGER:", "TEL;TYPE=PAGER:", "TEL;TYPE=pager:"}},
        {P::WkFax, {"TEL;WORK;FAX:", "TEL;TYPE=WORK,FAX:", "TEL;TYPE=work,fax:"}},
        {P::Email, {"EMAIL;INTERNET:", "EMAIL;TYPE=INTERNET:", "EMAIL:"}},
        {P::WebPage, {"URL:", "URL:", "URL:"}},
        {P::Company, {"ORG:", "ORG:", "ORG:"}},
        {P::Position, {"TITLE:", "TITLE:", "TITLE:"}},
        {P::Addr, {"ADR:", "ADR:", "ADR:"}},
        {P::City, {"ADR:", "ADR:", "ADR:"}},
        {P::State, {"ADR:", "ADR:", "ADR:"}},
        {P::Zip, {"ADR:", "ADR:", "ADR:"}},
    };
    for (const Heads& heads : kHeads) {
        if (heads.field == field) {
            return heads.forms[static_cast<int>(version)];
        }
    }
    return "N:";
}

// ---------------------------------------------------------------------------------------------
// Reading

struct FieldReader::State {
    const Card* card = nullptr;
    std::vector<Property> properties;
    bool version21 = false;
    bool notPerson = false;
    ValueDecoder decoder;
    std::vector<Component> split;
    std::vector<const Property*> untyped;

    Escapes escapes() const { return version21 ? Escapes::Semicolon : Escapes::Text; }
    std::string_view Raw(const Property& property) const {
        return (*card)[static_cast<size_t>(property.line)].value;
    }
    std::string_view Utf8(const Property& property) {
        return decoder.Utf8(Raw(property), property.form);
    }
    void Text(std::string& field, const Property& property) {
        SetText(field, Utf8(property), escapes());
    }
    // The components of a structured value, each unescaped and trimmed.
    void Components(const Property& property, size_t count, std::string* components[]) {
        SplitComponents(Utf8(property), escapes(), split);
        for (size_t i = 0; i < count; ++i) {
            if (components[i] != nullptr) {
                SetText(*components[i], i < split.size() ? split[i].text : std::string_view(),
                        escapes());
            }
        }
    }
    const Property* First(Kind kind) const {
        for (const Property& property : properties) {
            if (property.kind == kind) {
                return &property;
            }
        }
        return nullptr;
    }
    // Of the properties of the kind that have one of the types (any, when types is 0) and a
    // value, the preferred, else the first.
    const Property* Best(Kind kind, unsigned types) const {
        const Property* best = nullptr;
        for (const Property& property : properties) {
            if (property.kind == kind && (types == 0 || (property.types & types) != 0) &&
                HasContent(Raw(property), kind) && Preferred(property, best)) {
                best = &property;
            }
        }
        return best;
    }
    // The first value of the kind that is not empty, and its line.
    std::string FirstText(Kind kind, int& line) {
        std::string text;
        line = -1;
        for (const Property& property : properties) {
            if (property.kind == kind) {
                Text(text, property);
                if (!text.empty()) {
                    line = property.line;
                    break;
                }
            }
        }
        return text;
    }
    void ReadName(CardFields& out);
    void ReadAddress(CardFields& out);
    void ReadPhones(CardFields& out);
    void Read(const Card& card, CardFields& out);
};

void FieldReader::State::ReadName(CardFields& out) {
    PersonRecord& person = out.person;
    if (const Property* n = First(Kind::N)) {
        std::string* components[] = {&person[P::LName], &person[P::FName], nullptr,
                                     &person[P::Title]};
        Components(*n, 4, components);
        out.sources[P::LName] = FieldSource{n->line, 0};
        out.sources[P::FName] = FieldSource{n->line, 1};
        out.sources[P::Title] = FieldSource{n->line, 3};
    }
    for (const Property& property : properties) {
        if (property.kind == Kind::Org) {
            std::string* components[] = {&person[P::Company]};
            Components(property, 1, components);
            if (!person[P::Company].empty()) {
                out.sources[P::Company] = FieldSource{property.line, 0};
                break;
            }
        }
    }
    if (!person[P::LName].empty() || !person[P::FName].empty()) {
        return;
    }
    // Without a family or given name the formatted name stands for them, unless it names the
    // organisation or is only the title.
    int line = -1;
    std::string formatted = FirstText(Kind::FN, line);
    const std::string& title = person[P::Title];
    if (!title.empty() && formatted.size() > title.size() &&
        formatted.compare(0, title.size(), title) == 0 && IsBlank(formatted[title.size()])) {
        formatted.erase(0, title.size());
        TrimInPlace(formatted);
    }
    if (formatted.empty() || notPerson || formatted == person[P::Company] || formatted == title) {
        return;
    }
    out.sources[P::LName] = out.sources[P::FName] = FieldSource{line, FieldSource::kWhole};
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

void FieldReader::State::ReadAddress(CardFields& out) {
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
    PersonRecord& person = out.person;
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
    out.sources[P::Addr] = FieldSource{address->line, 2};
    out.sources[P::City] = FieldSource{address->line, 3};
    out.sources[P::State] = FieldSource{address->line, 4};
    out.sources[P::Zip] = FieldSource{address->line, 5};
}

void FieldReader::State::ReadPhones(CardFields& out) {
    // The typed ones in their fields, the preferred of each kind, else the first.
    enum Slot { Home, Work, Cell, Pager, Fax, Untyped, SlotCount };
    const Property* chosen[SlotCount - 1] = {};
    untyped.clear();
    for (const Property& property : properties) {
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
    PersonRecord& person = out.person;
    const P::Field fields[] = {P::HmPhone, P::WkPhone, P::CelPhone, P::Pager, P::WkFax};
    std::string text;
    for (int slot = Home; slot < Untyped; ++slot) {
        if (chosen[slot] == nullptr) {
            continue;
        }
        Text(text, *chosen[slot]);
        Phone phone = ReadPhone(std::move(text));
        std::string& field = person[fields[slot]];
        out.sources[fields[slot]] = FieldSource{chosen[slot]->line, FieldSource::kWhole};
        if (slot == Work) {
            out.sources[P::WkExt] = out.sources[P::WkPhone];
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

void FieldReader::State::Read(const Card& read, CardFields& out) {
    card = &read;
    properties.clear();
    version21 = false;
    notPerson = false;
    for (size_t i = 0; i < read.size(); ++i) {
        const Line& line = read[i];
        const Kind kind = KindOf(line);
        if (kind == Kind::Other) {
            continue;
        }
        if (kind == Kind::Version) {
            const std::string_view value = Trimmed(line.value);
            version21 = !value.empty() && value.front() == '2';
        } else if (kind == Kind::CardKind) {
            const std::string_view value = Trimmed(line.value);
            // KIND (4.0) or X-ABShowAs (Apple): a card of an organisation or a group, whose
            // formatted name is no person's.
            notPerson = !value.empty() && !IsWord(value, "INDIVIDUAL") && !IsWord(value, "PERSON");
        } else {
            Property& property =
                properties.emplace_back(Property{kind, 0, 0, static_cast<int>(i), FormOf(line)});
            ApplyParameters(line, property);
        }
    }
    out.person = PersonRecord();
    out.uid.clear();
    out.uidLine = -1;
    out.sources.fill(FieldSource());
    PersonRecord& person = out.person;
    ReadName(out);
    int line = -1;
    person[P::Position] = FirstText(Kind::Title, line);
    out.sources[P::Position] = FieldSource{line, FieldSource::kWhole};
    ReadAddress(out);
    ReadPhones(out);
    if (const Property* email = Best(Kind::Email, 0)) {
        Text(person[P::Email], *email);
        if (StartsWithWord(person[P::Email], "MAILTO:")) {
            person[P::Email].erase(0, 7);
            TrimInPlace(person[P::Email]);
        }
        out.sources[P::Email] = FieldSource{email->line, FieldSource::kWhole};
    }
    if (const Property* url = Best(Kind::Url, 0)) {
        Text(person[P::WebPage], *url);
        out.sources[P::WebPage] = FieldSource{url->line, FieldSource::kWhole};
    }
    // The identifier as written: no escapes to undo in one this program writes.
    if (const Property* uid = First(Kind::Uid)) {
        out.uid = Trimmed(Utf8(*uid));
        out.uidLine = uid->line;
    }
}

FieldReader::FieldReader() : state_(std::make_unique<State>()) {}

FieldReader::~FieldReader() = default;

void FieldReader::Read(const Card& card, CardFields& fields) {
    state_->Read(card, fields);
}

CardFields ReadFields(const Card& card) {
    CardFields fields;
    FieldReader().Read(card, fields);
    return fields;
}

bool CardFields::HasName() const {
    return !person[P::FName].empty() || !person[P::LName].empty() || !person[P::Company].empty();
}

// ---------------------------------------------------------------------------------------------
// A new card

namespace {

// Writes a new card into a buffer with room for it, so that the export appends each card once.
class NewCard {
public:
    explicit NewCard(char* at) : at_(at) {}

    char* End() const { return at_; }
    void Start(std::string_view head) {
        line_ = at_;
        Put(head);
    }
    void Put(std::string_view text) {
        std::memcpy(at_, text.data(), text.size());
        at_ += text.size();
    }
    void Put(char c) { *at_++ = c; }
    void Escaped(std::string_view text) { at_ = EscapeInto(at_, text); }
    void Plain(std::string_view text) { at_ = PlainInto(at_, text); }
    // The line started last, ended and folded as EndLine does.
    void EndLine() {
        if (at_ - line_ <= 75) {
            Put("\r\n");
            return;
        }
        std::string line(line_, at_);
        transfer::vcard::EndLine(line, 0);
        at_ = line_;
        Put(line);
    }

private:
    char* at_;
    char* line_ = nullptr;
};

}  // namespace

void AppendNewCard(std::string& out, std::string_view id,
                   const std::string_view (&f)[PersonRecord::FieldCount]) {
    AppendNewCard(out, id, f, Version::V30);
}

void AppendNewCard(std::string& out, std::string_view id,
                   const std::string_view (&f)[PersonRecord::FieldCount], Version version) {
    using Heads = std::array<std::string_view, P::FieldCount>;
    static const std::array<Heads, 2> forms = [] {
        std::array<Heads, 2> both{};
        for (int field = 0; field < P::FieldCount; ++field) {
            both[0][field] = HeadOf(static_cast<P::Field>(field), Version::V30);
            both[1][field] = HeadOf(static_cast<P::Field>(field), Version::V40);
        }
        return both;
    }();
    const bool four = version == Version::V40;
    const Heads& heads = forms[four ? 1 : 0];
    // Room for every byte escaped to two (the names twice, for FN), the names and parameters of
    // the properties, and the folds.
    size_t room = 384 + 2 * id.size();
    for (const std::string_view& field : f) {
        room += 2 * field.size();
    }
    room +=
        2 * (f[P::Title].size() + f[P::FName].size() + f[P::LName].size() + f[P::Company].size());
    room += room / 16;
    const size_t at = out.size();
    out.resize(at + room);
    NewCard card(&out[at]);

    card.Put(four ? "BEGIN:VCARD\r\nVERSION:4.0\r\n" : "BEGIN:VCARD\r\nVERSION:3.0\r\n");
    card.Start("N:");
    card.Escaped(f[P::LName]);
    card.Put(';');
    card.Escaped(f[P::FName]);
    card.Put(";;");
    card.Escaped(f[P::Title]);
    card.Put(';');
    card.EndLine();

    card.Start("FN:");
    if (f[P::FName].empty() && f[P::LName].empty() && !f[P::Company].empty()) {
        card.Escaped(f[P::Company]);
    } else {
        bool first = true;
        for (int i : {P::Title, P::FName, P::LName}) {
            if (!f[i].empty()) {
                if (!first) {
                    card.Put(' ');
                }
                card.Escaped(f[i]);
                first = false;
            }
        }
    }
    card.EndLine();

    for (P::Field field : {P::Company, P::Position}) {
        if (!f[field].empty()) {
            card.Start(heads[field]);
            card.Escaped(f[field]);
            card.EndLine();
        }
    }

    if (!f[P::Addr].empty() || !f[P::City].empty() || !f[P::State].empty() || !f[P::Zip].empty()) {
        card.Start("ADR:;;");
        for (int i : {P::Addr, P::City, P::State, P::Zip}) {
            card.Escaped(f[i]);
            card.Put(';');
        }
        card.EndLine();
    }

    const auto plain = [&](P::Field field) {
        if (!f[field].empty()) {
            card.Start(heads[field]);
            card.Plain(f[field]);
            card.EndLine();
        }
    };
    plain(P::HmPhone);
    if (!f[P::WkPhone].empty() || !f[P::WkExt].empty()) {
        card.Start(heads[P::WkPhone]);
        card.Plain(f[P::WkPhone]);
        if (!f[P::WkExt].empty()) {
            card.Put(f[P::WkPhone].empty() ? "x" : " x");
            card.Plain(f[P::WkExt]);
        }
        card.EndLine();
    }
    plain(P::CelPhone);
    plain(P::Pager);
    plain(P::WkFax);
    plain(P::Email);
    plain(P::WebPage);

    card.Start("UID:");
    card.Plain(id);
    card.EndLine();
    card.Put("END:VCARD\r\n");
    out.resize(static_cast<size_t>(card.End() - out.data()));
}

}  // namespace transfer::vcard
