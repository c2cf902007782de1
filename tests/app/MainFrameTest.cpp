#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QWizard>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QWhatsThis>

#include <memory>

#include "Commands.h"
#include "CurrentDatabase.h"
#include "FileDialogRecorder.h"
#include "HelpViewer.h"
#include "ListModels.h"
#include "MainFrame.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "PrintDialogRecorder.h"
#include "ReportDialogs.h"
#include "SettingsSandbox.h"
#include "ShellActions.h"
#include "ShellRecorder.h"
#include "TestBook.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QByteArray Bytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll();
}

// The second line of the message about a book that holds code of its own.
const QString kStoredCodeReason = QStringLiteral(
    "The file holds triggers or views: code of its own that would run when it is changed. "
    "Tidemark does not open such files.");

// Code a book received from elsewhere could hold, each set off by opening it or by an edit.
const char* const kStoredCode[] = {
    "CREATE TRIGGER Rewrite AFTER UPDATE ON User BEGIN UPDATE Person SET LName = 'x'; END",
    "CREATE TRIGGER Rewrite AFTER UPDATE ON Person BEGIN DELETE FROM Contact; END",
    "CREATE TRIGGER Rewrite AFTER INSERT ON ContactType BEGIN UPDATE Person SET LName = 'x'; "
    "END",
    "CREATE TRIGGER Rewrite BEFORE DELETE ON Contact BEGIN UPDATE Person SET LName = 'x'; END",
    "CREATE TRIGGER Rewrite AFTER UPDATE ON Globals BEGIN UPDATE Person SET LName = 'x'; END",
    "ALTER TABLE Person RENAME TO Persons; CREATE VIEW Person AS SELECT * FROM Persons",
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        CurrentDatabasePath.clear();
        frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    }
    void TearDown() override {
        frame_.reset();
        CurrentDatabasePath.clear();
    }

    // Opens the file through File, Open as the user would.
    void OpenThroughMenu(const std::string& path) {
        dialogs_.Answer(Q(path));
        frame_->Action(cmd::kFileOpen)->trigger();
    }

    QStringList RecentMenuTexts() const {
        QStringList texts;
        for (QAction* a : frame_->RecentFilesMenu()->actions()) {
            texts << a->text();
        }
        return texts;
    }

    QAction* RecentAction(int k) const {
        for (QAction* a : frame_->RecentFilesMenu()->actions()) {
            if (a->data().toInt() == cmd::kFirstRecentFile + k - 1) {
                return a;
            }
        }
        return nullptr;
    }

    std::string Globals(const std::string& path, const char* column) {
        return TestBook::QueryText(path, std::string("SELECT ") + column + " FROM Globals");
    }

    SettingsSandbox sandbox_;
    TestBook book_;
    MessageRecorder boxes_;
    FileDialogRecorder dialogs_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(MainFrameTest, StartsWithNoDatabase) {
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [No Database]"));
    EXPECT_EQ(frame_->statusBar()->currentMessage(), QStringLiteral("Ready"));
    EXPECT_EQ(RecentMenuTexts(), QStringList{QStringLiteral("(Empty)")});
    EXPECT_FALSE(RecentAction(1)->isEnabled());
    EXPECT_FALSE(frame_->Action(cmd::kAddPerson)->isEnabled());
    EXPECT_FALSE(frame_->Action(cmd::kEditUser)->isEnabled());
    EXPECT_FALSE(frame_->Action(cmd::kEditPerson)->isEnabled());
    EXPECT_TRUE(frame_->Action(cmd::kImportPersons)->isEnabled());
    EXPECT_TRUE(frame_->PreviewToolBar()->isHidden());
    // Nothing is stored until a file is opened or the window closes.
    EXPECT_FALSE(QFile::exists(sandbox_.StoreFile()));
}

TEST_F(MainFrameTest, MenusCarryTheirTextsPromptsAndShortcuts) {
    QAction* open = frame_->Action(cmd::kFileOpen);
    EXPECT_EQ(open->text(), QStringLiteral("&Open...\tCtrl+O"));
    EXPECT_EQ(open->statusTip(), QStringLiteral("Open an existing document"));
    EXPECT_EQ(open->toolTip(), QStringLiteral("Open"));
    EXPECT_EQ(open->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(frame_->Action(cmd::kFileNew)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(frame_->Action(cmd::kEditContact)->statusTip(),
              QStringLiteral("Edit selected contact"));
    EXPECT_EQ(frame_->Action(cmd::kCheckForUpdate)->text(), QStringLiteral("&Check For Update..."));
    QStringList menus;
    for (QAction* a : frame_->menuBar()->actions()) {
        menus << a->text();
    }
    EXPECT_EQ(menus,
              (QStringList{"&File", "&Edit", "&Contact", "&Person", "&Reports", "&View", "&Help"}));
    std::vector<int> toolbar;
    for (QAction* a : frame_->MainToolBar()->actions()) {
        toolbar.push_back(a->isSeparator() ? 0 : a->data().toInt());
    }
    EXPECT_EQ(toolbar, (std::vector<int>{cmd::kFileNew, cmd::kFileOpen, 0, cmd::kAddPerson,
                                         cmd::kDeletePerson, cmd::kEditPerson, 0, cmd::kAddContact,
                                         cmd::kDeleteContact, cmd::kEditContact, 0,
                                         cmd::kUndoDelete, 0, cmd::kHelpMode}));
    // The standard keys of this desktop.
    EXPECT_EQ(frame_->Action(cmd::kExit)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(frame_->Action(cmd::kFileSaveAs)->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    EXPECT_EQ(frame_->Action(cmd::kUndoDelete)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_TRUE(
        frame_->Action(cmd::kUndoDelete)->text().startsWith(QStringLiteral("Un&do Delete")));
    EXPECT_FALSE(frame_->Action(cmd::kUndoDelete)->isEnabled());
}

TEST_F(MainFrameTest, NewCreatesTheFileAndRetitles) {
    const std::string path = book_.Path("new.tch");
    dialogs_.Answer(Q(path));
    frame_->Action(cmd::kFileNew)->trigger();
    ASSERT_TRUE(QFile::exists(Q(path)));
    EXPECT_EQ(CurrentDatabasePath, path);
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(path) + "]");
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM ContactType"), "4");
    EXPECT_TRUE(frame_->Action(cmd::kAddPerson)->isEnabled());
    const platform::FileDialogRequest& request = dialogs_.Requests().at(0);
    EXPECT_EQ(request.kind, platform::FileDialogKind::Save);
    EXPECT_EQ(request.filters, (QStringList{"Tidemark Files (*.tch)", "All Files (*.*)"}));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("tch"));
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.title, QStringLiteral("New Address Book"));
    // The new file is the most recent one.
    EXPECT_EQ(RecentMenuTexts(), QStringList{"&1 " + Q(path)});
}

TEST_F(MainFrameTest, FileDialogsStartInTheCurrentFilesFolder) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString nothingOpen = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    const std::string path = book_.Create("sub.tch");
    dialogs_.Answer(Q(path));
    frame_->Action(cmd::kFileOpen)->trigger();
    dialogs_.Cancel();
    frame_->Action(cmd::kFileNew)->trigger();
    dialogs_.Cancel();
    frame_->Action(cmd::kFileOpen)->trigger();
    ASSERT_EQ(dialogs_.Requests().size(), 3u);
    EXPECT_EQ(dialogs_.Requests()[0].folder, nothingOpen);
    EXPECT_EQ(dialogs_.Requests()[1].folder, book_.Folder());
    EXPECT_EQ(dialogs_.Requests()[2].folder, book_.Folder());
    EXPECT_TRUE(dialogs_.Requests()[2].title.isEmpty());
}

TEST_F(MainFrameTest, CancelledNewKeepsTheFile) {
    dialogs_.Cancel();
    frame_->Action(cmd::kFileNew)->trigger();
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [Untitled]"));
    const std::string path = book_.Create("kept.tch");
    OpenThroughMenu(path);
    dialogs_.Cancel();
    frame_->Action(cmd::kFileNew)->trigger();
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(path) + "]");
    EXPECT_EQ(CurrentDatabasePath, path);
}

