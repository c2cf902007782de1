// File, Sync, Conflicts: the persons changed here and on the server, shown with both values and
// settled by the user, field by field or by a deletion's other way; the status bar and the
// person list say who is held.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include "ConflictsDialog.h"
#include "ListModels.h"
#include "MainView.h"
#include "ModalDriver.h"
#include "RecordEditing.h"
#include "SyncCheck.h"
#include "SyncFrame.h"

namespace {

using F = PersonRecord::Field;
using carddav::apply::Held;

PersonRecord Person(const char* first, const char* last) {
    PersonRecord p;
    p[F::FName] = first;
    p[F::LName] = last;
    return p;
}

// The labels of the page that shows the selected person.
QStringList ShownTexts(const syncui::ConflictsDialog& dialog) {
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&dialog)) {
            texts << label->text();
        }
    }
    return texts;
}

// Ann Lee as the base had her, here and on the server: the city changed on both sides, the
// e-mail only here, the company only on the server.
Held AnnHeld() {
    Held h;
    h.person = "ann-1";
    h.base = Person("Ann", "Lee");
    h.base[F::City] = "Bergen";
    h.base[F::Company] = "Base Ltd";
    h.here = h.base;
    h.server = h.base;
    h.here[F::City] = "Rome";
    h.server[F::City] = "Oslo";
    h.here[F::Email] = "ann@here.example";
    h.server[F::Company] = "";
    h.differing = {F::Company, F::City, F::Email};
    return h;
}

TEST(ConflictsDialogTest, AFieldChangedOnOneSideComesChosenAndOneChangedOnBothWaits) {
    syncui::ConflictsDialog dialog(nullptr, {AnnHeld()});
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sync Conflicts"));
    ASSERT_EQ(dialog.Persons()->count(), 1);
    EXPECT_EQ(dialog.Persons()->item(0)->text(), QStringLiteral("Lee, Ann"));
    // Both values of each field that differs, an emptied one said as such.
    const QStringList shown = ShownTexts(dialog);
    for (const char* value : {"Rome", "Oslo", "ann@here.example", "Base Ltd", "(empty)"}) {
        EXPECT_TRUE(shown.contains(QString::fromLatin1(value))) << value;
    }
    EXPECT_TRUE(shown.contains(QStringLiteral("Here")));
    EXPECT_TRUE(shown.contains(QStringLiteral("On the server")));
    // A field the same on both sides is not shown.
    EXPECT_EQ(dialog.KeepButton(F::FName, false), nullptr);

    EXPECT_TRUE(dialog.KeepButton(F::Email, false)->isChecked());
    EXPECT_TRUE(dialog.KeepButton(F::Company, true)->isChecked());
    EXPECT_FALSE(dialog.KeepButton(F::City, false)->isChecked());
    EXPECT_FALSE(dialog.KeepButton(F::City, true)->isChecked());
    EXPECT_TRUE(dialog.Summary()->text().startsWith(QStringLiteral("0 of 1 persons settled")));
    EXPECT_TRUE(dialog.Settled().empty());

    QTest::mouseClick(dialog.KeepButton(F::City, true), Qt::LeftButton);
    EXPECT_EQ(dialog.Summary()->text(), QStringLiteral("The person is settled."));
    auto settled = dialog.Settled();
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(settled[0].person, "ann-1");
    EXPECT_FALSE(settled[0].byDeleting);
    EXPECT_EQ(settled[0].fields[F::City], "Oslo");
    EXPECT_EQ(settled[0].fields[F::Email], "ann@here.example");
    EXPECT_EQ(settled[0].fields[F::Company], "");
    EXPECT_EQ(settled[0].fields[F::FName], "Ann");

    // All of one side, the one-sided changes too.
    QTest::mouseClick(dialog.KeepAllHere(), Qt::LeftButton);
    settled = dialog.Settled();
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(settled[0].fields.fields, AnnHeld().here.fields);
    QTest::mouseClick(dialog.KeepAllFromServer(), Qt::LeftButton);
    EXPECT_EQ(dialog.Settled()[0].fields.fields, AnnHeld().server.fields);
}

