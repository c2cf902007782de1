// The person list's "Last Contact" column: what it shows, its order, and how it follows each
// change of the contact log, made through the real commands and dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QDate>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "AddressBook.h"
#include "CommandKeys.h"
#include "Commands.h"
#include "ContactDialog.h"
#include "EditorDriving.h"
#include "LastContacts.h"
#include "ListModels.h"
#include "MainView.h"
#include "ModalDriver.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

constexpr int kLast = PersonListModel::LastContactColumn;

class LastContactColumnTest : public ::testing::Test {
protected:
    void SetUp() override {
        ann_ = TestBook::AddPerson(path_, "Ann", "Adams");
        TestBook::AddContact(path_, ann_, "2026-03-01 09:00:00", "older");
        annNewest_ = TestBook::AddContact(path_, ann_, "2026-11-20 10:00:00", "newest");
        bob_ = TestBook::AddPerson(path_, "Bob", "Brown");  // never contacted
        cy_ = TestBook::AddPerson(path_, "Cy", "Cole");
        TestBook::AddContact(path_, cy_, "2025-01-05 08:00:00", "call");
        dee_ = TestBook::AddPerson(path_, "Dee", "Dunn");
        TestBook::AddContact(path_, dee_, "2026-11-20 10:00:00", "same time as Ann");
        view_.OnPathChanged(path_);
        CommandKeys::Install(view_, [this](int command) { book::RunViewCommand(view_, command); });
        view_.Reload();
        view_.resize(900, 600);
        view_.show();
    }

    // Each row as "name|last contact", in list order.
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        const QAbstractItemModel* model = view_.PersonList()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            rows.push_back(model->index(row, 0).data().toString().toStdString() + "|" +
                           model->index(row, kLast).data().toString().toStdString());
        }
        return rows;
    }
    static std::string Shown(int y, int m, int d) {
        return FormatDisplayDate(DateTime::FromFields(y, m, d));
    }
    void ClickHeader(int column) {
        QHeaderView* header = view_.PersonList()->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    void SelectPerson(const RecordId& id) { ClickPerson(view_, id); }
    void SelectContact(const RecordId& id) { ClickContact(view_, id); }
    void Run(int command) { EXPECT_TRUE(book::RunViewCommand(view_, command)) << command; }
    // The contact dialog opened by the command, given this date.
    void LogOn(int command, const QDate& date) {
        ModalDriver dialogs;
        dialogs.Expect([date](QDialog& d) {
            ContactDialog& dialog = Contact(d);
            dialog.DatePicker()->setDate(date);
            if (dialog.DescriptionField()->toPlainText().isEmpty()) {
                QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("Talked"));
            }
            PressOk(dialog, dialog.OkButton());
        });
        Run(command);
    }
    std::string Of(const RecordId& id) const {
        const int row = view_.PersonRows().Find(id);
        return row < 0
                   ? "(not listed)"
                   : view_.PersonList()->model()->index(row, kLast).data().toString().toStdString();
    }

    TestBook book_;
    std::string path_ = book_.Create();
    RecordId ann_, annNewest_, bob_, cy_, dee_;
    MainView view_;
};

TEST_F(LastContactColumnTest, HiddenUntilAskedForThenShowsEachNewestContact) {
    EXPECT_TRUE(view_.PersonList()->isColumnHidden(kLast));
    EXPECT_FALSE(view_.PersonRows().Rows().HasLastContacts());  // nothing read for it
    view_.ShowLastContactColumn(true);
    EXPECT_FALSE(view_.PersonList()->isColumnHidden(kLast));
    EXPECT_GT(view_.LastContactColumnWidth(), 0);
    EXPECT_EQ(view_.PersonList()->model()->headerData(kLast, Qt::Horizontal).toString(),
              QStringLiteral("Last Contact"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Adams, Ann|" + Shown(2026, 11, 20), "Brown, Bob|",
                                                "Cole, Cy|" + Shown(2025, 1, 5),
                                                "Dunn, Dee|" + Shown(2026, 11, 20)}));
    // The time is in the tip.
    EXPECT_NE(view_.PersonList()->model()->index(0, kLast).data(Qt::ToolTipRole).toString(),
              QString());
    // A reload shows the same; hidden again, the column and its reading go.
    view_.Reload();
    EXPECT_EQ(Of(cy_), Shown(2025, 1, 5));
    view_.ShowLastContactColumn(false);
    EXPECT_TRUE(view_.PersonList()->isColumnHidden(kLast));
    EXPECT_FALSE(view_.PersonRows().Rows().HasLastContacts());
}

