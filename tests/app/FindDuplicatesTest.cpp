// Edit, Find Duplicates through the window: the groups, the person kept and the values chosen,
// the merge with every contact and its undo back to the very rows, "Not Duplicates" kept in the
// book, and a merge in a synced book carried to a real Radicale.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "Database.h"
#include "DuplicatesDialog.h"
#include "ListModels.h"
#include "MainView.h"
#include "ModalDriver.h"
#include "RecordEditing.h"
#include "SyncCheck.h"
#include "SyncFrame.h"

namespace {

using F = PersonRecord::Field;

std::string Dump(const std::string& path, const char* sql) {
    cppsqlite3::Database db;
    db.Open(path);
    std::string out;
    for (const editing::StoredRow& row : editing::ReadRows(db.CreateStatement(), sql)) {
        out += editing::RowValues(row) + "\n";
    }
    return out;
}

class FindDuplicatesTest : public SyncFrameTest {
protected:
    void SetUp() override {
        SyncFrameTest::SetUp();
        path_ = book_.Create();
        PersonRecord hans;
        hans[F::FName] = "Hans";
        hans[F::LName] = "Müller";
        hans[F::Company] = "Acme";
        hans[F::City] = "Berlin";
        hans[F::WkPhone] = "030 1234567";
        hans_ = TestBook::AddPerson(path_, hans);
        PersonRecord mueller;
        mueller[F::FName] = "Hans";
        mueller[F::LName] = "Mueller";
        mueller[F::Email] = "hans@acme.example";
        mueller_ = TestBook::AddPerson(path_, mueller);
        TestBook::AddPerson(path_, "Zoe", "Zimmer");
        TestBook::AddContact(path_, hans_, "2026-03-02 10:00:00", "Met at the fair");
        TestBook::AddContact(path_, mueller_, "2025-12-24 18:30:00", "Sent a card");
    }

    // Opens the dialog and hands it to the action.
    void Dialog(const std::function<void(DuplicatesDialog&)>& action) {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& dialog) {
            auto* duplicates = qobject_cast<DuplicatesDialog*>(&dialog);
            ASSERT_NE(duplicates, nullptr) << dialog.windowTitle().toStdString();
            action(*duplicates);
        });
        frame_->OnCommand(cmd::kFindDuplicates);
    }

    std::string path_;
    RecordId hans_, mueller_;
};

TEST_F(FindDuplicatesTest, AMergeKeepsTheValuesChosenAndEveryContactAndUndoPutsAllBack) {
    Open(path_);
    const std::string persons = Dump(path_, "SELECT * FROM Person ORDER BY ID");
    const std::string contacts = Dump(path_, "SELECT * FROM Contact ORDER BY ID");
    Dialog([&](DuplicatesDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Find Duplicates"));
        ASSERT_EQ(dialog.Groups(), 1);
        EXPECT_EQ(dialog.GroupList()->item(0)->text(),
                  QStringLiteral("Müller, Hans / Mueller, Hans"));
        EXPECT_EQ(dialog.GroupList()->item(0)->toolTip(), QStringLiteral("similar name"));
        // The one with most filled fields is kept; a value only the other has comes first.
        EXPECT_TRUE(dialog.KeepButton(0)->isChecked());
        ASSERT_NE(dialog.Choice(F::Email), nullptr);
        EXPECT_EQ(dialog.Choice(F::Email)->currentText(), QStringLiteral("hans@acme.example"));
        EXPECT_EQ(dialog.Choice(F::LName)->currentText(), QStringLiteral("Müller"));
        EXPECT_EQ(dialog.Choice(F::FName), nullptr);  // the same on both
        // The city left empty, as the user chooses.
        const int empty = dialog.Choice(F::City)->findText(QStringLiteral("(empty)"));
        ASSERT_GE(empty, 0);
        dialog.Choice(F::City)->setCurrentIndex(empty);
        QTest::mouseClick(dialog.MergeButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.Groups(), 0);
        EXPECT_FALSE(dialog.MergeButton()->isEnabled());
        dialog.accept();
    });
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(*) FROM Person"), "2");
    EXPECT_EQ(TestBook::QueryText(path_,
                                  "SELECT LName || '/' || Company || '/' || City || '/' || "
                                  "WkPhone || '/' || Email FROM Person WHERE ID = '" +
                                      hans_ + "'"),
              "Müller/Acme//030 1234567/hans@acme.example");
    EXPECT_EQ(
        TestBook::QueryText(path_, "SELECT COUNT(*) FROM Contact WHERE PersonID = '" + hans_ + "'"),
        "2");
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 2u);
    EXPECT_EQ(frame_->View()->CurrentPersonId(), hans_);
    EXPECT_EQ(frame_->Action(cmd::kUndoDelete)->text(), QStringLiteral("Undo &Merge"));

    frame_->Action(cmd::kUndoDelete)->trigger();
    EXPECT_EQ(Dump(path_, "SELECT * FROM Person ORDER BY ID"), persons);
    EXPECT_EQ(Dump(path_, "SELECT * FROM Contact ORDER BY ID"), contacts);
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 3u);
    EXPECT_EQ(frame_->Action(cmd::kUndoDelete)->text(), QStringLiteral("Un&do Delete"));
    EXPECT_FALSE(frame_->Action(cmd::kUndoDelete)->isEnabled());
}

