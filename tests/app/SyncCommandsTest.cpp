// File, Sync in the main window: the submenu, when its commands are offered, and the unlinking
// that keeps every person.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <map>
#include <memory>

#include "BookWatcher.h"
#include "CardDavServer.h"
#include "Commands.h"
#include "CurrentDatabase.h"
#include "FileDialogRecorder.h"
#include "LinkDialog.h"
#include "ListModels.h"
#include "MainFrame.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "RecordEditing.h"
#include "SettingsSandbox.h"
#include "SyncCommands.h"
#include "SyncFrame.h"
#include "SyncSession.h"
#include "TestBook.h"

namespace {

carddav::Account HarbourAccount() {
    carddav::Account account;
    account.server = QStringLiteral("127.0.0.1:9");
    account.user = QStringLiteral("ann");
    account.addressBook = QUrl(QStringLiteral("http://127.0.0.1:9/ann/harbour/"));
    account.displayName = QStringLiteral("Harbour");
    return account;
}

class SyncCommandsTest : public SyncFrameTest {};

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
                                  QStringLiteral("Sync &Now\tF9"), QStringLiteral("&Conflicts..."),
                                  QStringLiteral("&Settings..."), QStringLiteral("&Unlink")}));
    EXPECT_EQ(frame_->Action(cmd::kSyncNow)->shortcut(), QKeySequence(Qt::Key_F9));
    for (int command : {cmd::kLinkToServer, cmd::kSyncNow, cmd::kSyncConflicts, cmd::kSyncSettings,
                        cmd::kUnlink}) {
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

TEST_F(SyncCommandsTest, LinkingALinkedBookAnewAsksFirst) {
    const std::string path = book_.Create();
    carddav::Link(path, HarbourAccount());
    Open(path);
    boxes_.Expect(platform::MessageResult::No);
    // Declined: no dialog opens (the driver fails any), the link stays.
    ModalDriver dialogs;
    frame_->OnCommand(cmd::kLinkToServer);
    ASSERT_EQ(boxes_.Calls().size(), 1u);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Link to Server"));
    EXPECT_EQ(boxes_.Last().buttons, platform::MessageButtons::YesNo);
    EXPECT_TRUE(boxes_.Last().text.contains(QStringLiteral("\"Harbour\"")));
    carddav::Account account;
    ASSERT_TRUE(carddav::ReadAccount(path, account));
    EXPECT_EQ(account.addressBook, HarbourAccount().addressBook);

    // Yes: the link dialog comes; cancelled, the old link stays too.
    boxes_.Expect(platform::MessageResult::Yes);
    dialogs.Expect([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Link to Server"));
        dialog.reject();
    });
    frame_->OnCommand(cmd::kLinkToServer);
    ASSERT_TRUE(carddav::ReadAccount(path, account));
    EXPECT_EQ(account.addressBook, HarbourAccount().addressBook);
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

TEST_F(SyncCommandsTest, TheLinkDialogLinksTheBookAndTheFirstSyncSendsEveryPerson) {
    CardDavServer server(CardDavServer::Kind::Radicale, QStringLiteral("tide-pass"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    TestBook::AddPerson(path, "Bob", "Baker");
    Open(path);

    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& dialog) {
        auto& link = static_cast<syncui::LinkDialog&>(dialog);
        EXPECT_EQ(link.windowTitle(), QStringLiteral("Link to Server"));
        QTest::keyClicks(link.ServerField(), server.BaseUrl().toString());
        QTest::keyClicks(link.UserField(), server.User());
        QTest::keyClicks(link.PasswordField(), QStringLiteral("tide-pass"));
        QTest::mouseClick(link.FindButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !link.Searching(); }, 30000));
        ASSERT_EQ(link.AddressBooks()->topLevelItemCount(), 1) << link.Note()->text().toStdString();
        QTest::mouseClick(link.OkButton(), Qt::LeftButton);
    });
    frame_->OnCommand(cmd::kLinkToServer);
    carddav::Account account;
    ASSERT_TRUE(carddav::ReadAccount(path, account));
    EXPECT_EQ(account.addressBook, server.AddressBookUrl());
    EXPECT_EQ(account.user, server.User());

    // The first sync runs on: its progress and Cancel in the status bar, the other sync
    // commands waiting.
    ASSERT_TRUE(frame_->Sync().Syncing());
    EXPECT_TRUE(frame_->Sync().CancelButton()->isVisibleTo(frame_.get()));
    EXPECT_TRUE(frame_->Sync().ProgressText()->text().startsWith(QStringLiteral("Syncing")));
    EXPECT_FALSE(Offered(cmd::kSyncNow));
    EXPECT_FALSE(Offered(cmd::kLinkToServer));
    EXPECT_FALSE(Offered(cmd::kUnlink));
    // The window goes on answering: a person is added meanwhile.
    EXPECT_TRUE(Offered(cmd::kAddPerson));
    ASSERT_TRUE(WaitForSync());
    EXPECT_FALSE(frame_->Sync().CancelButton()->isVisibleTo(frame_.get()));
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 2 sent"))) << Status().toStdString();
    EXPECT_EQ(CardsOn(server, server.AddressBookUrl(), QStringLiteral("tide-pass")), 2);
    EXPECT_TRUE(Offered(cmd::kSyncNow));
    EXPECT_EQ(Persons(path), 2);

    // The password typed in the dialog serves the rest of the run: no dialog asks again.
    frame_->Action(cmd::kSyncNow)->trigger();
    ASSERT_TRUE(WaitForSync());
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 0 sent, 0 received")))
        << Status().toStdString();
}

