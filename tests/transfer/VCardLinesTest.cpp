#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <vector>

#include "PersonRecord.h"
#include "StoredText.h"
#include "TransferCoreTestSupport.h"
#include "VCard.h"
#include "VCardLines.h"

// The content lines of cards: read as written, written back as read.
namespace {

using transfer::vcard::AppendCard;
using transfer::vcard::Card;
using transfer::vcard::Line;
using transfer::vcard::Parameter;
using transfer::vcard::ReadCards;
using transfer::vcard::WriteCards;
using transfer_test::CrLfLines;
using transfer_test::FileBytes;

const std::string kData = TIDEMARK_TEST_DATA;

// A line as one text that shows every part: group, name, each parameter, value, flags.
std::string Described(const Line& line) {
    std::string text = "[" + std::string(line.group) + "][" + std::string(line.name) + "]";
    for (const Parameter& parameter : line.parameters) {
        text += "[" + std::string(parameter.name) + (parameter.hasValue ? "=" : "") +
                std::string(parameter.value) + "]";
    }
    text += "[" + std::string(line.value) + "]";
    text += line.content ? "" : " no content";
    text += line.inAgent ? " in agent" : "";
    return text;
}

std::vector<std::string> Described(const Card& card) {
    std::vector<std::string> lines;
    for (const Line& line : card) {
        lines.push_back(Described(line));
    }
    return lines;
}

std::vector<std::vector<std::string>> Described(const std::vector<Card>& cards) {
    std::vector<std::vector<std::string>> described;
    for (const Card& card : cards) {
        described.push_back(Described(card));
    }
    return described;
}

Card One(const std::string& text) {
    std::vector<Card> cards = ReadCards(text);
    EXPECT_EQ(cards.size(), 1u) << text;
    return cards.empty() ? Card() : cards[0];
}

std::string Written(const Card& card) {
    std::string text;
    AppendCard(text, card);
    return text;
}

std::string Repeat(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// The pieces of a line

TEST(VCardLinePieces, GroupNameParametersAndValueAsWritten) {
    const Card card = One(
        "BEGIN:VCARD\r\nitem1.TEL;TYPE=CELL;X-A=\"a;b:c\";PREF;type = \"home,work\" :+1 555\r\n"
        "a.b.X-ABLabel:Other\r\nURL:http://example.com:80/a;b\r\nNOTE:\r\nN;;:\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 7u);
    EXPECT_EQ(Described(card[0]), "[][BEGIN][VCARD]");
    EXPECT_EQ(card[1].group, "item1");
    EXPECT_EQ(card[1].name, "TEL");
    ASSERT_EQ(card[1].parameters.size(), 4u);
    EXPECT_EQ(card[1].parameters[0], (Parameter{"TYPE", "CELL", true}));
    EXPECT_EQ(card[1].parameters[1], (Parameter{"X-A", "\"a;b:c\"", true}));
    EXPECT_EQ(card[1].parameters[2], (Parameter{"PREF", "", false}));
    // Blanks stay where they were written.
    EXPECT_EQ(card[1].parameters[3], (Parameter{"type ", " \"home,work\" ", true}));
    EXPECT_EQ(card[1].value, "+1 555");
    EXPECT_EQ(Described(card[2]), "[a.b][X-ABLabel][Other]");
    EXPECT_EQ(Described(card[3]), "[][URL][http://example.com:80/a;b]");
    EXPECT_EQ(Described(card[4]), "[][NOTE][]");
    EXPECT_EQ(Described(card[5]), "[][N][][][]");
    // The values of a parameter one by one, quotes and blanks off.
    transfer::vcard::ParameterValues values(card[1].parameters[3].value);
    std::vector<std::string> words;
    std::string_view word;
    while (values.Next(word)) {
        words.emplace_back(word);
    }
    EXPECT_EQ(words, (std::vector<std::string>{"home", "work"}));
}

TEST(VCardLinePieces, ALineThatStartsWithABlankContinuesAnEmptyOne) {
    // A fold onto an empty line leaves the rest of its blanks in front; so does an empty group.
    const Card card =
        One("BEGIN:VCARD\r\nN:Lee\r\n\r\n   x\r\n\r\n  NOTE:y\r\n. X:1\r\n.N:2\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 7u);
    EXPECT_EQ(Described(card[2]), "[][][  x] no content");
    EXPECT_EQ(Described(card[3]), "[][ NOTE][y]");
    EXPECT_EQ(Described(card[4]), "[][ X][1]");
    EXPECT_EQ(Described(card[5]), "[][N][2]");
    // Written as the continuation of an empty line, else it would go on the line before.
    EXPECT_EQ(CrLfLines(Written(card)),
              (std::vector<std::string>{"BEGIN:VCARD", "N:Lee", "", "   x", "", "  NOTE:y", "",
                                        "  X:1", "N:2", "END:VCARD"}));
    EXPECT_EQ(Described(One(Written(card))), Described(card));
}

TEST(VCardLinePieces, NamesCompareInEitherCaseAndCardsBeginAndEnd) {
    const Card card = One("begin : vcard \r\nItem2.Tel:1\r\nX-A:2\r\nEnd:vCard\r\n");
    ASSERT_EQ(card.size(), 4u);
    EXPECT_TRUE(transfer::vcard::IsCardBegin(card[0]));
    EXPECT_EQ(card[0].name, "begin ");
    EXPECT_TRUE(transfer::vcard::IsProperty(card[1], "TEL"));
    EXPECT_FALSE(transfer::vcard::IsProperty(card[2], "TEL"));
    EXPECT_EQ(transfer::vcard::PropertyName(card[0]), "begin");
    EXPECT_TRUE(transfer::vcard::IsCardEnd(card[3]));
}

TEST(VCardLinePieces, LinesWithoutAColonAreKeptAsText) {
    const Card card =
        One("BEGIN:VCARD\r\nVERSION:2.1\r\nPHOTO;ENCODING=BASE64:\r\n/9j/4AAQ\r\nAAAA==\r\n\r\n"
            "X-A;B=\"unclosed:\r\nN:Lee\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 9u);
    EXPECT_EQ(Described(card[3]), "[][][/9j/4AAQ] no content");
    EXPECT_EQ(Described(card[5]), "[][][] no content");
    EXPECT_EQ(Described(card[6]), "[][][X-A;B=\"unclosed:] no content");
    EXPECT_EQ(Described(card[7]), "[][N][Lee]");
    // And written back as they were.
    EXPECT_EQ(Written(card),
              "BEGIN:VCARD\r\nVERSION:2.1\r\nPHOTO;ENCODING=BASE64:\r\n/9j/4AAQ\r\nAAAA==\r\n\r\n"
              "X-A;B=\"unclosed:\r\nN:Lee\r\nEND:VCARD\r\n");
}

// ---------------------------------------------------------------------------------------------
// Folding

TEST(VCardLineFolding, FoldsJoinAlsoInsideACharacter) {
    // ü is C3 BC and € is E2 82 AC: split after their first and second byte.
    const Card card =
        One("BEGIN:VCARD\r\nN:M\xC3\r\n \xBC"
            "ller;Ann\r\nORG:5 \xE2\x82\r\n \xAC Shop\xE2\r\n \x82\r\n \xAC\r\n"
            "NOTE:a\r\n  b\r\n\tc\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 5u);
    EXPECT_EQ(card[1].value, "Müller;Ann");
    EXPECT_EQ(card[2].value, "5 € Shop€");
    // Only the first blank of a continuation goes.
    EXPECT_EQ(card[3].value, "a bc");
}

TEST(VCardLineFolding, LongLinesFoldAt75BytesNeverInsideACharacter) {
    for (const std::string character : {"a", "é", "€", "😀"}) {
        for (int offset = 0; offset < 4; ++offset) {
            const std::string value = std::string(offset, 'x') + Repeat(character, 90);
            const std::string text = "BEGIN:VCARD\r\nNOTE;X-P=\"q;r\":" + value +
                                     "\r\nitem1.X-B:" + value + value + "\r\nEND:VCARD\r\n";
            const Card card = One(text);
            const std::string written = Written(card);
            const std::vector<std::string> lines = CrLfLines(written);
            for (size_t i = 0; i < lines.size(); ++i) {
                EXPECT_LE(lines[i].size(), 75u) << lines[i];
                EXPECT_TRUE(IsValidUtf8(lines[i])) << lines[i];
            }
            // 75 bytes to a line where no character is in the way.
            if (character == "a") {
                ASSERT_EQ(lines.size(), 7u);
                EXPECT_EQ(lines[1].size(), 75u);
                EXPECT_EQ(lines[3].size(), 75u);
                EXPECT_EQ(lines[4].size(), 75u);
                EXPECT_EQ(lines[4][0], ' ');
            }
            const Card again = One(written);
            EXPECT_EQ(Described(again), Described(card)) << written;
            EXPECT_EQ(again[1].value, value);
        }
    }
    // A line of 75 bytes stays whole; one of 76 folds its last byte.
    const Card card = One("BEGIN:VCARD\r\nNOTE:" + std::string(70, 'n') +
                          "\r\nNOTE:" + std::string(71, 'm') + "\r\nEND:VCARD\r\n");
    EXPECT_EQ(CrLfLines(Written(card)),
              (std::vector<std::string>{"BEGIN:VCARD", "NOTE:" + std::string(70, 'n'),
                                        "NOTE:" + std::string(70, 'm'), " m", "END:VCARD"}));
}

TEST(VCardLineFolding, QuotedPrintableSoftBreaks) {
    // Read: the next line goes on the value whatever it starts with, but for the card's end.
    const Card card =
        One("BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:Now's =\r\n the time=\r\n"
            "=0D=0Afor =C3=\r\n=BC\r\nN;QUOTED-PRINTABLE:Lee=\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 5u);
    EXPECT_EQ(card[2].value, "Now's  the time=0D=0Afor =C3=BC");
    EXPECT_EQ(card[3].value, "Lee=");
    transfer::vcard::ValueDecoder decoder;
    EXPECT_EQ(decoder.Utf8(card[2]), "Now's  the time\r\nfor ü");
    EXPECT_EQ(decoder.Utf8(card[3]), "Lee");

    // Written: a long value breaks with "=" at the end of each line, never inside an "=XX".
    const Card encoded =
        One("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-"
            "PRINTABLE:" +
            Repeat("=C3=91 ", 30) + "a\r\nEND:VCARD\r\n");
    const std::string written = Written(encoded);
    const std::vector<std::string> lines = CrLfLines(written);
    ASSERT_GT(lines.size(), 5u) << written;
    for (size_t i = 2; i + 2 < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 75u) << lines[i];
        EXPECT_EQ(lines[i].back(), '=') << lines[i];
        EXPECT_NE(lines[i + 1][0], ' ') << lines[i + 1];
        const size_t last = lines[i].rfind('=', lines[i].size() - 2);
        EXPECT_TRUE(last == std::string::npos || last + 3 <= lines[i].size() - 1) << lines[i];
    }
    EXPECT_EQ(Described(One(written)), Described(encoded)) << written;
    // Nor before a line that reads as the card's end, which the reader takes for no value's.
    // The head is 28 bytes: 120 more are two lines of 74 and an "=", the rest a line of its own.
    const Card ending = One("BEGIN:VCARD\r\nN;ENCODING=QUOTED-PRINTABLE:" + std::string(120, 'a') +
                            "END:VCARD\r\nEND:VCARD\r\n");
    const std::string endingWritten = Written(ending);
    const std::vector<std::string> endingLines = CrLfLines(endingWritten);
    ASSERT_EQ(endingLines.size(), 5u) << endingWritten;
    EXPECT_EQ(endingLines[3], "aEND:VCARD");
    EXPECT_EQ(Described(One(endingWritten)), Described(ending)) << endingWritten;
}

TEST(VCardLineFolding, ASoftBreakAtTheValuesEndGoesWhereALineWouldFollow) {
    Card card = One("BEGIN:VCARD\r\nVERSION:2.1\r\nN;QUOTED-PRINTABLE:Lee=\r\nEND:VCARD\r\n");
    EXPECT_EQ(Written(card),
              "BEGIN:VCARD\r\nVERSION:2.1\r\nN;QUOTED-PRINTABLE:Lee=\r\nEND:VCARD\r\n");
    // Before another line it would take that line.
    transfer::vcard::ParseLine("ORG:Acme", card.Insert(3));
    const Card again = One(Written(card));
    ASSERT_EQ(again.size(), 5u) << Written(card);
    EXPECT_EQ(again[2].value, "Lee");
    EXPECT_EQ(again[3].value, "Acme");
}

// ---------------------------------------------------------------------------------------------
// Line ends, encodings, cards

TEST(VCardLineEnds, EveryKindOfLineEndGivesTheSameLines) {
    const std::vector<std::string> lines = {"BEGIN:VCARD",
                                            "VERSION:3.0",
                                            "N:Lee;A",
                                            " nn",
                                            "item1.TEL;TYPE=CELL:1",
                                            "",
                                            "X-Q;QUOTED-PRINTABLE:a=",
                                            "b",
                                            "END:VCARD"};
    const auto joined = [&](const std::vector<std::string>& ends) {
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) {
            text += lines[i] + ends[i % ends.size()];
        }
        return text;
    };
    const std::vector<std::vector<std::string>> expected = Described(ReadCards(joined({"\r\n"})));
    ASSERT_EQ(expected.size(), 1u);
    ASSERT_EQ(expected[0].size(), 7u);
    EXPECT_EQ(expected[0][2], "[][N][Lee;Ann]");
    EXPECT_EQ(expected[0][5], "[][X-Q][QUOTED-PRINTABLE][ab]");
    for (const std::vector<std::string>& ends :
         {std::vector<std::string>{"\n"}, {"\r"}, {"\r\r\n"}, {"\n", "\r\n", "\r", "\r\r\n"}}) {
        EXPECT_EQ(Described(ReadCards(joined(ends))), expected) << testing::PrintToString(ends);
    }
}

TEST(VCardLineEnds, Utf16AndMarksGiveTheSameLines) {
    // Long enough for the zero bytes of UTF-16 without a mark to tell it.
    const std::string text =
        "BEGIN:VCARD\r\nN:Müller;Zoë\r\nORG:日本 😀\r\nNOTE:mostly ASCII, as cards are\r\n"
        "END:VCARD\r\n";
    const std::vector<std::vector<std::string>> expected = Described(ReadCards(text));
    ASSERT_EQ(expected.size(), 1u);
    const std::u16string wide = QString::fromStdString(text).toStdU16String();
    std::string little, big;
    for (char16_t c : wide) {
        little += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        big += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    const std::vector<std::string> forms = {"\xEF\xBB\xBF" + text, little, big, "\xFF\xFE" + little,
                                            "\xFE\xFF" + big};
    for (size_t i = 0; i < forms.size(); ++i) {
        EXPECT_EQ(Described(ReadCards(forms[i])), expected) << i;
    }
}

TEST(VCardLineCards, CardsTheirEndsAndTheTextAroundThem) {
    transfer::vcard::CardReader reader(
        "From: someone\r\n\r\nBEGIN:VCARD\r\nN:Lee\r\nBEGIN:VCARD\r\nN:Ray\r\nEND:VCARD\r\n"
        "-- between --\r\nN:Stray\r\nBEGIN:VCARD\r\nN:Cy");
    Card card;
    std::vector<std::vector<std::string>> cards;
    while (reader.Next(card)) {
        cards.push_back(Described(card));
    }
    EXPECT_TRUE(reader.SawCard());
    EXPECT_EQ(cards, (std::vector<std::vector<std::string>>{
                         {"[][BEGIN][VCARD]", "[][N][Lee]"},
                         {"[][BEGIN][VCARD]", "[][N][Ray]", "[][END][VCARD]"},
                         {"[][BEGIN][VCARD]", "[][N][Cy]"}}));
    transfer::vcard::CardReader none("N:Lee\r\nEND:VCARD\r\n");
    EXPECT_FALSE(none.Next(card));
    EXPECT_FALSE(none.SawCard());
}

TEST(VCardLineCards, AnAgentsCardStaysInTheCardItStandsIn) {
    const std::vector<Card> cards = ReadCards(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee\r\nAGENT:\r\nBEGIN:VCARD\r\nN:Friday\r\n"
        "\r\nEND:VCARD\r\nTEL;CELL:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:Ray\r\nEND:VCARD\r\n");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(
        Described(cards[0]),
        (std::vector<std::string>{
            "[][BEGIN][VCARD]", "[][VERSION][2.1]", "[][N][Lee]", "[][AGENT][]",
            "[][BEGIN][VCARD] in agent", "[][N][Friday] in agent", "[][][] no content in agent",
            "[][END][VCARD] in agent", "[][TEL][CELL][1]", "[][END][VCARD]"}));
    EXPECT_EQ(Described(ReadCards(WriteCards(cards))), Described(cards));
}

TEST(VCardLineCards, AnUnchangedCardIsWrittenByteForByte) {
    const std::string text =
        "begin:vcard\r\nVERSION:3.0\r\nitem1.TEL;type=CELL;X-SERVICE=\"a;b:c\";PREF:+1 555\r\n"
        "item1.X-ABLabel:_$!<Mobile>!$_\r\nX-UNKNOWN;Z=1;A=2;M:three\\, four\r\n"
        "N : Lee ; Ann ;;;\r\nNOTE:\r\nADR;TYPE=home;TYPE=pref:;;1 Main St;Town;;;\r\n"
        "End:VCard\r\n";
    const Card card = One(text);
    EXPECT_EQ(card.size(), 9u);
    EXPECT_EQ(Written(card), text);
}

TEST(VCardLineCards, TheExportsCardsAreWrittenBackByteForByte) {
    PersonRecord person;
    person.id = "0123ABCD-4567-89EF-0123-456789ABCDEF";
    person[PersonRecord::LName] = Repeat("Müller-", 15);
    person[PersonRecord::FName] = "Zoë";
    person[PersonRecord::Company] = "A;B, C\\";
    person[PersonRecord::Addr] = Repeat("12 Rue de l'Église\r\n", 6);
    person[PersonRecord::City] = "Zürich";
    person[PersonRecord::WkPhone] = "555";
    person[PersonRecord::WkExt] = "12";
    person[PersonRecord::Email] = Repeat("😀", 30) + "@example.com";
    std::string text;
    transfer::AppendVCard(text, person);
    person[PersonRecord::LName] = "Lee";
    transfer::AppendVCard(text, person);
    ASSERT_GT(CrLfLines(text).size(), 25u);
    EXPECT_EQ(WriteCards(ReadCards(text)), text);
}

TEST(VCardLineCards, ACopyHoldsItsOwnTextAndEditsKeepTheirs) {
    std::string text = "BEGIN:VCARD\r\nitem1.TEL;TYPE=CELL:1\r\nN:Le\r\n e\r\nEND:VCARD\r\n";
    std::vector<Card> cards;
    {
        transfer::vcard::CardReader reader(text);
        Card card;
        ASSERT_TRUE(reader.Next(card));
        cards.push_back(card);
    }
    const std::vector<std::string> expected = {"[][BEGIN][VCARD]", "[item1][TEL][TYPE=CELL][1]",
                                               "[][N][Lee]", "[][END][VCARD]"};
    text.assign(text.size(), '#');
    EXPECT_EQ(Described(cards[0]), expected);
    // Lines added and taken away; the texts they are given kept by the card.
    Card card = cards[0];
    {
        const std::string added = "X-A;B=c:d";
        transfer::vcard::ParseLine(card.Keep(added), card.Insert(1));
    }
    card.Erase(3);
    Card moved = std::move(card);
    EXPECT_EQ(Described(moved),
              (std::vector<std::string>{"[][BEGIN][VCARD]", "[][X-A][B=c][d]",
                                        "[item1][TEL][TYPE=CELL][1]", "[][END][VCARD]"}));
    EXPECT_TRUE(card.empty());
}

// ---------------------------------------------------------------------------------------------
// Values

TEST(VCardLineValues, DecodedByTheirCharsetAndEncoding) {
    const Card card =
        One("BEGIN:VCARD\r\nVERSION:2.1\r\n"
            "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=52=93=63;=91=BE=98=59\r\n"
            "ORG;CHARSET=\"ISO-8859-2\":\xA3\xF3\x64\xBC\r\nTITLE;CHARSET=ISO-8859-1:Andr\xE9\r\n"
            "NOTE:J\xF6rg \x80\r\nURL:J\xC3\xB6rg\r\nX-A;CHARSET=UTF-8:=C3=91\r\nEND:VCARD\r\n");
    transfer::vcard::ValueDecoder decoder;
    EXPECT_EQ(decoder.Utf8(card[2]), "山田;太郎");
    EXPECT_EQ(decoder.Utf8(card[3]), "Łódź");
    EXPECT_EQ(decoder.Utf8(card[4]), "André");
    EXPECT_EQ(decoder.Utf8(card[5]), "Jörg €");
    EXPECT_EQ(decoder.Utf8(card[6]), "Jörg");
    // Quoted-printable only where the line says so.
    EXPECT_EQ(decoder.Utf8(card[7]), "=C3=91");
}

TEST(VCardLineValues, NewValuesKeepTheLinesForm) {
    Card card =
        One("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=52\r\n"
            "ORG;CHARSET=ISO-8859-1:Caf\xE9\r\nTITLE;CHARSET=\"windows-1252\":x\r\nNOTE:plain\r\n"
            "X-A:b\r\nEND:VCARD\r\n");
    transfer::vcard::SetValueText(card, 2, "鈴木;花子");
    transfer::vcard::SetValueText(card, 3, "Café €");
    transfer::vcard::SetValueText(card, 4, "€ “Bar”");
    transfer::vcard::SetValueText(card, 5, "two\r\nlines = ü");
    transfer::vcard::SetValueText(card, 6, "Zoë");
    EXPECT_EQ(CrLfLines(Written(card)),
              (std::vector<std::string>{
                  "BEGIN:VCARD", "VERSION:2.1",
                  // Shift_JIS holds them, quoted-printable as before.
                  "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=97=E9=96=D8;=89=D4=8Eq",
                  // Latin-1 has no euro sign: the line becomes UTF-8.
                  "ORG;CHARSET=UTF-8:Caf\xC3\xA9 \xE2\x82\xAC",
                  "TITLE;CHARSET=\"windows-1252\":\x80 \x93"
                  "Bar\x94",
                  // A line break only quoted-printable can write.
                  "NOTE;ENCODING=QUOTED-PRINTABLE:two=0D=0Alines =3D =C3=BC", "X-A:Zo\xC3\xAB",
                  "END:VCARD"}));
    transfer::vcard::ValueDecoder decoder;
    const Card again = One(Written(card));
    EXPECT_EQ(decoder.Utf8(again[2]), "鈴木;花子");
    EXPECT_EQ(decoder.Utf8(again[3]), "Café €");
    EXPECT_EQ(decoder.Utf8(again[4]), "€ “Bar”");
    EXPECT_EQ(decoder.Utf8(again[5]), "two\r\nlines = ü");
}

// ---------------------------------------------------------------------------------------------
// Files other programs wrote

TEST(VCardLineFiles, EveryCardReadWrittenAndReadAgainHasTheSameLines) {
    for (const std::string& name : transfer_test::SampleCardFiles()) {
        SCOPED_TRACE(name);
        const std::string bytes = FileBytes(kData + "/vcards/" + name);
        ASSERT_NE(bytes, "<missing>");
        const std::vector<Card> cards = ReadCards(bytes);
        ASSERT_FALSE(cards.empty());
        const std::string written = WriteCards(cards);
        const std::vector<Card> again = ReadCards(written);
        EXPECT_EQ(Described(again), Described(cards));
        // Written again: the same bytes; every line CR LF and at most 75 bytes.
        EXPECT_EQ(WriteCards(again), written);
        for (const std::string& line : CrLfLines(written)) {
            EXPECT_LE(line.size(), 75u) << line;
        }
        // And the same persons.
        const transfer::VCardReadResult before = transfer::ReadVCards(bytes);
        const transfer::VCardReadResult after = transfer::ReadVCards(written);
        EXPECT_EQ(after.nameless, before.nameless);
        ASSERT_EQ(after.persons.size(), before.persons.size());
        for (size_t i = 0; i < before.persons.size(); ++i) {
            EXPECT_EQ(after.persons[i].person.fields, before.persons[i].person.fields);
            EXPECT_EQ(after.persons[i].uid, before.persons[i].uid);
        }
    }
}

TEST(VCardLineFiles, NoLineIsLeftOut) {
    // Gmail's file has no folds and no line over 75 bytes: written back byte for byte.
    const std::string gmail = FileBytes(kData + "/vcards/ezvcard-gmail30-2.vcf");
    EXPECT_EQ(WriteCards(ReadCards(gmail)), gmail);
    // Android's: every property and picture line, soft breaks and blank lines included.
    const std::vector<Card> android =
        ReadCards(FileBytes(kData + "/vcards/ezvcard-android21-1.vcf"));
    ASSERT_EQ(android.size(), 6u);
    EXPECT_EQ(Described(android[0]),
              (std::vector<std::string>{"[][BEGIN][VCARD]", "[][VERSION][2.1]",
                                        "[][EMAIL][PREF][john.doe@company.com]",
                                        "[][CATEGORIES][My Contacts]", "[][END][VCARD]"}));
    EXPECT_EQ(android[4].size(), 16u);
    EXPECT_EQ(Described(android[4][14]), "[][][] no content");
    EXPECT_EQ(Described(android[5][6]),
              "[][ORG][CHARSET=UTF-8][ENCODING=QUOTED-PRINTABLE][" + Repeat("=C3=91", 44) + "]");
}

}  // namespace
