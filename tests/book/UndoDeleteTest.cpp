#include <gtest/gtest.h>

#include <string>

#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "CommandAvailability.h"
#include "CommandKeys.h"
#include "Commands.h"
#include "Database.h"
#include "EditorDriving.h"
#include "ListModels.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "SQLException.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

constexpr char kOldStamp[] = "2000-01-01 00:00:00";

// Every row of a table as the engine holds it: each field's storage class and bytes.
std::string Dump(const std::string& path, const std::string& table) {
    const std::string columns = TestBook::QueryText(
        path, "SELECT group_concat(name, ',') FROM pragma_table_info('" + table + "')");
    std::string row;
    size_t start = 0;
    while (start <= columns.size()) {
        const size_t end = std::min(columns.find(',', start), columns.size());
        const std::string c = columns.substr(start, end - start);
        row +=
            (row.empty() ? "" : "||','||") + std::string("typeof(") + c + ")||':'||hex(" + c + ")";
        start = end + 1;
    }
    return TestBook::QueryText(path, "SELECT group_concat(r, '|') FROM (SELECT " + row +
                                         " AS r FROM " + table + " ORDER BY ID)");
}

class UndoDeleteTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        // A person whose fields are stored as no editor would write them: bytes that are not
        // UTF-8, a NUL inside a text, a NULL, a blob and a stamp of its own.
        TestBook::Execute(
            path_,
            "INSERT INTO Person(ID, Title, FName, LName, Company, Addr, City, Zip, Email, "
            "TmStamp) VALUES('11111111-2222-3333-44445555AAAA', NULL, CAST(X'C9' || 'mile' AS "
            "TEXT), 'O''Brien', 'a' || char(0) || 'b', '1 Main St' || char(13, 10) || 'Apt 2', "
            "'Caf' || CAST(X'E9' AS TEXT), X'00FF41', 'e@example.com', '1999-12-31 23:59:59')");
        person_ = "11111111-2222-3333-44445555AAAA";
        call_ = TestBook::AddContact(path_, person_, "2005-03-01 09:05:00", "first call");
        TestBook::Execute(
            path_, "UPDATE Contact SET TmStamp = '2001-02-03 04:05:06' WHERE ID = '" + call_ + "'");
        mail_ = TestBook::AddContact(path_, person_, "2006-01-01 10:00:00", "mail\r\nsent",
                                     "03F6262A-4362-44A9-B770293650BB");
        other_ = TestBook::AddPerson(path_, "Bob", "Brown");
        otherCall_ = TestBook::AddContact(path_, other_, "2007-07-07 07:07:07", "bob's call");
        view_.OnPathChanged(path_);
        // The keys run their commands as the main window has them do.
        CommandKeys::Install(view_, [this](int command) { book::RunViewCommand(view_, command); });
        view_.Reload();
        view_.show();
        TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
    }

    std::string Stamp() const { return TestBook::QueryText(path_, "SELECT S FROM Globals"); }
    std::string Everything() const { return Dump(path_, "Person") + "#" + Dump(path_, "Contact"); }
    void Run(int command) { EXPECT_TRUE(book::RunViewCommand(view_, command)) << command; }
    void SelectPerson(const RecordId& id) { ClickPerson(view_, id); }
    void SelectContact(const RecordId& id) { ClickContact(view_, id); }

    TestBook book_;
    std::string path_;
    RecordId person_, call_, mail_, other_, otherCall_;
    MainView view_;
};

