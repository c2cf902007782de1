#include "VCardVersion.h"

#include <string>
#include <vector>

#include "LineTokenizer.h"
#include "VCardMapping.h"
#include "VCardMappingInternal.h"
#include "VCardValues.h"

namespace transfer::vcard {

namespace {

// How a property's value is written in 3.0: text escaped, the components of a structured value
// each escaped, a list whose commas separate, a number or address whose backslashes only are
// escaped, and what is no text of 3.0 (or unknown) as it was.
enum class Rule { Structured, Text, List, Plain, Raw };

Rule RuleOf(std::string_view name) {
    if (IsWord(name, "N") || IsWord(name, "ADR") || IsWord(name, "ORG")) {
        return Rule::Structured;
    }
    for (const char* text : {"FN", "TITLE", "ROLE", "NOTE", "LABEL", "MAILER", "SORT-STRING"}) {
        if (IsWord(name, text)) {
            return Rule::Text;
        }
    }
    if (IsWord(name, "NICKNAME") || IsWord(name, "CATEGORIES")) {
        return Rule::List;
    }
    if (IsWord(name, "TEL") || IsWord(name, "EMAIL") || IsWord(name, "URL")) {
        return Rule::Plain;
    }
    return Rule::Raw;
}

// The characters of special after a backslash, every line break as "\n".
std::string EscapedFor3(std::string_view text, std::string_view special) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (special.find(c) != std::string_view::npos) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescaped21(std::string_view text) {
    std::string out;
    AppendUnescaped(out, text, Escapes::Semicolon);
    return out;
}

std::string ValueFor3(std::string_view utf8, Rule rule) {
    switch (rule) {
        case Rule::Structured: {
            std::vector<Component> parts;
            SplitComponents(utf8, Escapes::Semicolon, parts);
            std::string out;
            for (size_t i = 0; i < parts.size(); ++i) {
                out += (i > 0 ? ";" : "") + EscapedFor3(Unescaped21(parts[i].text), "\\;,");
            }
            return out;
        }
        case Rule::Text:
            return EscapedFor3(Unescaped21(utf8), "\\;,");
        case Rule::List:
            return EscapedFor3(Unescaped21(utf8), "\\;");
        case Rule::Plain:
            return EscapedFor3(Unescaped21(utf8), "\\");
        case Rule::Raw:
            break;
    }
    return EscapedFor3(utf8, "");
}

bool IsEncodingWord(std::string_view word) {
    return IsWord(word, "QUOTED-PRINTABLE") || IsWord(word, "QP") || IsWord(word, "8BIT") ||
           IsWord(word, "7BIT");
}

bool IsBase64Word(std::string_view word) {
    return IsWord(word, "BASE64") || IsWord(word, "B");
}

// The parameters in the spelling of 3.0: the words on their own one TYPE where the first was,
// the encoding ENCODING=b for base64 and nothing else, no character set. True for base64.
bool ParametersFor3(Card& card, Line& line) {
    std::vector<Parameter> kept;
    std::string types;
    int typesAt = -1;
    bool base64 = false;
    const auto addBase64 = [&] {
        if (!base64) {
            kept.push_back(Parameter{"ENCODING", "b", true});
            base64 = true;
        }
    };
    const auto addType = [&](std::string_view word) {
        if (typesAt < 0) {
            typesAt = static_cast<int>(kept.size());
            kept.push_back(Parameter{"TYPE", "", true});
        } else {
            types += ',';
        }
        types += word;
    };
    for (const Parameter& parameter : line.parameters) {
        if (!parameter.hasValue) {
            const std::string_view word = Unquoted(parameter.name);
            if (IsWord(word, "BASE64")) {
                addBase64();
            } else if (!word.empty() && !IsEncodingWord(word)) {
                addType(word);
            }
            continue;
        }
        const std::string_view name = Trim(parameter.name);
        const std::string_view value = Unquoted(parameter.value);
        if (IsWord(name, "CHARSET")) {
            continue;
        }
        if (IsWord(name, "ENCODING")) {
            if (IsBase64Word(value)) {
                addBase64();
            } else if (!IsEncodingWord(value)) {
                kept.push_back(parameter);
            }
            continue;
        }
        if (IsWord(name, "VALUE") && IsWord(value, "URL")) {
            kept.push_back(Parameter{parameter.name, "uri", true});
            continue;
        }
        if (IsWord(name, "TYPE")) {
            // 2.1 writers also put the encoding among the types.
            ParameterValues words(parameter.value);
            std::string_view word;
            bool encoding = false;
            while (words.Next(word)) {
                encoding = encoding || IsWord(word, "BASE64") || IsEncodingWord(word);
            }
            if (encoding) {
                ParameterValues again(parameter.value);
                while (again.Next(word)) {
                    if (IsWord(word, "BASE64")) {
                        addBase64();
                    } else if (!word.empty() && !IsEncodingWord(word)) {
                        addType(word);
                    }
                }
                continue;
            }
        }
        kept.push_back(parameter);
    }
    if (typesAt >= 0) {
        kept[static_cast<size_t>(typesAt)].value = card.Keep(types);
    }
    line.parameters = std::move(kept);
    return base64;
}

void AppendWithoutBlanks(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            out += c;
        }
    }
}