TEST(ConflictsDialogTest, ChoicesStayWithTheirPersonAndOnlySettledPersonsAreGiven) {
    Held bob = AnnHeld();
    bob.person = "bob-1";
    bob.here[F::FName] = bob.server[F::FName] = bob.base[F::FName] = "Bob";
    bob.here[F::LName] = bob.server[F::LName] = bob.base[F::LName] = "Baker";
    syncui::ConflictsDialog dialog(nullptr, {AnnHeld(), bob});
    dialog.show();
    // In the order given: the sync gives them by name.
    EXPECT_EQ(dialog.Persons()->item(1)->text(), QStringLiteral("Baker, Bob"));
    QTest::mouseClick(dialog.KeepButton(F::City, false), Qt::LeftButton);
    dialog.Persons()->setCurrentRow(1);
    EXPECT_FALSE(dialog.KeepButton(F::City, false)->isChecked());
    EXPECT_TRUE(dialog.Summary()->text().startsWith(QStringLiteral("1 of 2 persons settled")));
    dialog.Persons()->setCurrentRow(0);
    EXPECT_TRUE(dialog.KeepButton(F::City, false)->isChecked());
    const auto settled = dialog.Settled();
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(settled[0].person, "ann-1");
    EXPECT_EQ(settled[0].fields[F::City], "Rome");
}

TEST(ConflictsDialogTest, ADeletionShowsWhatTheSyncDoesAndTheOtherWay) {
    Held gone = AnnHeld();
    gone.deletedOnServer = true;
    gone.server = PersonRecord();
    gone.differing.clear();
    Held back;
    back.person = "cy-1";
    back.deletedHere = true;
    back.server = Person("Cy", "Cole");
    back.server[F::City] = "Kiel";
    back.base = back.server;
    syncui::ConflictsDialog dialog(nullptr, {gone, back});
    dialog.show();
    EXPECT_EQ(dialog.Persons()->item(0)->text(),
              QStringLiteral("Lee, Ann (deleted on the server)"));
    EXPECT_EQ(dialog.Persons()->item(1)->text(), QStringLiteral("Cole, Cy (deleted here)"));
    // Nothing to choose field by field; what the sync does comes chosen.
    EXPECT_FALSE(dialog.KeepAllHere()->isEnabled());
    ASSERT_NE(dialog.DefaultDeletion(), nullptr);
    EXPECT_TRUE(dialog.DefaultDeletion()->isChecked());
    EXPECT_TRUE(dialog.DefaultDeletion()->text().contains(QStringLiteral("send them")));
    EXPECT_TRUE(dialog.OtherDeletion()->text().contains(QStringLiteral("Delete the person here")));
    EXPECT_TRUE(ShownTexts(dialog).contains(QStringLiteral("Rome")));
    auto settled = dialog.Settled();
    ASSERT_EQ(settled.size(), 2u);
    EXPECT_FALSE(settled[0].byDeleting);
    EXPECT_EQ(settled[0].fields[F::City], "Rome");
    EXPECT_FALSE(settled[1].byDeleting);
    EXPECT_EQ(settled[1].fields[F::City], "Kiel");

    dialog.Persons()->setCurrentRow(1);
    EXPECT_TRUE(dialog.DefaultDeletion()->text().contains(QStringLiteral("Bring the person back")));
    EXPECT_TRUE(ShownTexts(dialog).contains(QStringLiteral("Kiel")));
    QTest::mouseClick(dialog.OtherDeletion(), Qt::LeftButton);
    dialog.Persons()->setCurrentRow(0);
    EXPECT_TRUE(dialog.DefaultDeletion()->isChecked());
    settled = dialog.Settled();
    EXPECT_FALSE(settled[0].byDeleting);
    EXPECT_TRUE(settled[1].byDeleting);
}

// ---- Through the window, against a real Radicale

class SyncConflictsTest : public SyncFrameTest {
protected:
    void SetUp() override {
        SyncFrameTest::SetUp();
        ASSERT_TRUE(server_.Ok()) << server_.Failure().toStdString();
        path_ = book_.Create("here.tch");
    }

