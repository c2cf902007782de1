#include "VCardValues.h"

#include "LineTokenizer.h"
#include "VCardLines.h"

namespace transfer::vcard {

namespace {

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

// The bytes that the export's two escapes look at: 1 for text, 2 for a plain value, 3 both.
struct SpecialBytes {
    unsigned char kinds[256] = {};
    constexpr SpecialBytes() {
        kinds[static_cast<unsigned char>('\\')] = 3;
        kinds[static_cast<unsigned char>('\r')] = 3;
        kinds[static_cast<unsigned char>('\n')] = 3;
        kinds[static_cast<unsigned char>(';')] = 1;
        kinds[static_cast<unsigned char>(',')] = 1;
    }
};
constexpr SpecialBytes kSpecial;

size_t TrailingBackslashes(std::string_view text) {
    size_t count = 0;
    while (count < text.size() && text[text.size() - 1 - count] == '\\') {
        ++count;
    }
    return count;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reading

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
    AppendUnescaped(field, Trim(in), escapes);
    if (!field.empty() && (IsLineSpace(field.front()) || IsLineSpace(field.back()))) {
        TrimInPlace(field);
    }
}

void SplitComponents(std::string_view value, Escapes escapes, std::vector<Component>& components) {
    components.clear();
    size_t begin = 0;
    const size_t n = value.size();
    for (size_t i = 0; i < n; ++i) {
        if (value[i] == '\\' && i + 1 < n) {
            if (escapes == Escapes::Text || value[i + 1] == ';') {
                ++i;
            } else if (value[i + 1] == '\\' && i + 2 < n && value[i + 2] == ';') {
                // 2.1: the component ends in one backslash, and the semicolon separates.
                components.push_back(Component{value.substr(begin, i + 1 - begin),
                                               value.substr(begin, i + 2 - begin)});
                begin = i + 3;
                i += 2;
            }
        } else if (value[i] == ';') {
            const std::string_view text = value.substr(begin, i - begin);
            components.push_back(Component{text, text});
            begin = i + 1;
        }
    }
    const std::string_view text = value.substr(begin);
    components.push_back(Component{text, text});
}

// ---------------------------------------------------------------------------------------------
// Writing

char* EscapeInto(char* out, std::string_view text) {
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if ((kSpecial.kinds[static_cast<unsigned char>(c)] & 1) == 0) {
            *out++ = c;
        } else if (c == '\r' || c == '\n') {
            *out++ = '\\';
            *out++ = 'n';
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            *out++ = '\\';
            *out++ = c;
        }
    }
    return out;
}

char* PlainInto(char* out, std::string_view text) {
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if ((kSpecial.kinds[static_cast<unsigned char>(c)] & 2) == 0) {
            *out++ = c;
        } else if (c == '\\') {
            *out++ = '\\';
            *out++ = '\\';
        } else {
            *out++ = ' ';
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                ++i;
            }
        }
    }
    return out;
}

void AppendEscaped(std::string& out, std::string_view text) {
    const size_t at = out.size();
    out.resize(at + 2 * text.size());
    out.resize(static_cast<size_t>(EscapeInto(&out[at], text) - out.data()));
}

void AppendPlain(std::string& out, std::string_view text) {
    const size_t at = out.size();
    out.resize(at + 2 * text.size());
    out.resize(static_cast<size_t>(PlainInto(&out[at], text) - out.data()));
}

std::string Escaped(std::string_view text, Escapes escapes, ValueKind kind, bool component,
                    bool last) {
    std::string out;
    if (escapes == Escapes::Text) {
        if (kind == ValueKind::Text) {
            AppendEscaped(out, text);
        } else {
            AppendPlain(out, text);
        }
        return out;
    }
    // 2.1: only semicolons are escaped, and a backslash before one.
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (kind == ValueKind::Plain && (c == '\r' || c == '\n')) {
            out += ' ';
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\\' && i + 1 < n && text[i + 1] == ';') {
            // A component cannot hold a backslash before a semicolon: "\\;" separates.
            if (!component) {
                out += "\\\\";
            }
        } else if (c == ';') {
            const bool afterBackslash = !component && i > 0 && text[i - 1] == '\\';
            out += (kind == ValueKind::Text && !afterBackslash) || component ? "\\;" : ";";
        } else {
            out += c;
        }
    }
    if (component && !last && TrailingBackslashes(out) > 0) {
        out += '\\';
    }
    return out;
}

std::string FollowedBySemicolon(std::string_view raw, Escapes escapes) {
    const size_t backslashes = TrailingBackslashes(raw);
    std::string out(raw);
    // In 2.1 "\\;" ends a component in one backslash; in 3.0 a lone one would escape the ';'.
    if (escapes == Escapes::Semicolon ? backslashes > 0 : backslashes % 2 == 1) {
        out += '\\';
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Telephone numbers

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
        } else if (StartsWithWord(at, "EXTENSION")) {
            mark = 9;
        } else if (StartsWithWord(at, "EXT")) {
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

Phone ReadPhone(std::string value) {
    Phone phone;
    std::string_view text = value;
    if (!StartsWithWord(text, "TEL:")) {
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
        if (StartsWithWord(parameter, "EXT=")) {
            phone.extension = Trimmed(parameter.substr(4));
            break;
        }
    }
    return phone;
}

std::string PhoneText(std::string_view old, std::string_view number, std::string_view extension) {
    if (!StartsWithWord(old, "TEL:")) {
        std::string text(number);
        if (!extension.empty()) {
            text += number.empty() ? "x" : " x";
            text += extension;
        }
        return text;
    }
    std::string text(old.substr(0, 4));
    text += number;
    std::string_view rest = Trimmed(old.substr(4));
    size_t semicolon = rest.find(';');
    while (semicolon != std::string_view::npos) {
        rest.remove_prefix(semicolon + 1);
        semicolon = rest.find(';');
        const std::string_view parameter = rest.substr(0, semicolon);
        if (!StartsWithWord(parameter, "EXT=")) {
            text += ';';
            text += parameter;
        }
    }
    if (!extension.empty()) {
        text += ";ext=";
        text += extension;
    }
    return text;
}

}  // namespace transfer::vcard