TEST_F(MainFrameTest, FailedNewKeepsTheCurrentFile) {
    const std::string path = book_.Create("kept.tch");
    OpenThroughMenu(path);
    dialogs_.Answer(Q(book_.Path("no/such/folder/new.tch")));
    boxes_.Expect();
    frame_->Action(cmd::kFileNew)->trigger();
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Error Creating Database"));
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("Unable to open the database file"));
    EXPECT_EQ(boxes_.Last().owner, nullptr);
    EXPECT_EQ(boxes_.Last().icon, platform::MessageIcon::Error);
    EXPECT_EQ(boxes_.Last().buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(CurrentDatabasePath, path);
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(path) + "]");
}

TEST_F(MainFrameTest, OpenShowsTheFileAndRemembersIt) {
    const std::string path = book_.Create("family.tch");
    TestBook::AddPerson(path, "Sean", "O'Brien");
    OpenThroughMenu(path);
    EXPECT_EQ(CurrentDatabasePath, path);
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(path) + "]");
    ASSERT_EQ(frame_->View()->PersonRows().Rows().size(), 1u);
    EXPECT_EQ(frame_->View()->PersonRows().Rows()[0].name, "O'Brien, Sean");
    EXPECT_EQ(RecentMenuTexts(), QStringList{QStringLiteral("&1 ") + Q(path)});
    QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Recent Document List/Document1")).toString(), Q(path));
    EXPECT_EQ(dialogs_.Requests().at(0).kind, platform::FileDialogKind::Open);
}

TEST_F(MainFrameTest, OpenFailuresLeaveTheCurrentFileCurrent) {
    const std::string current = book_.Create("current.tch");
    OpenThroughMenu(current);
    const QString title = frame_->windowTitle();

    const std::string xml = book_.Path("old.tch");
    QFile f(Q(xml));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\"?>\n<TidemarkDocument Version=\"1\"></TidemarkDocument>\n");
    f.close();
    const std::string readOnly = book_.Create("readonly.tch");
    const std::string beforeS = Globals(readOnly, "S");
    QFile::setPermissions(Q(readOnly), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const std::string missing = book_.Path("missing.tch");

    for (const std::string& path : {xml, readOnly, missing}) {
        boxes_.Expect();
        OpenThroughMenu(path);
        EXPECT_EQ(boxes_.Last().text, QStringLiteral("Error loading file.")) << path;
        EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Tidemark"));
        EXPECT_EQ(boxes_.Last().icon, platform::MessageIcon::Error);
        EXPECT_EQ(CurrentDatabasePath, current);
        EXPECT_EQ(frame_->windowTitle(), title);
    }
    EXPECT_EQ(Globals(readOnly, "S"), beforeS);
    EXPECT_FALSE(QFile::exists(Q(missing)));
    EXPECT_EQ(RecentMenuTexts().size(), 1);
}

TEST_F(MainFrameTest, ADatabaseOfAnotherShapeIsRefusedAndLeftUnwritten) {
    const std::string current = book_.Create("current.tch");
    OpenThroughMenu(current);
    // A Person table without Pager would show the fax on the Pager button and fail every edit.
    const std::string other = book_.Create("other.tch");
    TestBook::Execute(other, "ALTER TABLE Person DROP COLUMN Pager");
    TestBook::Execute(other, "UPDATE Globals SET S = 'untouched'");
    boxes_.Expect();
    OpenThroughMenu(other);
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("Error loading file."));
    EXPECT_EQ(CurrentDatabasePath, current);
    EXPECT_EQ(Globals(other, "S"), "untouched");
    EXPECT_EQ(RecentMenuTexts().size(), 1);
}

TEST_F(MainFrameTest, ABookHoldingTriggersOrViewsIsRefusedAndLeftByteForByte) {
    const std::string current = book_.Create("current.tch");
    OpenThroughMenu(current);
    const QString title = frame_->windowTitle();
    int made = 0;
    for (const char* code : kStoredCode) {
        const std::string name = "code" + std::to_string(++made) + ".tch";
        // Older than the lookup indexes too, so that an open that went on would also add them.
        const std::string path = book_.Create(name.c_str());
        TestBook::AddPerson(path, "Ann", "Adams");
        TestBook::Execute(path, "DROP INDEX PrsnIDIdx");
        TestBook::Execute(path, code);
        const QByteArray before = Bytes(path);
        boxes_.Expect();
        OpenThroughMenu(path);
        EXPECT_EQ(boxes_.Last().text, QStringLiteral("Error loading file.\n") + kStoredCodeReason)
            << code;
        EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Tidemark"));
        EXPECT_EQ(boxes_.Last().icon, platform::MessageIcon::Error);
        EXPECT_EQ(CurrentDatabasePath, current);
        EXPECT_EQ(frame_->windowTitle(), title);
        EXPECT_EQ(Bytes(path), before) << code;
        EXPECT_FALSE(QFile::exists(Q(path + "-journal"))) << code;
    }
    EXPECT_EQ(RecentMenuTexts(), QStringList{"&1 " + Q(current)});
    // The reason belongs to that file alone: other failures read as before.
    const std::string broken = book_.Create("broken.tch");
    TestBook::Execute(broken, "DROP TABLE Globals");
    boxes_.Expect();
    OpenThroughMenu(broken);
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("Error loading file."));
    // And a book without such code opens.
    const std::string plain = book_.Create("plain.tch");
    OpenThroughMenu(plain);
    EXPECT_EQ(CurrentDatabasePath, plain);
}

TEST_F(MainFrameTest, ARecentBookThatGainedATriggerIsRefusedAndDropped) {
    const std::string a = book_.Create("a.tch");
    const std::string b = book_.Create("b.tch");
    OpenThroughMenu(a);
    OpenThroughMenu(b);
    TestBook::Execute(a,
                      "CREATE TRIGGER Rewrite AFTER UPDATE ON Globals BEGIN DELETE FROM "
                      "ContactType; END");
    const QByteArray before = Bytes(a);
    boxes_.Expect();
    RecentAction(2)->trigger();
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("Error loading file.\n") + kStoredCodeReason);
    EXPECT_EQ(boxes_.Last().owner, frame_.get());
    EXPECT_EQ(CurrentDatabasePath, b);
    EXPECT_EQ(RecentMenuTexts(), QStringList{"&1 " + Q(b)});
    QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
    EXPECT_FALSE(stored.contains(QStringLiteral("Recent Document List/Document2")));
    EXPECT_EQ(Bytes(a), before);
}