TEST_F(UndoDeleteTest, APersonComesBackWithItsContactsExactlyAsStored) {
    const std::string before = Everything();
    ASSERT_NE(before.find("null:"), std::string::npos);  // the fixture holds what it claims
    ASSERT_NE(before.find("blob:00FF41"), std::string::npos);
    EXPECT_FALSE(book::IsAvailable(cmd::kUndoDelete, view_.State()));

    QSignalSpy status(&view_, &MainView::StatusMessage);
    SelectPerson(person_);
    Run(cmd::kDeletePerson);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Contact"), "1");
    EXPECT_EQ(view_.PersonRows().Find(person_), -1);
    ASSERT_EQ(status.count(), 1);
    const QString said = status.last().at(0).toString();
    EXPECT_TRUE(said.contains(QStringLiteral("2 contacts"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("Ctrl+Z"))) << said.toStdString();
    EXPECT_TRUE(book::IsAvailable(cmd::kUndoDelete, view_.State()));

    TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
    Run(cmd::kUndoDelete);
    EXPECT_EQ(Everything(), before);
    EXPECT_NE(Stamp(), kOldStamp);  // stamped like every change
    EXPECT_EQ(view_.CurrentPersonId(), person_);
    EXPECT_EQ(view_.ContactRows().Rows().size(), 2u);
    EXPECT_EQ(view_.UndoCount(), 0);
    EXPECT_FALSE(book::IsAvailable(cmd::kUndoDelete, view_.State()));
    EXPECT_EQ(status.count(), 2);
}

TEST_F(UndoDeleteTest, UndoWorksBackThroughEveryDelete) {
    const std::string before = Everything();
    SelectPerson(person_);
    Run(cmd::kDeletePerson);
    SelectPerson(other_);
    SelectContact(otherCall_);
    Run(cmd::kDeleteContact);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Contact"), "0");
    EXPECT_EQ(view_.UndoCount(), 2);

    // The contact first, selected under its person.
    Run(cmd::kUndoDelete);
    EXPECT_EQ(view_.CurrentPersonId(), other_);
    EXPECT_EQ(view_.CurrentContactId(), otherCall_);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT Description FROM Contact"), "bob's call");
    // Then the person deleted before it.
    Run(cmd::kUndoDelete);
    EXPECT_EQ(view_.CurrentPersonId(), person_);
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(view_.UndoCount(), 0);
    Run(cmd::kUndoDelete);  // nothing left: nothing happens
    EXPECT_EQ(Everything(), before);
}

TEST_F(UndoDeleteTest, OpeningAFileForgetsTheDeletes) {
    SelectPerson(person_);
    Run(cmd::kDeletePerson);
    ASSERT_EQ(view_.UndoCount(), 1);
    TestBook other;
    view_.OnPathChanged(other.Create("other.tch"));
    view_.Reload();
    EXPECT_EQ(view_.UndoCount(), 0);
    EXPECT_FALSE(book::IsAvailable(cmd::kUndoDelete, view_.State()));
    // Even the same file opened again starts with nothing to undo.
    view_.OnPathChanged(path_);
    EXPECT_EQ(view_.UndoCount(), 0);
}

TEST_F(UndoDeleteTest, AFailedUndoIsShownAndCanBeTriedAgain) {
    SelectPerson(person_);
    Run(cmd::kDeletePerson);
    const std::string deleted = Everything();
    {
        cppsqlite3::Database locker;
        locker.Open(path_);
        locker.CreateStatement().Execute("BEGIN IMMEDIATE");
        MessageRecorder boxes;
        boxes.Expect();
        Run(cmd::kUndoDelete);
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Undoing Delete"));
        EXPECT_EQ(boxes.Last().icon, platform::MessageIcon::Error);
        EXPECT_EQ(Everything(), deleted);  // nothing half put back
        EXPECT_EQ(view_.UndoCount(), 1);
    }
    Run(cmd::kUndoDelete);
    EXPECT_EQ(view_.CurrentPersonId(), person_);
    EXPECT_EQ(view_.UndoCount(), 0);
}

TEST_F(UndoDeleteTest, ARecordBackInTheMeantimeIsNotDoubled) {
    SelectPerson(other_);
    SelectContact(otherCall_);
    Run(cmd::kDeleteContact);
    // Another program put the same row back meanwhile: the undo fails whole, nothing doubles.
    TestBook::AddContact(path_, other_, "2007-07-07 07:07:07", "bob's call");
    TestBook::Execute(
        path_, "UPDATE Contact SET ID = '" + otherCall_ + "' WHERE PersonID = '" + other_ + "'");
    MessageRecorder boxes;
    boxes.Expect();
    Run(cmd::kUndoDelete);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Undoing Delete"));
    EXPECT_EQ(TestBook::QueryText(path_,
                                  "SELECT count(*) FROM Contact WHERE PersonID = '" + other_ + "'"),
              "1");
}

TEST_F(UndoDeleteTest, AContactWhosePersonWentStaysGone) {
    SelectPerson(person_);
    SelectContact(call_);
    Run(cmd::kDeleteContact);
    TestBook::Execute(path_, "DELETE FROM Person WHERE ID = '" + person_ + "'");
    MessageRecorder boxes;
    boxes.Expect();
    Run(cmd::kUndoDelete);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Undoing Delete"));
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Contact WHERE ID = '" + call_ + "'"),
              "0");
}

}  // namespace
