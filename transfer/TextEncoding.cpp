#include "TextEncoding.h"

#include <QChar>
#include <QCoreApplication>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>

#include "StoredText.h"

namespace transfer {

namespace {

const EncodingName kEncodings[] = {
    {"UTF-8", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Unicode")},
    {"Windows-1252", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Western European")},
    {"ISO-8859-1", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Western European")},
    {"ISO-8859-15", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Western European")},
    {"Shift_JIS", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Japanese")},
    {"EUC-JP", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Japanese")},
    {"ISO-2022-JP", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Japanese")},
    {"GB18030", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Chinese Simplified")},
    {"Big5", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Chinese Traditional")},
    {"EUC-KR", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Korean")},
    {"Windows-1250", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Central European")},
    {"ISO-8859-2", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Central European")},
    {"Windows-1251", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Cyrillic")},
    {"KOI8-R", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Cyrillic")},
    {"ISO-8859-5", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Cyrillic")},
    {"Windows-1253", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Greek")},
    {"ISO-8859-7", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Greek")},
    {"Windows-1254", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Turkish")},
    {"ISO-8859-9", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Turkish")},
    {"Windows-1257", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Baltic")},
    {"Windows-1255", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Hebrew")},
    {"Windows-1256", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Arabic")},
    {"Windows-874", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Thai")},
    {"Windows-1258", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Vietnamese")},
    {"macintosh", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Mac OS Roman")},
    {"IBM850", QT_TRANSLATE_NOOP("transfer::TextEncoding", "DOS Western European")},
    {"IBM437", QT_TRANSLATE_NOOP("transfer::TextEncoding", "DOS United States")},
    {"UTF-16LE", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Unicode")},
    {"UTF-16BE", QT_TRANSLATE_NOOP("transfer::TextEncoding", "Unicode")},
};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compare without regard to case, hyphens and underscores: "utf8", "Shift-JIS".
bool SameName(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (true) {
        while (i < a.size() && (a[i] == '-' || a[i] == '_')) {
            ++i;
        }
        while (j < b.size() && (b[j] == '-' || b[j] == '_')) {
            ++j;
        }
        if (i == a.size() || j == b.size()) {
            return i == a.size() && j == b.size();
        }
        if (Lower(a[i]) != Lower(b[j])) {
            return false;
        }
        ++i, ++j;
    }
}

enum class Own { None, Utf8, Windows1252, Latin1, Utf16LE, Utf16BE, Utf16 };

// The encodings read here without Qt's converters: faster, and Windows-1252 keeps the five bytes
// the code page leaves unassigned as the stored text does.
Own OwnEncoding(std::string_view name) {
    if (SameName(name, "UTF-8")) {
        return Own::Utf8;
    }
    if (SameName(name, "Windows-1252") || SameName(name, "CP1252")) {
        return Own::Windows1252;
    }
    if (SameName(name, "ISO-8859-1") || SameName(name, "ISO8859-1") || SameName(name, "Latin1")) {
        return Own::Latin1;
    }
    if (SameName(name, "UTF-16LE")) {
        return Own::Utf16LE;
    }
    if (SameName(name, "UTF-16BE")) {
        return Own::Utf16BE;
    }
    if (SameName(name, "UTF-16")) {
        return Own::Utf16;
    }
    return Own::None;
}

bool StartsWith(std::string_view bytes, const char* mark) {
    return bytes.size() >= std::strlen(mark) && bytes.compare(0, std::strlen(mark), mark) == 0;
}

// UTF-8 with each byte that is not part of a character read as Windows-1252.
void AppendRepairedUtf8(std::string& out, std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = p + text.size();
    const unsigned char* run = p;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const size_t length = Utf8CharLength(p, end);
        if (length != 0) {
            p += length;
            continue;
        }
        out.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
        out += Windows1252ToUtf8(std::string(1, static_cast<char>(*p)));
        run = ++p;
    }
    out.append(reinterpret_cast<const char*>(run), static_cast<size_t>(end - run));
}

QByteArrayView View(std::string_view bytes) {
    return QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool DecodeUtf16(std::string_view bytes, bool little, std::string& out) {
    QStringDecoder decoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    const QString text = decoder(View(bytes));
    const QByteArray utf8 = text.toUtf8();
    out.assign(utf8.constData(), static_cast<size_t>(utf8.size()));
    return true;
}

// ---- Guessing

char16_t Windows1252Char(unsigned char byte) {
    static const std::string kHigh = [] {
        std::string all;
        for (int b = 0x80; b <= 0xFF; ++b) {
            all += static_cast<char>(b);
        }
        return all;
    }();
    static const QString kDecoded = FromStoredText(Windows1252ToUtf8(kHigh));
    return byte < 0x80 ? char16_t(byte) : kDecoded.at(byte - 0x80).unicode();
}

bool IsAsciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// How many characters of a reading look like text of its language, and how many not.
struct Plausibility {
    int good = 0;
    int bad = 0;
    int kana = 0;
    int Score() const { return good - bad; }
};

// Windows-1252 text has its bytes above 127 as accented letters inside words, beside ASCII
// letters; its typographic quotes and dashes stand beside letters or blanks.
Plausibility Windows1252Plausibility(std::string_view bytes) {
    Plausibility p;
    const auto asciiLetterAt = [&bytes](size_t i) {
        return i < bytes.size() && IsAsciiLetter(static_cast<unsigned char>(bytes[i]));
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            continue;
        }
        const char16_t c = Windows1252Char(b);
        const bool besideLetter = (i > 0 && asciiLetterAt(i - 1)) || asciiLetterAt(i + 1);
        if (QChar(c).isLetter() && besideLetter) {
            ++p.good;
        } else if ((c == 0x2018 || c == 0x2019 || c == 0x201C || c == 0x201D || c == 0x2013 ||
                    c == 0x2014 || c == 0x2026 || c == 0x20AC) &&
                   (i == 0 || static_cast<unsigned char>(bytes[i - 1]) < 0x80)) {
            continue;
        } else {
            ++p.bad;
        }
    }
    return p;
}

// A reading as a row of units: ASCII letters and other ASCII, and characters that are likely in
// text of the language, neither, or not.
enum class Unit { Letter, Ascii, Likely, Neither, Unlikely };

// East Asian characters come in words of two and more; one alone between Latin letters is what
// a Western byte read as a lead byte gives.
Plausibility Judge(const std::vector<Unit>& units) {
    Plausibility p;
    const auto is = [&units](size_t i, Unit unit) { return i < units.size() && units[i] == unit; };
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i] == Unit::Unlikely) {
            ++p.bad;
        } else if (units[i] == Unit::Likely) {
            if ((i > 0 && is(i - 1, Unit::Likely)) || is(i + 1, Unit::Likely)) {
                ++p.good;
            } else if ((i > 0 && is(i - 1, Unit::Letter)) || is(i + 1, Unit::Letter)) {
                ++p.bad;
            }
        }
    }
    return p;
}

Unit AsciiUnit(char16_t c) {
    return c < 0x80 && IsAsciiLetter(static_cast<unsigned char>(c)) ? Unit::Letter : Unit::Ascii;
}

// Japanese read by Qt's converters: ideographs, kana and the full-width forms are likely;
// half-width katakana (Shift_JIS has them, and EUC-JP's bytes read as them) are neither.
Plausibility JapanesePlausibility(const QString& text) {
    std::vector<Unit> units;
    int kana = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            units.push_back(AsciiUnit(u));
        } else if (c.isLowSurrogate()) {
            continue;
        } else if ((u >= 0x3040 && u <= 0x30FF) || (u >= 0x31F0 && u <= 0x31FF)) {
            ++kana;
            units.push_back(Unit::Likely);
        } else if ((u >= 0x3000 && u <= 0x303F) || (u >= 0x3400 && u <= 0x4DBF) ||
                   (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF01 && u <= 0xFF60) ||
                   (u >= 0xFFE0 && u <= 0xFFE6)) {
            units.push_back(Unit::Likely);
        } else if (u >= 0xFF61 && u <= 0xFF9F) {
            units.push_back(Unit::Neither);
        } else {
            units.push_back(Unit::Unlikely);
        }
    }
    Plausibility p = Judge(units);
    p.kana = kana;
    return p;
}

// GB18030 reads nearly any pair of bytes, Japanese ones among them, as some character; Chinese
// text keeps to the common characters of GB2312 (both bytes from A1 on).
Plausibility ChinesePlausibility(std::string_view bytes) {
    std::vector<Unit> units;
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            units.push_back(AsciiUnit(b));
            ++i;
            continue;
        }
        const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (next >= 0x30 && next <= 0x39) {
            units.push_back(Unit::Unlikely);  // a four-byte form: rare in names and addresses
            i += 4;
        } else {
            units.push_back(b >= 0xA1 && b <= 0xF7 && next >= 0xA1 && next <= 0xFE
                                ? Unit::Likely
                                : Unit::Unlikely);
            i += 2;
        }
    }
    return Judge(units);
}

// The lines that hold bytes above 127, which alone tell one encoding from another, up to about
// 256 KB of them: a file whose first part is all ASCII is judged by the rest.
std::string TellingSample(std::string_view bytes) {
    constexpr size_t kLimit = 256 * 1024;
    std::string sample;
    size_t start = 0;
    while (start < bytes.size() && sample.size() < kLimit) {
        size_t end = bytes.find('\n', start);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view line = bytes.substr(start, end - start);
        for (const char c : line) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                sample.append(line);
                break;
            }
        }
        start = end;
    }
    return sample;
}

bool Decode(std::string_view bytes, const char* name, QString& text) {
    QStringDecoder decoder(name);
    if (!decoder.isValid()) {
        return false;
    }
    text = decoder(View(bytes));
    return !decoder.hasError();
}

}  // namespace

const std::vector<EncodingName>& KnownEncodings() {
    static const std::vector<EncodingName> known = [] {
        std::vector<EncodingName> list;
        for (const EncodingName& encoding : kEncodings) {
            if (OwnEncoding(encoding.name) != Own::None ||
                QStringDecoder(encoding.name).isValid()) {
                list.push_back(encoding);
            }
        }
        return list;
    }();
    return known;
}

std::string EncodingLabel(std::string_view name) {
    for (const EncodingName& encoding : KnownEncodings()) {
        if (SameName(name, encoding.name)) {
            return QCoreApplication::translate("transfer::TextEncoding", "%1 (%2)")
                .arg(QString::fromLatin1(encoding.name),
                     QCoreApplication::translate("transfer::TextEncoding", encoding.language))
                .toStdString();
        }
    }
    return std::string(name);
}

std::string_view SampleOf(std::string_view bytes, size_t limit) {
    if (bytes.size() <= limit) {
        return bytes;
    }
    const std::string_view head = bytes.substr(0, limit);
    size_t end = head.find_last_of("\r\n");
    return end == std::string_view::npos ? head : head.substr(0, end + 1);
}

bool LooksLikeUtf16(std::string_view bytes, bool& littleEndian) {
    const size_t pairs = std::min<size_t>(bytes.size(), 8192) / 2;
    if (pairs < 2) {
        return false;
    }
    size_t evenZeros = 0, oddZeros = 0;
    for (size_t i = 0; i < pairs; ++i) {
        evenZeros += bytes[2 * i] == '\0';
        oddZeros += bytes[2 * i + 1] == '\0';
    }
    // Text of Latin letters has a zero in nearly every pair, East Asian text still in its line
    // ends, blanks and separators; the other side of the pair is almost never zero.
    const auto strong = [pairs](size_t zeros) { return zeros * 5 >= pairs; };
    const auto none = [pairs](size_t zeros) { return zeros * 50 <= pairs; };
    if (strong(oddZeros) && none(evenZeros)) {
        littleEndian = true;
        return true;
    }
    if (strong(evenZeros) && none(oddZeros)) {
        littleEndian = false;
        return true;
    }
    return false;
}

DetectedEncoding DetectEncoding(std::string_view bytes) {
    DetectedEncoding detected;
    detected.certain = true;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        detected.name = "UTF-8";
        detected.markLength = 3;
        return detected;
    }
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        detected.name = bytes[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE";
        detected.markLength = 2;
        return detected;
    }
    bool little = false;
    if (LooksLikeUtf16(bytes, little)) {
        detected.name = little ? "UTF-16LE" : "UTF-16BE";
        return detected;
    }
    if (IsValidUtf8(bytes.data(), bytes.size())) {
        detected.name = "UTF-8";
        return detected;
    }
    detected.certain = false;
    detected.name = GuessLegacyEncoding(TellingSample(bytes));
    return detected;
}

std::string GuessLegacyEncoding(std::string_view bytes) {
    const int western = Windows1252Plausibility(bytes).Score();
    // A reading counts when its characters are mostly likely ones, and likelier than the
    // Windows-1252 reading's letters.
    const auto counts = [western](const Plausibility& p) {
        return p.good >= 2 && p.bad * 4 <= p.good && p.Score() > western;
    };
    QString text;
    const char* japanese = nullptr;
    Plausibility japaneseReading;
    for (const char* candidate : {"Shift_JIS", "EUC-JP"}) {
        if (!Decode(bytes, candidate, text)) {
            continue;
        }
        const Plausibility p = JapanesePlausibility(text);
        if (counts(p) && (japanese == nullptr || p.Score() > japaneseReading.Score())) {
            japanese = candidate;
            japaneseReading = p;
        }
    }
    Plausibility chinese;
    const bool chineseCounts =
        Decode(bytes, "GB18030", text) && counts(chinese = ChinesePlausibility(bytes));
    // The same bytes can read as Japanese and as Chinese: kana tell Japanese.
    if (japanese != nullptr &&
        (!chineseCounts ||
         (japaneseReading.kana > 0 && japaneseReading.Score() >= chinese.Score()) ||
         japaneseReading.Score() > chinese.Score())) {
        return japanese;
    }
    return chineseCounts ? "GB18030" : "Windows-1252";
}

bool ReadsWithoutFault(std::string_view bytes, std::string_view encoding) {
    switch (OwnEncoding(encoding)) {
        case Own::Utf8:
            return IsValidUtf8(bytes.data(), bytes.size());
        case Own::Windows1252:
        case Own::Latin1:
            return true;
        case Own::Utf16LE:
        case Own::Utf16BE:
        case Own::Utf16: {
            bool little = false;
            return bytes.size() % 2 == 0 &&
                   (LooksLikeUtf16(bytes, little) || StartsWith(bytes, "\xFF\xFE") ||
                    StartsWith(bytes, "\xFE\xFF"));
        }
        case Own::None:
            break;
    }
    QString text;
    return Decode(bytes, std::string(encoding).c_str(), text);
}

std::vector<std::string> EncodingsByLikelihood(std::string_view bytes, const std::string& first) {
    const std::string sample = TellingSample(bytes);
    std::vector<std::string> likely, rest;
    if (!first.empty()) {
        likely.push_back(first);
    }
    for (const EncodingName& encoding : KnownEncodings()) {
        if (SameName(encoding.name, first)) {
            continue;
        }
        (ReadsWithoutFault(sample, encoding.name) ? likely : rest).push_back(encoding.name);
    }
    likely.insert(likely.end(), rest.begin(), rest.end());
    return likely;
}

bool DecodeToUtf8(std::string_view bytes, std::string_view encoding, std::string& out) {
    switch (OwnEncoding(encoding)) {
        case Own::Utf8:
            if (StartsWith(bytes, "\xEF\xBB\xBF")) {
                bytes.remove_prefix(3);
            }
            out.clear();
            if (IsValidUtf8(bytes.data(), bytes.size())) {
                out.assign(bytes);
            } else {
                AppendRepairedUtf8(out, bytes);
            }
            return true;
        case Own::Windows1252:
            out = Windows1252ToUtf8(std::string(bytes));
            return true;
        case Own::Latin1:
            out = Latin1ToUtf8(std::string(bytes));
            return true;
        case Own::Utf16LE:
        case Own::Utf16BE:
        case Own::Utf16: {
            bool little = OwnEncoding(encoding) == Own::Utf16LE;
            if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
                little = bytes[0] == '\xFF';
                bytes.remove_prefix(2);
            } else if (OwnEncoding(encoding) == Own::Utf16) {
                LooksLikeUtf16(bytes, little);
            }
            return DecodeUtf16(bytes, little, out);
        }
        case Own::None:
            break;
    }
    QStringDecoder decoder(std::string(encoding).c_str());
    if (!decoder.isValid()) {
        return false;
    }
    const QString text = decoder(View(bytes));
    const QByteArray utf8 = text.toUtf8();
    out.assign(utf8.constData(), static_cast<size_t>(utf8.size()));
    return true;
}

}  // namespace transfer