TEST_F(SyncCommandsTest, APasswordRememberedAtLinkingServesTheNextRunFromTheStore) {
    CardDavServer server(CardDavServer::Kind::Radicale, QStringLiteral("tide-pass"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    // The desktop's store, held in memory.
    std::map<QString, QString> kept;
    syncui::SyncPasswords::Store store;
    store.read = [&kept](const QString& key, QString& password) {
        const auto it = kept.find(key);
        if (it == kept.end()) {
            return false;
        }
        password = it->second;
        return true;
    };
    store.write = [&kept](const QString& key, const QString& password) {
        kept[key] = password;
        return true;
    };
    frame_->Sync().Passwords().SetStore(store);
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    Open(path);
    {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& dialog) {
            auto& link = static_cast<syncui::LinkDialog&>(dialog);
            // With a store the box is offered, and ticked.
            EXPECT_TRUE(link.RememberBox()->isEnabled());
            EXPECT_TRUE(link.RememberBox()->isChecked());
            QTest::keyClicks(link.ServerField(), server.BaseUrl().toString());
            QTest::keyClicks(link.UserField(), server.User());
            QTest::keyClicks(link.PasswordField(), QStringLiteral("tide-pass"));
            QTest::mouseClick(link.FindButton(), Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !link.Searching(); }, 30000));
            QTest::mouseClick(link.OkButton(), Qt::LeftButton);
        });
        frame_->OnCommand(cmd::kLinkToServer);
        ASSERT_TRUE(WaitForSync());
    }
    const QString key = server.User() + QLatin1Char('@') + server.BaseUrl().toString();
    ASSERT_EQ(kept.count(key), 1u);
    EXPECT_EQ(kept[key], QStringLiteral("tide-pass"));

    // The next run asks nobody (the driver fails any dialog): the store has the password.
    frame_.reset();
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    frame_->Sync().Passwords().SetStore(store);
    Open(path);
    TestBook::AddPerson(path, "Bob", "Baker");
    ModalDriver none;
    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(WaitForSync());
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
    EXPECT_EQ(CardsOn(server, server.AddressBookUrl(), QStringLiteral("tide-pass")), 2);
}

TEST_F(SyncCommandsTest, SyncNowBringsTheServersCardsInAndKeepsTheSelection) {
    CardDavServer server(CardDavServer::Kind::Xandikos);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    const RecordId bob = TestBook::AddPerson(path, "Bob", "Baker");
    Open(path);
    const carddav::Account account = LinkTo(path, server);
    frame_->Sync().Passwords().Keep(account, QString(), false);
    QTreeView* list = frame_->View()->PersonList();
    list->setCurrentIndex(list->model()->index(frame_->View()->PersonRows().Find(bob), 0));
    ASSERT_EQ(frame_->View()->CurrentPersonId(), bob);

    PutCard(server, "zoe.vcf",
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:zoe-1\r\nFN:Zoe Zimmer\r\nN:Zimmer;Zoe;;;\r\n"
            "END:VCARD\r\n");
    // Progress comes as persons move.
    QStringList shown;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QString text = frame_->Sync().ProgressText()->text();
        if (frame_->Sync().CancelButton()->isVisibleTo(frame_.get()) && !shown.contains(text)) {
            shown << text;
        }
    });
    watch.start(1);
    // F9 where the keyboard is, in the person list.
    frame_->show();
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    QTest::keyClick(list, Qt::Key_F9);
    ASSERT_TRUE(frame_->Sync().Syncing());
    ASSERT_TRUE(WaitForSync());
    watch.stop();
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 2 sent, 1 received")))
        << Status().toStdString();
    EXPECT_EQ(Persons(path), 3);
    // The view shows the new person at once, Bob still selected.
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 3u);
    EXPECT_EQ(frame_->View()->CurrentPersonId(), bob);
    EXPECT_FALSE(shown.isEmpty());
    for (const QString& text : shown) {
        EXPECT_TRUE(text.startsWith(QStringLiteral("Syncing"))) << text.toStdString();
    }
}

