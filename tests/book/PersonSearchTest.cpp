// The search field's engine: how text is folded, how what the user typed is read, and which
// persons of a real file the index finds, before and after edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <QString>

#include "AddressBook.h"
#include "PersonSearch.h"
#include "SQLException.h"
#include "TestBook.h"

namespace {

using F = PersonRecord::Field;
using Scope = SearchQuery::Scope;
using Names = std::vector<std::string>;

PersonRecord Person(const std::string& first, const std::string& last,
                    std::initializer_list<std::pair<F, std::string>> more = {}) {
    PersonRecord p;
    p[F::FName] = first;
    p[F::LName] = last;
    for (const auto& field : more) {
        p[field.first] = field.second;
    }
    return p;
}

std::string Fold(const char* utf8) {
    return FoldForSearch(std::string_view(utf8));
}

// ---- Folding --------------------------------------------------------------------------------

TEST(SearchFold, LowerCasesEveryAsciiByteAndNothingElse) {
    std::string all;
    for (int c = 0; c < 128; ++c) {
        all += static_cast<char>(c);
    }
    // Every offset, so that the bytes fall at each place of the eight-byte steps.
    for (size_t offset = 0; offset < 16; ++offset) {
        const std::string text = std::string(offset, 'Q') + all + all;
        std::string expected = text;
        for (char& c : expected) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        EXPECT_EQ(FoldForSearch(text), expected) << offset;
    }
}

TEST(SearchFold, DropsAccentsAndCase) {
    EXPECT_EQ(Fold("Émond"), "emond");
    EXPECT_EQ(Fold("Müller"), "muller");
    EXPECT_EQ(Fold("MÜLLER"), "muller");
    EXPECT_EQ(Fold("Ñandú Çelik Ångström"), "nandu celik angstrom");
    // Marks stored apart from their letter go as well.
    EXPECT_EQ(Fold("Me\u0301ne\u0300s"), "menes");
    // Accents after a long ASCII start, and ASCII after them.
    EXPECT_EQ(Fold("Avenue des Champs-ÉLYSÉES 75008 PARIS"),
              "avenue des champs-elysees 75008 paris");
}

TEST(SearchFold, SpellsLettersWithoutMarksInAscii) {
    EXPECT_EQ(Fold("Straße STRASSE ẞ"), "strasse strasse ss");
    EXPECT_EQ(Fold("Æsir æ Œuvre œ"), "aesir ae oeuvre oe");
    EXPECT_EQ(Fold("Søren Ø"), "soren o");
    EXPECT_EQ(Fold("Łódź ł"), "lodz l");
    EXPECT_EQ(Fold("Đorđe Ðað"), "dorde dad");
    EXPECT_EQ(Fold("Þórunn þ"), "thorunn th");
    EXPECT_EQ(Fold("Ħal ıstanbul"), "hal istanbul");
    // Compatibility forms: a ligature, full-width letters and digits.
    EXPECT_EQ(Fold("ﬁle ＡＢＣ１２３"), "file abc123");
    // Typographic quotes and dashes as typed on a plain keyboard.
    EXPECT_EQ(Fold("O’Brien “Bob” 1990–2000"), "o'brien \"bob\" 1990-2000");
}

TEST(SearchFold, KeepsOtherScriptsLowerCased) {
    EXPECT_EQ(Fold("ΟΔΥΣΣΕΥΣ Ωμέγα"), "οδυσσευσ ωμεγα");
    EXPECT_EQ(Fold("ПЕТРОВ"), "петров");
    EXPECT_EQ(Fold("東京都"), "東京都");
    EXPECT_EQ(Fold("😀x"), "😀x");
}

TEST(SearchFold, ReadsWindows1252) {
    EXPECT_EQ(Fold("\xC9mond"), "emond");
    EXPECT_EQ(Fold("M\xFCller Stra\xDF"
                   "e"),
              "muller strasse");
    EXPECT_EQ(Fold("O\x92"
                   "Brien \x8C"
                   "uvre"),
              "o'brien oeuvre");
}

TEST(SearchFold, TypedTextFoldsAsStoredText) {
    for (const char* text : {"Émond", "MÜLLER", "Straße", "ﬁle", "O’Brien", "東京", "😀 ok", "x"}) {
        EXPECT_EQ(FoldForSearch(QString::fromUtf8(text)), Fold(text)) << text;
    }
}

// ---- What the user typed --------------------------------------------------------------------

std::vector<std::pair<Scope, std::string>> Words(const QString& typed) {
    std::vector<std::pair<Scope, std::string>> words;
    const SearchQuery query = SearchQuery::Parse(typed);
    for (const SearchQuery::Word& w : query.Words()) {
        words.emplace_back(w.scope, w.text);
    }
    return words;
}

TEST(SearchQueryParse, SplitsOnWhiteSpaceAndFolds) {
    EXPECT_EQ(
        Words(QStringLiteral("  Ann\tSMITH\n Émond\u00A0x ")),
        (std::vector<std::pair<Scope, std::string>>{
            {Scope::Any, "ann"}, {Scope::Any, "smith"}, {Scope::Any, "emond"}, {Scope::Any, "x"}}));
    EXPECT_TRUE(SearchQuery::Parse(QString()).Empty());
    EXPECT_TRUE(SearchQuery::Parse(QStringLiteral(" \t ")).Empty());
    EXPECT_FALSE(SearchQuery::Parse(QStringLiteral("a")).Empty());
}

TEST(SearchQueryParse, ReadsEveryPrefixInAnyCase) {
    EXPECT_EQ(Words(QStringLiteral("company:Acme CITY:Paris Email:bob@x.org phone:+49 nOtE:Visit")),
              (std::vector<std::pair<Scope, std::string>>{{Scope::Company, "acme"},
                                                          {Scope::City, "paris"},
                                                          {Scope::Email, "bob@x.org"},
                                                          {Scope::Phone, "+49"},
                                                          {Scope::Note, "visit"}}));
}

TEST(SearchQueryParse, PrefixAloneAddsNothingAndUnknownPrefixIsAWord) {
    EXPECT_EQ(Words(QStringLiteral("city: ann company:")),
              (std::vector<std::pair<Scope, std::string>>{{Scope::Any, "ann"}}));
    EXPECT_TRUE(SearchQuery::Parse(QStringLiteral("phone:")).Empty());
    EXPECT_EQ(Words(QStringLiteral("xyz:abc :city Town:x")),
              (std::vector<std::pair<Scope, std::string>>{
                  {Scope::Any, "xyz:abc"}, {Scope::Any, ":city"}, {Scope::Any, "town:x"}}));
    // Only the first colon ends a prefix.
    EXPECT_EQ(Words(QStringLiteral("note:a:b")),
              (std::vector<std::pair<Scope, std::string>>{{Scope::Note, "a:b"}}));
}

TEST(SearchQueryParse, TellsWordsOfDigitsAlone) {
    const SearchQuery q = SearchQuery::Parse(QStringLiteral("0301234 030-1234 phone:555 １２ a1"));
    ASSERT_EQ(q.Words().size(), 5u);
    EXPECT_TRUE(q.Words()[0].digits);
    EXPECT_FALSE(q.Words()[1].digits);
    EXPECT_TRUE(q.Words()[2].digits);
    EXPECT_TRUE(q.Words()[3].digits);  // full-width digits fold to ASCII
    EXPECT_FALSE(q.Words()[4].digits);
}

TEST(SearchQueryParse, APlusAndDigitsAlsoReadsAsANumberFromAbroad) {
    const SearchQuery q = SearchQuery::Parse(QStringLiteral("+49170 +49 +4 0170 +49-170 +"));
    ASSERT_EQ(q.Words().size(), 6u);
    EXPECT_EQ(q.Words()[0].international, "49170");
    EXPECT_EQ(q.Words()[0].national, "0170");
    EXPECT_FALSE(q.Words()[0].digits);
    EXPECT_EQ(q.Words()[1].international, "49");
    EXPECT_EQ(q.Words()[1].national, "");  // nothing after the country code
    EXPECT_EQ(q.Words()[2].international, "4");
    EXPECT_EQ(q.Words()[2].national, "");
    for (size_t w = 3; w < 6; ++w) {
        EXPECT_EQ(q.Words()[w].international, "") << w;
        EXPECT_EQ(q.Words()[w].national, "") << w;
    }
}

bool Narrows(const char* now, const char* before) {
    return SearchQuery::Parse(QString::fromUtf8(now))
        .Narrows(SearchQuery::Parse(QString::fromUtf8(before)));
}

TEST(SearchQueryNarrows, LongerWordsAndMoreWordsNarrow) {
    EXPECT_TRUE(Narrows("garc", "gar"));
    EXPECT_TRUE(Narrows("ogarc", "gar"));
    EXPECT_TRUE(Narrows("gar smi", "gar"));
    EXPECT_TRUE(Narrows("smi garcia", "gar"));
    EXPECT_TRUE(Narrows("gar", "gar"));
    EXPECT_TRUE(Narrows("MÜLL", "mul"));
    EXPECT_TRUE(Narrows("anything", ""));
    EXPECT_TRUE(Narrows("", ""));
    // One longer word may stand for two shorter ones.
    EXPECT_TRUE(Narrows("garcia", "gar cia"));
}

TEST(SearchQueryNarrows, ShorterChangedOrFewerWordsDoNot) {
    EXPECT_FALSE(Narrows("ga", "gar"));
    EXPECT_FALSE(Narrows("gor", "gar"));
    EXPECT_FALSE(Narrows("gar", "gar smi"));
    EXPECT_FALSE(Narrows("", "gar"));
    EXPECT_FALSE(Narrows("gar-", "gar smi"));
}

TEST(SearchQueryNarrows, PrefixMustStayOrBeAdded) {
    EXPECT_TRUE(Narrows("city:pari", "city:par"));
    EXPECT_TRUE(Narrows("CITY:pari", "city:par"));
    EXPECT_TRUE(Narrows("city:pari", "par"));
    EXPECT_TRUE(Narrows("phone:5550", "555"));
    EXPECT_FALSE(Narrows("pari", "city:par"));
    EXPECT_FALSE(Narrows("company:pari", "city:par"));
    EXPECT_FALSE(Narrows("note:visit", "email:visit"));
}

TEST(SearchQueryNarrows, NumbersFromAbroadOnlyWhereEveryWayTheyMatchIsCovered) {
    EXPECT_TRUE(Narrows("01701", "0170"));
    EXPECT_TRUE(Narrows("+4917", "+491"));
    EXPECT_TRUE(Narrows("+49170", "170"));
    EXPECT_FALSE(Narrows("+49170", "017"));  // "491701" holds no "017"
    EXPECT_TRUE(Narrows("phone:+49170", "+4917"));
    // "+491" also finds "01..." written at home, which "+49" does not.
    EXPECT_FALSE(Narrows("+491", "+49"));
    // "+4" finds a 4 among the phones' digits, which "+" does not.
    EXPECT_FALSE(Narrows("+4", "+"));
    // "0170 ..." matches "+49170" but not "4917".
    EXPECT_FALSE(Narrows("+49170", "4917"));
    EXPECT_FALSE(Narrows("+49170", "city:+4917"));
}

// ---- The index over a file ------------------------------------------------------------------

class PersonSearch : public ::testing::Test {
protected:
    // The names the filtered person list shows for what was typed, sorted; checks on the way
    // that each person's Matches says the same as Filter.
    Names Found(const char* typed) {
        const SearchQuery query = SearchQuery::Parse(QString::fromUtf8(typed));
        PersonRowList rows;
        LoadPersonList(path_, PersonOrder::ByName, rows);
        const std::vector<uint32_t> found = index_.Filter(rows, query);
        EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
        Names names;
        for (uint32_t row : found) {
            names.push_back(rows.Name(row));
        }
        for (size_t row = 0; row < rows.size(); ++row) {
            const bool listed = std::find(found.begin(), found.end(), row) != found.end();
            EXPECT_EQ(index_.Matches(RecordId(rows.Id(row)), query), listed)
                << typed << ": " << rows.Name(row);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    RecordId Add(const PersonRecord& p) { return TestBook::AddPerson(path_, p); }
    RecordId Note(const RecordId& person, const std::string& description) {
        return TestBook::AddContact(path_, person, "2005-03-01 09:05:00", description);
    }

    TestBook book_;
    std::string path_ = book_.Create();
    PersonSearchIndex index_;
};

TEST_F(PersonSearch, FindsAnyFieldIgnoringCaseAndAccents) {
    Add(Person("Luc", "Émond", {{F::City, "Montréal"}}));
    Add(Person("Hans", "Müller"));
    Add(Person("jan", "muller"));
    Add(Person("Ann", "Smith", {{F::Title, "Dr."}}));
    index_.Build(path_);
    EXPECT_EQ(index_.size(), 4u);
    EXPECT_FALSE(index_.Empty());
    EXPECT_EQ(Found("emond"), (Names{"Émond, Luc"}));
    EXPECT_EQ(Found("ÉMOND"), (Names{"Émond, Luc"}));
    EXPECT_EQ(Found("muller"), (Names{"Müller, Hans", "muller, jan"}));
    EXPECT_EQ(Found("MÜLLER"), (Names{"Müller, Hans", "muller, jan"}));
    EXPECT_EQ(Found("montreal"), (Names{"Émond, Luc"}));
    EXPECT_EQ(Found("MONTRÉAL"), (Names{"Émond, Luc"}));
    EXPECT_EQ(Found("ith"), (Names{"Smith, Ann"}));
    EXPECT_EQ(Found("dr."), (Names{"Smith, Ann"}));
    EXPECT_EQ(Found("zebra"), Names{});
    EXPECT_EQ(Found(""), (Names{"Müller, Hans", "Smith, Ann", "muller, jan", "Émond, Luc"}));
}

TEST_F(PersonSearch, FindsSpecialLettersTypedInAscii) {
    Add(Person("", "Straße"));
    Add(Person("", "Æsir"));
    Add(Person("", "Bjørn"));
    Add(Person("", "Łukasz"));
    Add(Person("", "Đoković"));
    Add(Person("", "Þórunn"));
    Add(Person("", "Œuvray"));
    index_.Build(path_);
    EXPECT_EQ(Found("strasse"), (Names{"Straße"}));
    EXPECT_EQ(Found("STRAẞE"), (Names{"Straße"}));
    EXPECT_EQ(Found("aesir"), (Names{"Æsir"}));
    EXPECT_EQ(Found("bjorn"), (Names{"Bjørn"}));
    EXPECT_EQ(Found("lukasz"), (Names{"Łukasz"}));
    EXPECT_EQ(Found("dokovic"), (Names{"Đoković"}));
    EXPECT_EQ(Found("thorunn"), (Names{"Þórunn"}));
    EXPECT_EQ(Found("oeuvray"), (Names{"Œuvray"}));
    EXPECT_EQ(Found("œuv"), (Names{"Œuvray"}));
}

TEST_F(PersonSearch, EveryPersonFieldIsSearchedAndTheIdentifierIsNot) {
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        const std::string column = PersonRecord::ColumnName(F(f));
        PersonRecord p;
        p.id = "AAAAAAAA-0000-0000-00000000000" + std::to_string(f % 10) + std::to_string(f / 10);
        p[F::LName] = "Row" + column;
        p.fields[f] += " Key" + column + "Word";
        Add(p);
    }
    index_.Build(path_);
    EXPECT_EQ(index_.size(), size_t(PersonRecord::FieldCount));
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        const std::string column = PersonRecord::ColumnName(F(f));
        const std::string word = "key" + column + "word";
        const Names found = Found(word.c_str());
        ASSERT_EQ(found.size(), 1u) << column;
        EXPECT_NE(found[0].find("Row" + column), std::string::npos) << column;
    }
    EXPECT_EQ(Found("aaaaaaaa"), Names{});
    EXPECT_EQ(Found("0000"), Names{});
}

TEST_F(PersonSearch, WordsOfDigitsAlsoMatchPhonesByTheirDigits) {
    Add(Person("", "Berlin", {{F::HmPhone, "+49 (0)30 123-4567"}}));
    Add(Person("", "Zip", {{F::Zip, "30123"}}));
    Add(Person("", "Street", {{F::Addr, "30-123 Main Street"}}));
    Add(Person("", "Route", {{F::Company, "Route 30123 Ltd"}}));
    Add(Person("", "Plain", {{F::CelPhone, "0301234567"}}));
    index_.Build(path_);
    EXPECT_EQ(Found("301234567"), (Names{"Berlin", "Plain"}));
    // As text in any field, by digits only in the phones: not in the street's "30-123".
    EXPECT_EQ(Found("30123"), (Names{"Berlin", "Plain", "Route", "Zip"}));
    EXPECT_EQ(Found("123-45"), (Names{"Berlin"}));
    EXPECT_EQ(Found("(0)30"), (Names{"Berlin"}));
    EXPECT_EQ(Found("30-123"), (Names{"Street"}));
    EXPECT_EQ(Found("490301234567"), (Names{"Berlin"}));
    EXPECT_EQ(Found("4903012345678"), Names{});
}

TEST_F(PersonSearch, TrunkZeroFindsNumbersFromAbroadAndTheReverse) {
    Add(Person("", "Mobile", {{F::HmPhone, "+49 170 1234567"}}));
    Add(Person("", "Home", {{F::CelPhone, "0170 7654321"}}));
    Add(Person("", "London", {{F::WkPhone, "+44 170 5550000"}}));
    Add(Person("", "Berlin", {{F::WkFax, "+49 (0)30 123-4567"}}));
    Add(Person("", "Dial", {{F::Pager, "0049 170 2222"}}));
    Add(Person("", "Street", {{F::Addr, "0170 Main Street"}, {F::City, "+49170"}}));
    index_.Build(path_);
    EXPECT_EQ(Found("0170"), (Names{"Dial", "Home", "London", "Mobile", "Street"}));
    EXPECT_EQ(Found("phone:0170"), (Names{"Dial", "Home", "London", "Mobile"}));
    EXPECT_EQ(Found("01701234"), (Names{"Mobile"}));
    // Two zeros are no trunk 0.
    EXPECT_EQ(Found("00170"), Names{});
    // With a country code: its numbers however written, and those written at home, not
    // another country's.
    EXPECT_EQ(Found("+49170"), (Names{"Dial", "Home", "Mobile", "Street"}));
    EXPECT_EQ(Found("phone:+49170"), (Names{"Dial", "Home", "Mobile"}));
    EXPECT_EQ(Found("+44170"), (Names{"Home", "London"}));
    EXPECT_EQ(Found("+4417055"), (Names{"London"}));
    EXPECT_EQ(Found("+49301234"), (Names{"Berlin"}));
    EXPECT_EQ(Found("0301234"), (Names{"Berlin"}));
    EXPECT_EQ(Found("city:+49170"), (Names{"Street"}));
    // A number written at home may be in any country.
    EXPECT_EQ(Found("+1170"), (Names{"Home"}));
    EXPECT_EQ(Found("+1999"), Names{});
}

TEST_F(PersonSearch, EachOfTheSixPhonesIsFoundByItsDigits) {
    const F phones[] = {F::HmPhone, F::WkPhone, F::WkExt, F::CelPhone, F::Pager, F::WkFax};
    for (F phone : phones) {
        Add(Person("", PersonRecord::ColumnName(phone),
                   {{phone, "(7" + std::to_string(int(phone)) + ") 55-01"}}));
    }
    index_.Build(path_);
    for (F phone : phones) {
        const std::string digits = "7" + std::to_string(int(phone)) + "5501";
        EXPECT_EQ(Found(digits.c_str()), (Names{PersonRecord::ColumnName(phone)}));
        EXPECT_EQ(Found(("phone:" + digits).c_str()), (Names{PersonRecord::ColumnName(phone)}));
    }
}

TEST_F(PersonSearch, PrefixesLimitAWordToTheirFields) {
    const RecordId trip = Add(Person("", "Trip", {{F::Position, "Paris office"}}));
    Note(trip, "Trip to Paris in May");
    Add(Person("", "Bakery", {{F::Company, "Paris Bakery"}, {F::City, "Lyon"}}));
    Add(Person("", "Town", {{F::City, "Paris"}, {F::Company, "Lyon Works"}}));
    Add(Person("", "Mail", {{F::Email, "paris@example.com"}, {F::WebPage, "lyon.example.com"}}));
    Add(Person("", "Fax", {{F::WkFax, "555 0199"}, {F::Email, "fax@example.com"}}));
    Add(Person("", "PostCode", {{F::Zip, "5550199"}}));
    index_.Build(path_);
    EXPECT_EQ(Found("paris"), (Names{"Bakery", "Mail", "Town", "Trip"}));
    EXPECT_EQ(Found("company:paris"), (Names{"Bakery"}));
    EXPECT_EQ(Found("COMPANY:PARIS"), (Names{"Bakery"}));
    EXPECT_EQ(Found("city:paris"), (Names{"Town"}));
    EXPECT_EQ(Found("city:lyon"), (Names{"Bakery"}));
    EXPECT_EQ(Found("email:paris"), (Names{"Mail"}));
    EXPECT_EQ(Found("email:lyon"), Names{});
    EXPECT_EQ(Found("note:paris"), (Names{"Trip"}));
    EXPECT_EQ(Found("note:office"), Names{});
    EXPECT_EQ(Found("5550199"), (Names{"Fax", "PostCode"}));
    EXPECT_EQ(Found("phone:5550199"), (Names{"Fax"}));
    // The prefix limits its own word only.
    EXPECT_EQ(Found("555 5550199"), (Names{"Fax", "PostCode"}));
    EXPECT_EQ(Found("phone:555 5550199"), (Names{"Fax"}));
    EXPECT_EQ(Found("phone:5 0"), (Names{"Fax"}));
    EXPECT_EQ(Found("phone:fax"), Names{});
    // A prefix with nothing after it adds nothing; an unknown one is part of the word.
    EXPECT_EQ(Found("city: paris"), (Names{"Bakery", "Mail", "Town", "Trip"}));
    EXPECT_EQ(Found("town:paris"), Names{});
}

TEST_F(PersonSearch, EveryWordMustMatchEachInSomeFieldOfItsOwn) {
    const RecordId ann = Add(Person("Ann", "Lee", {{F::Company, "Acme"}, {F::Position, "Boss"}}));
    Note(ann, "alpha");
    Note(ann, "beta");
    Add(Person("Ann", "Smith", {{F::City, "Leeds"}}));
    Add(Person("Bob", "Lee"));
    index_.Build(path_);
    EXPECT_EQ(Found("ann lee"), (Names{"Lee, Ann", "Smith, Ann"}));
    EXPECT_EQ(Found("lee ann"), (Names{"Lee, Ann", "Smith, Ann"}));
    EXPECT_EQ(Found("ann leeds"), (Names{"Smith, Ann"}));
    EXPECT_EQ(Found("ann acme boss"), (Names{"Lee, Ann"}));
    EXPECT_EQ(Found("ann beta"), (Names{"Lee, Ann"}));
    EXPECT_EQ(Found("alpha beta"), (Names{"Lee, Ann"}));
    EXPECT_EQ(Found("bob ann"), Names{});
    EXPECT_EQ(Found("ann ann"), (Names{"Lee, Ann", "Smith, Ann"}));
    // No word matches across two fields, two contacts, or a field and a contact.
    EXPECT_EQ(Found("annlee"), Names{});
    EXPECT_EQ(Found("nnl"), Names{});
    EXPECT_EQ(Found("acmeboss"), Names{});
    EXPECT_EQ(Found("alphabeta"), Names{});
    EXPECT_EQ(Found("bossalpha"), Names{});
}

TEST_F(PersonSearch, NoWordSpansAPhoneAndTheNextField) {
    Add(Person("", "Fax", {{F::WkFax, "12-34"}, {F::Email, "56@x.org"}, {F::Pager, "9-9"}}));
    index_.Build(path_);
    EXPECT_EQ(Found("1234"), (Names{"Fax"}));
    EXPECT_EQ(Found("99"), (Names{"Fax"}));
    EXPECT_EQ(Found("3456"), Names{});
    EXPECT_EQ(Found("991234"), Names{});
    EXPECT_EQ(Found("phone:56"), Names{});
}

TEST_F(PersonSearch, ContactDescriptionsFindTheirPersonOnly) {
    const RecordId ann = Add(Person("Ann", "Lee"));
    const RecordId bob = Add(Person("Bob", "Ray"));
    Add(Person("Cy", "Dee"));
    Note(ann, "Discussed the Müller contract");
    Note(ann, "Lunch");
    Note(bob, "Lunch");
    Note(bob, "");
    index_.Build(path_);
    EXPECT_EQ(Found("muller"), (Names{"Lee, Ann"}));
    EXPECT_EQ(Found("contract"), (Names{"Lee, Ann"}));
    EXPECT_EQ(Found("lunch"), (Names{"Lee, Ann", "Ray, Bob"}));
    EXPECT_EQ(Found("note:LUNCH bob"), (Names{"Ray, Bob"}));
    EXPECT_EQ(Found("dinner"), Names{});
}

TEST_F(PersonSearch, ReadsWindows1252StoredText) {
    const RecordId id = Add(Person("Luc", "placeholder"));
    TestBook::Execute(path_,
                      "UPDATE Person SET LName = CAST(X'C9' || 'mond' AS TEXT), City = "
                      "CAST('M' || X'FC' || 'nchen' AS TEXT) WHERE ID = '" +
                          id + "'");
    TestBook::Execute(path_, "INSERT INTO Contact VALUES('C0000000-0000-0000-000000000000', '" +
                                 id +
                                 "', '2005-03-01 09:05:00', CAST('Caf' || X'E9' || ' O' || X'92' "
                                 "|| 'Brien' AS TEXT), '9DC618A3-8452-4D33-A70BDB1C91FE', "
                                 "'2005-03-01 09:05:00')");
    index_.Build(path_);
    ASSERT_EQ(Found("placeholder"), Names{});
    EXPECT_EQ(Found("emond").size(), 1u);
    EXPECT_EQ(Found("Émond").size(), 1u);
    EXPECT_EQ(Found("city:munchen").size(), 1u);
    EXPECT_EQ(Found("note:café").size(), 1u);
    EXPECT_EQ(Found("o'brien").size(), 1u);
    EXPECT_EQ(Found("o’brien").size(), 1u);
}

TEST_F(PersonSearch, RefreshFollowsEditsDeletesAndNewContacts) {
    const RecordId ann = Add(Person("Ann", "Lee"));
    const RecordId bob = Add(Person("Bob", "Ray"));
    Note(bob, "Visit");
    index_.Build(path_);
    EXPECT_EQ(index_.size(), 2u);

    // An edit shows once the person is read again.
    TestBook::Execute(path_, "UPDATE Person SET LName = 'Lord' WHERE ID = '" + ann + "'");
    EXPECT_TRUE(index_.Matches(ann, SearchQuery::Parse(QStringLiteral("lee"))));
    index_.Refresh(path_, ann);
    EXPECT_EQ(Found("lee"), Names{});
    EXPECT_EQ(Found("lord"), (Names{"Lord, Ann"}));
    EXPECT_EQ(index_.size(), 2u);

    // A new contact, and one deleted.
    const RecordId call = Note(ann, "Called about the brochure");
    index_.Refresh(path_, ann);
    EXPECT_EQ(Found("brochure"), (Names{"Lord, Ann"}));
    TestBook::Execute(path_, "DELETE FROM Contact WHERE ID = '" + call + "'");
    index_.Refresh(path_, ann);
    EXPECT_EQ(Found("brochure"), Names{});
    EXPECT_EQ(Found("visit"), (Names{"Ray, Bob"}));

    // A person unknown to the index matches nothing until read.
    const RecordId cy = Add(Person("Cy", "Dee"));
    EXPECT_EQ(Found("dee"), Names{});
    EXPECT_TRUE(index_.Matches(cy, SearchQuery()));
    index_.Refresh(path_, cy);
    EXPECT_EQ(Found("dee"), (Names{"Dee, Cy"}));
    EXPECT_EQ(index_.size(), 3u);

    // A deleted person is dropped; put back with the same identifier, found again.
    TestBook::Execute(path_, "DELETE FROM Person WHERE ID = '" + bob + "'");
    index_.Refresh(path_, bob);
    EXPECT_EQ(index_.size(), 2u);
    EXPECT_FALSE(index_.Matches(bob, SearchQuery::Parse(QStringLiteral("ray"))));
    index_.Refresh(path_, bob);
    EXPECT_EQ(index_.size(), 2u);
    PersonRecord back = Person("Bob", "Ray");
    back.id = bob;
    Add(back);
    index_.Refresh(path_, bob);
    EXPECT_EQ(index_.size(), 3u);
    EXPECT_EQ(Found("ray visit"), (Names{"Ray, Bob"}));
    // Refreshing a person that never was changes nothing.
    index_.Refresh(path_, "no such person");
    EXPECT_EQ(index_.size(), 3u);
}

TEST_F(PersonSearch, ManyEditsKeepEveryoneFoundAndMemoryBounded) {
    const RecordId big = Add(Person("Big", "Address", {{F::Addr, std::string(300000, 'x')}}));
    const RecordId ann = Add(Person("Ann", "Lee", {{F::WkPhone, "555-0100"}}));
    Note(ann, "Signed the lease");
    const RecordId bob = Add(Person("Bob", "Ray"));
    Note(bob, "Lunch");
    index_.Build(path_);
    for (int edit = 0; edit < 20; ++edit) {
        TestBook::Execute(path_, "UPDATE Person SET FName = 'Edit" + std::to_string(edit) +
                                     "' WHERE ID = '" + big + "'");
        index_.Refresh(path_, big);
        if (edit == 10) {
            TestBook::Execute(path_, "DELETE FROM Person WHERE ID = '" + bob + "'");
            index_.Refresh(path_, bob);
        }
    }
    // Twenty copies of the long address would take 6 MB.
    EXPECT_LT(index_.MemoryBytes(), size_t(4) << 20);
    EXPECT_EQ(index_.size(), 2u);
    EXPECT_EQ(Found("edit19"), (Names{"Address, Edit19"}));
    EXPECT_EQ(Found("edit18"), Names{});
    EXPECT_EQ(Found("lease 5550100 lee"), (Names{"Lee, Ann"}));
    EXPECT_EQ(Found("note:lease"), (Names{"Lee, Ann"}));
    EXPECT_EQ(Found("lunch"), Names{});
    EXPECT_EQ(Found("xxxxx"), (Names{"Address, Edit19"}));
}

TEST_F(PersonSearch, FailedBuildOrRefreshKeepsTheIndex) {
    Add(Person("Ann", "Lee"));
    index_.Build(path_);
    const std::string missing = book_.Path("missing.tch");
    EXPECT_THROW(index_.Build(missing), cppsqlite3::SQLException);
    EXPECT_THROW(index_.Refresh(missing, "x"), cppsqlite3::SQLException);
    EXPECT_EQ(index_.size(), 1u);
    EXPECT_EQ(Found("lee"), (Names{"Lee, Ann"}));
    index_ = PersonSearchIndex();
    EXPECT_TRUE(index_.Empty());
    EXPECT_EQ(Found("lee"), Names{});
}

TEST_F(PersonSearch, FilterWithinGivenRowsKeepsTheirOrderAndSkipsOthers) {
    for (const char* last : {"Garcia", "Gardner", "Lee", "Ortega", "Smith"}) {
        Add(Person("X", last));
    }
    const RecordId late = Add(Person("X", "Garland"));
    index_.Build(path_);
    TestBook::Execute(path_, "DELETE FROM Person WHERE ID = '" + late + "'");
    Add(Person("X", "Garrison"));  // not read by the index
    PersonRowList rows;
    LoadPersonList(path_, PersonOrder::ByName, rows);
    ASSERT_EQ(rows.size(), 6u);  // Garcia Gardner Garrison Lee Ortega Smith
    const SearchQuery gar = SearchQuery::Parse(QStringLiteral("gar"));
    EXPECT_EQ(index_.Filter(rows, gar), (std::vector<uint32_t>{0, 1}));
    const std::vector<uint32_t> within = {4, 1, 2, 99, 0};
    EXPECT_EQ(index_.Filter(rows, gar, &within), (std::vector<uint32_t>{1, 0}));
    EXPECT_EQ(index_.Filter(rows, SearchQuery::Parse(QStringLiteral("a")), &within),
              (std::vector<uint32_t>{4, 1, 0}));
    // No words: every row considered, known or not.
    EXPECT_EQ(index_.Filter(rows, SearchQuery(), &within), (std::vector<uint32_t>{4, 1, 2, 0}));
    EXPECT_EQ(index_.Filter(rows, SearchQuery()).size(), 6u);
    const std::vector<uint32_t> none;
    EXPECT_TRUE(index_.Filter(rows, gar, &none).empty());
}

// A varied book where the persons share words in different fields and contacts.
class PersonSearchVaried : public PersonSearch {
protected:
    void SetUp() override {
        const char* firsts[] = {"Ann", "Émile", "Jürgen", "Søren", "Zoë", "María", "Bob"};
        const char* lasts[] = {"García", "Garner", "Müller", "Łęcki", "O’Hara", "Straße", "Lee"};
        const char* cities[] = {"Paris", "São Paulo", "Kraków", "Garland", "Lee", ""};
        const char* notes[] = {"Lunch at Garcia's", "Called", "Sent the Paris brochure",
                               "Müller contract",   "",       "Visit to Lee"};
        std::string sql = "BEGIN;";
        for (int i = 0; i < 240; ++i) {
            PersonRecord p = Person(firsts[i % 7], lasts[(i / 7) % 7]);
            p[F::City] = cities[i % 6];
            p[F::Company] = i % 4 == 0 ? "Garcia & Sons" : (i % 4 == 1 ? "Paris Tools" : "");
            p[F::WkPhone] = i % 3 == 0 ? "+1 (555) 01" + std::to_string(i % 50) : "";
            p[F::Email] = std::string(lasts[i % 7]) + "@example.com";
            p.id = NewRecordId();
            sql += "INSERT INTO Person VALUES('" + p.id + "'";
            for (const std::string& field : p.fields) {
                sql += ", '" + QuoteSqlText(field) + "'";
            }
            sql += ", '2005-01-01 00:00:00');";
            for (int c = 0; c < i % 4; ++c) {
                sql += "INSERT INTO Contact VALUES('" + NewRecordId() + "', '" + p.id +
                       "', '2005-03-01 09:05:00', '" + QuoteSqlText(notes[(i + c) % 6]) +
                       "', '9DC618A3-8452-4D33-A70BDB1C91FE', '2005-03-01 09:05:00');";
            }
        }
        TestBook::Execute(path_, sql + "COMMIT;");
        index_.Build(path_);
        LoadPersonList(path_, PersonOrder::ByName, rows_);
    }
    PersonRowList rows_;
};

TEST_F(PersonSearchVaried, NarrowingFromThePreviousResultFindsWhatAFreshFilterFinds) {
    const std::vector<std::vector<const char*>> typing = {
        {"g", "ga", "gar", "garc", "garci", "garcia"},
        {"p", "pa", "par", "pari", "paris", "paris c", "paris ca", "paris cal"},
        {"5", "55", "555", "5550", "55501", "555011"},
        {"c", "ci", "cit", "city", "city:", "city:p", "city:pa", "city:par"},
        {"n", "no", "not", "note", "note:", "note:l", "note:lu", "note:lunch"},
        {"m", "mu", "mül", "müll", "muller", "muller a", "muller an"},
        {"l", "le", "lee", "lee z", "lee zo", "lee zoe"},
        {"0", "05", "055", "0555", "05550", "055501"},
        {"+", "+1", "+15", "+155", "+1555", "+15550"}};
    for (const auto& keystrokes : typing) {
        SearchQuery previous;
        std::vector<uint32_t> shown = index_.Filter(rows_, previous);
        bool narrowed = false;
        for (const char* typed : keystrokes) {
            const SearchQuery query = SearchQuery::Parse(QString::fromUtf8(typed));
            const std::vector<uint32_t> fresh = index_.Filter(rows_, query);
            if (query.Narrows(previous)) {
                narrowed = true;
                EXPECT_EQ(index_.Filter(rows_, query, &shown), fresh) << typed;
            }
            shown = fresh;
            previous = query;
        }
        EXPECT_TRUE(narrowed) << keystrokes.back();
        EXPECT_FALSE(shown.empty()) << keystrokes.back();
    }
}

// The same answers from a plain reading of each field on its own.
TEST_F(PersonSearchVaried, AgreesWithEachFieldSearchedOnItsOwn) {
    struct Read {
        std::vector<std::string> fields, digits, notes;
    };
    std::vector<Read> persons;
    for (uint32_t row = 0; row < rows_.size(); ++row) {
        PersonRecord p;
        ASSERT_TRUE(LoadPerson(path_, RecordId(rows_.Id(row)), p));
        Read read;
        for (const std::string& field : p.fields) {
            read.fields.push_back(FoldForSearch(field));
            std::string digits;
            for (char c : read.fields.back()) {
                if (c >= '0' && c <= '9') {
                    digits += c;
                }
            }
            read.digits.push_back(digits);
        }
        ContactRowList contacts;
        LoadContactList(path_, p.id, ContactOrder::ByDate, contacts);
        for (size_t c = 0; c < contacts.size(); ++c) {
            read.notes.push_back(FoldForSearch(contacts.Notes(c)));
        }
        persons.push_back(read);
    }
    const char* queries[] = {"gar",        "garcia",       "paris",      "company:paris",
                             "city:paris", "city:par lee", "note:lunch", "lunch",
                             "5550110",    "phone:555",    "(555)",      "email:muller",
                             "muller",     "o'hara",       "krakow ann", "lee lee",
                             "sao",        "strasse",      "paris call", "zzz"};
    for (const char* typed : queries) {
        const SearchQuery query = SearchQuery::Parse(QString::fromUtf8(typed));
        std::vector<uint32_t> expected;
        for (uint32_t row = 0; row < rows_.size(); ++row) {
            const Read& p = persons[row];
            bool all = true;
            for (const SearchQuery::Word& w : query.Words()) {
                bool any = false;
                for (int f = 0; f < PersonRecord::FieldCount; ++f) {
                    const bool phone = f >= F::HmPhone && f <= F::WkFax;
                    const bool inScope = w.scope == Scope::Any ||
                                         (w.scope == Scope::Company && f == F::Company) ||
                                         (w.scope == Scope::City && f == F::City) ||
                                         (w.scope == Scope::Email && f == F::Email) ||
                                         (w.scope == Scope::Phone && phone);
                    any = any ||
                          (inScope &&
                           (p.fields[f].find(w.text) != std::string::npos ||
                            (phone && w.digits && p.digits[f].find(w.text) != std::string::npos)));
                }
                for (const std::string& n : p.notes) {
                    any = any || ((w.scope == Scope::Any || w.scope == Scope::Note) &&
                                  n.find(w.text) != std::string::npos);
                }
                all = all && any;
            }
            if (all) {
                expected.push_back(row);
            }
        }
        EXPECT_EQ(index_.Filter(rows_, query), expected) << typed;
        if (std::string(typed) != "zzz") {
            EXPECT_FALSE(expected.empty()) << typed;
        }
    }
}

// The search of a program that runs one and ends finds, in the file's order, whom the index
// finds: through the fields alone, the descriptions alone, both together, and through the
// whole index when there are too many words for one pass.
TEST_F(PersonSearchVaried, FindPersonsFindsWhatTheIndexFindsInTheFilesOrder) {
    std::vector<std::string> fileOrder;
    {
        const std::string ids = TestBook::QueryText(
            path_, "SELECT group_concat(ID, ' ') FROM (SELECT ID FROM Person ORDER BY rowid)");
        for (const QString& id : QString::fromStdString(ids).split(QLatin1Char(' '))) {
            fileOrder.push_back(id.toStdString());
        }
    }
    ASSERT_EQ(fileOrder.size(), rows_.size());
    // 65 different words, each a part of every e-mail address.
    std::set<std::string> parts;
    const std::string domain = "@example.com";
    for (size_t from = 0; from < domain.size(); ++from) {
        for (size_t length = 1; from + length <= domain.size(); ++length) {
            parts.insert(domain.substr(from, length));
        }
    }
    std::string manyWords;
    for (auto part = parts.begin(); part != std::next(parts.begin(), 65); ++part) {
        manyWords += *part + " ";
    }
    const std::vector<std::string> queries = {
        "gar",          "garcia", "paris",        "company:paris",   "city:paris", "city:par lee",
        "note:lunch",   "lunch",  "lunch paris",  "brochure garner", "called zoe", "5550110",
        "phone:555",    "+1555",  "email:muller", "muller",          "o'hara",     "contract ann",
        "sao contract", "zzz",    "lunch zzz",    manyWords};
    for (const std::string& typed : queries) {
        const SearchQuery query = SearchQuery::Parse(QString::fromStdString(typed));
        ASSERT_EQ(query.Words().size() > 64, typed == manyWords);
        std::vector<std::string> expected;
        for (const std::string& id : fileOrder) {
            if (index_.Matches(RecordId(id), query)) {
                expected.push_back(id);
            }
        }
        std::vector<std::string> found;
        for (const PersonRecord& p : PersonSearchIndex::FindPersons(path_, query)) {
            found.push_back(p.id);
            // Every field as stored, not the folded text.
            PersonRecord stored;
            ASSERT_TRUE(LoadPerson(path_, p.id, stored));
            EXPECT_EQ(p.fields, stored.fields) << typed;
        }
        EXPECT_EQ(found, expected) << typed;
        if (typed.find("zzz") == std::string::npos) {
            EXPECT_FALSE(expected.empty()) << typed;
        }
    }
    EXPECT_EQ(
        PersonSearchIndex::FindPersons(path_, SearchQuery::Parse(QString::fromStdString(manyWords)))
            .size(),
        rows_.size());
}

TEST_F(PersonSearch, FindPersonsReportsAFileItCannotRead) {
    Note(Add(Person("Ann", "Lee")), "Lunch");
    const SearchQuery inNotes = SearchQuery::Parse(QStringLiteral("lunch"));
    ASSERT_EQ(PersonSearchIndex::FindPersons(path_, inNotes).size(), 1u);
    // The descriptions are read on a second thread: its failure comes back to the caller.
    TestBook::Execute(path_, "DROP TABLE Contact");
    EXPECT_THROW(PersonSearchIndex::FindPersons(path_, inNotes), cppsqlite3::SQLException);
    // A word only for the fields needs no description.
    EXPECT_TRUE(
        PersonSearchIndex::FindPersons(path_, SearchQuery::Parse(QStringLiteral("city:paris")))
            .empty());
    TestBook::Execute(path_, "DROP TABLE Person");
    EXPECT_THROW(PersonSearchIndex::FindPersons(path_, SearchQuery::Parse(QStringLiteral("ann"))),
                 cppsqlite3::SQLException);
}

}  // namespace
