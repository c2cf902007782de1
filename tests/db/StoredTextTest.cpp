#include <gtest/gtest.h>

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