TEST_F(LastContactColumnTest, SortsNewestThenOldestFirstWithTheNeverContactedLast) {
    view_.ShowLastContactColumn(true);
    SelectPerson(cy_);
    ClickHeader(kLast);
    EXPECT_TRUE(view_.PersonsNewestFirst());
    EXPECT_EQ(view_.PersonList()->header()->sortIndicatorSection(), kLast);
    // Ann and Dee alike keep the names' order.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Adams, Ann|" + Shown(2026, 11, 20),
                                                "Dunn, Dee|" + Shown(2026, 11, 20),
                                                "Cole, Cy|" + Shown(2025, 1, 5), "Brown, Bob|"}));
    EXPECT_EQ(view_.CurrentPersonId(), cy_);  // the selection stays with the person
    ClickHeader(kLast);
    EXPECT_TRUE(view_.PersonsByLastContact());
    EXPECT_FALSE(view_.PersonsNewestFirst());
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "Cole, Cy|" + Shown(2025, 1, 5), "Adams, Ann|" + Shown(2026, 11, 20),
                          "Dunn, Dee|" + Shown(2026, 11, 20), "Brown, Bob|"}));
    // Back to the names, from A.
    ClickHeader(0);
    EXPECT_FALSE(view_.PersonsByLastContact());
    EXPECT_EQ(Rows().front(), "Adams, Ann|" + Shown(2026, 11, 20));
    // Hiding the column sorted by ends its order.
    ClickHeader(kLast);
    view_.ShowLastContactColumn(false);
    EXPECT_FALSE(view_.PersonsByLastContact());
    EXPECT_EQ(view_.PersonList()->header()->sortIndicatorSection(), 0);
    EXPECT_EQ(view_.PersonRows().Rows().Name(0), "Adams, Ann");
}

TEST_F(LastContactColumnTest, FollowsEachContactAddedEditedDeletedAndUndone) {
    view_.ShowLastContactColumn(true);
    // A first contact for Bob.
    SelectPerson(bob_);
    LogOn(cmd::kAddContact, QDate(2026, 12, 1));
    EXPECT_EQ(Of(bob_), Shown(2026, 12, 1));
    // An older one changes nothing; the newest moved back shows the one before.
    SelectPerson(ann_);
    LogOn(cmd::kAddContact, QDate(2020, 1, 1));
    EXPECT_EQ(Of(ann_), Shown(2026, 11, 20));
    SelectContact(annNewest_);
    LogOn(cmd::kEditContact, QDate(2019, 6, 6));
    EXPECT_EQ(Of(ann_), Shown(2026, 3, 1));
    // Cy's only contact deleted, then put back.
    SelectPerson(cy_);
    SelectContact(RecordId(view_.ContactRows().Rows().Id(0)));
    Run(cmd::kDeleteContact);
    EXPECT_EQ(Of(cy_), "");
    Run(cmd::kUndoDelete);
    EXPECT_EQ(Of(cy_), Shown(2025, 1, 5));
    // A person deleted and undone comes back with their date.
    SelectPerson(dee_);
    Run(cmd::kDeletePerson);
    EXPECT_EQ(Of(dee_), "(not listed)");
    Run(cmd::kUndoDelete);
    EXPECT_EQ(Of(dee_), Shown(2026, 11, 20));
    // Sorted by the column, a new contact moves the person at once.
    ClickHeader(kLast);
    SelectPerson(cy_);
    LogOn(cmd::kAddContact, QDate(2027, 1, 1));
    EXPECT_EQ(Rows().front(), "Cole, Cy|" + Shown(2027, 1, 1));
    EXPECT_EQ(view_.CurrentPersonId(), cy_);
}

