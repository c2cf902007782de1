#include <gtest/gtest.h>

#include <cstdio>

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "BookWatcher.h"
#include "ChangeStamp.h"
#include "Commands.h"
#include "ContactDialog.h"
#include "Database.h"
#include "EditorDriving.h"
#include "ListModels.h"
#include "MainView.h"
#include "ModalDriver.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

// The main view with a book another program writes to meanwhile, through connections of its
// own, as a second copy of the program would.
class BookWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        ann_ = TestBook::AddPerson(path_, "Ann", "Adams");
        bob_ = TestBook::AddPerson(path_, "Bob", "Brown");
        cleo_ = TestBook::AddPerson(path_, "Cleo", "Clark");
        view_.OnPathChanged(path_);
        view_.Reload();
        view_.show();
        news_ = std::make_unique<QSignalSpy>(view_.Watcher(), &BookWatcher::ChangedElsewhere);
    }

    // A person written elsewhere, with the stamp every change of the program ends with.
    RecordId AddElsewhere(const std::string& first, const std::string& last) {
        const RecordId id = TestBook::AddPerson(path_, first, last);
        TestBook::Execute(path_, "UPDATE Globals SET S = '2031-01-01 10:00:" +
                                     std::to_string(10 + stamps_++) + "'");
        return id;
    }

    void Select(const RecordId& id) {
        const int row = view_.PersonRows().Find(id);
        ASSERT_GE(row, 0);
        QTreeView* list = view_.PersonList();
        list->setCurrentIndex(list->model()->index(row, 0));
        ASSERT_EQ(view_.CurrentPersonId(), id);
    }

    bool Listed(const RecordId& id) const { return view_.PersonRows().Find(id) >= 0; }

    TestBook book_;
    std::string path_;
    RecordId ann_, bob_, cleo_;
    int stamps_ = 0;
    MainView view_;
    std::unique_ptr<QSignalSpy> news_;
};

TEST_F(BookWatcherTest, AChangeElsewhereIsReadWithTheSelectionAndTheSearchKept) {
    Select(bob_);
    const RecordId dora = AddElsewhere("Dora", "Dunn");
    EXPECT_FALSE(Listed(dora));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dora); }, 3000));
    EXPECT_EQ(news_->count(), 1);
    EXPECT_EQ(view_.CurrentPersonId(), bob_);
    EXPECT_EQ(view_.SelectedPersonRow(), view_.PersonRows().Find(bob_));

    // While searching, what was written elsewhere is searched too and the search stays.
    view_.activateWindow();
    view_.SearchField()->setFocus();
    QTest::keyClicks(view_.SearchField(), QStringLiteral("brown"));
    ASSERT_EQ(view_.ShownPersonIds(), (std::vector<RecordId>{bob_}));
    ASSERT_TRUE(view_.SearchField()->hasFocus());
    const RecordId eve = AddElsewhere("Eve", "Brown");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(eve); }, 3000));
    EXPECT_EQ(view_.SearchField()->text(), QStringLiteral("brown"));
    // The user typing there goes on typing there.
    EXPECT_TRUE(view_.SearchField()->hasFocus());
    EXPECT_EQ(view_.SearchField()->cursorPosition(), 5);
    EXPECT_TRUE(view_.Filtered());
    EXPECT_EQ(view_.ShownPersonIds().size(), 2u);
    EXPECT_FALSE(Listed(dora));
    EXPECT_EQ(view_.CurrentPersonId(), bob_);
}

TEST_F(BookWatcherTest, ANewContactOfTheShownPersonShowsInItsLog) {
    Select(ann_);
    ASSERT_EQ(view_.ContactRows().Rows().size(), 0u);
    TestBook::AddContact(path_, ann_, "2031-01-01 09:00:00", "Called back");
    TestBook::Execute(path_, "UPDATE Globals SET S = '2031-01-01 10:00:00'");
    EXPECT_TRUE(QTest::qWaitFor([&] { return view_.ContactRows().Rows().size() == 1; }, 3000));
    EXPECT_EQ(view_.CurrentPersonId(), ann_);
}

