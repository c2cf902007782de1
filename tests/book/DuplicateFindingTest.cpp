// Finding the same person twice: the keys persons are compared by, the groups and their
// reasons, the persons that look alike and must not be offered, and the pairs the user said are
// distinct, kept in the book.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DuplicateFinding.h"
#include "TestBook.h"

namespace {

using duplicates::Find;
using duplicates::Group;
using duplicates::NameKey;
using duplicates::Person;
using duplicates::PhoneKey;

Person P(const char* id, const char* first, const char* last, const char* company = "",
         const char* city = "") {
    Person p;
    p.id = id;
    p.first = first;
    p.last = last;
    p.company = company;
    p.city = city;
    return p;
}

// "a+b:reasons" for each group.
std::vector<std::string> Shown(const std::vector<Group>& groups) {
    std::vector<std::string> out;
    for (const Group& g : groups) {
        std::string line;
        for (const RecordId& id : g.persons) {
            line += (line.empty() ? "" : "+") + id;
        }
        line += ':';
        line += (g.reasons & duplicates::kSameEmail) ? "e" : "";
        line += (g.reasons & duplicates::kSamePhone) ? "p" : "";
        line += (g.reasons & duplicates::kSimilarName) ? "n" : "";
        out.push_back(line);
    }
    return out;
}

TEST(DuplicateKeys, AddressesCaseAndBlanksAsideOnlyWithAnAt) {
    EXPECT_EQ(duplicates::EmailKey(" Hans.Mueller@Example.COM "), "hans.mueller@example.com");
    EXPECT_EQ(duplicates::EmailKey("hans"), "");
    EXPECT_EQ(duplicates::EmailKey("@example.com"), "");
    EXPECT_EQ(duplicates::EmailKey(""), "");
}

TEST(DuplicateKeys, NumbersNationalAndInternationalAlike) {
    const std::string berlin = PhoneKey("030/1234567");
    EXPECT_EQ(berlin, "01234567");
    for (const char* same :
         {"+49 30 1234567", "0049 30 123 45 67", "+49 (0)30 1234567", "(030) 123-4567"}) {
        EXPECT_EQ(PhoneKey(same), berlin) << same;
    }
    // Short numbers whole, once the country code is off; too short for a key at all.
    EXPECT_EQ(PhoneKey("+1 555 0100"), PhoneKey("555-0100"));
    EXPECT_EQ(PhoneKey("555-0100"), "5550100");
    EXPECT_EQ(PhoneKey("112"), "");
    EXPECT_EQ(PhoneKey("ask at the desk"), "");
    // Neighbours of one exchange and colleagues of one switchboard stay apart.
    EXPECT_NE(PhoneKey("030 1234567"), PhoneKey("030 1234568"));
    EXPECT_NE(PhoneKey("030 123456", "12"), PhoneKey("030 123456", "13"));
    EXPECT_EQ(PhoneKey("030 123456", "x12"), PhoneKey("+49 30 123456", "12"));
}

TEST(DuplicateKeys, NamesAsPeopleReadThem) {
    EXPECT_EQ(NameKey("Müller"), NameKey("Mueller"));
    EXPECT_EQ(NameKey("MÜLLER"), NameKey("mueller"));
    EXPECT_EQ(NameKey("Größe"), NameKey("Groesse"));
    EXPECT_EQ(NameKey("Øvergård"), NameKey("Overgaard"));
    EXPECT_EQ(NameKey("José"), NameKey("Jose"));
    EXPECT_EQ(NameKey("O'Brien"), NameKey("OBrien"));
    EXPECT_EQ(NameKey("Jean-Luc"), NameKey("Jean  Luc"));
    EXPECT_EQ(NameKey("H."), "h");
    EXPECT_NE(NameKey("Müller"), NameKey("Miller"));

    // A slip in a name of five letters or more; none in a shorter one.
    EXPECT_TRUE(duplicates::SameName("muller", "mulller"));
    EXPECT_TRUE(duplicates::SameName("schmidt", "schmitt"));
    EXPECT_TRUE(duplicates::SameName("schmidt", "shcmidt"));
    EXPECT_TRUE(duplicates::SameName("hansen", "hanse"));
    EXPECT_FALSE(duplicates::SameName("lee", "lea"));
    EXPECT_FALSE(duplicates::SameName("schmidt", "schmied"));
    EXPECT_FALSE(duplicates::SameName("", ""));
    EXPECT_TRUE(duplicates::SameFirstName("h", "hans"));
    EXPECT_TRUE(duplicates::SameFirstName("hans", "h"));
    EXPECT_FALSE(duplicates::SameFirstName("h", "karl"));
    EXPECT_FALSE(duplicates::SameFirstName("", "h"));
    EXPECT_TRUE(duplicates::SameFirstName("hans peter", "hans"));
    EXPECT_TRUE(duplicates::SameFirstName("hans peter", "h p"));
    EXPECT_FALSE(duplicates::SameFirstName("hans peter", "hans karl"));
}

TEST(DuplicateFinding, EachReasonMakesAGroupAndSaysWhy) {
    std::vector<Person> persons = {
        P("a1", "Ann", "Lee"),     P("a2", "Annie", "Lee-Smith"),  // same e-mail
        P("b1", "Bo", "Ode"),      P("b2", "Robert", "Ode"),       // same phone
        P("c1", "Hans", "Müller"), P("c2", "Hans", "Mueller"),     // similar name
        P("z1", "Zoe", "Zimmer"),
    };
    persons[0].email = "ann@example.com";
    persons[1].email = "ANN@example.com ";
    persons[2].cel = "+49 170 1234567";
    persons[3].home = "0170/123 45 67";
    EXPECT_EQ(Shown(Find(persons)), (std::vector<std::string>{"a1+a2:e", "c1+c2:n", "b1+b2:p"}));
}

TEST(DuplicateFinding, NamesInEitherOrderWholeOrWithInitialsAndSlips) {
    const std::vector<Person> persons = {
        P("m1", "Hans", "Müller", "Acme"),
        P("m2", "Mueller", "Hans", "Acme"),     // first and last swapped
        P("m3", "", "Hans Mueller", "Acme"),    // the whole name in one field
        P("m4", "H.", "Müller", "", "Berlin"),  // an initial, no company
        P("m5", "Hans", "Mülller", "Acme"),     // one slip
        P("s1", "Sören", "Kierkegaard", "", "Kobenhavn"),
        P("s2", "Soeren", "Kirkegaard", "Kierkegaard & Co", "København"),
    };
    EXPECT_EQ(Shown(Find(persons)), (std::vector<std::string>{"s1+s2:n", "m1+m2+m3+m4+m5:n"}));
}

TEST(DuplicateFinding, PersonsThatOnlyLookAlikeAreNotOffered) {
    std::vector<Person> persons = {
        P("f1", "Hans", "Mueller", "Acme"),
        P("f2", "Hans", "Schmidt", "Acme"),  // the same first name and company only
        P("c1", "Ann", "Lee", "Acme", "Berlin"),
        P("c2", "Bob", "Ode", "Acme", "Berlin"),  // the same company and city only
        P("d1", "Karl", "Lange", "Zeta", "Munich"),
        P("d2", "Karl", "Lange", "Omega", "Hamburg"),  // the same name, elsewhere entirely
        P("e1", "Eva", "Kurz"),
        P("e2", "Eve", "Kurz"),  // short names: no slip allowed
        P("n1", "Nils", "Berg"),
        P("n2", "Nina", "Berg"),
    };
    persons[0].work = "030 1234567";
    persons[1].work = "030 1234568";  // the exchange's digits shared
    persons[2].work = "030 555000";
    persons[2].extension = "11";
    persons[3].work = "030 555000";  // one switchboard, two extensions
    persons[3].extension = "12";
    persons[8].email = "n@";  // no address
    persons[9].email = "n@";
    EXPECT_EQ(Shown(Find(persons)), std::vector<std::string>{});
}

TEST(DuplicateFinding, AFamilyNameOfTwoWordsTurnedRoundIsComparedWhole) {
    // w2 is w1 entered the other way round; w3 and w4 are others of the same first name whose
    // family names begin alike.
    const std::vector<Person> persons = {
        P("w1", "Lukas", "Andersson Berg"),
        P("w2", "Andersson Berg", "Lukas"),
        P("w3", "Lukas", "Andersson Holm", "", "Oslo"),
        P("w4", "Andersson Lund", "Lukas", "", "Lyon"),
    };
    EXPECT_EQ(Shown(Find(persons)), std::vector<std::string>{"w1+w2:n"});
}

TEST(DuplicateFinding, ReasonsAddUpAndAGroupJoinsThroughAnyPair) {
    std::vector<Person> persons = {
        P("a", "Ann", "Lee"),
        P("b", "Ann", "Lee"),
        P("c", "Annette", "Sommer"),
    };
    persons[0].email = "ann@example.com";
    persons[1].cel = "+44 7700 900123";
    persons[2].email = "ANN@example.com";
    persons[2].home = "07700 900123";
    EXPECT_EQ(Shown(Find(persons)), std::vector<std::string>{"a+b+c:epn"});
}

TEST(DuplicateFinding, PairsSaidDistinctAreKeptInTheBookAndLeftApart) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId a = TestBook::AddPerson(path, "Hans", "Müller", "Acme");
    const RecordId b = TestBook::AddPerson(path, "Hans", "Mueller", "Acme");
    const RecordId c = TestBook::AddPerson(path, "H.", "Mueller", "");
    TestBook::AddPerson(path, "Zoe", "Zimmer");
    ASSERT_EQ(duplicates::FindInBook(path).size(), 1u);
    EXPECT_EQ(duplicates::FindInBook(path)[0].persons.size(), 3u);
    EXPECT_TRUE(duplicates::ReadDistinct(path).empty());

    // a and b are two persons; c still looks like each of them.
    duplicates::MarkDistinct(path, {a, b});
    duplicates::MarkDistinct(path, {b, a});
    EXPECT_EQ(duplicates::ReadDistinct(path).size(), 1u);
    auto groups = duplicates::FindInBook(path);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].persons.size(), 3u);
    // All three distinct: nothing is offered again, and the persons are untouched.
    duplicates::MarkDistinct(path, {a, b, c});
    EXPECT_EQ(duplicates::ReadDistinct(path).size(), 3u);
    EXPECT_TRUE(duplicates::FindInBook(path).empty());
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM Person"), "4");
}

}  // namespace
