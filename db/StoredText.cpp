#include "StoredText.h"

namespace {

// The code points of bytes 0x80 to 0x9F in Windows-1252; 0 where the code page has none.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t Windows1252CodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F && kWindows1252High[byte - 0x80] != 0) {
        return kWindows1252High[byte - 0x80];
    }
    return byte;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

Utf8Char ReadUtf8(const unsigned char* p, const unsigned char* end) {
    const unsigned char lead = *p;
    const Utf8Char notValid{lead, 1, false};
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    size_t more;
    char32_t code;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3, code = lead & 0x07;
    } else {
        return notValid;
    }
    if (static_cast<size_t>(end - p) <= more) {
        return notValid;
    }
    for (size_t i = 1; i <= more; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            return notValid;
        }
        code = (code << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
    if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF)) {
        return notValid;
    }
    return {code, more + 1, true};
}

size_t Utf8CharLength(const unsigned char* p, const unsigned char* end) {
    const Utf8Char c = ReadUtf8(p, end);
    return c.valid ? c.length : 0;
}

bool IsValidUtf8(const char* bytes, size_t length) {
    for (const Utf8Char& c : Utf8Chars(std::string_view(bytes, length))) {
        if (!c.valid) {
            return false;
        }
    }
    return true;
}

std::string Windows1252ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) {
        AppendUtf8(out, Windows1252CodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string Latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) {
        AppendUtf8(out, static_cast<unsigned char>(c));
    }
    return out;
}

QString FromStoredText(std::string_view text) {
    if (IsValidUtf8(text.data(), text.size())) {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    QString decoded;
    decoded.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        decoded += QChar(Windows1252CodePoint(static_cast<unsigned char>(c)));
    }
    return decoded;
}

std::string ToStoredText(const QString& text) {
    return text.toUtf8().toStdString();
}

std::string ToStoredText(const QString& edited, const std::string& stored) {
    return edited == FromStoredText(stored) ? stored : ToStoredText(edited);
}

std::string ToStoredLines(const std::string& text) {
    std::string stored;
    stored.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            // An existing CR LF stays one line break; a lone CR becomes one.
            stored += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (text[i] == '\n') {
            stored += "\r\n";
        } else {
            stored += text[i];
        }
    }
    return stored;
}

std::string FromStoredLines(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        plain += text[i];
    }
    return plain;
}

std::string ToStoredLinesText(const QString& edited, const std::string& stored) {
    return edited == FromStoredText(FromStoredLines(stored)) ? stored
                                                             : ToStoredLines(ToStoredText(edited));
}