    // The book open, linked, and in step with the server.
    void LinkAndSync() {
        OpenInStep(path_, server_);
        ASSERT_TRUE(synccheck::InStep(path_, server_));
    }

    // Ann, who has a contact logged here, deleted on the phone; Cy held for his city, then
    // deleted here.
    void HoldBothDeletions() {
        const RecordId ann = TestBook::AddPerson(path_, "Ann", "Lee");
        TestBook::AddContact(path_, ann, "2026-11-30 10:00:00", "Called");
        const RecordId cy = TestBook::AddPerson(path_, "Cy", "Cole");
        LinkAndSync();
        ASSERT_TRUE(synccheck::DeleteOnServer(server_, HrefOf(ann)));
        ASSERT_TRUE(synccheck::EditOnServer(server_, HrefOf(cy), F::City, "Kiel"));
        synccheck::Edit(path_, "Cole", F::City, "Rome");
        SyncNowAndWait();
        EXPECT_EQ(Notice(), QStringLiteral("2 sync conflicts: File, Sync, Conflicts"));
        editing::DeletePerson(path_, cy);
        frame_->View()->OnReload();
    }

    std::string HrefOf(const RecordId& person) const {
        return TestBook::QueryText(path_,
                                   "SELECT Href FROM SyncCard WHERE PersonID = '" + person + "'");
    }

    // The person's row of the list, and what it shows beside the name.
    QVariant ListCell(const RecordId& person, int role) const {
        const PersonListModel& rows = frame_->View()->PersonRows();
        const int row = rows.Find(person);
        EXPECT_GE(row, 0);
        return rows.data(rows.index(row, 0), role);
    }

    CardDavServer server_{CardDavServer::Kind::Radicale};
    std::string path_;
};

TEST_F(SyncConflictsTest, AConflictMadeOnBothSidesIsShownMarkedAndSettledFieldByField) {
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Lee");
    const RecordId bob = TestBook::AddPerson(path_, "Bob", "Baker");
    LinkAndSync();
    EXPECT_FALSE(Offered(cmd::kSyncConflicts));
    // The phone changes the city and the company, and so does this computer.
    ASSERT_TRUE(synccheck::EditOnServer(server_, HrefOf(ann), F::City, "Oslo"));
    ASSERT_TRUE(synccheck::EditOnServer(server_, HrefOf(ann), F::Company, "There Ltd"));
    synccheck::Edit(path_, "Lee", F::City, "Rome");
    synccheck::Edit(path_, "Lee", F::Company, "Here Ltd");
    SyncNowAndWait();
    EXPECT_TRUE(Status().contains(QStringLiteral("1 conflict held"))) << Status().toStdString();
    EXPECT_EQ(Notice(), QStringLiteral("1 sync conflict: File, Sync, Conflicts"));
    EXPECT_TRUE(Offered(cmd::kSyncConflicts));
    // The list marks Ann, and only her.
    EXPECT_FALSE(ListCell(ann, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(ListCell(ann, Qt::ToolTipRole).toString().contains(QStringLiteral("Conflicts")));
    EXPECT_TRUE(ListCell(bob, Qt::DecorationRole).isNull());
    // Neither side was overwritten.
    EXPECT_EQ(synccheck::Find(path_, "Lee")[F::City], "Rome");

    ModalDriver dialogs;
    QStringList shown;
    dialogs.Expect([&](QDialog& dialog) {
        auto& conflicts = static_cast<syncui::ConflictsDialog&>(dialog);
        shown = ShownTexts(conflicts);
        QTest::mouseClick(conflicts.KeepButton(F::City, true), Qt::LeftButton);
        QTest::mouseClick(conflicts.KeepButton(F::Company, false), Qt::LeftButton);
        QTest::mouseClick(conflicts.OkButton(), Qt::LeftButton);
    });
    frame_->OnCommand(cmd::kSyncConflicts);
    EXPECT_EQ(dialogs.Captions(), QStringList{QStringLiteral("Sync Conflicts")});
    for (const char* value : {"Rome", "Oslo", "Here Ltd", "There Ltd"}) {
        EXPECT_TRUE(shown.contains(QString::fromLatin1(value))) << value;
    }
    // The choice goes to the server at once.
    ASSERT_TRUE(WaitForSync());
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 1 sent"))) << Status().toStdString();
    const PersonRecord kept = synccheck::Find(path_, "Lee");
    EXPECT_EQ(kept[F::City], "Oslo");
    EXPECT_EQ(kept[F::Company], "Here Ltd");
    EXPECT_TRUE(synccheck::InStep(path_, server_));
    EXPECT_EQ(Notice(), QString());
    EXPECT_FALSE(Offered(cmd::kSyncConflicts));
    EXPECT_TRUE(ListCell(ann, Qt::DecorationRole).isNull());
}

TEST_F(SyncConflictsTest, EachDeletionIsSettledTheOtherWayWhenChosen) {
    HoldBothDeletions();

    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& dialog) {
        auto& conflicts = static_cast<syncui::ConflictsDialog&>(dialog);
        ASSERT_EQ(conflicts.Persons()->count(), 2);
        EXPECT_EQ(conflicts.Persons()->item(0)->text(), QStringLiteral("Cole, Cy (deleted here)"));
        EXPECT_EQ(conflicts.Persons()->item(1)->text(),
                  QStringLiteral("Lee, Ann (deleted on the server)"));
        // Cy: deleted on the server too. Ann: deleted here too, with her contact.
        QTest::mouseClick(conflicts.OtherDeletion(), Qt::LeftButton);
        conflicts.Persons()->setCurrentRow(1);
        QTest::mouseClick(conflicts.OtherDeletion(), Qt::LeftButton);
        QTest::mouseClick(conflicts.OkButton(), Qt::LeftButton);
    });
    frame_->OnCommand(cmd::kSyncConflicts);
    ASSERT_TRUE(WaitForSync());
    EXPECT_EQ(Persons(path_), 0);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(*) FROM Contact"), "0");
    EXPECT_TRUE(synccheck::Cards(server_).empty());
    EXPECT_TRUE(synccheck::InStep(path_, server_));
    EXPECT_EQ(Notice(), QString());
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 0u);
}