TEST_F(BookWatcherTest, ATouchOrTheViewsOwnChangeIsNoNews) {
    // The touch is seen by a watcher of the file, and is still nothing to read again.
    QFileSystemWatcher seen({QString::fromStdString(path_)});
    QSignalSpy touched(&seen, &QFileSystemWatcher::fileChanged);
    const BookChange before = ReadBookChange(path_);
    {
        QFile file(QString::fromStdString(path_));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(30),
                                     QFileDevice::FileModificationTime));
    }
    EXPECT_TRUE(touched.wait(2000));
    EXPECT_EQ(ReadBookChange(path_), before);
    QTest::qWait(BookWatcher::kMinInterval + 500);
    EXPECT_EQ(news_->count(), 0);

    // What the view reads itself right after writing (as after each of its commands) is known.
    const RecordId dora = AddElsewhere("Dora", "Dunn");
    view_.Reload();
    EXPECT_TRUE(Listed(dora));
    QTest::qWait(BookWatcher::kMinInterval + 500);
    EXPECT_EQ(news_->count(), 0);
}

TEST_F(BookWatcherTest, TheViewsOwnCommandsAreNoNews) {
    Select(bob_);
    TestBook::Execute(path_, "UPDATE Globals SET S = '2001-01-01 00:00:00'");
    QTest::qWait(BookWatcher::kMinInterval + 300);
    ASSERT_EQ(news_->count(), 1);  // the stamp alone, written elsewhere, is news
    ASSERT_TRUE(book::RunViewCommand(view_, cmd::kDeletePerson));
    ASSERT_FALSE(Listed(bob_));
    EXPECT_NE(TestBook::QueryText(path_, "SELECT S FROM Globals"), "2001-01-01 00:00:00");
    ASSERT_TRUE(book::RunViewCommand(view_, cmd::kUndoDelete));
    ASSERT_TRUE(Listed(bob_));
    QTest::qWait(BookWatcher::kMinInterval + 500);
    EXPECT_EQ(news_->count(), 1);
}

TEST_F(BookWatcherTest, AContactLoggedInTheViewIsNoNewsButWhatWasWrittenBesideItIs) {
    Select(ann_);
    ModalDriver dialogs;
    auto log = [&](const RecordId& elsewhere) {
        dialogs.Expect([&, elsewhere](QDialog& d) {
            ContactDialog& contact = Contact(d);
            QTest::keyClicks(contact.DescriptionField(), QStringLiteral("Called"));
            if (!elsewhere.empty()) {
                PersonRecord dora;
                dora.id = elsewhere;
                dora[PersonRecord::FName] = "Dora";
                TestBook::AddPerson(path_, dora);
            }
            PressOk(d, contact.OkButton());
        });
        ASSERT_TRUE(book::RunViewCommand(view_, cmd::kAddContact));
    };
    log(RecordId());
    EXPECT_EQ(view_.ContactRows().Rows().size(), 1u);
    QTest::qWait(BookWatcher::kMinInterval + 500);
    EXPECT_EQ(news_->count(), 0);

    const RecordId dora = NewRecordId();
    log(dora);
    EXPECT_EQ(view_.ContactRows().Rows().size(), 2u);
    EXPECT_FALSE(Listed(dora));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dora); }, 3000));
    EXPECT_EQ(news_->count(), 1);
    EXPECT_EQ(view_.CurrentPersonId(), ann_);
}

TEST_F(BookWatcherTest, AChangeWhileAnEditorIsCancelledIsStillRead) {
    Select(bob_);
    RecordId dora;
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& d) {
        dora = AddElsewhere("Dora", "Dunn");
        QTest::qWait(BookWatcher::kSettle + 200);
        d.reject();
    });
    ASSERT_TRUE(book::RunViewCommand(view_, cmd::kEditPerson));
    EXPECT_FALSE(Listed(dora));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dora); }, 3000));
    EXPECT_EQ(view_.CurrentPersonId(), bob_);
}

TEST_F(BookWatcherTest, AChangeWhileADialogIsOpenIsReadRightAfterItCloses) {
    RecordId dora;
    bool readWhileOpen = true;
    ModalDriver driver;
    driver.Expect([&](QDialog& dialog) {
        dora = AddElsewhere("Dora", "Dunn");
        QTest::qWait(BookWatcher::kMinInterval + 500);
        readWhileOpen = Listed(dora) || news_->count() > 0;
        dialog.reject();
    });
    QDialog dialog(&view_);
    dialog.setWindowTitle(QStringLiteral("Held open"));
    dialog.exec();
    EXPECT_FALSE(readWhileOpen);
    QElapsedTimer closed;
    closed.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dora); }, 3000));
    // Right after: the wait for the dialog was all the waiting there was.
    EXPECT_LT(closed.elapsed(), 900);
    EXPECT_EQ(news_->count(), 1);
}