TEST_F(SyncCommandsTest, AWrongPasswordOrAStoppedServerIsShownAsErrorSyncing) {
    CardDavServer server(CardDavServer::Kind::Radicale, QStringLiteral("tide-pass"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    Open(path);
    const carddav::Account account = LinkTo(path, server);
    frame_->Sync().Passwords().Keep(account, QStringLiteral("wrong"), false);

    boxes_.Expect();
    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(WaitForSync());
    ASSERT_EQ(boxes_.Calls().size(), 1u);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Error Syncing"));
    EXPECT_EQ(boxes_.Last().icon, platform::MessageIcon::Error);
    EXPECT_TRUE(boxes_.Last().text.contains(QStringLiteral("password")))
        << boxes_.Last().text.toStdString();
    EXPECT_EQ(CardsOn(server, server.AddressBookUrl(), QStringLiteral("tide-pass")), 0);
    EXPECT_EQ(Persons(path), 1);
    EXPECT_TRUE(Offered(cmd::kSyncNow));

    // The refused password is not used again: the next sync asks, and goes through.
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sync Password"));
        auto* field = dialog.findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field, QStringLiteral("tide-pass"));
        QTest::keyClick(field, Qt::Key_Return);
    });
    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(WaitForSync());
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
    EXPECT_EQ(CardsOn(server, server.AddressBookUrl(), QStringLiteral("tide-pass")), 1);

    // The server gone: the box again, the book as it was.
    server.Stop();
    TestBook::AddPerson(path, "Bob", "Baker");
    boxes_.Expect();
    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(WaitForSync());
    ASSERT_EQ(boxes_.Calls().size(), 2u);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Error Syncing"));
    EXPECT_FALSE(boxes_.Last().text.trimmed().isEmpty());
    EXPECT_EQ(Persons(path), 2);
    carddav::Account still;
    EXPECT_TRUE(carddav::ReadAccount(path, still));
    // The server never saw the password: it is kept, and the next sync goes without asking.
    QString kept;
    EXPECT_TRUE(frame_->Sync().Passwords().Find(account, kept));
    EXPECT_EQ(kept, QStringLiteral("tide-pass"));
    ASSERT_TRUE(server.Restart());
    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(WaitForSync());
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
}

TEST_F(SyncCommandsTest, CancelInTheStatusBarEndsASyncThatWaitsOnTheServer) {
    // A server that takes the connection and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    std::vector<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = silent.nextPendingConnection()) {
            held.push_back(socket);
        }
    });
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    Open(path);
    carddav::Account account;
    account.server = QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort());
    account.user = QStringLiteral("ann");
    account.addressBook = QUrl(account.server + QStringLiteral("ann/book/"));
    carddav::Link(path, account);
    frame_->Sync().Recheck();
    frame_->Sync().Passwords().Keep(account, QStringLiteral("p"), false);
    frame_->UpdateCommands();

    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(frame_->Sync().Syncing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !held.empty(); }, 10000));
    EXPECT_EQ(frame_->Sync().ProgressText()->text(), QStringLiteral("Syncing: 0 of 1 persons"));
    QTest::mouseClick(frame_->Sync().CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForSync());
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Sync cancelled"))) << Status().toStdString();
    EXPECT_FALSE(frame_->Sync().CancelButton()->isVisibleTo(frame_.get()));
    EXPECT_EQ(Persons(path), 1);
    EXPECT_TRUE(Offered(cmd::kSyncNow));

    // Nothing to send: while the server is asked what changed, its name shows, not "0 of 0".
    editing::DeletePerson(path, TestBook::QueryText(path, "SELECT ID FROM Person"));
    held.clear();
    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !held.empty(); }, 10000));
    QTest::qWait(50);
    EXPECT_EQ(frame_->Sync().ProgressText()->text(), QStringLiteral("Syncing with 127.0.0.1..."));
    QTest::mouseClick(frame_->Sync().CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForSync());
}

}  // namespace
