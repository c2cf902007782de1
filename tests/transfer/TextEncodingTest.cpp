#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TextEncoding.h"
#include "TextLines.h"

namespace {

using transfer::DecodeToUtf8;
using transfer::DetectEncoding;
using transfer::GuessLegacyEncoding;
using transfer::TextLines;

// The bytes below are written out by hand, each language's text in its own encoding.
// Shift_JIS: 山田 太郎 やまだ たろう 株式会社テスト 鈴木 花子
const std::string kYamadaSjis = "\x8E\x52\x93\x63";
const std::string kTaroSjis = "\x91\xBE\x98\x59";
const std::string kYamadaKanaSjis = "\x82\xE2\x82\xDC\x82\xBE";
const std::string kTaroKanaSjis = "\x82\xBD\x82\xEB\x82\xA4";
const std::string kCompanySjis = "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0\x83\x65\x83\x58\x83\x67";
const std::string kSuzukiSjis = "\x97\xE9\x96\xD8";
const std::string kHanakoSjis = "\x89\xD4\x8E\x71";
// EUC-JP: 山田 太郎 やまだ 東京都港区
const std::string kYamadaEuc = "\xBB\xB3\xC5\xC4";
const std::string kTaroEuc = "\xC2\xC0\xCF\xBA";
const std::string kYamadaKanaEuc = "\xA4\xE4\xA4\xDE\xA4\xC0";
const std::string kTokyoEuc = "\xC5\xEC\xB5\xFE\xC5\xD4\xB9\xC1\xB6\xE8";
// GB18030: 王 芳 北京市 李 娜 上海
const std::string kWangFangGb = "\xCD\xF5\xB7\xBC";
const std::string kBeijingGb = "\xB1\xB1\xBE\xA9\xCA\xD0";
const std::string kLiNaGb = "\xC0\xEE\xC4\xC8";
const std::string kShanghaiGb = "\xC9\xCF\xBA\xA3";

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

std::string Utf8(const std::string& bytes, const char* encoding) {
    std::string out;
    EXPECT_TRUE(DecodeToUtf8(bytes, encoding, out)) << encoding;
    return out;
}

TEST(TextLines, EveryKindOfLineEndInAnyMix) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\r\r\nb\r\r\r\nc", {"a", "b", "c"}},
        {"\r\r\r", {"", "", ""}},
        {"\n\nx", {"", "", "x"}},
        {"a\r\r\rb\n", {"a", "", "", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        TextLines lines(c.text);
        std::vector<std::string> got;
        std::string_view line;
        while (lines.Next(line)) {
            got.emplace_back(line);
        }
        EXPECT_EQ(got, c.lines);
        EXPECT_TRUE(lines.AtEnd());
    }
}

TEST(TextLines, ALongRunOfCarriageReturnsIsReadInOnePass) {
    // A file of CRs alone: each an empty line, none found again by searching the rest.
    const std::string text(200000, '\r');
    TextLines lines(text);
    std::string_view line;
    size_t count = 0;
    while (lines.Next(line)) {
        EXPECT_TRUE(line.empty());
        ++count;
    }
    EXPECT_EQ(count, text.size());
}

TEST(DetectEncoding, MarksZeroBytesAndValidUtf8AreCertain) {
    const auto detected = [](const std::string& bytes) {
        const transfer::DetectedEncoding d = DetectEncoding(bytes);
        return d.name + (d.certain ? "" : "?") + std::to_string(d.markLength);
    };
    EXPECT_EQ(detected("\xEF\xBB\xBFName"),
              "UTF-8"
              "3");
    EXPECT_EQ(detected("\xFF\xFEN\0a\0"),
              "UTF-16LE"
              "2");
    EXPECT_EQ(detected(std::string("\xFE\xFF\0N\0a", 6)),
              "UTF-16BE"
              "2");
    EXPECT_EQ(detected(std::string("N\0a\0m\0e\0,\0\x16\x4E\r\0\n\0", 16)),
              "UTF-16LE"
              "0");
    EXPECT_EQ(detected(std::string("\0N\0a\0m\0e\0,\x4E\x16\0\r\0\n", 16)),
              "UTF-16BE"
              "0");
    EXPECT_EQ(detected("Name,M\xC3\xBCller\n"),
              "UTF-8"
              "0");
    EXPECT_EQ(detected("plain ASCII"),
              "UTF-8"
              "0");
    EXPECT_EQ(detected(""),
              "UTF-8"
              "0");
    // A NUL byte here and there is text that holds one, not UTF-16.
    EXPECT_EQ(detected(std::string("Ann,Lee\0,Acme\nBob,Ray,Co\n", 25)),
              "UTF-8"
              "0");
    EXPECT_EQ(detected("M\xFCller"), "Windows-1252?0");
}

TEST(GuessLegacyEncoding, JapaneseChineseAndWesternText) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* encoding;
    };
    const Case cases[] = {
        {"Shift_JIS names with their kana",
         Lines({"Name,Reading,Company", kYamadaSjis + " " + kTaroSjis + "," + kYamadaKanaSjis +
                                            " " + kTaroKanaSjis + "," + kCompanySjis}),
         "Shift_JIS"},
        {"Shift_JIS names alone",
         Lines({"First,Last", kTaroSjis + "," + kYamadaSjis, kHanakoSjis + "," + kSuzukiSjis}),
         "Shift_JIS"},
        {"EUC-JP with kana",
         Lines({"First,Last,City",
                kTaroEuc + "," + kYamadaEuc + " " + kYamadaKanaEuc + "," + kTokyoEuc}),
         "EUC-JP"},
        {"GB18030 names and cities",
         Lines({"Name,City", kWangFangGb + "," + kBeijingGb, kLiNaGb + "," + kShanghaiGb}),
         "GB18030"},
        {"German",
         Lines({"Name,Stra\xDF"
                "e",
                "M\xFCller,Gr\xF6\xDF"
                "e Allee 5"}),
         "Windows-1252"},
        {"French and curly quotes",
         Lines({"\xC9ric Lef\xE8vre,Caf\xE9 \x93"
                "Chez L\xE9on\x94",
                "it\x92s,don\x92t,O\x92"
                "Brien"}),
         "Windows-1252"},
        {"curly quotes alone", Lines({"it\x92s,don\x92t,can\x92t,won\x92t"}), "Windows-1252"},
        {"a euro sign", Lines({"Price,\x80 5"}), "Windows-1252"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GuessLegacyEncoding(c.bytes), c.encoding) << c.what;
        // The whole detection comes to the same for bytes that are not UTF-8.
        EXPECT_EQ(DetectEncoding(c.bytes).name, c.encoding) << c.what;
        EXPECT_FALSE(DetectEncoding(c.bytes).certain) << c.what;
    }
}

