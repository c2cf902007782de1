// File, Sync in the main window: the submenu, when its commands are offered, and the unlinking
// that keeps every person.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <memory>

#include "Commands.h"
#include "CurrentDatabase.h"
#include "FileDialogRecorder.h"
#include "MainFrame.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "SettingsSandbox.h"
#include "SyncCommands.h"
#include "SyncSession.h"
#include "TestBook.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

carddav::Account HarbourAccount() {
    carddav::Account account;
    account.server = QStringLiteral("127.0.0.1:9");
    account.user = QStringLiteral("ann");
    account.addressBook = QUrl(QStringLiteral("http://127.0.0.1:9/ann/harbour/"));
    account.displayName = QStringLiteral("Harbour");
    return account;
}

class SyncCommandsTest : public ::testing::Test {
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

    void Open(const std::string& path) {
        files_.Answer(Q(path));
        frame_->Action(cmd::kFileOpen)->trigger();
    }

    bool Offered(int command) const { return frame_->Action(command)->isEnabled(); }

    int Persons(const std::string& path) const {
        return std::stoi(TestBook::QueryText(path, "SELECT COUNT(*) FROM Person"));
    }

    SettingsSandbox sandbox_;
    TestBook book_;
    MessageRecorder boxes_;
    FileDialogRecorder files_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(SyncCommandsTest, TheFileMenuHoldsTheSyncSubmenu) {
    QMenu* file = frame_->menuBar()->actions().first()->menu();
    ASSERT_NE(file, nullptr);
    QMenu* sync = nullptr;
    for (QAction* action : file->actions()) {
        if (action->menu() && action->text() == QStringLiteral("S&ync")) {
            sync = action->menu();
        }
    }
    ASSERT_NE(sync, nullptr);
    QStringList texts;
    for (QAction* action : sync->actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    EXPECT_EQ(texts, QStringList({QStringLiteral("&Link to Server..."),
                                  QStringLiteral("Sync &Now\tF9"), QStringLiteral("&Unlink")}));
    EXPECT_EQ(frame_->Action(cmd::kSyncNow)->shortcut(), QKeySequence(Qt::Key_F9));
    for (int command : {cmd::kLinkToServer, cmd::kSyncNow, cmd::kUnlink}) {
        EXPECT_FALSE(frame_->Action(command)->statusTip().isEmpty()) << command;
    }
    // The letter of the submenu is no other item's of the File menu.
    QStringList letters;
    for (QAction* action : file->actions()) {
        const int mark = static_cast<int>(action->text().indexOf(QLatin1Char('&')));
        if (mark >= 0) {
            letters << action->text().mid(mark + 1, 1).toUpper();
        }
    }
    EXPECT_EQ(letters.count(QStringLiteral("Y")), 1);
    EXPECT_EQ(letters.removeDuplicates(), 0) << letters.join(QLatin1Char(' ')).toStdString();
}

TEST_F(SyncCommandsTest, SyncNowAndUnlinkAreOfferedForALinkedBookOnly) {
    // No book: nothing to link.
    for (int command : {cmd::kLinkToServer, cmd::kSyncNow, cmd::kUnlink}) {
        EXPECT_FALSE(Offered(command)) << command;
    }
    const std::string plain = book_.Create("plain.tch");
    Open(plain);
    EXPECT_TRUE(Offered(cmd::kLinkToServer));
    EXPECT_FALSE(Offered(cmd::kSyncNow));
    EXPECT_FALSE(Offered(cmd::kUnlink));
    // F9 on a book that is not linked does nothing (no dialog, no box).
    QTest::keyClick(frame_.get(), Qt::Key_F9);

    const std::string linked = book_.Create("linked.tch");
    carddav::Link(linked, HarbourAccount());
    Open(linked);
    for (int command : {cmd::kLinkToServer, cmd::kSyncNow, cmd::kUnlink}) {
        EXPECT_TRUE(Offered(command)) << command;
    }
    // Back to the other book, and linked elsewhere meanwhile: the view's news brings it in.
    Open(plain);
    EXPECT_FALSE(Offered(cmd::kSyncNow));
    carddav::Link(plain, HarbourAccount());
    emit frame_->View()->Watcher()->ChangedElsewhere();
    EXPECT_TRUE(Offered(cmd::kSyncNow));
    EXPECT_TRUE(Offered(cmd::kUnlink));
}

TEST_F(SyncCommandsTest, UnlinkAsksFirstAndKeepsEveryPerson) {
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    TestBook::AddPerson(path, "Bob", "Baker");
    carddav::Link(path, HarbourAccount());
    Open(path);
    ASSERT_TRUE(Offered(cmd::kUnlink));

    boxes_.Expect(platform::MessageResult::No);
    frame_->OnCommand(cmd::kUnlink);
    ASSERT_EQ(boxes_.Calls().size(), 1u);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Unlink"));
    EXPECT_EQ(boxes_.Last().buttons, platform::MessageButtons::YesNo);
    EXPECT_TRUE(boxes_.Last().text.contains(QStringLiteral("Harbour")));
    EXPECT_TRUE(boxes_.Last().text.contains(QStringLiteral("Every person stays")));
    carddav::Account account;
    EXPECT_TRUE(carddav::ReadAccount(path, account));
    EXPECT_TRUE(Offered(cmd::kSyncNow));

    boxes_.Expect(platform::MessageResult::Yes);
    frame_->OnCommand(cmd::kUnlink);
    EXPECT_FALSE(carddav::ReadAccount(path, account));
    EXPECT_EQ(Persons(path), 2);
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 2u);
    EXPECT_FALSE(Offered(cmd::kSyncNow));
    EXPECT_FALSE(Offered(cmd::kUnlink));
    EXPECT_TRUE(Offered(cmd::kLinkToServer));
    EXPECT_TRUE(frame_->statusBar()->currentMessage().contains(QStringLiteral("every person")));
}

}  // namespace
