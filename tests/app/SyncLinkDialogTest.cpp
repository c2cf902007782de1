// The link dialog: its form, the warning before plain http leaves this computer, and a search
// that the window waits for without freezing.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "CardDavServer.h"
#include "LinkDialog.h"
#include "MessageRecorder.h"

namespace {

// Takes connections and never answers: a server that hangs.
class SilentServer {
public:
    SilentServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                held_.push_back(socket);
            }
        });
    }
    // host: how the URL names this computer.
    QString Url(const char* host = "127.0.0.1") const {
        return QStringLiteral("http://%1:%2/").arg(QLatin1String(host)).arg(server_.serverPort());
    }
    int Connections() const { return static_cast<int>(held_.size()); }

private:
    QTcpServer server_;
    std::vector<QTcpSocket*> held_;
};

TEST(SyncLinkDialogTest, TheFormAsksForServerUserAndAHiddenPassword) {
    syncui::LinkDialog dialog(nullptr, false, QStringLiteral("Harbour"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Link to Server"));
    EXPECT_EQ(dialog.PasswordField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.ServerField()->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(dialog.RememberBox()->text(),
              QStringLiteral("&Remember in the desktop's password store"));
    // With no store, the box is greyed and a note says why.
    EXPECT_FALSE(dialog.RememberBox()->isEnabled());
    EXPECT_FALSE(dialog.StoreNote()->isHidden());
    EXPECT_FALSE(dialog.StoreNote()->text().isEmpty());
    EXPECT_EQ(dialog.FindButton()->text(), QStringLiteral("&Find Address Books"));
    // Nothing found yet, nothing to choose: OK waits, the new name is offered from the book's.
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_FALSE(dialog.AddressBooks()->isEnabled());
    EXPECT_FALSE(dialog.NewNameField()->isEnabled());
    EXPECT_EQ(dialog.NewNameField()->text(), QStringLiteral("Harbour"));
    EXPECT_TRUE(dialog.StopButton()->isHidden());
    EXPECT_FALSE(dialog.Remember());

    syncui::LinkDialog withStore(nullptr, true, QString());
    EXPECT_TRUE(withStore.RememberBox()->isEnabled());
    EXPECT_TRUE(withStore.RememberBox()->isChecked());
    EXPECT_TRUE(withStore.StoreNote()->isHidden());
    EXPECT_TRUE(withStore.Remember());
    withStore.RememberBox()->setChecked(false);
    EXPECT_FALSE(withStore.Remember());
}

TEST(SyncLinkDialogTest, PlainHttpToAnotherComputerIsSentOnlyAfterTheWarning) {
    SilentServer server;
    syncui::LinkDialog dialog(nullptr, false, QString());
    dialog.show();
    // 0.0.0.0 is no loopback name, yet reaches this computer: the requests stay here.
    const QString unsafe = server.Url("0.0.0.0");
    dialog.ServerField()->setText(unsafe);
    dialog.PasswordField()->setText(QStringLiteral("secret"));
    {
        MessageRecorder boxes;
        boxes.Expect(platform::MessageResult::No);
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        ASSERT_EQ(boxes.Calls().size(), 1u);
        const platform::MessageCall& call = boxes.Last();
        EXPECT_EQ(call.caption, QStringLiteral("Link to Server"));
        EXPECT_EQ(call.icon, platform::MessageIcon::Warning);
        EXPECT_EQ(call.buttons, platform::MessageButtons::YesNo);
        EXPECT_TRUE(call.text.contains(QStringLiteral("0.0.0.0")));
        EXPECT_TRUE(call.text.contains(QStringLiteral("password")));
        // Declined: no request went out.
        EXPECT_FALSE(dialog.Searching());
        EXPECT_EQ(dialog.Client().InFlight(), 0);
        QTest::qWait(50);
        EXPECT_EQ(server.Connections(), 0);
    }
    {
        // Accepted: the search goes out, and the same server is not asked about twice.
        MessageRecorder boxes;
        boxes.Expect(platform::MessageResult::Yes);
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        EXPECT_EQ(boxes.Calls().size(), 1u);
        EXPECT_TRUE(dialog.Searching());
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.Connections() > 0; }, 5000));
        QTest::mouseClick(dialog.StopButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.Searching());
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.Searching());
        QTest::mouseClick(dialog.StopButton(), Qt::LeftButton);
    }
    {
        // http to this computer by a loopback name goes without a word (the recorder fails any
        // box).
        MessageRecorder boxes;
        for (const char* host : {"127.0.0.1", "127.0.0.2", "localhost", "[::1]"}) {
            dialog.ServerField()->setText(server.Url(host));
            QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
            EXPECT_TRUE(dialog.Searching()) << host;
            QTest::mouseClick(dialog.StopButton(), Qt::LeftButton);
        }
        EXPECT_TRUE(boxes.Calls().empty());
    }
}

