#include <QList>
#include <QString>
#include <QStringEncoder>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "StoredText.h"
#include "TextEncoding.h"
#include "VCardLines.h"

// The values of lines: their encoding and character set, read and written.
namespace transfer::vcard {

namespace {

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

// Printable ASCII as it is, blanks too but for one at the end, every other byte as "=XX".
std::string QuotedPrintable(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const bool last = i + 1 == bytes.size();
        if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last)) {
            out += static_cast<char>(c);
        } else {
            out += '=';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// A type word of TYPE= or a 2.1 word on its own, as far as the encoding goes.
void ApplyEncodingWord(std::string_view word, ValueForm& form) {
    word = Unquoted(word);
    if (IsWord(word, "QUOTED-PRINTABLE")) {
        form.encoding = Encoding::QuotedPrintable;
    } else if (IsWord(word, "BASE64")) {
        form.encoding = Encoding::Base64;
    }
}

// The code points of Windows-1252's upper half, for writing text in it.
bool ToWindows1252(char32_t c, char& byte) {
    static const std::vector<char32_t> upper = [] {
        std::vector<char32_t> points(128);
        for (int b = 0x80; b <= 0xFF; ++b) {
            const QString text =
                QString::fromStdString(Windows1252ToUtf8(std::string(1, static_cast<char>(b))));
            points[b - 0x80] = text.isEmpty() ? 0 : text.toUcs4().value(0);
        }
        return points;
    }();
    if (c < 0x80) {
        byte = static_cast<char>(c);
        return true;
    }
    const auto at = std::find(upper.begin(), upper.end(), c);
    if (at == upper.end()) {
        return false;
    }
    byte = static_cast<char>(0x80 + (at - upper.begin()));
    return true;
}

// The UTF-8 text in the form's character set; false when it has no byte for a character.
bool EncodeInCharset(std::string_view utf8, const ValueForm& form, std::string& out) {
    out.clear();
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    if (form.charset == Charset::Windows1252 || form.charset == Charset::Latin1) {
        for (char32_t c : text.toUcs4()) {
            char byte = 0;
            if (form.charset == Charset::Latin1 ? c > 0xFF : !ToWindows1252(c, byte)) {
                return false;
            }
            out += form.charset == Charset::Latin1 ? static_cast<char>(c) : byte;
        }
        return true;
    }
    QStringEncoder encoder(std::string(form.charsetName).c_str());
    if (!encoder.isValid()) {
        return false;
    }
    const QByteArray bytes = encoder(text);
    if (encoder.hasError()) {
        return false;
    }
    out.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    // Written so only when it reads back as the same text.
    ValueDecoder decoder;
    ValueForm plain = form;
    plain.encoding = Encoding::Plain;
    return decoder.Utf8(out, plain) == utf8;
}

}  // namespace

bool IsAscii(std::string_view text) {
    const char* p = text.data();
    size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word = 0;
        std::memcpy(&word, p, 8);
        if ((word & 0x8080808080808080ull) != 0) {
            return false;
        }
    }
    for (; n > 0; ++p, --n) {
        if (static_cast<unsigned char>(*p) >= 0x80) {
            return false;
        }
    }
    return true;
}

ValueForm FormOf(const Line& line) {
    ValueForm form;
    for (size_t i = 0; i < line.parameters.size(); ++i) {
        const Parameter& parameter = line.parameters[i];
        if (!parameter.hasValue) {
            ApplyEncodingWord(parameter.name, form);
            continue;
        }
        const std::string_view name = Trim(parameter.name);
        std::string_view value = Trim(parameter.value);
        if (IsWord(name, "TYPE")) {
            ParameterValues words(parameter.value);
            std::string_view word;
            while (words.Next(word)) {
                ApplyEncodingWord(word, form);
            }
        } else if (IsWord(name, "ENCODING")) {
            if (IsWord(value, "QUOTED-PRINTABLE") || IsWord(value, "QP")) {
                form.encoding = Encoding::QuotedPrintable;
            } else if (IsWord(value, "BASE64") || IsWord(value, "B")) {
                form.encoding = Encoding::Base64;
            }
        } else if (IsWord(name, "CHARSET")) {
            if (!value.empty() && value.front() == '"') {
                value = Trimmed(value.substr(1, value.find('"', 1) - 1));
            }
            if (value.empty()) {
                continue;
            }
            form.charsetParameter = static_cast<int>(i);
            if (IsWord(value, "UTF-8") || IsWord(value, "UTF8")) {
                form.charset = Charset::Utf8;
            } else if (IsWord(value, "WINDOWS-1252") || IsWord(value, "CP1252") ||
                       IsWord(value, "CP-1252")) {
                form.charset = Charset::Windows1252;
            } else if (IsWord(value, "ISO-8859-1") || IsWord(value, "ISO8859-1") ||
                       IsWord(value, "LATIN1")) {
                form.charset = Charset::Latin1;
            } else {
                // Any other the converters know: SHIFT_JIS from Japanese phones, GB18030, KOI8-R.
                form.charset = Charset::Named;
                form.charsetName = value;
            }
        }
    }
    return form;
}

std::string_view ValueDecoder::Utf8(const Line& line) {
    return Utf8(line.value, FormOf(line));
}

std::string_view ValueDecoder::Utf8(std::string_view bytes, const ValueForm& form) {
    if (form.encoding == Encoding::QuotedPrintable) {
        decoded_.clear();
        AppendQuotedPrintableDecoded(decoded_, bytes);
        bytes = decoded_;
    }
    switch (form.charset) {
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
            if (DecodeToUtf8(bytes, form.charsetName, converted_)) {
                return converted_;
            }
            break;
        case Charset::Utf8:
        case Charset::Unstated:
            break;
    }
    if (IsAscii(bytes) || IsValidUtf8(bytes.data(), bytes.size())) {
        return bytes;
    }
    if (form.charset == Charset::Utf8) {
        DecodeToUtf8(bytes, "UTF-8", converted_);
    } else {
        converted_ = Windows1252ToUtf8(std::string(bytes));
    }
    return converted_;
}

void SetValueText(Card& card, size_t index, std::string_view utf8) {
    Line& line = card[index];
    const ValueForm form = FormOf(line);
    std::string bytes;
    if ((form.charset == Charset::Windows1252 || form.charset == Charset::Latin1 ||
         form.charset == Charset::Named) &&
        !EncodeInCharset(utf8, form, bytes)) {
        line.parameters[form.charsetParameter].value = "UTF-8";
        bytes.assign(utf8);
    } else if (form.charset == Charset::Unstated || form.charset == Charset::Utf8) {
        bytes.assign(utf8);
    }
    bool quotedPrintable = form.encoding == Encoding::QuotedPrintable;
    if (!quotedPrintable && utf8.find_first_of("\r\n") != std::string_view::npos) {
        line.parameters.push_back(Parameter{"ENCODING", "QUOTED-PRINTABLE", true});
        quotedPrintable = true;
    }
    line.value = card.Keep(quotedPrintable ? QuotedPrintable(bytes) : bytes);
}

}  // namespace transfer::vcard