TEST_F(BookWatcherTest, ABurstOfChangesIsReadOnceAndNewsComesAtMostOnceASecond) {
    std::vector<RecordId> added;
    for (int i = 0; i < 5; ++i) {
        added.push_back(AddElsewhere("Burst", std::to_string(i)));
        QTest::qWait(50);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return news_->count() > 0; }, 3000));
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    QTest::qWait(BookWatcher::kMinInterval + 500);
    EXPECT_EQ(news_->count(), 1);
    for (const RecordId& id : added) {
        EXPECT_TRUE(Listed(id));
    }

    // The next change right after is told, but not within a second of the last news.
    const RecordId dora = AddElsewhere("Dora", "Dunn");
    sinceFirst.restart();
    EXPECT_TRUE(QTest::qWaitFor([&] { return news_->count() == 2; }, 3000));
    const RecordId eve = AddElsewhere("Eve", "Evans");
    QElapsedTimer sinceSecond;
    sinceSecond.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return news_->count() == 3; }, 3000));
    EXPECT_GE(sinceSecond.elapsed(), BookWatcher::kMinInterval - 400);
    EXPECT_TRUE(Listed(dora));
    EXPECT_TRUE(Listed(eve));
}

TEST_F(BookWatcherTest, AFileReplacedByRenamingIsStillWatched) {
    Select(cleo_);
    const std::string fresh = book_.Path("fresh.tch");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(path_), QString::fromStdString(fresh)));
    const RecordId dora = TestBook::AddPerson(fresh, "Dora", "Dunn");
    TestBook::Execute(fresh, "UPDATE Globals SET S = '2031-01-01 11:00:00'");
    ASSERT_EQ(std::rename(fresh.c_str(), path_.c_str()), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dora); }, 3000));
    EXPECT_EQ(view_.CurrentPersonId(), cleo_);
    // The new file is the one watched from now on.
    const RecordId eve = AddElsewhere("Eve", "Evans");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(eve); }, 3000));
}

TEST_F(BookWatcherTest, TheChangeReadTellsAStampAndACommitFromNothing) {
    const BookChange first = ReadBookChange(path_);
    EXPECT_EQ(first.stamp, TestBook::QueryText(path_, "SELECT S FROM Globals"));
    EXPECT_EQ(ReadBookChange(path_), first);
    // A write that keeps the stamp (as an import does) still counts as a change.
    TestBook::AddPerson(path_, "Dora", "Dunn");
    const BookChange second = ReadBookChange(path_);
    EXPECT_EQ(second.stamp, first.stamp);
    EXPECT_NE(second.commits, first.commits);
    EXPECT_NE(second, first);
    TestBook::Execute(path_, "UPDATE Globals SET S = '2031-02-03 04:05:06'");
    EXPECT_EQ(ReadBookChange(path_).stamp, "2031-02-03 04:05:06");
    EXPECT_THROW(ReadBookChange(book_.Path("missing.tch")), std::exception);
}

TEST_F(BookWatcherTest, AWriterInWriteAheadModeIsSeenThroughItsLog) {
    Select(ann_);
    // Held open, the writer's connection keeps its changes in the log, out of the file itself.
    cppsqlite3::Database writer;
    writer.Open(path_);
    cppsqlite3::Statement& st = writer.CreateStatement();
    st.ExecuteQuery("PRAGMA journal_mode=WAL");
    st.CloseQuery();
    QTest::qWait(BookWatcher::kMinInterval + 300);
    const int before = news_->count();
    const RecordId dora = NewRecordId();
    st.Execute("INSERT INTO Person (ID, FName, LName, TmStamp) VALUES ('" + dora +
               "', 'Dora', 'Dunn', '2031-01-01 10:00:00')");
    st.Execute("UPDATE Globals SET S = '2031-01-01 10:00:00'");
    ASSERT_TRUE(QFile::exists(QString::fromStdString(path_ + "-wal")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dora); }, 3000));
    EXPECT_EQ(news_->count(), before + 1);
    EXPECT_EQ(view_.CurrentPersonId(), ann_);
    // The log is there now: the next change is a write to it alone, no new file in the folder.
    const RecordId eve = NewRecordId();
    st.Execute("INSERT INTO Person (ID, FName, LName, TmStamp) VALUES ('" + eve +
               "', 'Eve', 'Evans', '2031-01-01 10:00:01')");
    st.Execute("UPDATE Globals SET S = '2031-01-01 10:00:01'");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(eve); }, 3000));
    EXPECT_EQ(news_->count(), before + 2);
}

TEST_F(BookWatcherTest, NoBookNoWatch) {
    view_.OnPathChanged(std::string());
    view_.Reload();
    AddElsewhere("Dora", "Dunn");
    QTest::qWait(BookWatcher::kMinInterval + 300);
    EXPECT_EQ(news_->count(), 0);
}

}  // namespace