TEST_F(MainFrameTest, ABookHoldingATriggerIsRefusedAtStartUp) {
    const std::string path = book_.Create("code.tch");
    OpenThroughMenu(path);
    TestBook::Execute(path,
                      "CREATE TRIGGER Rewrite AFTER UPDATE ON Globals BEGIN UPDATE Person SET "
                      "LName = 'x'; END");
    const QByteArray before = Bytes(path);

    // Named on the command line: the program ends, after saying why.
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    CurrentDatabasePath.clear();
    boxes_.Expect();
    EXPECT_FALSE(frame_->Start(Q(path)));
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("Unable to open the file ") + Q(path) +
                                      ". Exiting Tidemark.\n" + kStoredCodeReason);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Unable To Load File"));
    EXPECT_TRUE(CurrentDatabasePath.empty());

    // The file used last: the window comes up without it, and the list forgets it.
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    boxes_.Expect();
    ASSERT_TRUE(frame_->Start(QString()));
    ASSERT_EQ(boxes_.Calls().size(), 2u);
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("Error loading file.\n") + kStoredCodeReason);
    EXPECT_EQ(boxes_.Last().owner, nullptr);  // before the window shows
    EXPECT_TRUE(CurrentDatabasePath.empty());
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [No Database]"));
    EXPECT_EQ(RecentMenuTexts(), QStringList{QStringLiteral("(Empty)")});
    EXPECT_EQ(Bytes(path), before);
}

TEST_F(MainFrameTest, AnOlderFileGetsItsLookupIndexesAtOpenWhileTheUserIsTold) {
    const std::string path = book_.Create("older.tch");
    TestBook::AddPerson(path, "Ann", "Adams");
    TestBook::Execute(path, "DROP INDEX PrsnIDIdx");
    TestBook::Execute(path, "DROP INDEX ContactPrsnDtIdx");
    TestBook::Execute(path, "UPDATE Globals SET S = '2000-01-01 00:00:00'");
    std::vector<bool> told;
    QStringList shown;
    frame_->Doc().SetBusyNotice([&](bool busy) {
        told.push_back(busy);
        shown << frame_->statusBar()->currentMessage();
    });
    OpenThroughMenu(path);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    EXPECT_EQ(TestBook::QueryText(path,
                                  "SELECT count(*) FROM sqlite_master WHERE name IN "
                                  "('PrsnIDIdx', 'ContactPrsnDtIdx')"),
              "2");
    EXPECT_NE(Globals(path, "S"), "2000-01-01 00:00:00");
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 1u);
    // Opened again: nothing to build, nothing to tell.
    told.clear();
    OpenThroughMenu(path);
    EXPECT_TRUE(told.empty());
}

TEST_F(MainFrameTest, TheBusyNoticeShowsTheWaitCursorAndAStatusText) {
    const std::string path = book_.Create("older.tch");
    TestBook::Execute(path, "DROP INDEX ContactPrsnDtIdx");
    // The frame's own notice, looked at while the indexes are built.
    const std::function<void(bool)> frameNotice = frame_->Doc().BusyNotice();
    ASSERT_TRUE(frameNotice);
    QString during;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    frame_->Doc().SetBusyNotice([&](bool busy) {
        frameNotice(busy);
        if (busy) {
            during = frame_->statusBar()->currentMessage();
            ASSERT_NE(QApplication::overrideCursor(), nullptr);
            cursor = QApplication::overrideCursor()->shape();
        }
    });
    OpenThroughMenu(path);
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_EQ(during, QStringLiteral("Preparing the address book for quick lookups..."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // given back afterwards
    EXPECT_EQ(frame_->statusBar()->currentMessage(), QStringLiteral("Ready"));
}

TEST_F(MainFrameTest, ALargeFileIsShownBeforeItsListIsRead) {
    const std::string path = book_.Create("large.tch");
    // Enough rows to pass the size from which the list waits for the first paint.
    TestBook::Execute(path,
                      "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < "
                      "6000) INSERT INTO Person(ID, FName, LName, Addr, TmStamp) SELECT printf("
                      "'%08X-0000-0000-000000000000', n), 'F' || n, 'L' || n, "
                      "hex(randomblob(200)), '2005-01-01 00:00:00' FROM k");
    ASSERT_GT(QFileInfo(Q(path)).size(), MainFrame::kLoadAfterPaintBytes);
    ASSERT_TRUE(frame_->Start(Q(path)));
    EXPECT_EQ(CurrentDatabasePath, path);
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(path) + "]");
    EXPECT_TRUE(frame_->View()->PersonRows().Rows().empty());  // not read yet
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame_->View()->PersonRows().Rows().empty(); }));
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 6000u);
    EXPECT_EQ(frame_->View()->SelectedPersonRow(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(frame_->statusBar()->currentMessage(), QStringLiteral("Ready"));
    // Opened later, through the menu, it is read at once.
    OpenThroughMenu(path);
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 6000u);
}

TEST_F(MainFrameTest, CommandLineWithADatabaseOfAnotherShapeEndsTheProgram) {
    const std::string other = book_.Create("other.tch");
    TestBook::Execute(other, "ALTER TABLE Person DROP COLUMN Pager");
    boxes_.Expect();
    EXPECT_FALSE(frame_->Start(Q(other)));
    EXPECT_EQ(boxes_.Last().text,
              QStringLiteral("Unable to open the file ") + Q(other) + ". Exiting Tidemark.");
    EXPECT_TRUE(CurrentDatabasePath.empty());
}

TEST_F(MainFrameTest, AFileDeletedWhileOpenIsReportedAndNotMadeAgain) {
    const std::string path = book_.Create("gone.tch");
    TestBook::AddPerson(path, "Ann", "Adams");
    OpenThroughMenu(path);
    ASSERT_TRUE(QFile::remove(Q(path)));
    boxes_.Expect();
    frame_->OnCommand(cmd::kEditUser);
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("The file %1 no longer exists.").arg(Q(path)));
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Error Loading User Information"));
    EXPECT_FALSE(QFile::exists(Q(path)));
}

TEST_F(MainFrameTest, OpeningAFileMarkedNewWritesARealCreationTime) {
    const std::string path = book_.Create("new-marked.tch");
    TestBook::Execute(path, "UPDATE Globals SET C = 'NEW', S = 'NEW'");
    const std::string before = FormatStoredTimeStamp(FromLocalNow());
    OpenThroughMenu(path);
    const std::string c = Globals(path, "C");
    EXPECT_GE(c, before);
    EXPECT_TRUE(ParseDateTime(c).IsValid()) << c;
    EXPECT_TRUE(ParseDateTime(Globals(path, "S")).IsValid());
    EXPECT_TRUE(frame_->Doc().Created().IsValid());
    EXPECT_EQ(frame_->Doc().Version(), 20);
}