TEST(GuessLegacyEncoding, AFileWhoseStartIsAsciiIsJudgedByItsOtherLines) {
    std::string bytes;
    for (int i = 0; i < 20000; ++i) {
        bytes += "Ann,Lee,1 Main Street\r\n";
    }
    bytes += kTaroSjis + "," + kYamadaSjis + "," + kCompanySjis + "\r\n";
    EXPECT_EQ(DetectEncoding(bytes).name, "Shift_JIS");
}

TEST(DecodeToUtf8, EachEncodingReadsAsUtf8) {
    EXPECT_EQ(Utf8(kYamadaSjis + kTaroSjis, "Shift_JIS"), "山田太郎");
    EXPECT_EQ(Utf8(kYamadaSjis + kTaroSjis, "SHIFT_JIS"), "山田太郎");
    EXPECT_EQ(Utf8(kYamadaEuc + kYamadaKanaEuc, "EUC-JP"), "山田やまだ");
    EXPECT_EQ(Utf8("\x1B\x24\x42\x3B\x33\x45\x44\x1B\x28\x42", "ISO-2022-JP"), "山田");
    EXPECT_EQ(Utf8(kBeijingGb, "GB18030"), "北京市");
    EXPECT_EQ(Utf8("\xE9\xD7\xC1\xCE\xCF\xD7", "KOI8-R"), "Иванов");
    EXPECT_EQ(Utf8("\xA3\xF3\x64\xBC", "ISO-8859-2"), "Łódź");
    EXPECT_EQ(Utf8("M\xFCller \x80", "Windows-1252"), "Müller €");
    EXPECT_EQ(Utf8("M\xFCller \x80", "windows-1252"), "Müller €");
    EXPECT_EQ(Utf8("\xA4", "ISO-8859-15"), "€");
    // UTF-8: a mark is skipped, and a stray byte reads as Windows-1252 without garbling the rest.
    EXPECT_EQ(Utf8("\xEF\xBB\xBF"
                   "a\xC3\xBC",
                   "UTF-8"),
              "aü");
    EXPECT_EQ(Utf8("M\xC3\xBC\xFCller", "UTF-8"), "Müüller");
    // UTF-16 with its mark or without.
    EXPECT_EQ(Utf8(std::string("\xFF\xFEN\0\xFC\0", 6), "UTF-16LE"), "Nü");
    EXPECT_EQ(Utf8(std::string("\0N\0\xFC", 4), "UTF-16BE"), "Nü");
    std::string out = "untouched";
    EXPECT_FALSE(DecodeToUtf8("x", "X-NO-SUCH-ENCODING", out));
    EXPECT_EQ(out, "untouched");
}

TEST(EncodingsByLikelihood, TheGuessFirstThenThoseThatReadTheBytes) {
    const std::string bytes = Lines({"First,Last", kTaroSjis + "," + kYamadaSjis});
    const std::vector<std::string> names = transfer::EncodingsByLikelihood(bytes, "Shift_JIS");
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "Shift_JIS");
    // Every known encoding once; UTF-8, which cannot read these bytes, after those that can.
    EXPECT_EQ(names.size(), transfer::KnownEncodings().size());
    const auto at = [&names](const char* name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    EXPECT_LT(at("Windows-1252"), at("UTF-8"));
    EXPECT_LT(static_cast<size_t>(at("GB18030")), names.size());
    EXPECT_EQ(transfer::EncodingLabel("Shift_JIS"), "Shift_JIS (Japanese)");
    EXPECT_EQ(transfer::EncodingLabel("windows-1252"), "Windows-1252 (Western European)");
}

}  // namespace
