// A server whose certificate the system does not trust (Radicale on https with a certificate
// signed by itself, made by openssl for the test): shown with its fingerprint, trusted for the
// account when the user says so, and refused with a warning once it has changed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include "CertificateDialog.h"
#include "LinkDialog.h"
#include "ModalDriver.h"
#include "SyncCheck.h"
#include "SyncFrame.h"

namespace {

using F = PersonRecord::Field;

// Answers the certificate dialog that opens inside another dialog's wait.
class NestedCertificate {
public:
    explicit NestedCertificate(std::function<void(syncui::CertificateDialog&)> answer)
        : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog =
                qobject_cast<syncui::CertificateDialog*>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible() && answer_) {
                ++shown_;
                answer_(*dialog);
                if (dialog->isVisible()) {
                    dialog->reject();
                }
            }
        });
        timer_.start(5);
    }
    int Shown() const { return shown_; }

private:
    std::function<void(syncui::CertificateDialog&)> answer_;
    QTimer timer_;
    int shown_ = 0;
};

class SyncTrustTest : public SyncFrameTest {
protected:
    void SetUp() override {
        SyncFrameTest::SetUp();
        ASSERT_TRUE(server_.Ok()) << server_.Failure().toStdString();
        path_ = book_.Create();
        TestBook::AddPerson(path_, "Ann", "Lee");
    }

    QString Trusted() const {
        carddav::Account account;
        EXPECT_TRUE(carddav::ReadAccount(path_, account));
        return account.trustedCertificate;
    }

    CardDavServer server_{CardDavServer::Kind::Radicale, {}, QStringLiteral("tls")};
    std::string path_;
};

TEST_F(SyncTrustTest, ACertificateTrustedAtLinkingServesEverySyncAndAChangedOneIsRefused) {
    const QByteArray der = server_.CertificateDer();
    ASSERT_FALSE(der.isEmpty());
    Open(path_);
    QStringList lines;
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& dialog) {
        auto& link = static_cast<syncui::LinkDialog&>(dialog);
        NestedCertificate answer([&](syncui::CertificateDialog& certificate) {
            EXPECT_EQ(certificate.windowTitle(), QStringLiteral("Server Certificate"));
            lines = certificate.Lines();
            QTest::mouseClick(certificate.TrustButton(), Qt::LeftButton);
        });
        QTest::keyClicks(link.ServerField(), server_.BaseUrl().toString());
        QTest::keyClicks(link.UserField(), server_.User());
        QTest::mouseClick(link.FindButton(), Qt::LeftButton);
        // Refused, trusted, and searched again.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return answer.Shown() == 1 && !link.Searching() &&
                       link.AddressBooks()->topLevelItemCount() > 0;
            },
            30000))
            << link.Note()->text().toStdString();
        QTest::mouseClick(link.OkButton(), Qt::LeftButton);
    });
    frame_->OnCommand(cmd::kLinkToServer);
    ASSERT_TRUE(WaitForSync());
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
    EXPECT_EQ(Trusted(), carddav::CertificateSha256(der));

    // What the user was shown to decide by.
    const QString fingerprint = syncui::CertificateDialog::Fingerprint(der);
    EXPECT_EQ(fingerprint.size(), 32 * 3 - 1);
    EXPECT_EQ(lines.value(0), QStringLiteral("Server: 127.0.0.1"));
    EXPECT_EQ(lines.value(1), QStringLiteral("Issued to: CN=127.0.0.1, O=Tidemark Test Server"));
    EXPECT_EQ(lines.value(2), QStringLiteral("Issued by: CN=127.0.0.1, O=Tidemark Test Server"));
    EXPECT_TRUE(lines.value(3).startsWith(QStringLiteral("Valid: from ")))
        << lines.value(3).toStdString();
    EXPECT_EQ(lines.value(4), QStringLiteral("SHA-256 fingerprint: ") + fingerprint);

    // The next sync takes it without a question.
    SyncNowAndWait();
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced"))) << Status().toStdString();

    // Another certificate on the same server: refused with a warning, never offered to trust.
    ASSERT_TRUE(server_.RenewCertificate()) << server_.Failure().toStdString();
    ASSERT_NE(server_.CertificateDer(), der);
    boxes_.Expect();
    synccheck::Edit(path_, "Lee", F::City, "Oslo");
    SyncNowAndWait();
    ASSERT_EQ(boxes_.Calls().size(), 1u);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Error Syncing"));
    EXPECT_EQ(boxes_.Last().icon, platform::MessageIcon::Warning);
    EXPECT_TRUE(boxes_.Last().text.contains(QStringLiteral("has changed since")))
        << boxes_.Last().text.toStdString();
    EXPECT_EQ(Trusted(), carddav::CertificateSha256(der));
    EXPECT_EQ(dialogs.Captions(), QStringList{QStringLiteral("Link to Server")});

    // A sync by itself says it in the status bar and waits for the user.
    frame_->Sync().SetAutoSync({15, false, true});
    frame_->Sync().SetDelays(50, 100);
    const int started = frame_->Sync().SyncsStarted();
    frame_->Sync().BookChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->Sync().SyncsStarted() > started; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame_->Sync().Syncing(); }, 30000));
    EXPECT_TRUE(
        Notice().startsWith(QStringLiteral("Sync failed: the server's certificate has changed")))
        << Notice().toStdString();
    EXPECT_FALSE(frame_->Sync().RetryDue());
    EXPECT_EQ(boxes_.Calls().size(), 1u);
}