TEST_F(MainFrameTest, SaveAsCopiesAndLaterEditsGoToTheCopy) {
    const std::string original = book_.Create("original.tch");
    TestBook::AddPerson(original, "Ann", "Adams");
    OpenThroughMenu(original);
    const std::string copy = book_.Path("copy.tch");
    dialogs_.Answer(Q(copy));
    frame_->Action(cmd::kFileSaveAs)->trigger();
    EXPECT_EQ(dialogs_.Requests().back().initialPath, Q(original));
    EXPECT_EQ(CurrentDatabasePath, copy);
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(copy) + "]");
    EXPECT_EQ(TestBook::QueryText(copy, "SELECT LName FROM Person"), "Adams");
    TestBook::AddPerson(CurrentDatabasePath, "Bob", "Brown");
    EXPECT_EQ(TestBook::QueryText(copy, "SELECT COUNT(*) FROM Person"), "2");
    EXPECT_EQ(TestBook::QueryText(original, "SELECT COUNT(*) FROM Person"), "1");
    EXPECT_EQ(RecentMenuTexts().at(0), QStringLiteral("&1 ") + Q(copy));
}

TEST_F(MainFrameTest, SaveAsOverAnExistingFileReplacesIt) {
    const std::string original = book_.Create("original.tch");
    TestBook::AddPerson(original, "Ann", "Adams");
    const std::string target = book_.Create("target.tch");
    OpenThroughMenu(original);
    dialogs_.Answer(Q(target));
    frame_->Action(cmd::kFileSaveAs)->trigger();
    EXPECT_EQ(TestBook::QueryText(target, "SELECT LName FROM Person"), "Adams");
}

TEST_F(MainFrameTest, SaveAsOntoTheCurrentFileKeepsIt) {
    const std::string path = book_.Create("same.tch");
    TestBook::AddPerson(path, "Ann", "Adams");
    OpenThroughMenu(path);
    dialogs_.Answer(Q(path));
    frame_->Action(cmd::kFileSaveAs)->trigger();
    EXPECT_EQ(CurrentDatabasePath, path);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT LName FROM Person"), "Adams");
}

TEST_F(MainFrameTest, SaveAsWithNoFileOpenFails) {
    dialogs_.Answer(Q(book_.Path("copy.tch")));
    boxes_.Expect(platform::MessageResult::Retry);
    frame_->Action(cmd::kFileSaveAs)->trigger();
    EXPECT_EQ(dialogs_.Requests().at(0).initialPath, QStringLiteral("Untitled"));
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("Error saving Untitled."));
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Tidemark"));
    EXPECT_EQ(boxes_.Last().buttons, platform::MessageButtons::RetryCancel);
    EXPECT_FALSE(QFile::exists(Q(book_.Path("copy.tch"))));
    EXPECT_TRUE(CurrentDatabasePath.empty());
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [No Database]"));
}

TEST_F(MainFrameTest, FiveOpensKeepTheFourMostRecent) {
    std::vector<std::string> paths;
    for (const char* name : {"a.tch", "b.tch", "c.tch", "d.tch", "e.tch"}) {
        paths.push_back(book_.Create(name));
        OpenThroughMenu(paths.back());
    }
    EXPECT_EQ(RecentMenuTexts(), (QStringList{"&1 " + Q(paths[4]), "&2 " + Q(paths[3]),
                                              "&3 " + Q(paths[2]), "&4 " + Q(paths[1])}));
    // Opening one of them again moves it to the top.
    OpenThroughMenu(paths[2]);
    EXPECT_EQ(RecentMenuTexts().at(0), "&1 " + Q(paths[2]));
    EXPECT_EQ(RecentMenuTexts().size(), 4);
}

TEST_F(MainFrameTest, RecentFileOpensAndMovesToTheTop) {
    const std::string a = book_.Create("a.tch");
    const std::string b = book_.Create("b.tch");
    TestBook::AddPerson(a, "Ann", "Adams");
    OpenThroughMenu(a);
    OpenThroughMenu(b);
    RecentAction(2)->trigger();
    EXPECT_EQ(CurrentDatabasePath, a);
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(a) + "]");
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 1u);
    EXPECT_EQ(RecentMenuTexts(), (QStringList{"&1 " + Q(a), "&2 " + Q(b)}));
}

TEST_F(MainFrameTest, DeletedRecentFileShowsNotFoundAndLeavesTheMenu) {
    const std::string a = book_.Create("a.tch");
    const std::string b = book_.Create("b.tch");
    OpenThroughMenu(a);
    OpenThroughMenu(b);
    ASSERT_TRUE(QFile::remove(Q(a)));
    boxes_.Expect();
    RecentAction(2)->trigger();
    EXPECT_EQ(
        boxes_.Last().text,
        "The database you have tried to open (\"" + Q(a) +
            "\") was not found.\n \t\t\tIt has been deleted or moved to a different location.");
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Error Loading File"));
    EXPECT_EQ(boxes_.Last().owner, frame_.get());
    EXPECT_EQ(RecentMenuTexts(), QStringList{"&1 " + Q(b)});
    EXPECT_EQ(CurrentDatabasePath, b);
    // The stored list is written only at the next change.
    QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Recent Document List/Document2")).toString(), Q(a));
}

TEST_F(MainFrameTest, RecentFileThatFailsToOpenIsDropped) {
    const std::string a = book_.Create("a.tch");
    const std::string b = book_.Create("b.tch");
    OpenThroughMenu(a);
    OpenThroughMenu(b);
    TestBook::Execute(a, "DROP TABLE Globals");
    boxes_.Expect();
    RecentAction(2)->trigger();
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("Error loading file."));
    EXPECT_EQ(RecentMenuTexts(), QStringList{"&1 " + Q(b)});
    QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
    EXPECT_FALSE(stored.contains(QStringLiteral("Recent Document List/Document2")));
}

TEST_F(MainFrameTest, RecentFilesComeBackInTheNextRun) {
    const std::string a = book_.Create("a.tch");
    OpenThroughMenu(a);
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    EXPECT_EQ(RecentMenuTexts(), QStringList{"&1 " + Q(a)});
}

TEST_F(MainFrameTest, PlacementIsSavedAtCloseAndRestoredAtStart) {
    ASSERT_TRUE(frame_->Start(QString()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    const QSize size = frame_->minimumSize() + QSize(40, 30);
    frame_->setGeometry(QRect(QPoint(37, 41), size));
    frame_->Action(cmd::kExit)->trigger();
    const QRect saved = frame_->normalGeometry();
    QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
    EXPECT_TRUE(stored.contains(QStringLiteral("Settings/wp.wpMaxPosition")));
    EXPECT_EQ(stored.value(QStringLiteral("Settings/wp.left")).toInt(), saved.left());

    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(QString()));
    EXPECT_EQ(frame_->normalGeometry().size(), saved.size());
    EXPECT_EQ(frame_->normalGeometry().topLeft(), saved.topLeft());
}

TEST_F(MainFrameTest, PlacementOffEveryScreenIsIgnored) {
    {
        QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
        stored.setValue(QStringLiteral("Settings/wp.showCmd"), 1);
        stored.setValue(QStringLiteral("Settings/wp.left"), 20000);
        stored.setValue(QStringLiteral("Settings/wp.top"), 20000);
        stored.setValue(QStringLiteral("Settings/wp.right"), 21000);
        stored.setValue(QStringLiteral("Settings/wp.bottom"), 20800);
    }
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(QString()));
    const QRect screen = frame_->screen()->geometry();
    EXPECT_TRUE(screen.intersects(frame_->frameGeometry()));
    EXPECT_LT(frame_->x(), 20000);
}

