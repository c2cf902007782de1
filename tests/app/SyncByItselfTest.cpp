// A linked book syncs by itself: when opened, a few seconds after changes (a burst of them goes
// in one sync, never two at once), by the clock; a failure stays in the status bar and is tried
// again, later each time; the password is asked for once in a run and never written anywhere.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "EditorDriving.h"
#include "ListModels.h"
#include "MainView.h"
#include "ModalDriver.h"
#include "PasswordDialog.h"
#include "PersonSheet.h"
#include "Settings.h"
#include "SyncCheck.h"
#include "SyncFrame.h"
#include "SyncSettingsDialog.h"

namespace {

using F = PersonRecord::Field;

class SyncByItselfTest : public SyncFrameTest {
protected:
    // Waits until nothing is due or running: no sync after a change, none under way.
    bool WaitUntilQuiet(int ms = 60000) {
        return QTest::qWaitFor(
            [&] { return !frame_->Sync().AfterEditDue() && !frame_->Sync().Syncing(); }, ms);
    }

    // Opens the person sheet on the selected person and types the city.
    void EditCity(ModalDriver& dialogs, const QString& city) {
        dialogs.Expect([city](QDialog& dialog) {
            PersonSheet& sheet = Sheet(dialog);
            auto* field = qobject_cast<QLineEdit*>(Reveal(sheet, F::City));
            ASSERT_NE(field, nullptr);
            field->clear();
            TypeInto(sheet, F::City, city);
            PressOk(dialog, sheet.OkButton());
        });
        frame_->OnCommand(cmd::kEditPerson);
    }
};

TEST_F(SyncByItselfTest, ThreeQuickEditsGoToTheServerInOneSync) {
    CardDavServer server(CardDavServer::Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Lee");
    OpenInStep(path, server);
    frame_->Sync().SetAutoSync({0, false, true});
    frame_->Sync().SetDelays(1500, 60000);
    const int before = frame_->Sync().SyncsStarted();

    ModalDriver dialogs;
    for (const char* city : {"Oslo", "Rome", "Kiel"}) {
        EditCity(dialogs, QString::fromLatin1(city));
        EXPECT_FALSE(frame_->Sync().Syncing()) << city;
    }
    EXPECT_TRUE(frame_->Sync().AfterEditDue());
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(frame_->Sync().SyncsStarted(), before + 1);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
    EXPECT_TRUE(synccheck::InStep(path, server));
    const auto cards = synccheck::Cards(server);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_NE(cards.begin()->second.text.find("Kiel"), std::string::npos);

    // A change while a sync runs waits for its end, and then goes in a sync of its own.
    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(frame_->Sync().Syncing());
    synccheck::Edit(path, "Lee", F::City, "Bonn");
    frame_->Sync().BookChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame_->Sync().Syncing(); }, 60000));
    EXPECT_TRUE(frame_->Sync().AfterEditDue());
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(frame_->Sync().SyncsStarted(), before + 3);
    EXPECT_NE(synccheck::Cards(server).begin()->second.text.find("Bonn"), std::string::npos);
}

TEST_F(SyncByItselfTest, TheLinkedBookSyncsWhenOpenedAndByTheClock) {
    CardDavServer server(CardDavServer::Kind::Xandikos);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Lee");
    const carddav::Account account = LinkBook(path, server);
    ASSERT_TRUE(
        synccheck::PutOnServer(server, "zoe.vcf",
                               "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:zoe-1\r\nFN:Zoe Zimmer\r\n"
                               "N:Zimmer;Zoe;;;\r\nEND:VCARD\r\n"));
    frame_->Sync().Passwords().Keep(account, QString(), false);
    frame_->Sync().SetAutoSync({15, true, false});
    Open(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->Sync().SyncsStarted() == 1; }, 10000));
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(Persons(path), 2);
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 2u);
    EXPECT_TRUE(frame_->Sync().ClockRuns());
    EXPECT_EQ(frame_->Sync().ClockInterval(), 15 * 60 * 1000);
    // The status bar's tip tells when.
    EXPECT_TRUE(frame_->statusBar()->toolTip().startsWith(QStringLiteral("Last synced with")))
        << frame_->statusBar()->toolTip().toStdString();

    // Off: no clock; another book that is not linked has none either.
    frame_->Sync().SetAutoSync({0, true, false});
    EXPECT_FALSE(frame_->Sync().ClockRuns());
    frame_->Sync().SetAutoSync({5, true, false});
    EXPECT_EQ(frame_->Sync().ClockInterval(), 5 * 60 * 1000);
    Open(book_.Create("plain.tch"));
    EXPECT_FALSE(frame_->Sync().ClockRuns());
    EXPECT_TRUE(frame_->statusBar()->toolTip().isEmpty());
    EXPECT_EQ(frame_->Sync().SyncsStarted(), 1);
}

