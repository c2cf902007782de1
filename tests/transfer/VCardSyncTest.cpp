#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "PersonRecord.h"
#include "StoredText.h"
#include "TransferCoreTestSupport.h"
#include "VCardLines.h"
#include "VCardMapping.h"
#include "VCardSync.h"
#include "VCardVersion.h"

// The card sent to a server for a person, and the fields of a card that came from one.
namespace {

using transfer::vcard::AppendCard;
using transfer::vcard::Card;
using transfer::vcard::CardFields;
using transfer::vcard::CardToSend;
using transfer::vcard::ReadCardFields;
using transfer::vcard::ReadCards;
using transfer_test::CrLfLines;
using P = PersonRecord;

// The card as the program writes it: folded, CR LF.
std::string Canonical(const std::string& text) {
    const std::vector<Card> cards = ReadCards(text);
    EXPECT_EQ(cards.size(), 1u);
    std::string out;
    if (!cards.empty()) {
        AppendCard(out, cards[0]);
    }
    return out;
}

using transfer_test::Difference;
using transfer_test::Show;

// The physical lines of before and after that differ, between their common start and end.
Difference Compare(const std::string& before, const std::string& after) {
    return transfer_test::Compare(CrLfLines(before), CrLfLines(after));
}

// Whether the lines are one content line and its folds.
bool OneLine(const std::vector<std::string>& lines) {
    if (lines.empty() || lines[0].empty() || lines[0][0] == ' ') {
        return false;
    }
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] != ' ') {
            return false;
        }
    }
    return true;
}

// A card of the kind phones and web mail keep: more than the fields hold.
std::string RichCard(const std::string& version) {
    const std::string photo =
        "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8U" +
        std::string(120, 'Q') + "HRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2w==";
    return "BEGIN:VCARD\r\nVERSION:" + version +
           "\r\n"
           "PRODID:-//Apple Inc.//Mac OS X 10.15//EN\r\n"
           "N:Lee;Ann;;Dr.;\r\n"
           "FN:Dr. Ann Lee\r\n"
           "NICKNAME:Annie\r\n"
           "ORG:Acme;Sales\r\n"
           "TITLE:Buyer\r\n"
           "item1.EMAIL;type=INTERNET;type=pref:ann@work.example\r\n"
           "item1.X-ABLabel:_$!<Work>!$_\r\n"
           "item2.EMAIL;type=INTERNET:ann@home.example\r\n"
           "item2.X-ABLabel:_$!<Home>!$_\r\n"
           "EMAIL;TYPE=INTERNET:third@example.org\r\n"
           "TEL;TYPE=HOME,VOICE:555-1\r\n"
           "TEL;TYPE=WORK,VOICE;TYPE=pref:555-2 x12\r\n"
           "TEL;TYPE=CELL:555-3\r\n"
           "item3.TEL:555-4\r\n"
           "item3.X-ABLabel:Boat\r\n"
           "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\n"
           "item4.URL:https://example.org\r\n"
           "item4.X-ABLabel:_$!<HomePage>!$_\r\n"
           "BDAY;VALUE=date:1980-03-21\r\n"
           "NOTE:Met at the fair\\, 2019.\\nLikes tea.\r\n"
           "CATEGORIES:Friends,Work\r\n"
           "PHOTO;ENCODING=b;TYPE=JPEG:" +
           photo +
           "\r\n"
           "X-SOCIALPROFILE;type=twitter:https://twitter.com/ann\r\n"
           "X-EVOLUTION-FILE-AS:Lee\\, Ann\r\n"
           "UID:1234-abcd\r\n"
           "REV:2024-01-01T00:00:00Z\r\n"
           "END:VCARD\r\n";
}

PersonRecord FieldsOf(const std::string& card) {
    CardFields fields;
    EXPECT_TRUE(ReadCardFields(card, fields));
    return fields.person;
}

// ---------------------------------------------------------------------------------------------
// New persons

TEST(VCardSync, ANewPersonIsANewCardOfTheVersionWithItsId) {
    PersonRecord person;
    person.id = "5F2A9C01-0B1C-4D2E-8F3A4B5C6D7E";
    person[P::FName] = "Zoë";
    person[P::LName] = "Núñez, Ortiz";
    person[P::Addr] = "1 Rue d'Été\r\nBât. B";
    person[P::WkPhone] = "555-2";
    person[P::WkExt] = "9";
    person[P::Email] = "zoe@example.org";
    for (bool four : {true, false}) {
        SCOPED_TRACE(four ? "4.0" : "3.0");
        const std::string card = CardToSend("", person, four);
        EXPECT_EQ(
            card.rfind(four ? "BEGIN:VCARD\r\nVERSION:4.0\r\n" : "BEGIN:VCARD\r\nVERSION:3.0\r\n",
                       0),
            0u);
        EXPECT_TRUE(IsValidUtf8(card.data(), card.size()));
        CardFields fields;
        ASSERT_TRUE(ReadCardFields(card, fields));
        EXPECT_EQ(fields.person.fields, person.fields);
        EXPECT_EQ(fields.uid, person.id);
        // A base that holds no card is none.
        EXPECT_EQ(CardToSend("not a card\r\n", person, four), card);
    }
}