// The line as it is written, unfolded.
void AppendLineText(std::string& out, const Line& line) {
    if (line.content) {
        AppendLineHead(out, line);
    }
    out += line.value;
}

void Convert(Card& card);

// The AGENT's card, on the lines after it that are nested in the card, as its value: the card
// in 3.0 as text, one line after another.
void NestAgent(Card& card, size_t agent) {
    size_t end = agent + 1;
    std::string nested;
    while (end < card.size() && card[end].inAgent) {
        AppendLineText(nested, card[end]);
        nested += "\r\n";
        ++end;
    }
    // Read again, so that an agent's own agent is nested in it.
    std::vector<Card> cards = ReadCards(nested);
    std::string text;
    if (!cards.empty()) {
        Convert(cards[0]);
        for (const Line& line : cards[0]) {
            AppendLineText(text, line);
            text += "\r\n";
        }
    }
    card[agent].value = card.Keep(EscapedFor3(text, "\\;,"));
    while (end-- > agent + 1) {
        card.Erase(end);
    }
}

void Convert(Card& card) {
    ValueDecoder decoder;
    // A base64 value goes on over the lines without a colon that follow it, as 2.1 writers
    // leave them.
    int base64Line = -1;
    std::string base64;
    const auto endBase64 = [&] {
        if (base64Line >= 0) {
            card[static_cast<size_t>(base64Line)].value = card.Keep(base64);
            base64Line = -1;
        }
    };
    for (size_t i = 0; i < card.size();) {
        Line& line = card[i];
        if (line.inAgent) {
            ++i;
            continue;
        }
        if (!line.content) {
            if (Trim(line.value).empty()) {
                card.Erase(i);
            } else if (base64Line >= 0) {
                AppendWithoutBlanks(base64, line.value);
                card.Erase(i);
            } else {
                ++i;
            }
            continue;
        }
        endBase64();
        const std::string_view name = PropertyName(line);
        if (KindOf(line) == Kind::Version) {
            line.value = "3.0";
            ++i;
            continue;
        }
        if (IsCardBegin(line) || IsCardEnd(line)) {
            ++i;
            continue;
        }
        const ValueForm form = FormOf(line);
        const std::string utf8(form.encoding == Encoding::Base64 ? std::string_view()
                                                                 : decoder.Utf8(line));
        if (ParametersFor3(card, line) || form.encoding == Encoding::Base64) {
            base64.clear();
            AppendWithoutBlanks(base64, line.value);
            base64Line = static_cast<int>(i);
        } else {
            const std::string value = ValueFor3(utf8, RuleOf(name));
            if (value != line.value) {
                line.value = card.Keep(value);
            }
        }
        if (IsWord(name, "AGENT") && Trim(line.value).empty() && i + 1 < card.size() &&
            card[i + 1].inAgent) {
            NestAgent(card, i);
        }
        ++i;
    }
    endBase64();
}

// 3.0 wants a formatted name, which 2.1 did not, and servers refuse a card without one: the
// names of N, else the company, which the card then reads as before.
void AddFormattedName(Card& card) {
    size_t at = 0;
    for (size_t i = 0; i < card.size(); ++i) {
        const Kind kind = KindOf(card[i]);
        if (kind == Kind::FN) {
            return;
        }
        if ((kind == Kind::Version && at == 0) || (kind == Kind::N && !card[i].inAgent)) {
            at = i + 1;
        }
    }
    const CardFields fields = ReadFields(card);
    const PersonRecord& person = fields.person;
    std::string name = person[PersonRecord::FName];
    if (!name.empty() && !person[PersonRecord::LName].empty()) {
        name += ' ';
    }
    name += person[PersonRecord::LName];
    if (name.empty()) {
        name = person[PersonRecord::Company];
    }
    std::string text = "FN:";
    AppendEscaped(text, name);
    ParseLine(card.Keep(text), card.Insert(at > 0 ? at : 1));
}

}  // namespace

bool ToVersion3(Card& card) {
    if (VersionOf(card) != Version::V21) {
        return false;
    }
    Convert(card);
    AddFormattedName(card);
    return true;
}

}  // namespace transfer::vcard
