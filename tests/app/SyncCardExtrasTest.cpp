// "More on the card" under the details: what a synced person's card holds beyond the book's
// fields, read-only, its further addresses and numbers mailing and dialling as the value
// buttons do; nothing for a person who is not synced or whose card holds no more.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTreeView>

#include "CardExtrasPanel.h"
#include "ListModels.h"
#include "MainView.h"
#include "ShellActions.h"
#include "ShellRecorder.h"
#include "SyncCheck.h"
#include "SyncFrame.h"

namespace {

using F = PersonRecord::Field;

class SyncCardExtrasTest : public SyncFrameTest {
protected:
    void Select(const RecordId& person) {
        QTreeView* list = frame_->View()->PersonList();
        const int row = frame_->View()->PersonRows().Find(person);
        ASSERT_GE(row, 0);
        list->setCurrentIndex(list->model()->index(row, 0));
        ASSERT_EQ(frame_->View()->CurrentPersonId(), person);
    }
    bool Shown() const { return frame_->CardExtras().isVisibleTo(frame_.get()); }
};

TEST_F(SyncCardExtrasTest, WhatTheCardHoldsBeyondTheFieldsIsShownUnderTheDetails) {
    ShellRecorder shell;
    CardDavServer server(CardDavServer::Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string path = book_.Create();
    const RecordId bob = TestBook::AddPerson(path, "Bob", "Baker");
    Open(path);
    const carddav::Account account = LinkTo(path, server);
    frame_->Sync().Passwords().Keep(account, QString(), false);
    ASSERT_TRUE(synccheck::PutOnServer(
        server, "ann.vcf",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ann-1\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
        "EMAIL;TYPE=WORK,PREF:ann@work.example\r\nEMAIL;TYPE=HOME:ann@home.example\r\n"
        "TEL;TYPE=CELL:+47 111\r\nTEL;TYPE=CELL:+47 222\r\nBDAY:1980-04-12\r\n"
        "NICKNAME:Annie\r\nNOTE:Keeps the boat at the harbour\r\nCATEGORIES:Sailing,Family\r\n"
        "END:VCARD\r\n"));
    frame_->show();
    SyncNowAndWait();
    const RecordId ann = synccheck::Find(path, "Lee").id;
    Select(ann);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(frame_->CardExtras().title(), QStringLiteral("More on the card"));
    const QStringList rows = frame_->CardExtras().Rows();
    ASSERT_EQ(rows.size(), 6) << rows.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rows[0], QStringLiteral("E-Mail (home): ann@home.example"));
    EXPECT_EQ(rows[1], QStringLiteral("Phone (cell): +47 222"));
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral("Birthday: "))) << rows[2].toStdString();
    EXPECT_TRUE(rows[2].contains(QStringLiteral("1980"))) << rows[2].toStdString();
    EXPECT_EQ(rows[3], QStringLiteral("Nickname: Annie"));
    EXPECT_EQ(rows[4], QStringLiteral("Notes: Keeps the boat at the harbour"));
    EXPECT_EQ(rows[5], QStringLiteral("Categories: Sailing, Family"));
    // Under the form, whose contact list ends above it.
    QTest::qWait(50);
    const QRect panel = frame_->CardExtras().geometry();
    const QWidget* contacts = frame_->View()->ContactList();
    const QPoint contactsBottom =
        contacts->mapTo(frame_->CardExtras().parentWidget(), QPoint(0, contacts->height()));
    EXPECT_LE(contactsBottom.y(), panel.top());
    EXPECT_GT(panel.height(), 0);

    // The further address mails, the further number dials, and each offers the log.
    const std::vector<QLabel*>& values = frame_->CardExtras().Values();
    emit values[0]->linkActivated(values[0]->text());
    emit values[1]->linkActivated(values[1]->text());
    EXPECT_EQ(shell.addresses, QStringList{QStringLiteral("mailto:ann@home.example")});
    EXPECT_EQ(shell.calls, QStringList{QStringLiteral("+47 222")});
    EXPECT_EQ(Status(), QStringLiteral("Log this contact (Ctrl+L)"));

    // Bob has a card that holds nothing more; a person added here has none yet.
    Select(bob);
    EXPECT_FALSE(Shown());
    Select(ann);
    EXPECT_TRUE(Shown());

    // An edit here goes out with the rest of the card kept, and the extras stay.
    synccheck::Edit(path, "Lee", F::City, "Oslo");
    SyncNowAndWait();
    EXPECT_TRUE(Shown());
    EXPECT_EQ(frame_->CardExtras().Rows(), rows);
    const auto cards = synccheck::Cards(server);
    bool kept = false;
    for (const auto& [href, card] : cards) {
        kept = kept || (card.text.find("Oslo") != std::string::npos &&
                        card.text.find("ann@home.example") != std::string::npos &&
                        card.text.find("CATEGORIES:Sailing,Family") != std::string::npos);
    }
    EXPECT_TRUE(kept);

    // Not linked: nothing from the sync.
    Open(book_.Create("plain.tch"));
    EXPECT_FALSE(Shown());
}

}  // namespace
