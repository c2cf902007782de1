#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "LineTokenizer.h"
#include "VCardMapping.h"
#include "VCardMappingInternal.h"
#include "VCardValues.h"

// ApplyFields: each group of fields that read together (the names, the address, a telephone
// number with its extension) is written in the lines they are read from, tried in ways from
// the least change on, the first that reads back as wanted taken.
namespace transfer::vcard {

namespace {

using P = PersonRecord;

// New components of a structured value: index and text.
using Edits = std::vector<std::pair<int, std::string>>;

std::string JoinedWithBlanks(std::initializer_list<std::string_view> words) {
    std::string text;
    for (std::string_view word : words) {
        if (!word.empty()) {
            if (!text.empty()) {
                text += ' ';
            }
            text += word;
        }
    }
    return text;
}

int FirstLineOf(const Card& card, Kind kind) {
    for (size_t i = 0; i < card.size(); ++i) {
        if (KindOf(card[i]) == kind) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Where a new line of the property goes: after the last one of its name (and the lines of its
// group after that one), else before the card's END.
size_t InsertionPoint(const Card& card, const Line& added) {
    const std::string_view name = PropertyName(added);
    size_t at = card.size();
    if (at > 0 && IsCardEnd(card[at - 1]) && !card[at - 1].inAgent) {
        --at;
    }
    for (size_t i = card.size(); i-- > 0;) {
        if (!card[i].inAgent && IsProperty(card[i], name)) {
            at = i + 1;
            while (!card[i].group.empty() && at < card.size() && !card[at].inAgent &&
                   card[at].group == card[i].group && !IsCardEnd(card[at])) {
                ++at;
            }
            break;
        }
    }
    return at;
}

class Changer {
public:
    Changer(Card& card, const PersonRecord& wanted)
        : card_(card),
          wanted_(wanted),
          version_(VersionOf(card)),
          escapes_(version_ == Version::V21 ? Escapes::Semicolon : Escapes::Text) {}

    void Run();

private:
    using Way = std::function<void(Card&, const CardFields&)>;

    void Group(std::initializer_list<P::Field> fields, std::initializer_list<Way> ways);

    std::string TextOf(const Card& card, int line) const {
        ValueDecoder decoder;
        std::string text;
        SetText(text, decoder.Utf8(card[static_cast<size_t>(line)]), escapes_);
        return text;
    }
    void SetWhole(Card& card, int line, std::string_view text, ValueKind kind) const {
        SetValueText(card, static_cast<size_t>(line), Escaped(text, escapes_, kind));
    }
    void SetComponents(Card& card, int line, const Edits& edits, bool removable) const;
    void AddLine(Card& card, P::Field field, std::string_view value) const;
    Edits NewComponents(size_t count, const Edits& edits) const;

    // The ways of each group.
    void Names(Card& card, const CardFields& now, bool intoN, bool formattedFollows) const;
    void WriteN(Card& card, const CardFields& now, bool names) const;
    void Company(Card& card, const CardFields& now, bool formattedFollows) const;
    void Address(Card& card, const CardFields& now) const;
    void Telephone(Card& card, const CardFields& now, P::Field field) const;
    void Single(Card& card, const CardFields& now, P::Field field, std::string_view uriScheme,
                ValueKind kind) const;

    Card& card_;
    const PersonRecord& wanted_;
    Version version_;
    Escapes escapes_;
};

void Changer::Run() {
    Group({P::Title, P::FName, P::LName},
          {[this](Card& c, const CardFields& n) { Names(c, n, false, false); },
           [this](Card& c, const CardFields& n) { Names(c, n, true, false); },
           [this](Card& c, const CardFields& n) { Names(c, n, true, true); }});
    Group({P::Company}, {[this](Card& c, const CardFields& n) { Company(c, n, false); },
                         [this](Card& c, const CardFields& n) { Company(c, n, true); }});
    Group({P::Position}, {[this](Card& c, const CardFields& n) {
              Single(c, n, P::Position, "", ValueKind::Text);
          }});
    Group({P::Addr, P::City, P::State, P::Zip},
          {[this](Card& c, const CardFields& n) { Address(c, n); }});
    for (P::Field field : {P::HmPhone, P::WkPhone, P::CelPhone, P::Pager, P::WkFax}) {
        const auto way = [this, field](Card& c, const CardFields& n) { Telephone(c, n, field); };
        if (field == P::WkPhone) {
            Group({P::WkPhone, P::WkExt}, {way});
        } else {
            Group({field}, {way});
        }
    }
    Group({P::Email}, {[this](Card& c, const CardFields& n) {
              Single(c, n, P::Email, "MAILTO:", ValueKind::Plain);
          }});
    Group({P::WebPage}, {[this](Card& c, const CardFields& n) {
              Single(c, n, P::WebPage, "", ValueKind::Plain);
          }});
}

// Tries each way on a copy of the card until one reads as wanted in the group's fields and as
// before in every other; when none does, the first.
void Changer::Group(std::initializer_list<P::Field> fields, std::initializer_list<Way> ways) {
    const CardFields now = ReadFields(card_);
    bool changed = false;
    for (P::Field field : fields) {
        changed = changed || now.person[field] != wanted_[field];
    }
    if (!changed) {
        return;
    }
    for (const Way& way : ways) {
        Card trial = card_;
        way(trial, now);
        const CardFields after = ReadFields(trial);
        bool reads = true;
        for (int field = 0; field < P::FieldCount && reads; ++field) {
            const bool inGroup = std::find(fields.begin(), fields.end(), field) != fields.end();
            reads = after.person.fields[field] ==
                    (inGroup ? wanted_.fields[field] : now.person.fields[field]);
        }
        if (reads) {
            card_ = std::move(trial);
            return;
        }
    }
    (*ways.begin())(card_, now);
}

// The components with the edits, of which count there are at least.
void Changer::SetComponents(Card& card, int line, const Edits& edits, bool removable) const {
    ValueDecoder decoder;
    const std::string value(decoder.Utf8(card[static_cast<size_t>(line)]));
    std::vector<Component> split;
    SplitComponents(value, escapes_, split);
    size_t count = split.size();
    for (const auto& edit : edits) {
        count = std::max(count, static_cast<size_t>(edit.first) + 1);
    }
    std::vector<std::string> raw;
    for (size_t i = 0; i < split.size(); ++i) {
        raw.push_back(i + 1 == split.size() && count > split.size()
                          ? FollowedBySemicolon(split[i].raw, escapes_)
                          : std::string(split[i].raw));
    }
    raw.resize(count);
    for (const auto& [index, text] : edits) {
        raw[static_cast<size_t>(index)] =
            Escaped(text, escapes_, ValueKind::Text, true, static_cast<size_t>(index) + 1 == count);
    }
    std::string joined;
    bool empty = true;
    for (size_t i = 0; i < raw.size(); ++i) {
        empty = empty && Trimmed(raw[i]).empty();
        joined += (i > 0 ? ";" : "") + raw[i];
    }
    if (empty && removable) {
        card.Erase(static_cast<size_t>(line));
    } else {
        SetValueText(card, static_cast<size_t>(line), joined);
    }
}

void Changer::AddLine(Card& card, P::Field field, std::string_view value) const {
    const char* head = HeadOf(field, version_);
    Line added;
    ParseLine(head, added);
    const size_t at = InsertionPoint(card, added);
    Line& line = card.Insert(at);
    ParseLine(head, line);
    // 2.1 readers take 8-bit text as ASCII or Latin-1 unless told.
    if (version_ == Version::V21 && !IsAscii(value)) {
        line.parameters.push_back(Parameter{"CHARSET", "UTF-8", true});
    }
    SetValueText(card, at, value);
}

// The escaped value of a new structured property of count components.
Edits Changer::NewComponents(size_t count, const Edits& edits) const {
    Edits components;
    for (size_t i = 0; i < count; ++i) {
        components.emplace_back(static_cast<int>(i), std::string());
    }
    for (const auto& [index, text] : edits) {
        components[static_cast<size_t>(index)].second =
            Escaped(text, escapes_, ValueKind::Text, true, static_cast<size_t>(index) + 1 == count);
    }
    return components;
}

// Title into N; the names into N, or into the formatted name they are read from, which may
// then follow them.
void Changer::Names(Card& card, const CardFields& now, bool intoN, bool formattedFollows) const {
    const int source = now.sources[P::LName].line;
    const bool fromFormatted = source >= 0 && KindOf(card[static_cast<size_t>(source)]) == Kind::FN;
    const bool names =
        wanted_[P::FName] != now.person[P::FName] || wanted_[P::LName] != now.person[P::LName];
    int formatted = fromFormatted ? source : -1;
    if (formattedFollows && formatted < 0) {
        for (size_t i = 0; i < card.size() && formatted < 0; ++i) {
            if (KindOf(card[i]) == Kind::FN && !TextOf(card, static_cast<int>(i)).empty()) {
                formatted = static_cast<int>(i);
            }
        }
    }
    if (formatted >= 0 && ((names && !intoN) || formattedFollows)) {
        // Keep a title the formatted name starts with.
        const std::string old = TextOf(card, formatted);
        const std::string& title = now.person[P::Title];
        const bool titled = !title.empty() && old.size() > title.size() &&
                            old.compare(0, title.size(), title) == 0 &&
                            (old[title.size()] == ' ' || old[title.size()] == '\t');
        const bool nameless = wanted_[P::FName].empty() && wanted_[P::LName].empty();
        SetWhole(card, formatted,
                 nameless ? std::string_view(wanted_[P::Company])
                          : JoinedWithBlanks({titled ? std::string_view(wanted_[P::Title]) : "",
                                              wanted_[P::FName], wanted_[P::LName]}),
                 ValueKind::Text);
    }
    WriteN(card, now, intoN || (names && !fromFormatted));
}

void Changer::WriteN(Card& card, const CardFields& now, bool names) const {
    Edits edits;
    if (wanted_[P::Title] != now.person[P::Title]) {
        edits.emplace_back(3, wanted_[P::Title]);
    }
    if (names) {
        for (const auto& [field, index] : {std::pair(P::LName, 0), std::pair(P::FName, 1)}) {
            if (wanted_[field] != now.person[field] ||
                now.sources[field].component == FieldSource::kWhole) {
                edits.emplace_back(index, wanted_[field]);
            }
        }
    }
    if (edits.empty()) {
        return;
    }
    const int n = FirstLineOf(card, Kind::N);
    if (n >= 0) {
        SetComponents(card, n, edits, false);
        return;
    }
    std::string value;
    for (const auto& component : NewComponents(5, edits)) {
        value += (component.first > 0 ? ";" : "") + component.second;
    }
    AddLine(card, P::LName, value);
}

void Changer::Company(Card& card, const CardFields& now, bool formattedFollows) const {
    // The formatted name that named the organisation names it still.
    if (formattedFollows) {
        for (size_t i = 0; i < card.size(); ++i) {
            if (KindOf(card[i]) == Kind::FN) {
                const std::string text = TextOf(card, static_cast<int>(i));
                if (!text.empty()) {
                    if (text == now.person[P::Company]) {
                        SetWhole(card, static_cast<int>(i), wanted_[P::Company], ValueKind::Text);
                    }
                    break;
                }
            }
        }
    }
    const int source = now.sources[P::Company].line;
    if (source >= 0) {
        SetComponents(card, source, {{0, wanted_[P::Company]}}, true);
    } else if (!wanted_[P::Company].empty()) {
        AddLine(card, P::Company, Escaped(wanted_[P::Company], escapes_, ValueKind::Text, true));
    }
}

void Changer::Address(Card& card, const CardFields& now) const {
    const int source = now.sources[P::Addr].line;
    if (source < 0) {
        std::string value;
        for (const auto& component : NewComponents(7, {{2, wanted_[P::Addr]},
                                                       {3, wanted_[P::City]},
                                                       {4, wanted_[P::State]},
                                                       {5, wanted_[P::Zip]}})) {
            value += (component.first > 0 ? ";" : "") + component.second;
        }
        AddLine(card, P::Addr, value);
        return;
    }
    // The components as read: box, extended address, street, city, region, code, country.
    ValueDecoder decoder;
    std::vector<Component> split;
    SplitComponents(decoder.Utf8(card[static_cast<size_t>(source)]), escapes_, split);
    std::string old[7];
    for (size_t i = 0; i < 7 && i < split.size(); ++i) {
        SetText(old[i], split[i].text, escapes_);
    }
    // Addr is the street, extended address, box and country on lines of their own: those at
    // its end that are still there stay, the rest is the street.
    Edits edits;
    std::string rest = wanted_[P::Addr];
    bool kept = true;
    for (int component : {6, 0, 1}) {
        const std::string& line = old[component];
        if (line.empty()) {
            continue;
        }
        if (kept && rest == line) {
            rest.clear();
        } else if (kept && rest.size() > line.size() + 2 &&
                   rest.compare(rest.size() - line.size(), line.size(), line) == 0 &&
                   rest.compare(rest.size() - line.size() - 2, 2, "\r\n") == 0) {
            rest.resize(rest.size() - line.size() - 2);
        } else {
            kept = false;
            edits.emplace_back(component, std::string());
        }
    }
    if (rest != old[2]) {
        edits.emplace_back(2, rest);
    }
    for (const auto& [field, component] :
         {std::pair(P::City, 3), std::pair(P::State, 4), std::pair(P::Zip, 5)}) {
        if (wanted_[field] != now.person[field]) {
            edits.emplace_back(component, wanted_[field]);
        }
    }
    SetComponents(card, source, edits, true);
}

void Changer::Telephone(Card& card, const CardFields& now, P::Field field) const {
    const bool work = field == P::WkPhone;
    std::string_view number = wanted_[field];
    std::string_view extension = work ? std::string_view(wanted_[P::WkExt]) : "";
    const int source = now.sources[field].line;
    if (source < 0) {
        if (!number.empty() || !extension.empty()) {
            AddLine(card, field,
                    Escaped(PhoneText("", number, extension), escapes_, ValueKind::Plain));
        }
        return;
    }
    if (number.empty() && extension.empty()) {
        card.Erase(static_cast<size_t>(source));
        return;
    }
    const std::string old = TextOf(card, source);
    // A "tel:" URI gives the extension of another number as " x" and the extension.
    std::string_view split, rest;
    if (!work && StartsWithWord(old, "TEL:") && SplitExtension(number, split, rest) &&
        std::string(split) + " x" + std::string(rest) == number) {
        number = split;
        extension = rest;
    }
    SetWhole(card, source, PhoneText(old, number, extension), ValueKind::Plain);
}

// A property of one value: rewritten, added or taken away; a URI scheme it starts with kept.
void Changer::Single(Card& card, const CardFields& now, P::Field field, std::string_view uriScheme,
                     ValueKind kind) const {
    const std::string& value = wanted_[field];
    const int source = now.sources[field].line;
    if (source < 0) {
        if (!value.empty()) {
            AddLine(card, field, Escaped(value, escapes_, kind));
        }
        return;
    }
    if (value.empty()) {
        card.Erase(static_cast<size_t>(source));
        return;
    }
    const std::string old = TextOf(card, source);
    const bool scheme = !uriScheme.empty() && StartsWithWord(old, uriScheme);
    SetWhole(card, source, (scheme ? old.substr(0, uriScheme.size()) : std::string()) + value,
             kind);
}

}  // namespace

CardFields ApplyFields(Card& card, const PersonRecord& fields) {
    Changer(card, fields).Run();
    return ReadFields(card);
}

}  // namespace transfer::vcard