TEST(SyncLinkDialogTest, ASearchKeepsTheWindowAnsweringAndStopEndsIt) {
    SilentServer server;
    syncui::LinkDialog dialog(nullptr, false, QString());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    // No server address: a note, no request.
    QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.Searching());
    EXPECT_FALSE(dialog.Note()->text().isEmpty());

    QTest::keyClicks(dialog.ServerField(), server.Url());
    QTest::keyClicks(dialog.UserField(), QStringLiteral("ann"));
    QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
    ASSERT_TRUE(dialog.Searching());
    EXPECT_TRUE(dialog.Note()->text().contains(QStringLiteral("127.0.0.1")));
    EXPECT_FALSE(dialog.StopButton()->isHidden());
    EXPECT_FALSE(dialog.FindButton()->isEnabled());
    EXPECT_FALSE(dialog.ServerField()->isEnabled());
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    // The event loop goes on: timers fire while the server keeps silent.
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Connections() > 0 && ticks >= 5; }, 5000));
    EXPECT_TRUE(dialog.Searching());

    QTest::mouseClick(dialog.StopButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.Searching());
    EXPECT_EQ(dialog.Client().InFlight(), 0);
    EXPECT_TRUE(dialog.StopButton()->isHidden());
    EXPECT_TRUE(dialog.FindButton()->isEnabled());
    EXPECT_TRUE(dialog.ServerField()->isEnabled());
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
}

// Types the server's address and the user's name and password, and waits for the search.
void FindOn(syncui::LinkDialog& dialog, const QString& server, const QString& user,
            const QString& password) {
    dialog.ServerField()->clear();
    QTest::keyClicks(dialog.ServerField(), server);
    dialog.UserField()->clear();
    QTest::keyClicks(dialog.UserField(), user);
    dialog.PasswordField()->clear();
    QTest::keyClicks(dialog.PasswordField(), password);
    QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.Searching());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.Searching(); }, 30000));
}

TEST(SyncLinkDialogTest, TheAddressBooksFoundAreListedAndTheChosenOneHandedBack) {
    for (const CardDavServer::Kind kind :
         {CardDavServer::Kind::Radicale, CardDavServer::Kind::Xandikos}) {
        const bool radicale = kind == CardDavServer::Kind::Radicale;
        CardDavServer server(kind, radicale ? QStringLiteral("tide-pass") : QString());
        ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
        syncui::LinkDialog dialog(nullptr, false, QStringLiteral("Harbour"));
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        // The server's bare address is enough.
        const QString typed = QStringLiteral("http://127.0.0.1:%1").arg(server.Port());
        FindOn(dialog, typed, server.User(), QStringLiteral("tide-pass"));
        QTreeWidget* list = dialog.AddressBooks();
        ASSERT_EQ(list->topLevelItemCount(), 1) << dialog.Note()->text().toStdString();
        EXPECT_EQ(list->topLevelItem(0)->text(1), server.AddressBookUrl().toDisplayString());
        EXPECT_EQ(list->topLevelItem(0)->text(0),
                  radicale ? QStringLiteral("Contacts") : QStringLiteral("addressbook"));
        EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
        EXPECT_TRUE(list->isEnabled());
        EXPECT_EQ(dialog.Note()->text(), QStringLiteral("One address book found."));
        // A book is there to choose: nothing is made.
        EXPECT_FALSE(dialog.NewNameField()->isEnabled());
        ASSERT_TRUE(dialog.OkButton()->isEnabled());

        // Another user name typed: what was found is forgotten until searched again.
        QTest::keyClicks(dialog.UserField(), QStringLiteral("x"));
        EXPECT_EQ(list->topLevelItemCount(), 0);
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        FindOn(dialog, typed, server.User(), QStringLiteral("tide-pass"));
        ASSERT_EQ(list->topLevelItemCount(), 1);

        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        const carddav::Account chosen = dialog.Chosen();
        EXPECT_EQ(chosen.server, typed);
        EXPECT_EQ(chosen.user, server.User());
        EXPECT_EQ(chosen.addressBook, server.AddressBookUrl());
        EXPECT_EQ(chosen.displayName, list->topLevelItem(0)->text(0));
        EXPECT_EQ(dialog.Password(), QStringLiteral("tide-pass"));
    }
}