TEST_F(SyncTrustTest, AnUntrustedCertificateIsShownWhenTheUserSyncsAndKeptForTheAccount) {
    const carddav::Account account = LinkBook(path_, server_);
    frame_->Sync().Passwords().Keep(account, QString(), false);
    frame_->Sync().SetAutoSync({15, false, true});
    frame_->Sync().SetDelays(50, 100);
    Open(path_);

    // By itself: no dialog, a note, no retry.
    frame_->Sync().BookChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->Sync().SyncsStarted() == 1; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame_->Sync().Syncing(); }, 30000));
    EXPECT_EQ(Notice(), QStringLiteral("Sync failed: the server's certificate is not trusted. "
                                       "File, Sync, Sync Now shows it."));
    EXPECT_FALSE(frame_->Sync().RetryDue());

    // Sync Now shows it; Cancel trusts nothing and syncs no more.
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& dialog) {
        EXPECT_NE(qobject_cast<syncui::CertificateDialog*>(&dialog), nullptr);
        dialog.reject();
    });
    SyncNowAndWait();
    EXPECT_EQ(Trusted(), QString());
    EXPECT_EQ(Persons(path_), 1);
    EXPECT_TRUE(synccheck::Cards(server_).empty());
    EXPECT_EQ(frame_->Sync().SyncsStarted(), 2);

    // Trusted: the sync runs at once, and every later sync of the book takes it, the command
    // line's too.
    dialogs.Expect([](QDialog& dialog) {
        QTest::mouseClick(static_cast<syncui::CertificateDialog&>(dialog).TrustButton(),
                          Qt::LeftButton);
    });
    SyncNowAndWait();
    ASSERT_TRUE(WaitForSync());
    EXPECT_EQ(frame_->Sync().SyncsStarted(), 4);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
    EXPECT_EQ(Trusted(), carddav::CertificateSha256(server_.CertificateDer()));
    EXPECT_EQ(Notice(), QString());
    synccheck::Edit(path_, "Lee", F::City, "Oslo");
    EXPECT_TRUE(synccheck::RunSync(path_).Ok());
    EXPECT_TRUE(synccheck::InStep(path_, server_));

    // Linked anew, the trust is gone with the rest of what the sync knew.
    carddav::Link(path_, account);
    EXPECT_EQ(Trusted(), QString());
}

}  // namespace