TEST_F(MainFrameTest, CommandLineOpensTheFile) {
    const std::string path = book_.Create("My Family.tch");
    TestBook::AddPerson(path, "Ann", "Adams");
    for (const QString& line : {"\"" + Q(path) + "\"", Q(path), "/o " + Q(path), "-o " + Q(path)}) {
        frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
        ASSERT_TRUE(frame_->Start(line)) << line.toStdString();
        EXPECT_EQ(CurrentDatabasePath, path) << line.toStdString();
        EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(path) + "]");
        EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 1u);
        EXPECT_EQ(RecentMenuTexts().at(0), "&1 " + Q(path));
        CurrentDatabasePath.clear();
    }
}

TEST_F(MainFrameTest, CommandLineWithAMissingFileEndsTheProgram) {
    const std::string missing = book_.Path("gone.tch");
    boxes_.Expect();
    EXPECT_FALSE(frame_->Start(Q(missing)));
    EXPECT_EQ(boxes_.Last().text,
              QStringLiteral("Unable to open the file ") + Q(missing) + ". Exiting Tidemark.");
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Unable To Load File"));
    EXPECT_EQ(boxes_.Last().icon, platform::MessageIcon::Error);
}

TEST_F(MainFrameTest, ViewTogglesKeepTheirCheckMarks) {
    ASSERT_TRUE(frame_->Start(QString()));
    QAction* toolbar = frame_->Action(cmd::kViewToolbar);
    QAction* status = frame_->Action(cmd::kViewStatusBar);
    EXPECT_TRUE(toolbar->isChecked());
    EXPECT_TRUE(status->isChecked());
    toolbar->trigger();
    EXPECT_FALSE(frame_->MainToolBar()->isVisible());
    EXPECT_FALSE(toolbar->isChecked());
    status->trigger();
    EXPECT_FALSE(frame_->statusBar()->isVisible());
    EXPECT_FALSE(status->isChecked());
    toolbar->trigger();
    status->trigger();
    EXPECT_TRUE(frame_->MainToolBar()->isVisible());
    EXPECT_TRUE(frame_->statusBar()->isVisible());
    EXPECT_TRUE(toolbar->isChecked());
    // Not remembered: the next run shows the toolbar again.
    toolbar->trigger();
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(QString()));
    EXPECT_TRUE(frame_->MainToolBar()->isVisible());
}