// ---------------------------------------------------------------------------------------------
// Edited persons

TEST(VCardSync, AnEditChangesOnlyTheLineOfItsField) {
    for (const std::string version : {"3.0", "4.0"}) {
        const std::string base = Canonical(RichCard(version));
        const PersonRecord read = FieldsOf(base);
        ASSERT_EQ(read[P::Email], "ann@work.example");
        ASSERT_EQ(read[P::WkExt], "12");
        ASSERT_EQ(read[P::Addr], "1 Main St\r\nUSA");
        // Unchanged, the card goes back byte for byte.
        EXPECT_EQ(CardToSend(base, read, true), base);
        int edits = 0;
        for (const auto& [field, value, line] :
             std::vector<std::tuple<P::Field, std::string, std::string>>{
                 {P::LName, "Lee-Kim", "N:Lee-Kim;Ann;;Dr.;"},
                 {P::Title, "Prof.", "N:Lee;Ann;;Prof.;"},
                 {P::Company, "Acme, Ltd.", "ORG:Acme\\, Ltd.;Sales"},
                 {P::Position, "Head Buyer", "TITLE:Head Buyer"},
                 {P::City, "Shelbyville", "ADR;TYPE=WORK:;;1 Main St;Shelbyville;IL;62701;USA"},
                 {P::Zip, "62702", "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62702;USA"},
                 {P::HmPhone, "555-10", "TEL;TYPE=HOME,VOICE:555-10"},
                 {P::WkExt, "13", "TEL;TYPE=WORK,VOICE;TYPE=pref:555-2 x13"},
                 {P::CelPhone, "555-30", "TEL;TYPE=CELL:555-30"},
                 {P::Email, "ann@new.example",
                  "item1.EMAIL;type=INTERNET;type=pref:ann@new.example"},
                 {P::WebPage, "https://example.org/ann", "item4.URL:https://example.org/ann"}}) {
            SCOPED_TRACE(version + " " + P::ColumnName(field));
            PersonRecord person = read;
            person.id = "ignored-for-a-base";
            person[field] = value;
            const std::string sent = CardToSend(base, person, true);
            const Difference d = Compare(base, sent);
            EXPECT_TRUE(OneLine(d.before)) << Show(d);
            ASSERT_EQ(d.after, std::vector<std::string>{line}) << Show(d);
            EXPECT_EQ(FieldsOf(sent).fields, person.fields);
            CardFields fields;
            ReadCardFields(sent, fields);
            EXPECT_EQ(fields.uid, "1234-abcd");
            ++edits;
        }
        EXPECT_EQ(edits, 11);
    }
}