TEST_F(SyncByItselfTest, AFailureStaysInTheStatusBarAndIsTriedAgainLaterEachTime) {
    CardDavServer server(CardDavServer::Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Lee");
    OpenInStep(path, server);
    frame_->Sync().SetAutoSync({15, false, true});
    frame_->Sync().SetDelays(100, 400);

    server.Stop();
    synccheck::Edit(path, "Lee", F::City, "Oslo");
    frame_->Sync().BookChanged();
    // No message box: a recorder that expects none fails the test on one.
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->Sync().RetryDue(); }, 30000));
    EXPECT_TRUE(boxes_.Calls().empty());
    EXPECT_TRUE(Notice().startsWith(QStringLiteral("Sync failed: the server could not be reached")))
        << Notice().toStdString();
    EXPECT_TRUE(Notice().endsWith(QStringLiteral("Retrying in 1 second.")))
        << Notice().toStdString();
    EXPECT_EQ(frame_->Sync().RetryWait(), 400);
    // The next try fails too, and waits twice as long.
    const int tries = frame_->Sync().SyncsStarted();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->Sync().SyncsStarted() > tries; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame_->Sync().RetryDue() && !frame_->Sync().Syncing(); }, 30000));
    EXPECT_EQ(frame_->Sync().RetryWait(), 800);

    // The server is back: the next try sends the edit, and the note goes.
    ASSERT_TRUE(server.Restart()) << server.Failure().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Notice().isEmpty(); }, 30000));
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_FALSE(frame_->Sync().RetryDue());
    EXPECT_TRUE(synccheck::InStep(path, server));
    EXPECT_EQ(synccheck::Find(path, "Lee")[F::City], "Oslo");
    EXPECT_TRUE(boxes_.Calls().empty());
}

TEST_F(SyncByItselfTest, UndoingADeleteThatWasSentBringsThePersonBackToTheServer) {
    CardDavServer server(CardDavServer::Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string path = book_.Create();
    const RecordId ann = TestBook::AddPerson(path, "Ann", "Adams");
    TestBook::AddContact(path, ann, "2026-12-01 09:30:00", "Called about the boat");
    TestBook::AddPerson(path, "Bob", "Brown");
    OpenInStep(path, server);
    frame_->Sync().SetAutoSync({0, false, true});
    frame_->Sync().SetDelays(100, 60000);
    ASSERT_EQ(frame_->View()->CurrentPersonId(), ann);

    int started = frame_->Sync().SyncsStarted();
    frame_->Action(cmd::kDeletePerson)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->Sync().SyncsStarted() > started; }, 10000));
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(synccheck::Cards(server).size(), 1u);

    started = frame_->Sync().SyncsStarted();
    frame_->Action(cmd::kUndoDelete)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->Sync().SyncsStarted() > started; }, 10000));
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
    EXPECT_EQ(synccheck::Cards(server).size(), 2u);
    EXPECT_TRUE(synccheck::InStep(path, server));
    // Back with the same record id and the contact log.
    EXPECT_EQ(TestBook::QueryText(path, "SELECT PersonID FROM Contact"), ann);
}

// Every file below the folder that holds the text, by path.
QStringList FilesHolding(const QString& folder, const QByteArray& text) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) {
            found << file.fileName();
        }
    }
    return found;
}