TEST(SyncLinkDialogTest, AWrongPasswordOrAStoppedServerIsToldInTheDialog) {
    CardDavServer server(CardDavServer::Kind::Radicale, QStringLiteral("tide-pass"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    syncui::LinkDialog dialog(nullptr, false, QString());
    dialog.show();
    const QString typed = server.BaseUrl().toString();
    FindOn(dialog, typed, server.User(), QStringLiteral("wrong"));
    EXPECT_EQ(dialog.AddressBooks()->topLevelItemCount(), 0);
    const QString refused = dialog.Note()->text();
    EXPECT_TRUE(refused.contains(QStringLiteral("password"))) << refused.toStdString();
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    // Nothing to make either: the search failed.
    EXPECT_FALSE(dialog.NewNameField()->isEnabled());

    server.Stop();
    FindOn(dialog, typed, server.User(), QStringLiteral("tide-pass"));
    EXPECT_EQ(dialog.AddressBooks()->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.Note()->text().isEmpty());
    EXPECT_NE(dialog.Note()->text(), refused);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
}

TEST(SyncLinkDialogTest, WithNoAddressBookOnTheServerOkMakesOneOfTheNameGiven) {
    CardDavServer server(CardDavServer::Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    // The server's only address book goes first.
    carddav::DavClient client;
    client.SetCredentials(server.User(), QString());
    bool deleted = false;
    client.Send("DELETE", server.AddressBookUrl(), {}, {},
                [&deleted](const carddav::DavReply& reply) { deleted = reply.Ok(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return deleted; }, 10000));

    syncui::LinkDialog dialog(nullptr, false, QStringLiteral("Harbour Book"));
    dialog.show();
    FindOn(dialog, server.BaseUrl().toString(), server.User(), QString());
    EXPECT_EQ(dialog.AddressBooks()->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.AddressBooks()->isEnabled());
    ASSERT_TRUE(dialog.NewNameField()->isEnabled()) << dialog.Note()->text().toStdString();
    EXPECT_EQ(dialog.NewNameField()->text(), QStringLiteral("Harbour Book"));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    // No name, no OK.
    dialog.NewNameField()->clear();
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    QTest::keyClicks(dialog.NewNameField(), QStringLiteral("Harbour Crew"));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.result() == QDialog::Accepted; }, 30000))
        << dialog.Note()->text().toStdString();
    const carddav::Account chosen = dialog.Chosen();
    EXPECT_EQ(chosen.displayName, QStringLiteral("Harbour Crew"));
    EXPECT_TRUE(chosen.addressBook.toString().endsWith(QLatin1Char('/')));

    // The server now has it.
    bool found = false;
    carddav::DiscoveryResult again;
    carddav::Discover(client, server.BaseUrl().toString(), [&](carddav::DiscoveryResult result) {
        again = std::move(result);
        found = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return found; }, 30000));
    ASSERT_TRUE(again.Ok()) << again.error.toStdString();
    ASSERT_EQ(again.addressBooks.size(), 1u);
    EXPECT_EQ(again.addressBooks[0].url, chosen.addressBook);
    EXPECT_EQ(again.addressBooks[0].displayName, QStringLiteral("Harbour Crew"));
}

}  // namespace