TEST(VCardSync, A21BaseGoesBackAs30WithEveryProperty) {
    const std::string base =
        "BEGIN:VCARD\r\n"
        "VERSION:2.1\r\n"
        "N;CHARSET=WINDOWS-1252:M\xFCller;J\xFCrgen\r\n"
        "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller\r\n"
        "TEL;WORK;VOICE;PREF:555-2\r\n"
        "TEL;CELL:555-3\r\n"
        "EMAIL;PREF;INTERNET:jm@example.org\r\n"
        "EMAIL;INTERNET:other@example.org\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:Line one, and=0D=0ALine tw=\r\n"
        "o\r\n"
        "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n"
        "    /9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8U\r\n"
        "    HRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2w==\r\n"
        "\r\n"
        "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;J\xC3\xBC;1;;;;;;;;;;;;;\r\n"
        "UID:21-card\r\n"
        "END:VCARD\r\n";
    const PersonRecord read = FieldsOf(base);
    ASSERT_EQ(read[P::LName], "Müller");
    PersonRecord person = read;
    person[P::Email] = "juergen@example.org";
    const std::string sent = CardToSend(base, person, true);
    EXPECT_EQ(sent,
              "BEGIN:VCARD\r\n"
              "VERSION:3.0\r\n"
              "N:Müller;Jürgen\r\n"
              "FN:Jürgen Müller\r\n"
              "TEL;TYPE=WORK,VOICE,PREF:555-2\r\n"
              "TEL;TYPE=CELL:555-3\r\n"
              "EMAIL;TYPE=PREF,INTERNET:juergen@example.org\r\n"
              "EMAIL;TYPE=INTERNET:other@example.org\r\n"
              "NOTE:Line one\\, and\\nLine two\r\n"
              "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJ\r\n"
              " CQgKDBQNDAsLDBkSEw8UHRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2w\r\n"
              " ==\r\n"
              "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Jü;1;;;;;;;;;;;;;\r\n"
              "UID:21-card\r\n"
              "END:VCARD\r\n");
    EXPECT_EQ(FieldsOf(sent).fields, person.fields);
    // Unchanged, it still goes back as 3.0: the server takes no quoted-printable.
    const std::string same = CardToSend(base, read, false);
    EXPECT_EQ(Compare(same, sent).after,
              std::vector<std::string>{"EMAIL;TYPE=PREF,INTERNET:juergen@example.org"});
    // A field that was empty gets a line in the form of 3.0.
    person[P::Pager] = "555-7";
    person[P::City] = "Köln";
    std::string more = CardToSend(base, person, false);
    for (const std::string line : {"TEL;TYPE=PAGER:555-7\r\n", "ADR:;;;Köln;;;\r\n"}) {
        const size_t at = more.find(line);
        ASSERT_NE(at, std::string::npos) << line << more;
        more.erase(at, line.size());
    }
    EXPECT_EQ(more, sent);
}

// A new value for the field, one that every version can hold.
std::string NewValue(P::Field field) {
    switch (field) {
        case P::Title:
            return "Prof.";
        case P::FName:
            return "Zoë";
        case P::LName:
            return "Neumann-Ü";
        case P::Company:
            return "Blue Tide, Ltd.; AB";
        case P::Addr:
            return "9 Harbour Rd\r\nFloor 3";
        case P::City:
            return "Göteborg";
        case P::Email:
            return "new.address@example.org";
        case P::WebPage:
            return "https://example.org/new";
        default:
            return "+46 31 123 45";
    }
}

TEST(VCardSync, EveryFilesCardGoesBackWithTheEditedLineOnly) {
    int edits = 0;
    for (const std::string& name : transfer_test::SampleCardFiles()) {
        const std::vector<Card> cards = ReadCards(
            transfer_test::FileBytes(std::string(TIDEMARK_TEST_DATA) + "/vcards/" + name));
        for (size_t index = 0; index < cards.size(); ++index) {
            std::string base;
            AppendCard(base, cards[index]);
            const PersonRecord read = FieldsOf(base);
            // A 2.1 card goes back as 3.0 in any case: the edit is the only other change.
            Card three = cards[index];
            const bool upgraded = transfer::vcard::ToVersion3(three);
            std::string unchanged;
            AppendCard(unchanged, three);
            EXPECT_EQ(CardToSend(base, read, true), unchanged);
            for (int f = 0; f < P::FieldCount; ++f) {
                const P::Field field = static_cast<P::Field>(f);
                if (read[field].empty() || (read[P::FName].empty() && read[P::LName].empty() &&
                                            read[P::Company].empty())) {
                    continue;
                }
                SCOPED_TRACE(name + " card " + std::to_string(index) + " " + P::ColumnName(field));
                PersonRecord person = read;
                person[field] = NewValue(field);
                const std::string sent = CardToSend(base, person, false);
                const Difference d = Compare(unchanged, sent);
                EXPECT_TRUE(OneLine(d.before)) << Show(d);
                EXPECT_TRUE(OneLine(d.after)) << Show(d);
                EXPECT_EQ(FieldsOf(sent).fields, person.fields);
                if (upgraded) {
                    EXPECT_EQ(sent.find("QUOTED-PRINTABLE"), std::string::npos);
                    EXPECT_EQ(sent.find("CHARSET"), std::string::npos);
                    EXPECT_TRUE(IsValidUtf8(sent.data(), sent.size()));
                }
                ++edits;
            }
        }
    }
    EXPECT_GT(edits, 100);
}

TEST(VCardSync, ABaseInUtf16GoesOutInUtf8) {
    const std::string utf8 =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Zo\xC3\xAB\r\nFN:Zo\xC3\xAB Berg\r\n"
        "EMAIL:z@example.org\r\nUID:u16\r\nEND:VCARD\r\n";
    // Little-endian with its mark: every character here is below U+0100.
    std::string utf16 = "\xFF\xFE";
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == 0xC3) {
            c = static_cast<unsigned char>(0xC0 | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        }
        utf16 += static_cast<char>(c);
        utf16 += '\0';
    }
    PersonRecord person = FieldsOf(utf16);
    ASSERT_EQ(person[P::FName], "Zo\xC3\xAB");
    person[P::Email] = "zoe@example.org";
    const std::string sent = CardToSend(utf16, person, false);
    const Difference d = Compare(utf8, sent);
    EXPECT_EQ(d.after, std::vector<std::string>{"EMAIL:zoe@example.org"}) << Show(d);
    EXPECT_EQ(d.before, std::vector<std::string>{"EMAIL:z@example.org"}) << Show(d);
}