TEST_F(SyncByItselfTest, ThePasswordIsAskedForOnceInARunAndWrittenNowhere) {
    const QString password = QStringLiteral("zebra-Tide-7319");
    CardDavServer server(CardDavServer::Kind::Radicale, password);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Lee");
    LinkBook(path, server);
    frame_->Sync().SetAutoSync({15, true, true});
    frame_->Sync().SetDelays(100, 60000);

    // At open the sync asks, and is cancelled: it then waits for the user.
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& dialog) {
        EXPECT_NE(qobject_cast<syncui::PasswordDialog*>(&dialog), nullptr);
        dialog.reject();
    });
    Open(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Notice().isEmpty(); }, 10000));
    EXPECT_EQ(Notice(),
              QStringLiteral("Sync waits for the password: File, Sync, Sync Now asks for it."));
    EXPECT_EQ(frame_->Sync().SyncsStarted(), 0);
    // A change later asks no more.
    frame_->Sync().BookChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame_->Sync().AfterEditDue(); }, 10000));
    QTest::qWait(100);
    EXPECT_EQ(dialogs.Captions(), QStringList{QStringLiteral("Sync Password")});
    EXPECT_EQ(frame_->Sync().SyncsStarted(), 0);

    // Sync Now asks, and the syncs by themselves take the password from then on.
    dialogs.Expect([&](QDialog& dialog) {
        auto& ask = static_cast<syncui::PasswordDialog&>(dialog);
        QTest::keyClicks(ask.PasswordField(), password);
        QTest::mouseClick(ask.OkButton(), Qt::LeftButton);
    });
    SyncNowAndWait();
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
    EXPECT_EQ(Notice(), QString());
    synccheck::Edit(path, "Lee", F::City, "Oslo");
    frame_->Sync().BookChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->Sync().SyncsStarted() == 2; }, 10000));
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(dialogs.Captions().size(), 2);
    EXPECT_TRUE(synccheck::InStep(path, server));

    // Neither the settings, nor the book and its folder, nor the home folder hold it.
    frame_.reset();
    const QByteArray secret = password.toUtf8();
    EXPECT_EQ(FilesHolding(sandbox_.Folder(), secret), QStringList());
    EXPECT_EQ(FilesHolding(QFileInfo(Q(path)).absolutePath(), secret), QStringList());
    EXPECT_EQ(FilesHolding(home.path(), secret), QStringList());
    // The search finds it where it is (the server's own password file).
    EXPECT_FALSE(FilesHolding(server.Folder(), secret).isEmpty());
    qputenv("HOME", oldHome);
}

TEST_F(SyncByItselfTest, TheSettingsDialogSetsTheClockAndTheOtherTimes) {
    ModalDriver dialogs;
    QStringList intervals;
    dialogs.Expect([&](QDialog& dialog) {
        auto& settings = static_cast<syncui::SyncSettingsDialog&>(dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sync Settings"));
        for (int i = 0; i < settings.Interval()->count(); ++i) {
            intervals << settings.Interval()->itemText(i);
        }
        // As the fixture wrote them.
        EXPECT_EQ(settings.Interval()->currentText(), QStringLiteral("Off"));
        EXPECT_FALSE(settings.AtOpen()->isChecked());
        settings.Interval()->setCurrentIndex(3);
        settings.AtOpen()->setChecked(true);
        QTest::mouseClick(settings.OkButton(), Qt::LeftButton);
    });
    // Offered with no book open: the settings are the program's.
    ASSERT_TRUE(Offered(cmd::kSyncSettings));
    frame_->OnCommand(cmd::kSyncSettings);
    EXPECT_EQ(intervals, QStringList({QStringLiteral("Off"), QStringLiteral("5 minutes"),
                                      QStringLiteral("15 minutes"), QStringLiteral("60 minutes")}));
    EXPECT_EQ(frame_->Sync().AutoSyncs().minutes, 60);
    const syncui::AutoSyncSettings read = syncui::AutoSyncSettings::Read();
    EXPECT_EQ(read.minutes, 60);
    EXPECT_TRUE(read.atOpen);
    EXPECT_FALSE(read.afterEdit);

    // Cancel keeps them.
    dialogs.Expect([](QDialog& dialog) {
        static_cast<syncui::SyncSettingsDialog&>(dialog).Interval()->setCurrentIndex(1);
        dialog.reject();
    });
    frame_->OnCommand(cmd::kSyncSettings);
    EXPECT_EQ(syncui::AutoSyncSettings::Read().minutes, 60);
    EXPECT_EQ(frame_->Sync().AutoSyncs().minutes, 60);
}

TEST_F(SyncByItselfTest, AnIntervalWrittenByHandThatIsNotOfferedFallsBackToTheDefault) {
    for (const char* value : {"7", "-5", "soon"}) {
        OpenSettingsKey(QString::fromLatin1(kSettingsKey))
            ->setValue(QStringLiteral("SyncInterval"), QString::fromLatin1(value));
        EXPECT_EQ(syncui::AutoSyncSettings::Read().minutes, 15) << value;
    }
}

}  // namespace
