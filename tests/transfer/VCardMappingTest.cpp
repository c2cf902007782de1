#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "PersonRecord.h"
#include "TransferCoreTestSupport.h"
#include "VCard.h"
#include "VCardLines.h"
#include "VCardMapping.h"

// The 17 fields of a card, read with where they come from, and written back into it.
namespace {

using transfer::vcard::AppendCard;
using transfer::vcard::ApplyFields;
using transfer::vcard::Card;
using transfer::vcard::CardFields;
using transfer::vcard::FieldSource;
using transfer::vcard::Line;
using transfer::vcard::ReadCards;
using transfer::vcard::ReadFields;
using transfer_test::FileBytes;
using P = PersonRecord;

const std::string kData = TIDEMARK_TEST_DATA;

// A line as it is written, unfolded; one that is no content line marked.
std::string Described(const Line& line) {
    if (!line.content) {
        return "(no content) " + std::string(line.value);
    }
    std::string text = line.group.empty() ? "" : std::string(line.group) + ".";
    text += line.name;
    for (const auto& parameter : line.parameters) {
        text += ";" + std::string(parameter.name) + (parameter.hasValue ? "=" : "") +
                std::string(parameter.value);
    }
    return text + ":" + std::string(line.value);
}

// The lines of a card as written and read again.
std::vector<std::string> WrittenLines(const Card& card) {
    std::string text;
    AppendCard(text, card);
    const std::vector<Card> again = ReadCards(text);
    EXPECT_EQ(again.size(), 1u) << text;
    std::vector<std::string> lines;
    if (!again.empty()) {
        for (const Line& line : again[0]) {
            lines.push_back(Described(line));
        }
    }
    return lines;
}

using transfer_test::Compare;
using transfer_test::Difference;
using transfer_test::Show;

Card One(const std::string& text) {
    std::vector<Card> cards = ReadCards(text);
    EXPECT_EQ(cards.size(), 1u) << text;
    return cards.empty() ? Card() : cards[0];
}

// A card of the version with the content lines given.
Card CardOf(const std::vector<std::string>& lines, const std::string& version = "3.0") {
    std::string text = "BEGIN:VCARD\r\nVERSION:" + version + "\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return One(text + "END:VCARD\r\n");
}

// The lines of the card between VERSION and END, as written and read again.
std::vector<std::string> Body(const Card& card) {
    const std::vector<std::string> lines = WrittenLines(card);
    return std::vector<std::string>(lines.begin() + 2, lines.end() - 1);
}

// The card with one field changed through the mapping.
Card Changed(Card card, P::Field field, const std::string& value) {
    PersonRecord person = ReadFields(card).person;
    person[field] = value;
    ApplyFields(card, person);
    return card;
}

// ---------------------------------------------------------------------------------------------
// Reading

TEST(VCardMappingRead, EveryFilesCardsGiveTheImportsPersons) {
    for (const std::string& name : transfer_test::SampleCardFiles()) {
        SCOPED_TRACE(name);
        const std::string bytes = FileBytes(kData + "/vcards/" + name);
        const transfer::VCardReadResult imported = transfer::ReadVCards(bytes);
        std::vector<CardFields> named;
        int nameless = 0;
        for (const Card& card : ReadCards(bytes)) {
            CardFields fields = ReadFields(card);
            if (fields.HasName()) {
                named.push_back(std::move(fields));
            } else {
                ++nameless;
            }
        }
        EXPECT_EQ(nameless, imported.nameless);
        ASSERT_EQ(named.size(), imported.persons.size());
        for (size_t i = 0; i < named.size(); ++i) {
            EXPECT_EQ(named[i].person.fields, imported.persons[i].person.fields);
            EXPECT_EQ(named[i].uid, imported.persons[i].uid);
        }
    }
}

TEST(VCardMappingRead, EachFieldSaysItsLineAndComponent) {
    const Card card = CardOf({"N:Lee;Ann;;Dr.;", "TEL;TYPE=HOME:1", "ORG:;Unit", "ORG:Acme;Sales",
                              "TEL;TYPE=WORK:555 x12", "ADR;TYPE=HOME:;;2 Home;H;;;",
                              "ADR;TYPE=WORK:Box 7;;3 Work;W;;9;", "EMAIL:a@x",
                              "TITLE:", "TITLE:Buyer", "UID:u-1", "TEL:3"});
    const CardFields fields = ReadFields(card);
    const auto at = [](int line, int component = FieldSource::kWhole) {
        return FieldSource{line, component};
    };
    EXPECT_EQ(fields.sources[P::LName], at(2, 0));
    EXPECT_EQ(fields.sources[P::FName], at(2, 1));
    EXPECT_EQ(fields.sources[P::Title], at(2, 3));
    EXPECT_EQ(fields.sources[P::Company], at(5, 0));
    EXPECT_EQ(fields.sources[P::Position], at(11));
    EXPECT_EQ(fields.sources[P::Addr], at(8, 2));
    EXPECT_EQ(fields.sources[P::City], at(8, 3));
    EXPECT_EQ(fields.sources[P::State], at(8, 4));
    EXPECT_EQ(fields.sources[P::Zip], at(8, 5));
    EXPECT_EQ(fields.sources[P::HmPhone], at(3));
    EXPECT_EQ(fields.sources[P::WkPhone], at(6));
    EXPECT_EQ(fields.sources[P::WkExt], at(6));
    EXPECT_EQ(fields.sources[P::CelPhone], at(13));
    EXPECT_EQ(fields.sources[P::Pager], at(-1));
    EXPECT_EQ(fields.sources[P::WkFax], at(-1));
    EXPECT_EQ(fields.sources[P::Email], at(9));
    EXPECT_EQ(fields.sources[P::WebPage], at(-1));
    EXPECT_EQ(fields.uidLine, 12);
    EXPECT_EQ(fields.uid, "u-1");
    EXPECT_EQ(fields.person[P::Addr], "3 Work\r\nBox 7");
    EXPECT_EQ(fields.person[P::Zip], "9");
    EXPECT_EQ(fields.person[P::WkExt], "12");
    EXPECT_EQ(fields.person[P::CelPhone], "3");
}

TEST(VCardMappingRead, NamesTheFormattedNameGivesComeFromItsLine) {
    const CardFields fields = ReadFields(CardOf({"N:;;;Dr.;", "FN:Dr. Mary Ann Lee"}));
    EXPECT_EQ(fields.person[P::FName], "Mary Ann");
    EXPECT_EQ(fields.person[P::LName], "Lee");
    EXPECT_EQ(fields.sources[P::FName], (FieldSource{3, FieldSource::kWhole}));
    EXPECT_EQ(fields.sources[P::LName], (FieldSource{3, FieldSource::kWhole}));
    EXPECT_EQ(fields.sources[P::Title], (FieldSource{2, 3}));
    // A card of an organisation: its formatted name gives no names, N still is where they go.
    const CardFields organisation = ReadFields(CardOf({"KIND:org", "FN:Acme", "N:;;;;"}, "4.0"));
    EXPECT_EQ(organisation.person[P::LName], "");
    EXPECT_EQ(organisation.sources[P::LName], (FieldSource{4, 0}));
    EXPECT_FALSE(organisation.HasName());
}

// ---------------------------------------------------------------------------------------------
// Writing one field into a card

TEST(VCardMappingWrite, UnchangedFieldsLeaveEveryByte) {
    for (const std::string& name : transfer_test::SampleCardFiles()) {
        SCOPED_TRACE(name);
        for (Card card : ReadCards(FileBytes(kData + "/vcards/" + name))) {
            std::string before;
            AppendCard(before, card);
            const CardFields fields = ReadFields(card);
            const CardFields after = ApplyFields(card, fields.person);
            std::string written;
            AppendCard(written, card);
            EXPECT_EQ(written, before);
            EXPECT_EQ(after.person.fields, fields.person.fields);
        }
    }
}

TEST(VCardMappingWrite, OnlyTheChangedComponentChanges) {
    const Card card = CardOf(
        {"N:Gump;Forrest;Hoge;Pos;Tao", "ORG:Gump Shrimp Co.;Sales Dept.\\;Manager;Fish keeper",
         "ADR;WORK:;;100 Waters Edge;Baytown;LA;30314;United States of America", "X-OTHER:kept"},
        "2.1");
    EXPECT_EQ(
        Body(Changed(card, P::Company, "Blue; Tide")),
        (std::vector<std::string>{
            "N:Gump;Forrest;Hoge;Pos;Tao", "ORG:Blue\\; Tide;Sales Dept.\\;Manager;Fish keeper",
            "ADR;WORK:;;100 Waters Edge;Baytown;LA;30314;United States of America",
            "X-OTHER:kept"}));
    EXPECT_EQ(
        Body(Changed(card, P::FName, "Jenny")),
        (std::vector<std::string>{
            "N:Gump;Jenny;Hoge;Pos;Tao", "ORG:Gump Shrimp Co.;Sales Dept.\\;Manager;Fish keeper",
            "ADR;WORK:;;100 Waters Edge;Baytown;LA;30314;United States of America",
            "X-OTHER:kept"}));
    // The street changes, the country stays its own component; without it, it is emptied.
    EXPECT_EQ(Body(Changed(card, P::Addr, "1 Dock Rd\r\nUnited States of America"))[2],
              "ADR;WORK:;;1 Dock Rd;Baytown;LA;30314;United States of America");
    EXPECT_EQ(Body(Changed(card, P::Addr, "1 Dock Rd"))[2],
              "ADR;WORK:;;1 Dock Rd;Baytown;LA;30314;");
    EXPECT_EQ(Body(Changed(card, P::Zip, ""))[2],
              "ADR;WORK:;;100 Waters Edge;Baytown;LA;;United States of America");
}

TEST(VCardMappingWrite, EachVersionHasItsEscapesAndForms) {
    for (const std::string version : {"2.1", "3.0", "4.0"}) {
        SCOPED_TRACE(version);
        const bool v21 = version == "2.1";
        const Card card = CardOf({"N:Lee;Ann;;;", "X-A:b"}, version);
        Card changed = card;
        PersonRecord person = ReadFields(card).person;
        person[P::Company] = "A;B, C\\";
        person[P::Position] = "Head\r\nof Sales";
        person[P::HmPhone] = "555;1";
        person[P::Email] = "ann@example.com";
        person[P::Addr] = "1 Main St\r\nFloor 2";
        person[P::City] = "Zürich";
        const CardFields after = ApplyFields(changed, person);
        EXPECT_EQ(after.person.fields, person.fields);
        const std::vector<std::string> body = Body(changed);
        const std::vector<std::string> expected =
            v21 ? std::vector<std::string>{"N:Lee;Ann;;;",
                                           "X-A:b",
                                           "ORG:A\\;B, C\\",
                                           "TITLE;ENCODING=QUOTED-PRINTABLE:Head=0D=0Aof Sales",
                                           "ADR;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;1 Main "
                                           "St=0D=0AFloor "
                                           "2;Z=C3=BCrich;;;",
                                           "TEL;HOME;VOICE:555;1",
                                           "EMAIL;INTERNET:ann@example.com"}
                : std::vector<std::string>{
                      "N:Lee;Ann;;;",
                      "X-A:b",
                      "ORG:A\\;B\\, C\\\\",
                      "TITLE:Head\\nof Sales",
                      "ADR:;;1 Main St\\nFloor 2;Zürich;;;",
                      version == "3.0" ? "TEL;TYPE=HOME,VOICE:555;1" : "TEL;TYPE=home,voice:555;1",
                      version == "3.0" ? "EMAIL;TYPE=INTERNET:ann@example.com"
                                       : "EMAIL:ann@example.com"};
        EXPECT_EQ(body, expected);
    }
}

TEST(VCardMappingWrite, BackslashesReadBackAsWritten) {
    const Card v21 = CardOf({"N:Lee;Ann;;;", "ORG:Acme", "TITLE:Buyer"}, "2.1");
    // A component that ends in a backslash before its semicolon: "\\;" in 2.1.
    Card changed = Changed(v21, P::LName, "Lee\\");
    EXPECT_EQ(Body(changed)[0], "N:Lee\\\\;Ann;;;");
    EXPECT_EQ(ReadFields(changed).person[P::LName], "Lee\\");
    changed = Changed(v21, P::Position, "a\\;b;c");
    EXPECT_EQ(Body(changed)[2], "TITLE:a\\\\;b\\;c");
    EXPECT_EQ(ReadFields(changed).person[P::Position], "a\\;b;c");
    changed = Changed(v21, P::Company, "C:\\");
    EXPECT_EQ(Body(changed)[1], "ORG:C:\\");
    EXPECT_EQ(ReadFields(changed).person[P::Company], "C:\\");
    // What 2.1 cannot hold: a backslash before a semicolon within a component.
    EXPECT_EQ(ApplyFields(changed,
                          [&] {
                              PersonRecord person = ReadFields(changed).person;
                              person[P::FName] = "Ann\\;Marie";
                              return person;
                          }())
                  .person[P::FName],
              "Ann;Marie");
    // A last component ending in a backslash, once others follow it, keeps it.
    for (const std::string version : {"2.1", "3.0"}) {
        const Card card = Changed(CardOf({"N:Lee\\"}, version), P::Title, "Dr.");
        EXPECT_EQ(ReadFields(card).person[P::LName], "Lee\\") << version;
        EXPECT_EQ(ReadFields(card).person[P::Title], "Dr.") << version;
    }
}

TEST(VCardMappingWrite, QuotedPrintableAndCharacterSetsStay) {
    const Card card =
        CardOf({"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=91;Ann;;;",
                "ORG;CHARSET=SHIFT_JIS:\x8A\x94\x8E\xAE;Sales", "TITLE;CHARSET=ISO-8859-1:Caf\xE9"},
               "2.1");
    EXPECT_EQ(Body(Changed(card, P::FName, "Zoë"))[0],
              "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=91;Zo=C3=AB;;;");
    // 山田 in Shift_JIS; the other component's bytes as they were.
    EXPECT_EQ(Body(Changed(card, P::Company, "山田"))[1],
              "ORG;CHARSET=SHIFT_JIS:\x8E\x52\x93\x63;Sales");
    EXPECT_EQ(Body(Changed(card, P::Position, "Café Zoë"))[2],
              "TITLE;CHARSET=ISO-8859-1:Caf\xE9 Zo\xEB");
    // What the character set has no byte for makes the line UTF-8.
    EXPECT_EQ(Body(Changed(card, P::Position, "日本"))[2], "TITLE;CHARSET=UTF-8:日本");
}

TEST(VCardMappingWrite, TelephoneAndMailUrisKeepTheirForm) {
    const Card card = CardOf({"N:Lee",
                              "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-418-656-"
                              "9254;phone-context=x;ext=102",
                              "TEL;VALUE=uri;TYPE=cell:tel:+1-555", "EMAIL:mailto:ann@example.com"},
                             "4.0");
    EXPECT_EQ(Body(Changed(card, P::WkExt, "7"))[1],
              "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-418-656-9254;phone-context=x;ext=7");
    EXPECT_EQ(Body(Changed(card, P::WkExt, ""))[1],
              "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-418-656-9254;phone-context=x");
    EXPECT_EQ(Body(Changed(card, P::WkPhone, "+1-418-000"))[1],
              "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-418-000;phone-context=x;ext=102");
    // Another number's extension as the import gives it, " x" and the digits.
    EXPECT_EQ(Body(Changed(card, P::CelPhone, "+1-555-9 x12"))[2],
              "TEL;VALUE=uri;TYPE=cell:tel:+1-555-9;ext=12");
    EXPECT_EQ(Body(Changed(card, P::Email, "ray@example.com"))[3], "EMAIL:mailto:ray@example.com");
    // A work number written as text keeps the extension after " x".
    const Card plain = CardOf({"N:Lee", "TEL;TYPE=WORK:555-1234 ext. 12"});
    EXPECT_EQ(Body(Changed(plain, P::WkExt, "9"))[1], "TEL;TYPE=WORK:555-1234 x9");
    EXPECT_EQ(Body(Changed(plain, P::WkPhone, ""))[1], "TEL;TYPE=WORK:x12");
}

TEST(VCardMappingWrite, NamesTheFormattedNameGivesAreWrittenThere) {
    const Card card = CardOf({"N:;;;Dr.;", "FN:Dr. Mary Ann Lee", "ORG:Acme"});
    EXPECT_EQ(Body(Changed(card, P::LName, "Ray")),
              (std::vector<std::string>{"N:;;;Dr.;", "FN:Dr. Mary Ann Ray", "ORG:Acme"}));
    EXPECT_EQ(Body(Changed(card, P::FName, "Zoë")),
              (std::vector<std::string>{"N:;;;Dr.;", "FN:Dr. Zoë Lee", "ORG:Acme"}));
    // A last name of two words the formatted name would split otherwise: into N then.
    EXPECT_EQ(
        Body(Changed(card, P::LName, "van Dyke")),
        (std::vector<std::string>{"N:van Dyke;Mary Ann;;Dr.;", "FN:Dr. Mary Ann Lee", "ORG:Acme"}));
    // Without N: a new one.
    const Card formatted = CardOf({"FN:Cher"});
    EXPECT_EQ(Body(Changed(formatted, P::Title, "Ms.")),
              (std::vector<std::string>{"FN:Cher", "N:;;;Ms.;"}));
    EXPECT_EQ(Body(Changed(formatted, P::FName, "Ann")), (std::vector<std::string>{"FN:Ann Cher"}));
}

TEST(VCardMappingWrite, AFormattedNameThatNamedTheCompanyFollowsIt) {
    const Card card = CardOf({"N:;;;;", "FN:Blue Tide", "ORG:Blue Tide;Sales"});
    const Card changed = Changed(card, P::Company, "Red Sea");
    EXPECT_EQ(Body(changed),
              (std::vector<std::string>{"N:;;;;", "FN:Red Sea", "ORG:Red Sea;Sales"}));
    EXPECT_EQ(ReadFields(changed).person[P::LName], "");
}

TEST(VCardMappingWrite, AnEmptiedFieldLosesItsLineAndTheNextOfItsKindComesForward) {
    Card card = CardOf({"N:Lee", "EMAIL:a@example.com", "EMAIL:b@example.com", "ORG:Acme",
                        "TITLE:Buyer", "TEL;TYPE=HOME:1", "ADR:;;;Town;;;"});
    PersonRecord person = ReadFields(card).person;
    person[P::Email] = "";
    person[P::Company] = "";
    person[P::Position] = "";
    person[P::HmPhone] = "";
    person[P::City] = "";
    const CardFields after = ApplyFields(card, person);
    EXPECT_EQ(Body(card), (std::vector<std::string>{"N:Lee", "EMAIL:b@example.com"}));
    EXPECT_EQ(after.person[P::Email], "b@example.com");
    EXPECT_EQ(after.person[P::Company], "");
}

TEST(VCardMappingWrite, ANewCardOfTheExportIsOneToChange) {
    PersonRecord person;
    person[P::LName] = "Lee";
    person[P::FName] = "Ann";
    person[P::WkPhone] = "555";
    person[P::WkExt] = "12";
    person[P::Addr] = "1 Main St";
    std::string text;
    transfer::AppendVCard(text, person);
    Card card = One(text);
    EXPECT_EQ(ReadFields(card).person.fields, person.fields);
    person[P::WkExt] = "13";
    person[P::Zip] = "12345";
    ApplyFields(card, person);
    EXPECT_EQ(Body(card),
              (std::vector<std::string>{"N:Lee;Ann;;;", "FN:Ann Lee", "ADR:;;1 Main St;;;12345;",
                                        "TEL;TYPE=WORK,VOICE:555 x13", "UID:"}));
}

// ---------------------------------------------------------------------------------------------
// Files other programs wrote: one field at a time

// A value for each field that reads back in every version and character set.
std::string NewValue(P::Field field) {
    switch (field) {
        case P::Title:
            return "Prof.";
        case P::FName:
            return "Zoë";
        case P::LName:
            return "Neumann-Ü";
        case P::Company:
            return "Blue Tide, Ltd.";
        case P::Position:
            return "Head of Sales";
        case P::Addr:
            return "9 Harbour Rd\r\nFloor 3";
        case P::City:
            return "Göteborg";
        case P::State:
            return "VG";
        case P::Zip:
            return "411 01";
        case P::WkExt:
            return "77";
        case P::Email:
            return "new.address@example.org";
        case P::WebPage:
            return "https://example.org/new";
        default:
            return "+46 31 123 45";
    }
}

// Whether the card has a formatted name with a value.
bool FormattedName(const Card& card) {
    for (const Line& line : card) {
        if (transfer::vcard::IsProperty(line, "FN") &&
            line.value.find_first_not_of(" \t") != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

struct FileCard {
    std::string file;
    size_t index;
    Card card;
};

// Every card of every file that names a person.
std::vector<FileCard> NamedCards() {
    std::vector<FileCard> cards;
    for (const std::string& name : transfer_test::SampleCardFiles()) {
        const std::vector<Card> read = ReadCards(FileBytes(kData + "/vcards/" + name));
        for (size_t i = 0; i < read.size(); ++i) {
            if (ReadFields(read[i]).HasName()) {
                cards.push_back(FileCard{name, i, read[i]});
            }
        }
    }
    return cards;
}

// One change of one field of a card of the files, made on a copy of the card.
struct FieldChange {
    const FileCard& file;
    P::Field field;
    const CardFields& before;
    const PersonRecord& wanted;
    const CardFields& returned;
    const Card& card;
    Difference difference;
};

// For each card of the files and each field: wants() sets the field in the card's own fields
// (false to leave that field out), the card is changed to read so, and check() looks at it.
// Returns how many changes were checked.
template <typename Wants, typename Check>
int CheckFieldChanges(Wants wants, Check check) {
    int count = 0;
    for (const FileCard& file : NamedCards()) {
        const CardFields before = ReadFields(file.card);
        const std::vector<std::string> unchanged = WrittenLines(file.card);
        for (int f = 0; f < P::FieldCount; ++f) {
            const P::Field field = static_cast<P::Field>(f);
            PersonRecord wanted = before.person;
            if (!wants(field, before, wanted)) {
                continue;
            }
            SCOPED_TRACE(file.file + " card " + std::to_string(file.index) + " field " +
                         P::ColumnName(field));
            Card card = file.card;
            const CardFields returned = ApplyFields(card, wanted);
            check(FieldChange{file, field, before, wanted, returned, card,
                              Compare(unchanged, WrittenLines(card))});
            ++count;
        }
    }
    return count;
}

TEST(VCardMappingFiles, ChangingAFieldChangesOneLine) {
    const int changes = CheckFieldChanges(
        [](P::Field field, const CardFields& before, PersonRecord& wanted) {
            wanted[field] = NewValue(field);
            return !before.person[field].empty();
        },
        [](const FieldChange& c) {
            const Difference& d = c.difference;
            EXPECT_EQ(d.before.size(), 1u) << Show(d);
            EXPECT_EQ(d.after.size(), 1u) << Show(d);
            const CardFields after = ReadFields(c.card);
            EXPECT_EQ(after.person.fields, c.wanted.fields);
            EXPECT_EQ(c.returned.person.fields, c.wanted.fields);
            EXPECT_EQ(after.uid, c.before.uid);
        });
    EXPECT_GT(changes, 100);
}

TEST(VCardMappingFiles, AddingAFieldAddsOneLineOrComponent) {
    const int additions = CheckFieldChanges(
        [](P::Field field, const CardFields& before, PersonRecord& wanted) {
            wanted[field] = NewValue(field);
            return before.person[field].empty();
        },
        [](const FieldChange& c) {
            const Difference& d = c.difference;
            // A line of its own, or a component in the line the field is read from.
            const bool component = c.before.sources[c.field].line >= 0;
            EXPECT_EQ(d.before.size(), component ? 1u : 0u) << Show(d);
            EXPECT_EQ(d.after.size(), 1u) << Show(d);
            EXPECT_EQ(ReadFields(c.card).person.fields, c.wanted.fields);
        });
    EXPECT_GT(additions, 50);
}

TEST(VCardMappingFiles, EmptyingAFieldTakesItsComponentOrLine) {
    const int emptied = CheckFieldChanges(
        [](P::Field field, const CardFields& before, PersonRecord& wanted) {
            wanted[field].clear();
            // A person needs a name or a company.
            return !before.person[field].empty() &&
                   !(wanted[P::FName].empty() && wanted[P::LName].empty() &&
                     wanted[P::Company].empty());
        },
        [](const FieldChange& c) {
            const Difference& d = c.difference;
            const P::Field field = c.field;
            const CardFields after = ReadFields(c.card);
            const bool aName = field == P::FName || field == P::LName;
            if (c.wanted[P::FName].empty() && c.wanted[P::LName].empty() && aName &&
                FormattedName(c.file.card)) {
                // The formatted name would give names again: it names the company now.
                EXPECT_EQ(d.before.size(), 2u) << Show(d);
                ASSERT_EQ(d.after.size(), 2u) << Show(d);
                EXPECT_EQ(d.after[1].substr(0, 2), "FN") << Show(d);
            } else if (c.before.sources[field].component == FieldSource::kWhole && aName) {
                // A name the formatted name gave: that says the other alone, else N does.
                ASSERT_EQ(d.after.size(), 1u) << Show(d);
                EXPECT_EQ(d.before.size(), d.after[0].substr(0, 2) == "FN" ? 1u : 0u) << Show(d);
            } else {
                EXPECT_EQ(d.before.size(), 1u) << Show(d);
                EXPECT_LE(d.after.size(), 1u) << Show(d);
            }
            EXPECT_EQ(c.returned.person.fields, after.person.fields);
            for (int g = 0; g < P::FieldCount; ++g) {
                if (g != field) {
                    EXPECT_EQ(after.person.fields[g], c.before.person.fields[g]) << g;
                }
            }
            // Where the card holds another value of the kind, it comes forward: one that a line
            // of the card held before.
            if (!after.person[field].empty()) {
                bool held = false;
                transfer::vcard::ValueDecoder decoder;
                for (const Line& line : c.file.card) {
                    std::string text(decoder.Utf8(line));
                    text.erase(std::remove(text.begin(), text.end(), '\\'), text.end());
                    held = held || (&line - c.file.card.begin() != c.before.sources[field].line &&
                                    text.find(after.person[field]) != std::string::npos);
                }
                EXPECT_TRUE(held) << after.person[field];
            }
        });
    EXPECT_GT(emptied, 100);
}

}  // namespace