TEST_F(MainFrameTest, AvailabilityFollowsTheView) {
    const std::string path = book_.Create();
    const RecordId a = TestBook::AddPerson(path, "Ann", "Adams");
    TestBook::AddContact(path, a, "2005-03-01 09:05:00", "call");
    OpenThroughMenu(path);
    EXPECT_TRUE(frame_->Action(cmd::kAddPerson)->isEnabled());
    EXPECT_TRUE(frame_->Action(cmd::kContactTypes)->isEnabled());
    // The first person is selected at once.
    EXPECT_EQ(frame_->View()->CurrentPersonId(), a);
    EXPECT_TRUE(frame_->Action(cmd::kEditPerson)->isEnabled());
    EXPECT_TRUE(frame_->Action(cmd::kExportPersons)->isEnabled());
    EXPECT_FALSE(frame_->Action(cmd::kDeleteContact)->isEnabled());
    QTreeView* contacts = frame_->View()->ContactList();
    contacts->selectionModel()->select(
        contacts->model()->index(0, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_TRUE(frame_->Action(cmd::kDeleteContact)->isEnabled());
    EXPECT_TRUE(frame_->Action(cmd::kContactsReport)->isEnabled());
}

TEST_F(MainFrameTest, CancelledTransfersAndCommandsStillToComeChangeNothing) {
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    OpenThroughMenu(path);
    const std::string before = Globals(path, "S");
    {
        ModalDriver dialogs;
        for (int i = 0; i < 3; ++i) {
            dialogs.Expect([](QDialog&) {});  // cancelled
        }
        for (int i = 0; i < 3; ++i) {
            dialogs.Expect([](QDialog&) {});
        }
        for (int command : {cmd::kImportPersons, cmd::kExportPersons, cmd::kExportContacts,
                            cmd::kAddressBookReport, cmd::kContactsReport, cmd::kEnvelopesReport}) {
            frame_->OnCommand(command);
        }
        EXPECT_EQ(dialogs.Captions(),
                  QStringList({"Select Document", "Select Document", "Select Document",
                               "Address Book Printout", "Contacts Printout", "Envelope Printout"}));
    }
    PrintDialogRecorder printing;
    printing.print = [](QPrinter&) { return false; };
    printing.pageSetup = [](QPrinter&) { return false; };
    printing.font = [](const QFont&) { return std::optional<QFont>(); };
    // Nothing chosen: Print waits for a report.
    for (int command : {cmd::kPageSetup, cmd::kPrintSetup, cmd::kReportFont, cmd::kPrint}) {
        frame_->OnCommand(command);
    }
    EXPECT_EQ(printing.Seen(), QStringList({"pageSetup", "print", "font"}));
    EXPECT_FALSE(frame_->Action(cmd::kPrint)->isEnabled());
    EXPECT_FALSE(frame_->Action(cmd::kPrintPreview)->isEnabled());
    EXPECT_EQ(Globals(path, "S"), before);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM Person"), "1");
}

TEST_F(MainFrameTest, AnImportThroughTheMenuReloadsTheView) {
    const std::string path = book_.Create();
    OpenThroughMenu(path);
    const std::string file = book_.Path("in.csv");
    {
        QFile f(Q(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("FirstName,LastName\nAnn,Adams\nBob,Brown\n");
    }
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& d) {
        auto& wizard = static_cast<QWizard&>(d);
        QTest::keyClicks(wizard.currentPage()->findChild<QLineEdit*>(), Q(file));
        QTest::mouseClick(wizard.button(QWizard::NextButton), Qt::LeftButton);
        QTest::mouseClick(wizard.button(QWizard::NextButton), Qt::LeftButton);
        QTest::mouseClick(wizard.button(QWizard::FinishButton), Qt::LeftButton);
    });
    boxes_.Expect();
    frame_->Action(cmd::kImportPersons)->trigger();
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("2 names added to current database."));
    EXPECT_EQ(boxes_.Last().owner, frame_->View());
    ASSERT_EQ(frame_->View()->PersonRows().Rows().size(), 2u);
    EXPECT_EQ(frame_->View()->PersonRows().Rows()[0].name, "Adams, Ann");
}

TEST_F(MainFrameTest, EditingCommandsOpenTheirEditors) {
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    OpenThroughMenu(path);
    ModalDriver dialogs;
    for (int i = 0; i < 2; ++i) {
        dialogs.Expect([](QDialog&) {});  // cancelled
    }
    frame_->OnCommand(cmd::kAddPerson);
    frame_->OnCommand(cmd::kEditUser);
    EXPECT_EQ(dialogs.Captions(), QStringList({"Add Address Entry", "Edit User"}));
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM Person"), "1");
}

// Records what the program hands to the desktop instead of launching anything.
TEST_F(MainFrameTest, ValueButtonsAndTheUpdatePageGoToTheDesktop) {
    ShellRecorder shell;
    const std::string path = book_.Create();
    PersonRecord p;
    p[PersonRecord::LName] = "Smith";
    p[PersonRecord::WkPhone] = "555-1234";
    p[PersonRecord::WkExt] = "12";
    p[PersonRecord::Email] = "mary o'smith@example.com";
    TestBook::AddPerson(path, p);
    OpenThroughMenu(path);
    QTreeView* persons = frame_->View()->PersonList();
    persons->selectionModel()->select(
        persons->model()->index(0, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::mouseClick(frame_->View()->Control(1012), Qt::LeftButton);
    QTest::mouseClick(frame_->View()->Control(1017), Qt::LeftButton);
    QTest::mouseClick(frame_->View()->Control(1009), Qt::LeftButton);  // "Not Available"
    EXPECT_EQ(shell.calls, QStringList{QStringLiteral("555-1234")});
    ASSERT_EQ(shell.addresses.size(), 1);
    EXPECT_EQ(shell.addresses[0], QStringLiteral("mailto:mary o'smith@example.com"));
    frame_->Action(cmd::kCheckForUpdate)->trigger();
    ASSERT_EQ(shell.addresses.size(), 2);
    EXPECT_TRUE(shell.addresses[1].startsWith(QStringLiteral("http")))
        << shell.addresses[1].toStdString();
}

// A shell that takes nothing: every request is refused.
class RefusingShell : public platform::ShellActions {
public:
    RefusingShell() { platform::SetShellActions(this); }
    ~RefusingShell() override { platform::SetShellActions(nullptr); }
    int RequestCall(const QString&) override { return platform::kCallNoRequestRecipient; }
    bool OpenAddress(const QString&) override { return false; }
};

TEST_F(MainFrameTest, ACallJustMadeIsLoggedWithItsNumberTypeAndTime) {
    ShellRecorder shell;
    const std::string path = book_.Create();
    PersonRecord p;
    p[PersonRecord::LName] = "Smith";
    p[PersonRecord::WkPhone] = "555-1234";
    p[PersonRecord::WkExt] = "12";
    p[PersonRecord::Email] = "mary@example.com";
    const RecordId smith = TestBook::AddPerson(path, p);
    TestBook::AddPerson(path, "Bob", "Adams");
    OpenThroughMenu(path);
    QAction* log = frame_->Action(cmd::kLogLastCall);
    EXPECT_EQ(log->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    EXPECT_TRUE(log->text().startsWith(QStringLiteral("&Log Last Call")));
    EXPECT_FALSE(log->isEnabled());  // nothing made yet

    QTreeView* persons = frame_->View()->PersonList();
    persons->selectionModel()->select(
        persons->model()->index(frame_->View()->PersonRows().Rows().Find(smith), 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const DateTime before = FromLocalNow();
    QTest::mouseClick(frame_->View()->Control(1012), Qt::LeftButton);  // Work Phone
    const DateTime after = FromLocalNow();
    EXPECT_EQ(frame_->statusBar()->currentMessage(), QStringLiteral("Log this contact (Ctrl+L)"));
    EXPECT_TRUE(log->isEnabled());
    // The user looks at someone else meanwhile: the log still goes to the person called.
    persons->selectionModel()->select(
        persons->model()->index(frame_->View()->PersonRows().Rows().Find(smith) == 0 ? 1 : 0, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

    QString type, description;
    QDateTime shown;
    {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            auto* combo = d.findChild<QComboBox*>();
            type = combo ? combo->currentText() : QString();
            auto* notes = d.findChild<QPlainTextEdit*>();
            description = notes ? notes->toPlainText() : QString();
            auto* date = d.findChild<QDateEdit*>();
            auto* time = d.findChild<QTimeEdit*>();
            shown = QDateTime(date->date(), time->time());
            // The user goes on writing after the number.
            EXPECT_EQ(d.focusWidget(), notes);
            EXPECT_EQ(notes->textCursor().position(), notes->toPlainText().size());
            QTest::keyClicks(notes, QStringLiteral("left a message"));
            for (QPushButton* b : d.findChildren<QPushButton*>()) {
                if (b->text() == QStringLiteral("OK")) {
                    b->click();
                }
            }
        });
        log->trigger();
        EXPECT_EQ(dialogs.Captions(), QStringList{QStringLiteral("Add Contact")});
    }
    EXPECT_EQ(type, QStringLiteral("Telephone"));
    EXPECT_EQ(description, QStringLiteral("555-1234: "));  // the number dialled, no extension
    EXPECT_GE(
        DateTime::FromDateAndTime(shown.date(), shown.time()).Value(),
        DateTime::FromDateAndTime(before.Date(), QTime(before.Time().hour(), before.Time().minute(),
                                                       before.Time().second()))
            .Value());
    EXPECT_LE(DateTime::FromDateAndTime(shown.date(), shown.time()).Value(), after.Value());
    EXPECT_EQ(TestBook::QueryText(
                  path, "SELECT Description FROM Contact WHERE PersonID = '" + smith + "'"),
              "555-1234: left a message");
    EXPECT_EQ(frame_->View()->CurrentPersonId(), smith);  // shown with its new contact
    EXPECT_FALSE(frame_->View()->CurrentContactId().empty());
    EXPECT_FALSE(log->isEnabled());  // logged once

    // An e-mail: the Email type; cancelled, nothing is stored and it may still be logged.
    QTest::mouseClick(frame_->View()->Control(1017), Qt::LeftButton);
    {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            type = d.findChild<QComboBox*>()->currentText();
            description = d.findChild<QPlainTextEdit*>()->toPlainText();
        });
        log->trigger();
    }
    EXPECT_EQ(type, QStringLiteral("Email"));
    EXPECT_EQ(description, QStringLiteral("mary@example.com: "));
    EXPECT_EQ(TestBook::QueryText(path, "SELECT count(*) FROM Contact"), "1");
    EXPECT_TRUE(log->isEnabled());
    // Another file: nothing to log there.
    OpenThroughMenu(book_.Create("other.tch"));
    EXPECT_FALSE(log->isEnabled());
}

TEST_F(MainFrameTest, WithoutATelephoneTypeTheCallIsLoggedUnderTheFirstType) {
    ShellRecorder shell;
    const std::string path = book_.Create();
    TestBook::Execute(path, "DELETE FROM ContactType WHERE Description = 'Telephone'");
    PersonRecord p;
    p[PersonRecord::LName] = "Smith";
    p[PersonRecord::HmPhone] = "555-9876";
    TestBook::AddPerson(path, p);
    OpenThroughMenu(path);
    QTest::mouseClick(frame_->View()->Control(1009), Qt::LeftButton);  // Home Phone
    QString type;
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& d) { type = d.findChild<QComboBox*>()->currentText(); });
    frame_->Action(cmd::kLogLastCall)->trigger();
    EXPECT_EQ(type, QStringLiteral("Correspondence"));  // the first in the list
}

TEST_F(MainFrameTest, ARefusedCallLeavesNothingToLog) {
    RefusingShell shell;
    const std::string path = book_.Create();
    PersonRecord p;
    p[PersonRecord::LName] = "Smith";
    p[PersonRecord::HmPhone] = "555-9876";
    TestBook::AddPerson(path, p);
    OpenThroughMenu(path);
    boxes_.Expect();
    QTest::mouseClick(frame_->View()->Control(1009), Qt::LeftButton);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Calling Error"));
    EXPECT_FALSE(frame_->Action(cmd::kLogLastCall)->isEnabled());
    EXPECT_NE(frame_->statusBar()->currentMessage(), QStringLiteral("Log this contact (Ctrl+L)"));
}

TEST_F(MainFrameTest, ReportsStartWithThePersonsTheListShows) {
    const std::string path = book_.Create();
    const RecordId ann = TestBook::AddPerson(path, "Ann", "Adams");
    TestBook::AddPerson(path, "Bob", "Brown");
    TestBook::AddPerson(path, "Cy", "Clark");
    OpenThroughMenu(path);
    auto selectedWhenOpened = [this](int command) {
        std::vector<RecordId> ids;
        bool all = false;
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            auto& dialog = static_cast<reports::PersonPickDialog&>(d);
            for (QListWidgetItem* item : dialog.List()->selectedItems()) {
                ids.push_back(item->data(Qt::UserRole).toByteArray().toStdString());
            }
            all = dialog.SelectAllBox()->isChecked();
        });
        frame_->OnCommand(command);
        return std::make_pair(ids, all);
    };
    // Not searched: every person, as Select All says.
    auto [ids, all] = selectedWhenOpened(cmd::kAddressBookReport);
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_TRUE(all);
    // Searched: the persons found.
    QTest::keyClicks(frame_->View()->SearchField(), QStringLiteral("adams"));
    for (int command : {cmd::kAddressBookReport, cmd::kEnvelopesReport}) {
        std::tie(ids, all) = selectedWhenOpened(command);
        EXPECT_EQ(ids, std::vector<RecordId>{ann}) << command;
        EXPECT_FALSE(all);
    }
}

