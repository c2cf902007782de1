#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <vector>

#include <QList>
#include <QString>

#include "StoredText.h"

namespace {

TEST(StoredText, LineBreaksConvertAtTheEdge) {
    EXPECT_EQ(ToStoredLines("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(ToStoredLines("a\r\nb"), "a\r\nb");
    EXPECT_EQ(ToStoredLines("a\rb"), "a\r\nb");
    EXPECT_EQ(FromStoredLines("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(FromStoredLines("a\rb"), "a\rb");
    EXPECT_EQ(FromStoredLines(ToStoredLines("x\ny\n\nz")), "x\ny\n\nz");
}

}  // namespace

namespace {

TEST(StoredText, Utf8IsTakenOnlyWhenItIsValid) {
    EXPECT_TRUE(IsValidUtf8(std::string("plain ASCII")));
    EXPECT_TRUE(IsValidUtf8(std::string("M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80")));
    EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3)));
    EXPECT_FALSE(IsValidUtf8(std::string("M\xFCller")));         // Windows-1252
    EXPECT_FALSE(IsValidUtf8(std::string("\xC3")));              // cut short
    EXPECT_FALSE(IsValidUtf8(std::string("\xC0\xAF")));          // overlong
    EXPECT_FALSE(IsValidUtf8(std::string("\xE0\x80\xAF")));      // overlong
    EXPECT_FALSE(IsValidUtf8(std::string("\xED\xA0\x80")));      // a surrogate
    EXPECT_FALSE(IsValidUtf8(std::string("\xF4\x90\x80\x80")));  // beyond Unicode
    EXPECT_FALSE(IsValidUtf8(std::string("\x80 alone")));
}

TEST(StoredText, OtherTextReadsAsWindows1252) {
    EXPECT_EQ(FromStoredText("M\xC3\xBCller"), QStringLiteral("Müller"));
    EXPECT_EQ(FromStoredText("M\xFCller"), QStringLiteral("Müller"));
    EXPECT_EQ(FromStoredText("\x80 \x8A \x9F \x93quoted\x94"),
              QStringLiteral("€ Š Ÿ \u201Cquoted\u201D"));
    // The code page's unassigned bytes keep their Latin-1 meaning.
    EXPECT_EQ(FromStoredText("\x81\x8D\xFF"), QString::fromUtf16(u"\u0081\u008D\u00FF"));
    EXPECT_EQ(Windows1252ToUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Latin1ToUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xC2\x80");
    EXPECT_EQ(FromStoredText(std::string("a\0b", 3)).size(), 3);
}

TEST(StoredText, UnchangedFieldsKeepTheirBytes) {
    const std::string windows = "Gr\xFCn";
    EXPECT_EQ(ToStoredText(QStringLiteral("Grün"), windows), windows);
    EXPECT_EQ(ToStoredText(QStringLiteral("Grüner"), windows), "Gr\xC3\xBCner");
    EXPECT_EQ(ToStoredText(QStringLiteral("Grün")), "Gr\xC3\xBCn");
    EXPECT_EQ(ToStoredText(QStringLiteral(""), "x"), "");
    // Multi-line fields compare the lines as shown, and write CR LF when changed.
    const std::string address =
        "Stra\xDF"
        "e 1\r\nK\xF6ln";
    EXPECT_EQ(ToStoredLinesText(QStringLiteral("Straße 1\nKöln"), address), address);
    EXPECT_EQ(ToStoredLinesText(QStringLiteral("Straße 2\nKöln"), address),
              "Stra\xC3\x9F"
              "e 2\r\nK\xC3\xB6ln");
}

}  // namespace

TEST(StoredText, CodePointsOfEveryLengthAreWrittenAsUtf8AndMeasuredBack) {
    for (char32_t c : {U'A', U'\u00E9', U'\u20AC', U'\uFFFD', U'\U0001F600', U'\U0010FFFF'}) {
        std::string out;
        AppendUtf8(out, c);
        EXPECT_EQ(out, QString::fromUcs4(&c, 1).toStdString()) << static_cast<uint32_t>(c);
        const auto* p = reinterpret_cast<const unsigned char*>(out.data());
        EXPECT_EQ(Utf8CharLength(p, p + out.size()), out.size());
        // Cut short, the same bytes are no character.
        if (out.size() > 1) {
            EXPECT_EQ(Utf8CharLength(p, p + out.size() - 1), 0u);
        }
    }
}

namespace {

struct ReadChar {
    char32_t code;
    size_t length;
    bool valid;
    bool operator==(const ReadChar& other) const {
        return code == other.code && length == other.length && valid == other.valid;
    }
};

std::ostream& operator<<(std::ostream& out, const ReadChar& c) {
    return out << "{U+" << std::hex << static_cast<uint32_t>(c.code) << std::dec << ", " << c.length
               << (c.valid ? "" : ", not valid") << "}";
}

std::vector<ReadChar> Chars(std::string_view text) {
    std::vector<ReadChar> chars;
    for (const Utf8Char& c : Utf8Chars(text)) {
        chars.push_back({c.code, c.length, c.valid});
    }
    return chars;
}

TEST(StoredText, Utf8CharsReadsEachCharacterWithItsLength) {
    EXPECT_TRUE(Chars("").empty());
    EXPECT_EQ(Chars("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z"),
              (std::vector<ReadChar>{{U'A', 1, true},
                                     {U'\u00E9', 2, true},
                                     {U'\u20AC', 3, true},
                                     {U'\U0001F600', 4, true},
                                     {U'z', 1, true}}));
    // A NUL byte is a character like any other.
    EXPECT_EQ(Chars(std::string_view("a\0b", 3)),
              (std::vector<ReadChar>{{U'a', 1, true}, {0, 1, true}, {U'b', 1, true}}));
    // The first and last code points of each length.
    EXPECT_EQ(Chars("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"),
              (std::vector<ReadChar>{{0x7F, 1, true},
                                     {0x80, 2, true},
                                     {0x7FF, 2, true},
                                     {0x800, 3, true},
                                     {0xFFFF, 3, true},
                                     {0x10000, 4, true},
                                     {0x10FFFF, 4, true}}));
}

TEST(StoredText, Utf8CharsReadsABrokenByteAloneAndGoesOn) {
    // Windows-1252 text: each byte above 127 alone, the text around it read on.
    EXPECT_EQ(Chars("M\xFCller"), (std::vector<ReadChar>{{U'M', 1, true},
                                                         {0xFC, 1, false},
                                                         {U'l', 1, true},
                                                         {U'l', 1, true},
                                                         {U'e', 1, true},
                                                         {U'r', 1, true}}));
    // A lead byte cut short by the end or by a byte that does not continue it.
    EXPECT_EQ(Chars("\xE2\x82"), (std::vector<ReadChar>{{0xE2, 1, false}, {0x82, 1, false}}));
    EXPECT_EQ(Chars("\xC3(x"),
              (std::vector<ReadChar>{{0xC3, 1, false}, {U'(', 1, true}, {U'x', 1, true}}));
    // Overlong forms, a surrogate and a code point beyond Unicode are no characters.
    EXPECT_EQ(Chars("\xC1\xBF"), (std::vector<ReadChar>{{0xC1, 1, false}, {0xBF, 1, false}}));
    EXPECT_EQ(Chars("\xE0\x9F\xBF")[0], (ReadChar{0xE0, 1, false}));
    EXPECT_EQ(Chars("\xF0\x8F\xBF\xBF")[0], (ReadChar{0xF0, 1, false}));
    EXPECT_EQ(Chars("\xED\xA0\x80")[0], (ReadChar{0xED, 1, false}));
    EXPECT_EQ(Chars("\xF4\x90\x80\x80")[0], (ReadChar{0xF4, 1, false}));
    EXPECT_EQ(Chars("\xF5\x80\x80\x80")[0], (ReadChar{0xF5, 1, false}));
    EXPECT_EQ(Chars("\x80")[0], (ReadChar{0x80, 1, false}));
}

TEST(StoredText, Utf8CharsAgreesWithQtOnEveryCodePoint) {
    // Every code point written and read back; the lengths add up to the text's.
    std::string text;
    std::vector<char32_t> written;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        AppendUtf8(text, c);
        written.push_back(c);
    }
    std::vector<char32_t> read;
    size_t bytes = 0;
    for (const Utf8Char& c : Utf8Chars(text)) {
        ASSERT_TRUE(c.valid) << static_cast<uint32_t>(c.code);
        read.push_back(c.code);
        bytes += c.length;
    }
    EXPECT_EQ(read, written);
    EXPECT_EQ(bytes, text.size());
    const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QList<uint> qt = decoded.toUcs4();
    EXPECT_TRUE(std::equal(read.begin(), read.end(), qt.begin(), qt.end()));
}

TEST(StoredText, ReadUtf8TellsEachCharacterAndTheMeasureFollows) {
    const struct {
        const char* text;
        ReadChar expected;
    } cases[] = {{"a", {U'a', 1, true}},
                 {"\xC3\xA9", {0xE9, 2, true}},
                 {"\xE2\x82\xAC", {0x20AC, 3, true}},
                 {"\xF0\x9F\x98\x80", {0x1F600, 4, true}},
                 {"\xC3", {0xC3, 1, false}},
                 {"\xFF", {0xFF, 1, false}},
                 {"\xED\x9F\xBF", {0xD7FF, 3, true}},
                 {"\xED\xB0\x80", {0xED, 1, false}},
                 {"\xED\xBF\xBF", {0xED, 1, false}},
                 {"\xEE\x80\x80", {0xE000, 3, true}},
                 {"\xC0\x80", {0xC0, 1, false}}};
    for (const auto& c : cases) {
        const auto* p = reinterpret_cast<const unsigned char*>(c.text);
        const size_t length = std::strlen(c.text);
        const Utf8Char read = ReadUtf8(p, p + length);
        EXPECT_EQ((ReadChar{read.code, read.length, read.valid}), c.expected) << c.text;
        EXPECT_EQ(Utf8CharLength(p, p + length), c.expected.valid ? c.expected.length : 0u);
        EXPECT_EQ(IsValidUtf8(c.text, length), c.expected.valid) << c.text;
    }
}

}  // namespace
