#pragma once

// The main window with File, Sync, for the tests of the sync in the window: a book opened
// through the file dialog, linked to a test server, and the server read and written as another
// device would.
#include <gtest/gtest.h>

#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include <memory>
#include <string>

#include "CardDavServer.h"
#include "Commands.h"
#include "CurrentDatabase.h"
#include "DavClient.h"
#include "FileDialogRecorder.h"
#include "MainFrame.h"
#include "MessageRecorder.h"
#include "SettingsSandbox.h"
#include "SyncCheck.h"
#include "SyncCommands.h"
#include "SyncSession.h"
#include "TestBook.h"

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

class SyncFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        CurrentDatabasePath.clear();
        // The syncs by themselves wait until a test asks for them.
        syncui::AutoSyncSettings{0, false, false}.Write();
        frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
        // Never the desktop's own store: each test says what it has.
        frame_->Sync().Passwords().SetStore({});
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

    // The cards in the address book, by a listing of its own.
    static int CardsOn(const CardDavServer& server, const QUrl& book, const QString& password) {
        carddav::DavClient client;
        client.SetCredentials(server.User(), password);
        bool done = false;
        int cards = -1;
        client.Propfind(book, 1, carddav::body::PropfindEtags(),
                        [&](const carddav::DavReply& reply) {
                            done = true;
                            if (reply.Ok()) {
                                cards = 0;
                                for (const carddav::DavResponse& response : reply.responses) {
                                    cards += response.url != book ? 1 : 0;
                                }
                            }
                        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 30000));
        return cards;
    }

    // Puts a card on the server as another device would.
    static void PutCard(const CardDavServer& server, const char* name, const QByteArray& card) {
        carddav::DavClient client;
        client.SetCredentials(server.User(), server.Password());
        bool done = false;
        client.Put(server.AddressBookUrl().resolved(QUrl(QString::fromLatin1(name))), card,
                   QString(), [&](const carddav::DavReply& reply) {
                       EXPECT_TRUE(reply.Ok()) << reply.error.toStdString();
                       done = true;
                   });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 30000));
    }

    // Links a book's file to the server's address book, as the dialog would.
    static carddav::Account LinkBook(const std::string& path, const CardDavServer& server) {
        synccheck::LinkTo(path, server);
        carddav::Account account;
        EXPECT_TRUE(carddav::ReadAccount(path, account));
        return account;
    }
    // The same for the open book, which the window then reads again.
    carddav::Account LinkTo(const std::string& path, const CardDavServer& server) {
        const carddav::Account account = LinkBook(path, server);
        frame_->Sync().Recheck();
        frame_->UpdateCommands();
        return account;
    }

    // Sync Now as the menu runs it, to its end.
    void SyncNowAndWait() {
        frame_->OnCommand(cmd::kSyncNow);
        ASSERT_TRUE(WaitForSync());
    }

    // The book open, linked to the server with no password, and in step with it.
    void OpenInStep(const std::string& path, const CardDavServer& server) {
        Open(path);
        const carddav::Account account = LinkTo(path, server);
        frame_->Sync().Passwords().Keep(account, QString(), false);
        SyncNowAndWait();
    }

    QString Notice() const {
        return frame_->Sync().Notice()->isVisibleTo(frame_.get()) ? frame_->Sync().Notice()->text()
                                                                  : QString();
    }

    bool WaitForSync() {
        return QTest::qWaitFor([&] { return !frame_->Sync().Syncing(); }, 60000);
    }

    QString Status() const { return frame_->statusBar()->currentMessage(); }

    SettingsSandbox sandbox_;
    TestBook book_;
    MessageRecorder boxes_;
    FileDialogRecorder files_;
    std::unique_ptr<MainFrame> frame_;
};