TEST_F(MainFrameTest, HelpTopicsAndControlHelp) {
    std::vector<help::HelpRequest> requests;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { requests.push_back(r); });
    frame_->Action(cmd::kHelpTopics)->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, help::HelpRequest::Contents);
    EXPECT_TRUE(requests[0].reference.endsWith(
        QDir::separator() + QStringLiteral("Tidemark.chm::/html/Introduction.htm>mainwin")))
        << requests[0].reference.toStdString();

    // What's-this clicks, as the mode sends them.
    for (const int control : {1012, 1044, 1166}) {  // the last a frame: no help
        QWidget* w = frame_->View()->Control(control);
        QHelpEvent event(QEvent::WhatsThis, w->rect().center(), w->mapToGlobal(w->rect().center()));
        QApplication::sendEvent(w, &event);
    }
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].kind, help::HelpRequest::Popup);
    EXPECT_EQ(requests[1].popup, 1221);
    EXPECT_EQ(requests[2].popup, 2003);

    ASSERT_TRUE(frame_->Start(QString()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    QWidget* city = frame_->View()->Control(1029);
    city->setFocus();
    QTest::keyClick(city, Qt::Key_F1);
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[3].popup, 1209);

    frame_->Action(cmd::kHelpMode)->trigger();
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWidget* list = frame_->View()->Control(1021);
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rect().center());
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[4].popup, 2000);

    // The search field explains itself too, and its text says how to search.
    QWidget* search = frame_->View()->SearchField();
    search->setFocus();
    QTest::keyClick(search, Qt::Key_F1);
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[5].popup, 1230);
    EXPECT_TRUE(help::PopupText(1230).contains(QStringLiteral("city:")));
    help::SetHelpRequestHandler(nullptr);
}

TEST_F(MainFrameTest, ContactTypesOpenFromTheEditMenuAndReloadTheView) {
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    OpenThroughMenu(path);
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QPushButton* button : box->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("&Close")) {
                button->click();
            }
        }
    });
    TestBook::AddPerson(path, "Bob", "Brown");
    frame_->Action(cmd::kContactTypes)->trigger();
    EXPECT_EQ(title, QStringLiteral("Contact Types"));
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 2u);
}

TEST_F(MainFrameTest, AboutBoxShowsTheVersion) {
    QString title;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QLabel* label : box->findChildren<QLabel*>()) {
            texts << label->text();
        }
        static_cast<QDialog*>(box)->accept();
    });
    frame_->Action(cmd::kAbout)->trigger();
    EXPECT_EQ(title, QStringLiteral("About Tidemark"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Version 2.02")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Know When and How You Keep In Touch!")));
}

TEST_F(MainFrameTest, WindowFitsTheScreenAndShowsTheFormWhereItCan) {
    ASSERT_TRUE(frame_->Start(QString()));
    const QSize available = frame_->screen()->availableGeometry().size();
    EXPECT_LE(frame_->minimumSizeHint().width(), available.width());
    EXPECT_LE(frame_->minimumSizeHint().height(), available.height());
    EXPECT_LE(frame_->width(), available.width());
    EXPECT_LE(frame_->height(), available.height());
    const QSize form = frame_->View()->FormSize();
    if (form.width() < available.width() * 9 / 10 - 40 &&
        form.height() < available.height() * 9 / 10 - 120) {
        EXPECT_GE(frame_->View()->width(), form.width());
        EXPECT_GE(frame_->View()->height(), form.height());
    }
    // It may be made smaller than the form: the details then scroll.
    frame_->resize(form / 2);
    EXPECT_LT(frame_->width(), form.width());
}

TEST_F(MainFrameTest, TheSplitIsStoredWithThePlacement) {
    ASSERT_TRUE(frame_->Start(QString()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    frame_->resize(frame_->View()->FormSize() + QSize(200, 120));
    const int wider = frame_->View()->ListPaneWidth() + 90;
    frame_->View()->SetListPaneWidth(wider);
    frame_->Action(cmd::kExit)->trigger();
    QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Settings/split.firstPane")).toInt(), wider);

    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(QString()));
    EXPECT_EQ(frame_->View()->ListPaneWidth(), wider);
}

TEST_F(MainFrameTest, TheLastContactColumnIsKeptWithItsWidthForTheNextRun) {
    const std::string path = book_.Create();
    const RecordId a = TestBook::AddPerson(path, "Ann", "Adams");
    TestBook::AddContact(path, a, "2026-11-20 10:00:00", "call");
    ASSERT_TRUE(frame_->Start(Q(path)));
    QAction* column = frame_->Action(cmd::kLastContactColumn);
    EXPECT_EQ(column->text(), QStringLiteral("&Last Contact Column"));
    EXPECT_TRUE(column->isCheckable());
    EXPECT_FALSE(column->isChecked());
    EXPECT_TRUE(frame_->View()->PersonList()->isColumnHidden(PersonListModel::LastContactColumn));
    column->trigger();
    EXPECT_TRUE(column->isChecked());
    const QModelIndex cell =
        frame_->View()->PersonList()->model()->index(0, PersonListModel::LastContactColumn);
    EXPECT_EQ(cell.data().toString().toStdString(),
              FormatDisplayDate(DateTime::FromFields(2026, 11, 20)));
    const int width = frame_->View()->LastContactColumnWidth() - 9;
    frame_->View()->SetLastContactColumnWidth(width);
    frame_->Action(cmd::kExit)->trigger();

    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(Q(path)));
    EXPECT_TRUE(frame_->Action(cmd::kLastContactColumn)->isChecked());
    EXPECT_FALSE(frame_->View()->PersonList()->isColumnHidden(PersonListModel::LastContactColumn));
    EXPECT_EQ(frame_->View()->LastContactColumnWidth(), width);
    EXPECT_TRUE(frame_->View()->PersonRows().Rows().HasLastContacts());
    // Turned off, it stays off, and the width it had is kept for when it comes back.
    frame_->Action(cmd::kLastContactColumn)->trigger();
    frame_->Action(cmd::kExit)->trigger();
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(Q(path)));
    EXPECT_FALSE(frame_->Action(cmd::kLastContactColumn)->isChecked());
    EXPECT_FALSE(frame_->View()->PersonRows().Rows().HasLastContacts());
    frame_->Action(cmd::kLastContactColumn)->trigger();
    EXPECT_EQ(frame_->View()->LastContactColumnWidth(), width);
}

