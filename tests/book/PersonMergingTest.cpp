// Merging persons found twice: the values chosen kept, the contacts moved with their dates and
// types, the others gone, and the undo back to the very rows; both refused when the book has
// changed under them.
#include <gtest/gtest.h>

#include <string>

#include "Database.h"
#include "PersonMerging.h"
#include "SQLException.h"
#include "TestBook.h"

namespace {

using F = PersonRecord::Field;

// Every row of the table as its SQL literals, in the order of the file: what "exactly as it
// was" compares.
std::string Dump(const std::string& path, const char* table, const char* order = "rowid") {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    std::string out;
    for (const editing::StoredRow& row :
         editing::ReadRows(st, std::string("SELECT * FROM ") + table + " ORDER BY " + order)) {
        out += editing::RowValues(row) + "\n";
    }
    return out;
}

class PersonMergingTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        PersonRecord hans;
        hans[F::FName] = "Hans";
        hans[F::LName] = "Müller";
        hans[F::Company] = "Acme";
        hans[F::City] = "Berlin";
        kept_ = TestBook::AddPerson(path_, hans);
        PersonRecord mueller;
        mueller[F::FName] = "Hans";
        mueller[F::LName] = "Mueller";
        mueller[F::Email] = "hans@acme.example";
        mueller[F::CelPhone] = "+49 170 1234567";
        second_ = TestBook::AddPerson(path_, mueller);
        third_ = TestBook::AddPerson(path_, "H.", "Müller", "Acme GmbH");
        TestBook::AddPerson(path_, "Zoe", "Zimmer");
        TestBook::AddContact(path_, kept_, "2026-01-05 09:00:00", "Kept's own");
        secondCall_ = TestBook::AddContact(path_, second_, "2025-11-30 17:45:12", "Called back");
        thirdMail_ = TestBook::AddContact(path_, third_, "2024-02-29 08:00:00", "Wrote",
                                          "7B23BBA0-3F0C-4DD1-A1E26C5B8B9A");
        TestBook::Execute(path_, "UPDATE Globals SET S = '2001-01-01 00:00:00'");
    }

    std::string Stamp() const { return TestBook::QueryText(path_, "SELECT S FROM Globals"); }

    PersonRecord Chosen() const {
        PersonRecord chosen;
        chosen[F::FName] = "Hans";
        chosen[F::LName] = "Müller";
        chosen[F::Company] = "Acme GmbH";        // the third's
        chosen[F::City] = "Berlin";              // the kept's
        chosen[F::Email] = "hans@acme.example";  // the second's
        chosen[F::CelPhone] = "+49 170 1234567";
        return chosen;
    }

    TestBook book_;
    std::string path_;
    RecordId kept_, second_, third_, secondCall_, thirdMail_;
};

TEST_F(PersonMergingTest, TheKeptPersonTakesTheValuesChosenAndEveryContact) {
    const std::string contactsBefore =
        TestBook::QueryText(path_,
                            "SELECT group_concat(DtTm || '/' || Description || '/' || "
                            "ContactTypeID, '|') FROM (SELECT * FROM Contact ORDER BY ID)");
    const editing::MergedRecords merged =
        editing::MergePersons(path_, kept_, Chosen(), {second_, third_});
    EXPECT_EQ(merged.name, "Müller, Hans");
    EXPECT_EQ(merged.moved.size(), 2u);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(*) FROM Person"), "2");
    EXPECT_EQ(TestBook::QueryText(path_,
                                  "SELECT Company || '/' || City || '/' || Email || '/' || "
                                  "CelPhone FROM Person WHERE ID = '" +
                                      kept_ + "'"),
              "Acme GmbH/Berlin/hans@acme.example/+49 170 1234567");
    // Every contact is the kept person's now, its date, note and type as they were.
    EXPECT_EQ(
        TestBook::QueryText(path_, "SELECT COUNT(*) FROM Contact WHERE PersonID = '" + kept_ + "'"),
        "3");
    EXPECT_EQ(TestBook::QueryText(path_,
                                  "SELECT group_concat(DtTm || '/' || Description || '/' "
                                  "|| ContactTypeID, '|') FROM (SELECT * FROM Contact "
                                  "ORDER BY ID)"),
              contactsBefore);
    EXPECT_NE(Stamp(), "2001-01-01 00:00:00");
}

TEST_F(PersonMergingTest, UndoPutsBackTheVeryRows) {
    const std::string persons = Dump(path_, "Person", "ID");
    const std::string contacts = Dump(path_, "Contact");
    const std::string keptPlace =
        TestBook::QueryText(path_, "SELECT rowid FROM Person WHERE ID = '" + kept_ + "'");
    const editing::MergedRecords merged =
        editing::MergePersons(path_, kept_, Chosen(), {second_, third_});
    ASSERT_NE(Dump(path_, "Person", "ID"), persons);
    TestBook::Execute(path_, "UPDATE Globals SET S = '2001-01-01 00:00:00'");
    editing::UndoMerge(path_, merged);
    // Every column of every row, time stamps too; the kept row in its place in the file.
    EXPECT_EQ(Dump(path_, "Person", "ID"), persons);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT rowid FROM Person WHERE ID = '" + kept_ + "'"),
              keptPlace);
    EXPECT_EQ(Dump(path_, "Contact"), contacts);
    EXPECT_NE(Stamp(), "2001-01-01 00:00:00");
}

TEST_F(PersonMergingTest, BothAreRefusedWhenTheBookChangedUnderThem) {
    const std::string persons = Dump(path_, "Person");
    // A person to merge deleted meanwhile: nothing is changed.
    EXPECT_THROW(editing::MergePersons(path_, kept_, Chosen(), {second_, "gone-1"}),
                 cppsqlite3::SQLException);
    EXPECT_EQ(Dump(path_, "Person"), persons);
    EXPECT_THROW(editing::MergePersons(path_, "gone-1", Chosen(), {second_}),
                 cppsqlite3::SQLException);

    const editing::MergedRecords merged = editing::MergePersons(path_, kept_, Chosen(), {third_});
    // A moved contact deleted meanwhile: the undo is refused, the book stays as it is.
    TestBook::Execute(path_, "DELETE FROM Contact WHERE ID = '" + thirdMail_ + "'");
    const std::string before = Dump(path_, "Person");
    EXPECT_THROW(editing::UndoMerge(path_, merged), cppsqlite3::SQLException);
    EXPECT_EQ(Dump(path_, "Person"), before);
}

}  // namespace