// ---------------------------------------------------------------------------------------------
// Reading

TEST(VCardSync, ReadCardFieldsNeedsACardAndReadsTheFirst) {
    CardFields fields;
    EXPECT_FALSE(ReadCardFields("", fields));
    EXPECT_FALSE(ReadCardFields("N:Lee;Ann\r\nhello\r\n", fields));
    ASSERT_TRUE(
        ReadCardFields("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nUID:a\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bo Berg\r\nEND:VCARD\r\n",
                       fields));
    EXPECT_EQ(fields.person[P::FName], "Ann");
    EXPECT_EQ(fields.person[P::LName], "Lee");
    EXPECT_EQ(fields.uid, "a");
    // Fields read before are not left in it.
    ASSERT_TRUE(ReadCardFields("BEGIN:VCARD\nN:Berg;Bo\nEND:VCARD\n", fields));
    EXPECT_EQ(fields.person[P::LName], "Berg");
    EXPECT_EQ(fields.uid, "");
    EXPECT_EQ(fields.uidLine, -1);
}

}  // namespace

namespace {

using transfer::vcard::CardExtra;
using transfer::vcard::ReadCardExtras;

std::string Shown(const std::vector<CardExtra>& extras) {
    std::string out;
    for (const CardExtra& e : extras) {
        out += std::to_string(static_cast<int>(e.kind)) + "[" + e.types + "]" + e.value + "\n";
    }
    return out;
}

TEST(VCardExtras, WhatNoFieldIsReadFromIsListedInTheCardsOrder) {
    // The preferred e-mail and the typed numbers fill fields; the rest is more on the card.
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
        "EMAIL;TYPE=INTERNET,HOME:ann@home.example\r\n"
        "EMAIL;TYPE=INTERNET,WORK,PREF:ann@work.example\r\n"
        "TEL;TYPE=CELL:+47 111\r\nTEL;TYPE=CELL,VOICE:+47 222\r\nTEL;TYPE=HOME:+47 333\r\n"
        "BDAY:1980-04-12\r\nNICKNAME:Annie,Nan\r\nNOTE:Met at the harbour\\, 2019\\nBoat: "
        "Tern\r\nCATEGORIES:Sailing,Family\r\nX-CUSTOM:kept\r\nPHOTO;ENCODING=b:AAAA\r\n"
        "END:VCARD\r\n";
    EXPECT_EQ(Shown(ReadCardExtras(card)),
              "0[home]ann@home.example\n"
              "1[cell]+47 222\n"
              "2[]1980-04-12\n"
              "3[]Annie, Nan\n"
              "4[]Met at the harbour, 2019\r\nBoat: Tern\n"
              "5[]Sailing, Family\n");
}

TEST(VCardExtras, VersionsSchemesAndEmptyValuesAsAPersonReadsThem) {
    // 4.0: "tel:" and "mailto:" URIs; 2.1: bare type words and quoted-printable in Latin-1.
    EXPECT_EQ(Shown(ReadCardExtras("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bo\r\nN:;Bo;;;\r\n"
                                   "EMAIL:bo@a.example\r\nEMAIL;TYPE=work:mailto:bo@b.example\r\n"
                                   "TEL;VALUE=uri;TYPE=\"cell,text\":tel:+1-555-0100\r\n"
                                   "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0199\r\n"
                                   "NOTE:\r\nBDAY:--0412\r\nEND:VCARD\r\n")),
              "0[work]bo@b.example\n1[cell]+1-555-0199\n2[]--0412\n");
    EXPECT_EQ(Shown(ReadCardExtras("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ode;Cy\r\n"
                                   "TEL;HOME;VOICE:111\r\nTEL;HOME:222\r\n"
                                   "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-1:Caf=E9 "
                                   "at=0D=0Anoon\r\nEND:VCARD\r\n")),
              "1[home]222\n4[]Café at\r\nnoon\n");
    EXPECT_TRUE(ReadCardExtras("").empty());
    EXPECT_TRUE(ReadCardExtras("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Di\r\nEND:VCARD\r\n").empty());
}

}  // namespace