TEST_F(MainFrameTest, StartsWithTheMostRecentFileWhenNoneIsNamed) {
    const std::string a = book_.Create("a.tch");
    TestBook::AddPerson(a, "Ann", "Adams");
    const std::string b = book_.Create("b.tch");
    OpenThroughMenu(b);
    OpenThroughMenu(a);
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    CurrentDatabasePath.clear();
    ASSERT_TRUE(frame_->Start(QString()));
    EXPECT_EQ(CurrentDatabasePath, a);
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [") + Q(a) + "]");
    EXPECT_EQ(frame_->View()->SelectedPersonRow(), 0);
    // A named file wins over the list.
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(Q(b)));
    EXPECT_EQ(CurrentDatabasePath, b);
    // The most recent file gone: nothing is opened and nothing is said.
    ASSERT_TRUE(QFile::remove(Q(b)));
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    CurrentDatabasePath.clear();
    ASSERT_TRUE(frame_->Start(QString()));
    EXPECT_TRUE(CurrentDatabasePath.empty());
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Tidemark [No Database]"));
    EXPECT_TRUE(boxes_.Calls().empty());
}

TEST_F(MainFrameTest, AVersionOneFileIsSentToTheConverter) {
    const QString old = book_.Folder() + QStringLiteral("/old.tch");
    {
        QFile file(old);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
            "<!-- written by hand -->\r\n<Tidemark Version=\"1\"><Persons/></Tidemark>");
    }
    // One message only, the one that says what to do.
    boxes_.Expect();
    dialogs_.Answer(old);
    frame_->Action(cmd::kFileOpen)->trigger();
    ASSERT_EQ(boxes_.Calls().size(), 1u);
    EXPECT_TRUE(boxes_.Calls()[0].text.contains(QStringLiteral("first version")));
    EXPECT_TRUE(boxes_.Calls()[0].text.contains(QStringLiteral("Tidemark Import Tool (tideconv)")));
    EXPECT_TRUE(boxes_.Calls()[0].text.contains(old));
    EXPECT_EQ(boxes_.Calls()[0].icon, platform::MessageIcon::Information);

    // On the command line: the program still ends, after saying why.
    boxes_.Expect();
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    EXPECT_FALSE(frame_->Start(old));
    ASSERT_EQ(boxes_.Calls().size(), 2u);
    EXPECT_EQ(boxes_.Calls()[1].owner, nullptr);  // before the window shows
    EXPECT_TRUE(boxes_.Calls()[1].text.contains(QStringLiteral("tideconv")));

    // From the recent files, the same one message.
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(QString()));
    const std::string good = book_.Create("good.tch");
    dialogs_.Answer(Q(good));
    frame_->Action(cmd::kFileOpen)->trigger();
    ASSERT_EQ(boxes_.Calls().size(), 2u);
    QFile::remove(Q(good));
    ASSERT_TRUE(QFile::copy(old, Q(good)));
    boxes_.Expect();
    RecentAction(1)->trigger();
    ASSERT_EQ(boxes_.Calls().size(), 3u);
    EXPECT_TRUE(boxes_.Calls()[2].text.contains(QStringLiteral("first version")));

    // Other files that fail to load are not sent there.
    const std::string broken = book_.Create("broken.tch");
    TestBook::Execute(broken, "DROP TABLE Globals");
    boxes_.Expect();
    dialogs_.Answer(Q(broken));
    frame_->Action(cmd::kFileOpen)->trigger();
    ASSERT_EQ(boxes_.Calls().size(), 4u);
    EXPECT_EQ(boxes_.Calls()[3].text.left(19), QStringLiteral("Error loading file."));
}

TEST_F(MainFrameTest, HelpModeEndsWithReadyAndEscLeavesIt) {
    ASSERT_TRUE(frame_->Start(QString()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    std::vector<help::HelpRequest> requests;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { requests.push_back(r); });
    QWidget* button = frame_->MainToolBar()->widgetForAction(frame_->Action(cmd::kHelpMode));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWidget* list = frame_->View()->Control(1021);
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rect().center());
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(frame_->statusBar()->currentMessage(), QStringLiteral("Ready"));
    EXPECT_FALSE(button->underMouse());

    frame_->Action(cmd::kHelpMode)->trigger();
    ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
    QTest::keyClick(frame_->View(), Qt::Key_Escape);
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    EXPECT_EQ(requests.size(), 1u);
    help::SetHelpRequestHandler(nullptr);
}

TEST_F(MainFrameTest, UndoDeleteFromTheEditMenu) {
    const std::string path = book_.Create();
    const RecordId a = TestBook::AddPerson(path, "Ann", "Adams");
    TestBook::AddContact(path, a, "2005-03-01 09:05:00", "call");
    TestBook::AddPerson(path, "Bob", "Brown");
    OpenThroughMenu(path);
    ASSERT_EQ(frame_->View()->CurrentPersonId(), a);
    frame_->Action(cmd::kDeletePerson)->trigger();
    EXPECT_TRUE(frame_->statusBar()->currentMessage().contains(QStringLiteral("Adams")));
    EXPECT_TRUE(frame_->Action(cmd::kUndoDelete)->isEnabled());
    frame_->Action(cmd::kUndoDelete)->trigger();
    EXPECT_EQ(frame_->View()->CurrentPersonId(), a);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT count(*) FROM Contact"), "1");
    EXPECT_FALSE(frame_->Action(cmd::kUndoDelete)->isEnabled());
    // Ctrl+Z in the list is the shortcut, not Ctrl pressed alone: no editor opens.
    ASSERT_TRUE(frame_->Start(QString()));
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    frame_->Action(cmd::kDeletePerson)->trigger();
    QTreeView* persons = frame_->View()->PersonList();
    persons->setFocus();
    {
        ModalDriver dialogs;  // any dialog fails the test
        QTest::keyPress(persons, Qt::Key_Control);
        QTest::keyClick(persons, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyRelease(persons, Qt::Key_Control);
        QApplication::processEvents();
        EXPECT_TRUE(dialogs.Captions().isEmpty());
    }
    EXPECT_EQ(frame_->View()->CurrentPersonId(), a);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT count(*) FROM Contact"), "1");
    // A file opened anew has nothing to undo.
    frame_->Action(cmd::kDeletePerson)->trigger();
    EXPECT_TRUE(frame_->Action(cmd::kUndoDelete)->isEnabled());
    OpenThroughMenu(path);
    EXPECT_FALSE(frame_->Action(cmd::kUndoDelete)->isEnabled());
}

}  // namespace