TEST_F(FindDuplicatesTest, KeepingTheOtherPersonAndNotDuplicatesRememberedAfterReopening) {
    Open(path_);
    Dialog([&](DuplicatesDialog& dialog) {
        QTest::mouseClick(dialog.KeepButton(1), Qt::LeftButton);
        EXPECT_EQ(dialog.Kept(), mueller_);
        // The kept person's own value first now.
        EXPECT_EQ(dialog.Choice(F::LName)->currentText(), QStringLiteral("Mueller"));
        EXPECT_EQ(dialog.Others(), std::vector<RecordId>{hans_});
        QTest::mouseClick(dialog.DistinctButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.Groups(), 0);
        dialog.accept();
    });
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(*) FROM Person"), "3");
    // Another run of the program on the same file: nothing is offered.
    frame_.reset();
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    Open(path_);
    boxes_.Expect();
    frame_->OnCommand(cmd::kFindDuplicates);
    ASSERT_EQ(boxes_.Calls().size(), 1u);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("Find Duplicates"));
    EXPECT_EQ(boxes_.Last().text,
              QStringLiteral("No persons in the book look like one person twice."));
}

TEST_F(FindDuplicatesTest, AnImportThatBringsPersonsAlreadyThereOffersToReviewThem) {
    // Two of one person already, whom the import has nothing to do with.
    TestBook::AddPerson(path_, "Ann", "Lee");
    TestBook::AddPerson(path_, "Ann", "Lee");
    Open(path_);
    const QString file = QString::fromStdString(book_.Path("phone.vcf"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        // Hans once more, as the phone has him, and one person not there yet.
        out.write(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Müller;H.;;;\r\nFN:H. Müller\r\n"
            "ORG:Acme\r\nTEL;TYPE=CELL:+49 170 5550100\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Quist;Quentin;;;\r\nFN:Quentin Quist\r\n"
            "END:VCARD\r\n");
    }
    files_.Answer(file);
    boxes_.Expect();                              // what the import did
    boxes_.Expect(platform::MessageResult::Yes);  // review them now
    ModalDriver dialogs;
    int groups = -1;
    dialogs.Expect([&](QDialog& dialog) {
        auto& duplicates = static_cast<DuplicatesDialog&>(dialog);
        groups = duplicates.Groups();
        QTest::mouseClick(duplicates.MergeButton(), Qt::LeftButton);
        dialog.accept();
    });
    frame_->OnCommand(cmd::kImportVCard);
    ASSERT_EQ(boxes_.Calls().size(), 2u);
    EXPECT_EQ(boxes_.Calls()[1].text,
              QStringLiteral("1 of the imported persons looks like a person already in the "
                             "book. Review it now?"));
    EXPECT_EQ(boxes_.Calls()[1].caption, QStringLiteral("Import"));
    // Only the group an imported person is in (with both Hans already there); the two Anns
    // wait for Edit, Find Duplicates.
    EXPECT_EQ(groups, 1);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(*) FROM Person"), "5");
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(*) FROM Person WHERE LName = 'Quist'"), "1");
    EXPECT_EQ(frame_->View()->PersonRows().Rows().size(), 5u);
}

TEST_F(FindDuplicatesTest, AMergeInASyncedBookGoesToTheServer) {
    CardDavServer server(CardDavServer::Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    OpenInStep(path_, server);
    ASSERT_EQ(synccheck::Cards(server).size(), 3u);
    Dialog([&](DuplicatesDialog& dialog) {
        QTest::mouseClick(dialog.MergeButton(), Qt::LeftButton);
        dialog.accept();
    });
    SyncNowAndWait();
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced: 2 sent"))) << Status().toStdString();
    const auto cards = synccheck::Cards(server);
    ASSERT_EQ(cards.size(), 2u);
    bool merged = false;
    for (const auto& [href, card] : cards) {
        merged = merged || (card.text.find("hans@acme.example") != std::string::npos &&
                            card.text.find("030 1234567") != std::string::npos);
    }
    EXPECT_TRUE(merged);
    EXPECT_TRUE(synccheck::InStep(path_, server));
}

TEST_F(FindDuplicatesTest, TheLastContactColumnFollowsASyncAMergeItsUndoAndAnImport) {
    CardDavServer server(CardDavServer::Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    OpenInStep(path_, server);
    frame_->Action(cmd::kLastContactColumn)->trigger();
    MainView& view = *frame_->View();
    const auto last = [&view](const RecordId& id) {
        const int row = view.PersonRows().Find(id);
        return row < 0 ? std::string("(not listed)")
                       : FormatDisplayDate(view.PersonRows().Rows().LastContact(size_t(row)));
    };
    const auto day = [](int y, int m, int d) {
        return FormatDisplayDate(DateTime::FromFields(y, m, d));
    };
    EXPECT_EQ(last(hans_), day(2026, 3, 2));
    EXPECT_EQ(last(mueller_), day(2025, 12, 24));
    // A person from another device: listed with no contact, the others keep theirs.
    PutCard(server, "new.vcf",
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:new-from-phone\r\nN:Novak;Nina;;;\r\n"
            "FN:Nina Novak\r\nEND:VCARD\r\n");
    SyncNowAndWait();
    ASSERT_EQ(view.PersonRows().Rows().size(), 4u);
    const RecordId nina = TestBook::QueryText(path_, "SELECT ID FROM Person WHERE LName = 'Novak'");
    EXPECT_EQ(last(nina), "");
    EXPECT_EQ(last(hans_), day(2026, 3, 2));
    // Merged, the one kept has the newer of both logs; undone, each has theirs again.
    TestBook::Execute(path_, "UPDATE Contact SET DtTm = '2026-11-30 09:00:00' WHERE PersonID = '" +
                                 mueller_ + "'");
    view.OnReload();
    Dialog([&](DuplicatesDialog& dialog) {
        QTest::mouseClick(dialog.MergeButton(), Qt::LeftButton);
        dialog.accept();
    });
    EXPECT_EQ(last(hans_), day(2026, 11, 30));
    EXPECT_EQ(last(mueller_), "(not listed)");
    frame_->Action(cmd::kUndoDelete)->trigger();
    EXPECT_EQ(last(hans_), day(2026, 3, 2));
    EXPECT_EQ(last(mueller_), day(2026, 11, 30));
    // Imported persons come without contacts; nobody else's date changes.
    const QString file = QString::fromStdString(book_.Path("more.vcf"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Quist;Quentin;;;\r\nFN:Quentin Quist\r\n"
            "END:VCARD\r\n");
    }
    files_.Answer(file);
    boxes_.Expect();  // what the import did
    frame_->OnCommand(cmd::kImportVCard);
    const RecordId quentin =
        TestBook::QueryText(path_, "SELECT ID FROM Person WHERE LName = 'Quist'");
    EXPECT_EQ(last(quentin), "");
    EXPECT_EQ(last(mueller_), day(2026, 11, 30));
    EXPECT_EQ(last(nina), "");
}

}  // namespace