TEST_F(LastContactColumnTest, ChangesFromElsewhereAreReadWholeAtTheNextReload) {
    view_.ShowLastContactColumn(true);
    // What an import, a sync or another copy of the program writes: the view is told to reload.
    const RecordId eve = TestBook::AddPerson(path_, "Eve", "Eton");
    TestBook::AddContact(path_, eve, "2026-12-08 08:00:00", "imported");
    TestBook::Execute(path_, "DELETE FROM Contact WHERE PersonID = '" + dee_ + "'");
    view_.OnReload();
    EXPECT_EQ(Of(eve), Shown(2026, 12, 8));
    EXPECT_EQ(Of(dee_), "");
    EXPECT_EQ(Of(ann_), Shown(2026, 11, 20));
}

TEST_F(LastContactColumnTest, ASearchKeepsTheDatesAndTheirChanges) {
    view_.ShowLastContactColumn(true);
    QLineEdit* search = view_.SearchField();
    search->setFocus();
    // Whom the user has not contacted since the start of 2026.
    QTest::keyClicks(search, QStringLiteral("before:2026"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Brown, Bob|", "Cole, Cy|" + Shown(2025, 1, 5)}));
    // Cy phoned now stays shown (just changed) with the new date, and so after the search.
    SelectPerson(cy_);
    LogOn(cmd::kAddContact, QDate(2026, 12, 9));
    EXPECT_EQ(Of(cy_), Shown(2026, 12, 9));
    search->clear();
    EXPECT_EQ(Of(cy_), Shown(2026, 12, 9));
    QTest::keyClicks(search, QStringLiteral("before:2026"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Brown, Bob|"}));
}

TEST_F(LastContactColumnTest, ADateThatDoesNotReadIsExplainedInTheStatusBar) {
    QSignalSpy status(&view_, &MainView::StatusMessage);
    QLineEdit* search = view_.SearchField();
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("since:2026-13"));
    ASSERT_FALSE(status.isEmpty());
    const QString last = status.last().front().toString();
    EXPECT_TRUE(last.startsWith(QStringLiteral("Not a date: since:2026-13.")))
        << last.toStdString();
    EXPECT_EQ(view_.PersonRows().Rows().size(), 4u);  // it asks nothing
    search->clear();
    QTest::keyClicks(search, QStringLiteral("brown since:2026-13"));
    EXPECT_TRUE(
        status.last().front().toString().startsWith(QStringLiteral("1 of 4 persons. Not a")));
}

// ---- The store behind the column ----------------------------------------------------------

TEST(LastContacts, ReadsRefreshesAndKnowsManyPersons) {
    TestBook book;
    const std::string path = book.Create();
    TestBook::Execute(path,
                      "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < "
                      "3000) INSERT INTO Person(ID, LName, TmStamp) SELECT printf('P-%05d', n), n, "
                      "'' FROM k");
    std::vector<RecordId> ids;
    for (int i = 1; i <= 3000; ++i) {
        ids.push_back(
            TestBook::QueryText(path, "SELECT ID FROM Person WHERE rowid = " + std::to_string(i)));
    }
    TestBook::Execute(path,
                      "INSERT INTO Contact SELECT ID || '-c', ID, printf('2026-%02d-01 10:00:00', "
                      "1 + rowid % 12), 'x', '9DC618A3-8452-4D33-A70BDB1C91FE', '' FROM Person "
                      "WHERE rowid % 3 != 0");
    TestBook::Execute(path, "INSERT INTO Contact VALUES('odd', '" + ids[1] +
                                "', '2099-01-01 99:00:00', 'x', 't', '')");
    LastContacts last;
    EXPECT_FALSE(last.Ready());
    last.Read(path);
    ASSERT_TRUE(last.Ready());
    int dated = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        const long rowid = static_cast<long>(i) + 1;
        const DateTime when = last.Of(ids[i]);
        if (i == 1) {
            // Its newest as text does not read: no date rather than a wrong one.
            EXPECT_FALSE(when.IsValid());
            continue;
        }
        if (rowid % 3 == 0) {
            EXPECT_FALSE(when.IsValid()) << i;
        } else {
            ++dated;
            EXPECT_EQ(when, DateTime::FromFields(2026, 1 + rowid % 12, 1, 10)) << i;
        }
    }
    EXPECT_EQ(dated, 1999);
    EXPECT_FALSE(last.Of("nobody").IsValid());
    // One person's contacts changed: read again alone.
    TestBook::Execute(path, "DELETE FROM Contact WHERE PersonID = '" + ids[4] + "'");
    TestBook::AddContact(path, ids[3], "2030-05-05 05:05:05", "new");
    last.Refresh(path, {ids[3], ids[4], RecordId()});
    EXPECT_EQ(last.Of(ids[3]), DateTime::FromFields(2030, 5, 5, 5, 5, 5));
    EXPECT_FALSE(last.Of(ids[4]).IsValid());
    EXPECT_EQ(last.Of(ids[6]), DateTime::FromFields(2026, 8, 1, 10));
    // Rows given their dates, in the file's order and then again with a person fewer and in
    // another order: the same dates each time.
    const auto check = [&](PersonRowList& rows) {
        last.Fill(rows);
        ASSERT_TRUE(rows.HasLastContacts());
        for (size_t row = 0; row < rows.size(); ++row) {
            EXPECT_EQ(rows.LastContact(row), last.Of(rows.Id(row))) << row;
        }
    };
    PersonRowList rows;
    ReadPersonRows(path, rows);
    check(rows);
    check(rows);
    EXPECT_EQ(rows.LastContact(3), DateTime::FromFields(2030, 5, 5, 5, 5, 5));
    PersonRowList fewer;
    ReadPersonRows(path, fewer);
    fewer.Erase(0);
    SortPersonRows(fewer, PersonOrder::ByName, true);
    check(fewer);
    check(fewer);
    // The person left out comes back as a command or a reload of the file reads them again.
    last.Refresh(path, {ids[0]});
    check(rows);
    EXPECT_EQ(rows.LastContact(0), DateTime::FromFields(2026, 2, 1, 10));
    // A file that cannot be read leaves the whole to be read again.
    last.Refresh(book.Path("gone/none.tch"), {ids[3]});
    EXPECT_FALSE(last.Ready());
}

TEST(LastContacts, ReadsTheStoredFormAndOtherFormsAndSortsTheUndatedLast) {
    EXPECT_EQ(ReadContactTime("2026-02-28 23:59:59"),
              DateTime::FromFields(2026, 2, 28, 23, 59, 59));
    EXPECT_FALSE(ReadContactTime("2026-02-30 10:00:00").IsValid());
    EXPECT_FALSE(ReadContactTime("").IsValid());
    PersonRowList rows;
    rows.Append({"a", "A", "", ""}, DateTime::FromFields(2026, 1, 1));
    rows.Append({"b", "B", "", ""});
    rows.Append({"c", "C", "", ""}, DateTime::FromFields(2027, 1, 1));
    rows.Append({"d", "D", "", ""}, DateTime::FromFields(2026, 1, 1));
    const auto order = [&rows] {
        std::string ids;
        for (size_t row = 0; row < rows.size(); ++row) {
            ids += rows.Id(row);
        }
        return ids;
    };
    SortByLastContact(rows, true);
    EXPECT_EQ(order(), "cadb");
    SortByLastContact(rows, false);
    EXPECT_EQ(order(), "adcb");
    rows.Erase(0);
    EXPECT_EQ(rows.LastContact(0), DateTime::FromFields(2026, 1, 1));
    EXPECT_EQ(rows.Id(0), "d");
}

}  // namespace
