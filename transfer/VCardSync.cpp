#include "VCardSync.h"

#include <algorithm>
#include <cctype>

#include "VCardLines.h"
#include "VCardMappingInternal.h"
#include "VCardValues.h"
#include "VCardVersion.h"

namespace transfer::vcard {

std::string CardToSend(std::string_view base, const PersonRecord& person, bool vcard4) {
    std::string out;
    Card card;
    CardReader reader(base);
    if (!base.empty() && reader.Next(card)) {
        ToVersion3(card);
        ApplyFields(card, person);
        AppendCard(out, card);
        return out;
    }
    std::string_view fields[PersonRecord::FieldCount];
    for (int i = 0; i < PersonRecord::FieldCount; ++i) {
        fields[i] = person.fields[static_cast<size_t>(i)];
    }
    AppendNewCard(out, person.id, fields, vcard4 ? Version::V40 : Version::V30);
    return out;
}

bool ReadCardFields(std::string_view cardText, CardFields& out) {
    Card card;
    CardReader reader(cardText);
    if (!reader.Next(card)) {
        return false;
    }
    FieldReader().Read(card, out);
    return true;
}

namespace {

std::string Lower(std::string_view word) {
    std::string out(word);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The TYPE words of the line, TYPE=a,b and the bare words of 2.1 alike.
std::string TypesOf(const Line& line) {
    std::vector<std::string> words;
    const auto take = [&words](std::string_view word) {
        const std::string lower = Lower(Trim(word));
        if (!lower.empty() && lower != "pref" && lower != "voice" && lower != "internet" &&
            std::find(words.begin(), words.end(), lower) == words.end()) {
            words.push_back(lower);
        }
    };
    for (const Parameter& parameter : line.parameters) {
        if (!parameter.hasValue) {
            take(Unquoted(parameter.name));
        } else if (IsWord(Trim(parameter.name), "TYPE")) {
            ParameterValues values(parameter.value);
            std::string_view word;
            while (values.Next(word)) {
                take(word);
            }
        }
    }
    std::string out;
    for (const std::string& word : words) {
        out += out.empty() ? word : ", " + word;
    }
    return out;
}

// "mailto:ann@example.com" and "tel:+47 1234" as the address and the number.
void DropScheme(std::string& value, std::string_view scheme) {
    if (value.size() > scheme.size() && Lower(value.substr(0, scheme.size())) == scheme) {
        value.erase(0, scheme.size());
    }
}

}  // namespace

std::vector<CardExtra> ReadCardExtras(std::string_view cardText) {
    std::vector<CardExtra> extras;
    Card card;
    CardReader reader(cardText);
    if (!reader.Next(card)) {
        return extras;
    }
    CardFields fields;
    FieldReader().Read(card, fields);
    std::vector<bool> used(card.size(), false);
    for (const FieldSource& source : fields.sources) {
        if (source.line >= 0 && static_cast<size_t>(source.line) < used.size()) {
            used[static_cast<size_t>(source.line)] = true;
        }
    }
    const Escapes escapes = VersionOf(card) == Version::V21 ? Escapes::Semicolon : Escapes::Text;
    ValueDecoder decoder;
    for (size_t i = 0; i < card.size(); ++i) {
        const Line& line = card[i];
        if (!line.content || line.inAgent || used[i]) {
            continue;
        }
        CardExtra extra;
        if (IsProperty(line, "EMAIL")) {
            extra.kind = CardExtra::Kind::Email;
        } else if (IsProperty(line, "TEL")) {
            extra.kind = CardExtra::Kind::Phone;
        } else if (IsProperty(line, "BDAY")) {
            extra.kind = CardExtra::Kind::Birthday;
        } else if (IsProperty(line, "NICKNAME")) {
            extra.kind = CardExtra::Kind::Nickname;
        } else if (IsProperty(line, "NOTE")) {
            extra.kind = CardExtra::Kind::Note;
        } else if (IsProperty(line, "CATEGORIES")) {
            extra.kind = CardExtra::Kind::Categories;
        } else {
            continue;
        }
        SetText(extra.value, decoder.Utf8(line), escapes);
        if (extra.kind == CardExtra::Kind::Email) {
            DropScheme(extra.value, "mailto:");
        } else if (extra.kind == CardExtra::Kind::Phone) {
            DropScheme(extra.value, "tel:");
        }
        if (extra.kind == CardExtra::Kind::Categories || extra.kind == CardExtra::Kind::Nickname) {
            // A list of words: the commas between them read as commas do.
            std::string spaced;
            for (size_t c = 0; c < extra.value.size(); ++c) {
                spaced += extra.value[c];
                if (extra.value[c] == ',' && c + 1 < extra.value.size() &&
                    extra.value[c + 1] != ' ') {
                    spaced += ' ';
                }
            }
            extra.value = spaced;
        }
        if (extra.value.empty()) {
            continue;
        }
        extra.types = TypesOf(line);
        extras.push_back(std::move(extra));
    }
    return extras;
}

}  // namespace transfer::vcard