TEST_F(SyncConflictsTest, EachDeletionIsSettledAsTheSyncWouldByDefault) {
    HoldBothDeletions();

    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& dialog) {
        auto& conflicts = static_cast<syncui::ConflictsDialog&>(dialog);
        QTest::mouseClick(conflicts.OkButton(), Qt::LeftButton);
    });
    frame_->OnCommand(cmd::kSyncConflicts);
    ASSERT_TRUE(WaitForSync());
    // Ann stays with her contact and is on the server again; Cy is back as the server has him.
    EXPECT_EQ(Persons(path_), 2);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(*) FROM Contact"), "1");
    EXPECT_EQ(synccheck::Find(path_, "Cole")[F::City], "Kiel");
    EXPECT_EQ(synccheck::Cards(server_).size(), 2u);
    EXPECT_TRUE(synccheck::InStep(path_, server_));
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 2u);
}

TEST_F(SyncConflictsTest, CancelLeavesEveryPersonHeld) {
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Lee");
    LinkAndSync();
    ASSERT_TRUE(synccheck::EditOnServer(server_, HrefOf(ann), F::City, "Oslo"));
    synccheck::Edit(path_, "Lee", F::City, "Rome");
    SyncNowAndWait();
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& dialog) {
        auto& conflicts = static_cast<syncui::ConflictsDialog&>(dialog);
        QTest::mouseClick(conflicts.KeepAllFromServer(), Qt::LeftButton);
        dialog.reject();
    });
    const int started = frame_->Sync().SyncsStarted();
    frame_->OnCommand(cmd::kSyncConflicts);
    EXPECT_FALSE(frame_->Sync().Syncing());
    EXPECT_EQ(frame_->Sync().SyncsStarted(), started);
    EXPECT_EQ(carddav::HeldConflicts(path_), 1);
    EXPECT_EQ(synccheck::Find(path_, "Lee")[F::City], "Rome");
    EXPECT_EQ(Notice(), QStringLiteral("1 sync conflict: File, Sync, Conflicts"));
}

}  // namespace
