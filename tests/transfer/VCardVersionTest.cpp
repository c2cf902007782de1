#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PersonRecord.h"
#include "StoredText.h"
#include "TransferCoreTestSupport.h"
#include "VCardLines.h"
#include "VCardMapping.h"
#include "VCardMappingInternal.h"
#include "VCardVersion.h"

// New cards in 3.0 and 4.0, and 2.1 cards turned into 3.0.
namespace {

using transfer::vcard::AppendCard;
using transfer::vcard::AppendNewCard;
using transfer::vcard::Card;
using transfer::vcard::CardFields;
using transfer::vcard::Line;
using transfer::vcard::ReadCards;
using transfer::vcard::ReadFields;
using transfer::vcard::ToVersion3;
using transfer::vcard::Version;
using transfer_test::CrLfLines;
using transfer_test::FileBytes;
using P = PersonRecord;

const std::string kData = TIDEMARK_TEST_DATA;

std::string NewCard(const PersonRecord& person, Version version) {
    std::string_view fields[P::FieldCount];
    for (int i = 0; i < P::FieldCount; ++i) {
        fields[i] = person.fields[static_cast<size_t>(i)];
    }
    std::string out;
    AppendNewCard(out, person.id, fields, version);
    return out;
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

// The unfolded lines of a card, as ReadCards gives them, in the form the file has them.
std::vector<std::string> Unfolded(const Card& card) {
    std::vector<std::string> lines;
    for (const Line& line : One(Written(card))) {
        std::string text = line.group.empty() ? "" : std::string(line.group) + ".";
        text += line.name;
        for (const auto& parameter : line.parameters) {
            text += ";" + std::string(parameter.name) + (parameter.hasValue ? "=" : "") +
                    std::string(parameter.value);
        }
        lines.push_back(line.content ? text + ":" + std::string(line.value)
                                     : "(no content) " + std::string(line.value));
    }
    return lines;
}

// A 2.1 card of the lines given, turned into 3.0: its lines between VERSION and END.
std::vector<std::string> Body3(const std::vector<std::string>& lines) {
    std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    Card card = One(text + "END:VCARD\r\n");
    EXPECT_TRUE(ToVersion3(card));
    const std::vector<std::string> all = Unfolded(card);
    EXPECT_GE(all.size(), 3u);
    EXPECT_EQ(all[1], "VERSION:3.0");
    return std::vector<std::string>(all.begin() + 2, all.end() - 1);
}

// Persons whose fields hold what needs escaping or another form in a card.
std::vector<PersonRecord> VariedPersons() {
    std::vector<PersonRecord> persons;
    PersonRecord full;
    full.id = "0A1B2C3D-1111-2222-333333333333";
    full.fields = {"Dr.",
                   "Zoë",
                   "Núñez; Ortiz",
                   "Acme, Inc.",
                   "Head\\Sales",
                   "1 Rue d'Été\r\nBât. B\r\nBP 12",
                   "Genève",
                   "GE",
                   "1201",
                   "+41 22 555 01",
                   "555-1234",
                   "12",
                   "+41 79 555",
                   "555 99 x4",
                   "555-9999",
                   "zoe@example.org",
                   "https://example.org/a,b;c"};
    persons.push_back(full);
    PersonRecord company;
    company.id = "0A1B2C3D-1111-2222-444444444444";
    company[P::Company] = "Ünited Tide; Ltd.";
    company[P::Email] = "office@tide.example";
    persons.push_back(company);
    PersonRecord sparse;
    sparse.id = "0A1B2C3D-1111-2222-555555555555";
    sparse[P::LName] = "Back\\slash,";
    sparse[P::WkExt] = "7";
    sparse[P::Zip] = "00100";
    persons.push_back(sparse);
    PersonRecord names;
    names.id = "0A1B2C3D-1111-2222-666666666666";
    names[P::FName] = "Мария";
    names[P::LName] = "O'Neil";
    names[P::City] = "São Paulo, SP";
    names[P::Addr] = "Line one\r\n\r\nLine three";
    persons.push_back(names);
    return persons;
}

// ---------------------------------------------------------------------------------------------
// New cards

TEST(VCardNewCard, FourZeroIsWrittenAsItsVersionWantsIt) {
    PersonRecord person;
    person.id = "ID-1";
    person[P::Title] = "Dr.";
    person[P::FName] = "Ann";
    person[P::LName] = "Lee, Jr.";
    person[P::Company] = "Acme";
    person[P::Addr] = "1 Main St\r\nSuite 2";
    person[P::City] = "Åre";
    person[P::HmPhone] = "555-1";
    person[P::WkPhone] = "555-2";
    person[P::WkExt] = "12";
    person[P::CelPhone] = "555-3";
    person[P::Pager] = "555-4";
    person[P::WkFax] = "555-5";
    person[P::Email] = "ann@example.org";
    person[P::WebPage] = "https://example.org";
    EXPECT_EQ(NewCard(person, Version::V40),
              "BEGIN:VCARD\r\nVERSION:4.0\r\n"
              "N:Lee\\, Jr.;Ann;;Dr.;\r\n"
              "FN:Dr. Ann Lee\\, Jr.\r\n"
              "ORG:Acme\r\n"
              "ADR:;;1 Main St\\nSuite 2;Åre;;;\r\n"
              "TEL;TYPE=home,voice:555-1\r\n"
              "TEL;TYPE=work,voice:555-2 x12\r\n"
              "TEL;TYPE=cell:555-3\r\n"
              "TEL;TYPE=pager:555-4\r\n"
              "TEL;TYPE=work,fax:555-5\r\n"
              "EMAIL:ann@example.org\r\n"
              "URL:https://example.org\r\n"
              "UID:ID-1\r\n"
              "END:VCARD\r\n");
    // The 3.0 card is the export's, its types in capitals.
    const std::string three = NewCard(person, Version::V30);
    EXPECT_NE(three.find("VERSION:3.0\r\n"), std::string::npos);
    EXPECT_NE(three.find("TEL;TYPE=WORK,VOICE:555-2 x12\r\n"), std::string::npos);
    EXPECT_NE(three.find("EMAIL;TYPE=INTERNET:ann@example.org\r\n"), std::string::npos);
    EXPECT_EQ(NewCard(person, Version::V21), three);
    std::string exported;
    std::string_view fields[P::FieldCount];
    for (int i = 0; i < P::FieldCount; ++i) {
        fields[i] = person.fields[static_cast<size_t>(i)];
    }
    AppendNewCard(exported, person.id, fields);
    EXPECT_EQ(exported, three);
}

TEST(VCardNewCard, EachVersionReadsBackAsTheFields) {
    for (Version version : {Version::V30, Version::V40}) {
        for (const PersonRecord& person : VariedPersons()) {
            SCOPED_TRACE(person.id + (version == Version::V40 ? " 4.0" : " 3.0"));
            const std::string text = NewCard(person, version);
            for (const std::string& line : CrLfLines(text)) {
                EXPECT_LE(line.size(), 75u) << line;
                EXPECT_EQ(line.find("CHARSET"), std::string::npos) << line;
                EXPECT_EQ(line.find("QUOTED-PRINTABLE"), std::string::npos) << line;
            }
            EXPECT_TRUE(IsValidUtf8(text.data(), text.size()));
            const Card card = One(text);
            EXPECT_EQ(transfer::vcard::VersionOf(card), version);
            const CardFields fields = ReadFields(card);
            EXPECT_EQ(fields.person.fields, person.fields);
            EXPECT_EQ(fields.uid, person.id);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// 2.1 into 3.0

// The names of a card's content lines of its own, in order, VERSION and blank lines left out.
std::vector<std::string> PropertyNames(const Card& card) {
    std::vector<std::string> names;
    for (const Line& line : card) {
        if (line.content && !line.inAgent && !transfer::vcard::IsProperty(line, "VERSION")) {
            names.push_back(std::string(line.group) + "." + std::string(line.name));
        }
    }
    return names;
}

TEST(VCardVersion3, TheFilesCardsOf21ReadAsTheSameFields) {
    int converted = 0;
    for (const std::string& name : transfer_test::SampleCardFiles()) {
        for (const Card& read : ReadCards(FileBytes(kData + "/vcards/" + name))) {
            if (transfer::vcard::VersionOf(read) != Version::V21) {
                continue;
            }
            SCOPED_TRACE(name + " card " + std::to_string(converted));
            Card card = read;
            ASSERT_TRUE(ToVersion3(card));
            const std::string text = Written(card);
            EXPECT_TRUE(IsValidUtf8(text.data(), text.size()));
            EXPECT_EQ(text.find("QUOTED-PRINTABLE"), std::string::npos);
            EXPECT_EQ(text.find("CHARSET"), std::string::npos);
            EXPECT_EQ(text.find("BASE64"), std::string::npos);
            const Card again = One(text);
            EXPECT_EQ(transfer::vcard::VersionOf(again), Version::V30);
            const CardFields before = ReadFields(read);
            const CardFields after = ReadFields(again);
            EXPECT_EQ(after.person.fields, before.person.fields);
            EXPECT_EQ(after.uid, before.uid);
            // Every property kept, and a formatted name where there was none.
            std::vector<std::string> names = PropertyNames(read);
            if (std::find(names.begin(), names.end(), ".FN") == names.end()) {
                size_t n = 0;
                while (n < names.size() && names[n] != ".N") {
                    ++n;
                }
                names.insert(names.begin() + (n < names.size() ? n + 1 : 1), ".FN");
            }
            EXPECT_EQ(PropertyNames(again), names);
            // Lines with no parameter to respell, no escape and no encoding stay as they were.
            for (size_t i = 0; i < read.size(); ++i) {
                const Line& line = read[i];
                const bool structured = transfer::vcard::IsProperty(line, "N") ||
                                        transfer::vcard::IsProperty(line, "ADR") ||
                                        transfer::vcard::IsProperty(line, "ORG");
                if (line.content && !line.inAgent && line.parameters.empty() &&
                    line.value.find_first_of(structured ? "\\," : "\\,;") ==
                        std::string_view::npos &&
                    transfer::vcard::IsAscii(line.value) &&
                    !transfer::vcard::IsProperty(line, "VERSION") &&
                    !transfer::vcard::IsProperty(line, "AGENT")) {
                    bool found = false;
                    for (const Line& written : again) {
                        found = found || written == line;
                    }
                    EXPECT_TRUE(found) << line.name << ":" << line.value;
                }
            }
            ++converted;
        }
    }
    EXPECT_GE(converted, 3);
}

TEST(VCardVersion3, QuotedPrintableAndCharacterSetsBecomeUtf8Text) {
    // Soft breaks joined, CR LF written as the escape, the character set's bytes as UTF-8.
    EXPECT_EQ(
        Body3({"NOTE;ENCODING=QUOTED-PRINTABLE:First line=0D=0ASecond, and=", " more=0D=0A=",
               "last", "N;CHARSET=WINDOWS-1252;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen",
               "FN;CHARSET=windows-1252:J\xFCrgen M\xFCller",
               "ADR;HOME;CHARSET=UTF-8;QUOTED-PRINTABLE:;;Stra=C3=9Fe 1=0D=0AHof;K=C3=B6ln;;;",
               "TITLE;CHARSET=ISO-8859-1:Direct\xE9ur", "ORG;CHARSET=SHIFT_JIS:\x93\x8C\x8B\x9E",
               "X-NOTE;QUOTED-PRINTABLE;CHARSET=UTF-8:a=0D=0Ab"}),
        (std::vector<std::string>{"NOTE:First line\\nSecond\\, and more\\nlast", "N:Müller;Jürgen",
                                  "FN:Jürgen Müller", "ADR;TYPE=HOME:;;Straße 1\\nHof;Köln;;;",
                                  "TITLE:Directéur", "ORG:東京", "X-NOTE:a\\nb"}));
}

TEST(VCardVersion3, ParameterWordsBecomeTypesAndBase64IsUnwrapped) {
    EXPECT_EQ(Body3({"FN:Jo", "TEL;WORK;VOICE;PREF:555-1", "EMAIL;INTERNET;X-Custom:a@x",
                     "TEL;TYPE=CELL;HOME:555-2", "ADR; WORK ;ENCODING=8BIT:;;1 St;;;;",
                     "PHOTO;VALUE=URL;TYPE=GIF:http://example.org/a.gif",
                     "LABEL;TYPE=WORK,QUOTED-PRINTABLE;LANGUAGE=fr:A=0D=0AB"}),
              (std::vector<std::string>{"FN:Jo", "TEL;TYPE=WORK,VOICE,PREF:555-1",
                                        "EMAIL;TYPE=INTERNET,X-Custom:a@x",
                                        "TEL;TYPE=CELL;TYPE=HOME:555-2", "ADR;TYPE=WORK:;;1 St;;;;",
                                        "PHOTO;VALUE=uri;TYPE=GIF:http://example.org/a.gif",
                                        "LABEL;TYPE=WORK;LANGUAGE=fr:A\\nB"}));
    // A photo over indented lines, lines that lost their indent and a blank line after: one
    // value, the same bytes once decoded.
    const std::string photo = "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAIBAQEBAQIBAQE" +
                              std::string(40, 'A') + "CAgICAgQDAgICAgUEBAMEBgUGBgYFBgYGBwkIBgc==";
    const std::vector<std::string> body =
        Body3({"FN:Jo", "PHOTO;JPEG;ENCODING=BASE64:", "    " + photo.substr(0, 40),
               "    " + photo.substr(40, 40), photo.substr(80, 20), photo.substr(100), "",
               "KEY;X509;BASE64:QUJD", " REVG", "", "EMAIL:a@x"});
    EXPECT_EQ(body, (std::vector<std::string>{"FN:Jo", "PHOTO;TYPE=JPEG;ENCODING=b:" + photo,
                                              "KEY;TYPE=X509;ENCODING=b:QUJDREVG", "EMAIL:a@x"}));
}

TEST(VCardVersion3, TextValuesGetTheEscapesOf30AndReadTheSame) {
    const std::vector<std::string> lines = {"N:Smith, Jr.\\;x;Ann\\\\;;Dr.",
                                            "FN:Ann Smith, Jr.",
                                            "ORG:Acme, Inc.;Sales\\;Marketing",
                                            "ADR;WORK:;;1 Main, Apt 2;City\\Town;;;",
                                            "TITLE:Head\\nof, Sales",
                                            "NOTE:a,b\\c",
                                            "CATEGORIES:Friends,Work",
                                            "NICKNAME:Al\\Bo,Cy",
                                            "TEL;WORK:555\\1",
                                            "EMAIL:a,b@example.org",
                                            "URL:http://example.org/a,b",
                                            "X-ODD:a,b\\c;d",
                                            "GEO:37.24,-17.87",
                                            "UID:u,1"};
    EXPECT_EQ(
        Body3(lines),
        (std::vector<std::string>{
            "N:Smith\\, Jr.\\;x;Ann\\\\;;Dr.", "FN:Ann Smith\\, Jr.",
            "ORG:Acme\\, Inc.;Sales\\;Marketing", "ADR;TYPE=WORK:;;1 Main\\, Apt 2;City\\\\Town;;;",
            "TITLE:Head\\\\nof\\, Sales", "NOTE:a\\,b\\\\c", "CATEGORIES:Friends,Work",
            "NICKNAME:Al\\\\Bo,Cy", "TEL;TYPE=WORK:555\\\\1", "EMAIL:a,b@example.org",
            "URL:http://example.org/a,b", "X-ODD:a,b\\c;d", "GEO:37.24,-17.87", "UID:u,1"}));
    std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    const Card before = One(text + "END:VCARD\r\n");
    Card after = before;
    ASSERT_TRUE(ToVersion3(after));
    const CardFields fields = ReadFields(One(Written(after)));
    EXPECT_EQ(fields.person.fields, ReadFields(before).person.fields);
    EXPECT_EQ(fields.person[P::LName], "Smith, Jr.;x");
    EXPECT_EQ(fields.person[P::FName], "Ann\\");
    EXPECT_EQ(fields.person[P::City], "City\\Town");
    EXPECT_EQ(fields.person[P::Position], "Head\\nof, Sales");
}

TEST(VCardVersion3, GroupsOtherPropertiesAndAgentsAreKept) {
    EXPECT_EQ(Body3({"N:Lee;Ann", "item1.EMAIL;INTERNET:a@x", "item1.X-ABLabel:_$!<Other>!$_",
                     "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Al;1;;;;;;;;;;;;;",
                     "BDAY:19800321", "X-UNKNOWN;FOO=bar;BAZ:12,3", "AGENT:", "BEGIN:VCARD",
                     "VERSION:2.1", "N:Doe;Jo", "TEL;WORK;ENCODING=QUOTED-PRINTABLE:555=2C1",
                     "END:VCARD", "AGENT;VALUE=URL:CID:jo@example.org", "REV:20121012T210525Z"}),
              (std::vector<std::string>{
                  "N:Lee;Ann", "FN:Ann Lee", "item1.EMAIL;TYPE=INTERNET:a@x",
                  "item1.X-ABLabel:_$!<Other>!$_",
                  "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Al;1;;;;;;;;;;;;;",
                  "BDAY:19800321", "X-UNKNOWN;FOO=bar;TYPE=BAZ:12,3",
                  "AGENT:BEGIN:VCARD\\nVERSION:3.0\\nN:Doe\\;Jo\\nTEL\\;TYPE=WORK:555\\,1\\nEND:"
                  "VCARD\\n",
                  "AGENT;VALUE=uri:CID:jo@example.org", "REV:20121012T210525Z"}));
}

TEST(VCardVersion3, AnAgentsAgentIsNestedInItsValue) {
    EXPECT_EQ(
        Body3({"FN:A", "AGENT:", "BEGIN:VCARD", "FN:B", "AGENT:", "BEGIN:VCARD", "FN:C",
               "END:VCARD", "END:VCARD", "NOTE:after"}),
        (std::vector<std::string>{"FN:A",
                                  "AGENT:BEGIN:VCARD\\nFN:B\\nAGENT:BEGIN:VCARD\\\\nFN:C\\\\nEND:"
                                  "VCARD\\\\n\\nEND:VCARD\\n",
                                  "NOTE:after"}));
}

TEST(VCardVersion3, ACardWithoutAFormattedNameGetsOne) {
    const std::vector<std::vector<std::string>> cards = {
        {"N:Lee;Ann;;Dr.", "EMAIL:a@x"},
        {"N:Lee", "ORG:Acme"},
        {"ORG:Acme, Inc.;Sales"},
        {"EMAIL:a@x", "N:;;;;"},
        {"TEL:1", "AGENT:", "BEGIN:VCARD", "FN:Jo", "END:VCARD"},
    };
    const std::vector<std::string> names = {"FN:Ann Lee", "FN:Lee", "FN:Acme\\, Inc.",
                                            "FN:", "FN:"};
    for (size_t i = 0; i < cards.size(); ++i) {
        const std::vector<std::string> body = Body3(cards[i]);
        // After N, else first.
        size_t n = 0;
        while (n < cards[i].size() && cards[i][n].rfind("N:", 0) != 0) {
            ++n;
        }
        const size_t at = n < cards[i].size() ? n + 1 : 0;
        ASSERT_GT(body.size(), at);
        EXPECT_EQ(body[at], names[i]);
        std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\n";
        for (const std::string& line : cards[i]) {
            text += line + "\r\n";
        }
        const Card before = One(text + "END:VCARD\r\n");
        Card after = before;
        ToVersion3(after);
        EXPECT_EQ(ReadFields(One(Written(after))).person.fields, ReadFields(before).person.fields);
    }
    EXPECT_EQ(Body3({"FN:Jo", "N:Lee"}), (std::vector<std::string>{"FN:Jo", "N:Lee"}));
}

TEST(VCardVersion3, CardsOfOtherVersionsStayAsTheyAre) {
    for (const std::string version : {"3.0", "4.0"}) {
        const std::string text = "BEGIN:VCARD\r\nVERSION:" + version +
                                 "\r\nN;CHARSET=UTF-8:Lee;Ann\r\nTEL;HOME:1\r\n"
                                 "NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0Ab\r\nEND:VCARD\r\n";
        Card card = One(text);
        EXPECT_FALSE(ToVersion3(card)) << version;
        EXPECT_EQ(Written(card), text);
    }
    // A card without a version is read as 3.0.
    Card bare = One("BEGIN:VCARD\r\nN:Lee\r\nTEL;HOME:1\r\nEND:VCARD\r\n");
    EXPECT_FALSE(ToVersion3(bare));
    EXPECT_EQ(Written(bare), "BEGIN:VCARD\r\nN:Lee\r\nTEL;HOME:1\r\nEND:VCARD\r\n");
}

}  // namespace
