#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "ContactTypes.h"
#include "ContactTypesDialog.h"
#include "CurrentDatabase.h"
#include "Database.h"
#include "HelpViewer.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "TestBook.h"

namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

constexpr char kEmailId[] = "03F6262A-4362-44A9-B770293650BB";
constexpr char kOldStamp[] = "2000-01-01 00:00:00";
constexpr int kBusy = 5;  // the engine's "database is locked" result

const QString kDuplicateTail = QStringLiteral(
    " is already listed in the table of Contact Types. \nPlease enter a different "
    "description.");

std::vector<std::string> StoredDescriptions(const std::string& path) {
    std::vector<std::string> result;
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& q = db.CreateStatement().ExecuteQuery(
        "SELECT Description FROM ContactType ORDER BY Description");
    while (q.Next()) {
        result.push_back(q.GetString(1));
    }
    return result;
}

QStringList Listed(const ContactTypesDialog& dialog) {
    QStringList texts;
    for (int i = 0; i < dialog.List()->topLevelItemCount(); ++i) {
        texts << dialog.List()->topLevelItem(i)->text(0);
    }
    return texts;
}

QString Current(const ContactTypesDialog& dialog) {
    const QTreeWidgetItem* item = dialog.List()->currentItem();
    return item && item->isSelected() ? item->text(0) : QString();
}

void Select(ContactTypesDialog& dialog, const QString& text) {
    const QList<QTreeWidgetItem*> found = dialog.List()->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    dialog.List()->setCurrentItem(found.first());
}

void TypeAndOk(ContactTypeDialog& details, const QString& text) {
    details.DescriptionField()->clear();
    QTest::keyClicks(details.DescriptionField(), text);
    QTest::mouseClick(details.OkButton(), Qt::LeftButton);
}

class ContactTypesTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
    }

    // The duplicate check of a new type, as the list gives it to the details dialog.
    ContactTypeDialog::DuplicateCheck AddingCheck() const {
        return [path = path_](const std::string& description) {
            return contact_types::CountSameDescription(path, description, true, RecordId()) != 0;
        };
    }

    std::string Stamp() const { return TestBook::QueryText(path_, "SELECT S FROM Globals"); }

    // Opens the details dialog with the button and runs the action in it.
    void WithDetails(QPushButton* button, std::function<void(ContactTypeDialog&)> action) {
        ModalDriver dialogs;
        dialogs.Expect([&action](QDialog& opened) {
            auto* details = qobject_cast<ContactTypeDialog*>(&opened);
            ASSERT_NE(details, nullptr) << "the details dialog did not open";
            action(*details);
        });
        QTest::mouseClick(button, Qt::LeftButton);
    }

    TestBook book_;
    std::string path_;
};

const std::vector<std::string> kSeeds = {"Correspondence", "Email", "Personal", "Telephone"};

}  // namespace

TEST_F(ContactTypesTest, NewFileListsTypesInOrderWithFirstSelected) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Contact Types"));
    EXPECT_EQ(Listed(dialog), QStringList({"Correspondence", "Email", "Personal", "Telephone"}));
    EXPECT_EQ(Current(dialog), QStringLiteral("Correspondence"));
    EXPECT_EQ(dialog.List()->headerItem()->text(0), QStringLiteral("Activity"));
    EXPECT_TRUE(dialog.EditButton()->isEnabled());
    EXPECT_TRUE(dialog.DeleteButton()->isEnabled());
    EXPECT_TRUE(dialog.CloseButton()->isDefault());
}

TEST_F(ContactTypesTest, AddingExistingDescriptionIsRefusedWithMessage) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    MessageRecorder boxes;
    boxes.Expect();
    WithDetails(dialog.AddButton(), [&](ContactTypeDialog& details) {
        EXPECT_EQ(details.windowTitle(), QStringLiteral("Contact Type Details"));
        QTest::keyClicks(details.DescriptionField(), QStringLiteral("Email"));
        details.OkButton()->setFocus();
        QTest::mouseClick(details.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(details.isVisible());
        EXPECT_EQ(details.DescriptionField()->selectedText(), QStringLiteral("Email"));
        EXPECT_EQ(details.focusWidget(), details.DescriptionField());
        QTest::mouseClick(details.CancelButton(), Qt::LeftButton);
        EXPECT_EQ(details.result(), ContactTypeDialog::Cancel);
    });
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().text, QStringLiteral("Email") + kDuplicateTail);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Duplicate Contact Type"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_EQ(Stamp(), kOldStamp);
}

TEST_F(ContactTypesTest, AddingLowerCaseEmailIsAcceptedAndStamped) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    WithDetails(dialog.AddButton(), [&](ContactTypeDialog& details) {
        TypeAndOk(details, QStringLiteral("email"));
        EXPECT_FALSE(details.isVisible());
    });
    EXPECT_EQ(
        StoredDescriptions(path_),
        std::vector<std::string>({"Correspondence", "Email", "Personal", "Telephone", "email"}));
    EXPECT_NE(Stamp(), kOldStamp);
    EXPECT_EQ(Listed(dialog),
              QStringList({"Correspondence", "Email", "Personal", "Telephone", "email"}));
    EXPECT_EQ(Current(dialog), QStringLiteral("Correspondence"));
    const std::string id =
        TestBook::QueryText(path_, "SELECT ID FROM ContactType WHERE Description = 'email'");
    EXPECT_EQ(id.size(), 31u);
}

TEST_F(ContactTypesTest, QuotedDescriptionStoredListedAndNamedInDuplicateMessage) {
    const QString text = QStringLiteral("O'Brien's \"call\"");
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    WithDetails(dialog.AddButton(), [&](ContactTypeDialog& details) { TypeAndOk(details, text); });
    EXPECT_EQ(TestBook::QueryText(path_,
                                  "SELECT count(*) FROM ContactType WHERE Description = "
                                  "'O''Brien''s \"call\"'"),
              "1");
    EXPECT_TRUE(Listed(dialog).contains(text));

    MessageRecorder boxes;
    boxes.Expect();
    WithDetails(dialog.AddButton(), [&](ContactTypeDialog& details) {
        TypeAndOk(details, text);
        EXPECT_TRUE(details.isVisible());
    });
    EXPECT_EQ(boxes.Last().text, text + kDuplicateTail);
    EXPECT_EQ(StoredDescriptions(path_).size(), 5u);
}

TEST_F(ContactTypesTest, EditKeepingOwnDescriptionIsAccepted) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Email"));
    WithDetails(dialog.EditButton(), [&](ContactTypeDialog& details) {
        EXPECT_EQ(details.DescriptionField()->text(), QStringLiteral("Email"));
        EXPECT_TRUE(details.OkButton()->isEnabled());
        QTest::mouseClick(details.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(details.isVisible());
    });
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_NE(Stamp(), kOldStamp);
}

TEST_F(ContactTypesTest, EditRefusesAnotherTypesDescriptionThenRenames) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Email"));
    MessageRecorder boxes;
    boxes.Expect();
    WithDetails(dialog.EditButton(), [&](ContactTypeDialog& details) {
        TypeAndOk(details, QStringLiteral("Personal"));
        EXPECT_TRUE(details.isVisible());
        TypeAndOk(details, QStringLiteral("E-mail"));
        EXPECT_FALSE(details.isVisible());
    });
    EXPECT_EQ(boxes.Last().text, QStringLiteral("Personal") + kDuplicateTail);
    EXPECT_EQ(TestBook::QueryText(path_, std::string("SELECT Description FROM ContactType "
                                                     "WHERE ID = '") +
                                             kEmailId + "'"),
              "E-mail");
    EXPECT_NE(Stamp(), kOldStamp);
    EXPECT_EQ(Listed(dialog), QStringList({"Correspondence", "E-mail", "Personal", "Telephone"}));
    EXPECT_EQ(Current(dialog), QStringLiteral("Correspondence"));
}

TEST_F(ContactTypesTest, EditHoldsNoLockWhileDetailsAreOpen) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Email"));
    bool otherWriterSucceeded = false;
    WithDetails(dialog.EditButton(), [&](ContactTypeDialog& details) {
        try {
            TestBook::Execute(path_, "UPDATE Person SET Title = 'x'");
            otherWriterSucceeded = true;
        } catch (const cppsqlite3::SQLException&) {
        }
        QTest::mouseClick(details.CancelButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(otherWriterSucceeded);
    EXPECT_EQ(Stamp(), kOldStamp);
}

TEST_F(ContactTypesTest, EditCancelledLeavesFileUnchanged) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Telephone"));
    WithDetails(dialog.EditButton(), [&](ContactTypeDialog& details) {
        details.DescriptionField()->clear();
        QTest::keyClicks(details.DescriptionField(), QStringLiteral("Phone"));
        QTest::mouseClick(details.CancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_EQ(Stamp(), kOldStamp);
    EXPECT_EQ(Current(dialog), QStringLiteral("Telephone"));
}

TEST_F(ContactTypesTest, TypeInUseKeptAfterQuestionAndSaysWhy) {
    const RecordId person = TestBook::AddPerson(path_, "Ann", "Lee");
    TestBook::AddContact(path_, person, "2024-01-02 10:00:00", "Note", kEmailId);
    TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Email"));
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Yes);
    boxes.Expect();
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.Calls().size(), 2u);
    const platform::MessageCall& question = boxes.Calls()[0];
    EXPECT_EQ(question.text,
              QStringLiteral("Are you sure you want to delete the selected contact? If it is in "
                             "use anywhere, it will not be deleted"));
    EXPECT_EQ(question.caption, QStringLiteral("Delete Contact Type"));
    EXPECT_EQ(question.icon, MessageIcon::Information);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.owner, &dialog);
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("Email is used by 1 contacts and cannot be deleted."));
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Contact Types"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Information);
    EXPECT_EQ(boxes.Last().buttons, MessageButtons::Ok);
    EXPECT_EQ(boxes.Last().owner, &dialog);
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_EQ(Stamp(), kOldStamp);
    // The list is not filled again, so the selection stays where it was.
    EXPECT_EQ(Current(dialog), QStringLiteral("Email"));
}

TEST_F(ContactTypesTest, KeptTypeNamesItsDescriptionAndCountsOnlyItsOwnContacts) {
    // A "%2" in the description must not take the count's place.
    const RecordId fee = contact_types::Add(path_, "Fee 5%2 due");
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Lee");
    const RecordId bob = TestBook::AddPerson(path_, "Bob", "Ray");
    TestBook::AddContact(path_, ann, "2024-01-02 10:00:00", "first", fee);
    TestBook::AddContact(path_, ann, "2024-01-03 10:00:00", "second", fee);
    TestBook::AddContact(path_, bob, "2024-01-04 10:00:00", "third", fee);
    TestBook::AddContact(path_, bob, "2024-01-05 10:00:00", "other type", kEmailId);
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Fee 5%2 due"));
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Yes);
    boxes.Expect();
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.Calls().size(), 2u);
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("Fee 5%2 due is used by 3 contacts and cannot be deleted."));
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM ContactType"), "5");
}

TEST_F(ContactTypesTest, DeleteUnlessInUseGivesTheUsesThatKeptTheType) {
    const RecordId person = TestBook::AddPerson(path_, "Ann", "Lee");
    TestBook::AddContact(path_, person, "2024-01-02 10:00:00", "a", kEmailId);
    TestBook::AddContact(path_, person, "2024-01-03 10:00:00", "b", kEmailId);
    TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
    EXPECT_EQ(contact_types::DeleteUnlessInUse(path_, kEmailId), 2);
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_EQ(Stamp(), kOldStamp);
    const std::string personal =
        TestBook::QueryText(path_, "SELECT ID FROM ContactType WHERE Description = 'Personal'");
    EXPECT_EQ(contact_types::DeleteUnlessInUse(path_, personal), 0);
    EXPECT_EQ(StoredDescriptions(path_),
              std::vector<std::string>({"Correspondence", "Email", "Telephone"}));
    EXPECT_NE(Stamp(), kOldStamp);
}

TEST_F(ContactTypesTest, DeletingUnusedTypeRemovesItAndStamps) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Personal"));
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Yes);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(StoredDescriptions(path_),
              std::vector<std::string>({"Correspondence", "Email", "Telephone"}));
    EXPECT_NE(Stamp(), kOldStamp);
    EXPECT_EQ(Listed(dialog), QStringList({"Correspondence", "Email", "Telephone"}));
    EXPECT_EQ(Current(dialog), QStringLiteral("Correspondence"));
}

TEST_F(ContactTypesTest, DeleteAnsweredNoKeepsType) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Personal"));
    MessageRecorder boxes;
    boxes.Expect(MessageResult::No);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_EQ(Stamp(), kOldStamp);
}

TEST_F(ContactTypesTest, EmptyTableDisablesEditAndDeleteOnlyAsks) {
    TestBook::Execute(path_, "DELETE FROM ContactType");
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.EditButton()->isEnabled());
    EXPECT_TRUE(dialog.DeleteButton()->isEnabled());
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Yes);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(Stamp(), kOldStamp);

    WithDetails(dialog.AddButton(),
                [&](ContactTypeDialog& details) { TypeAndOk(details, QStringLiteral("Fax")); });
    EXPECT_EQ(Listed(dialog), QStringList({"Fax"}));
    EXPECT_TRUE(dialog.EditButton()->isEnabled());
}

TEST_F(ContactTypesTest, DetailsOkFollowsTheField) {
    ContactTypeDialog details(nullptr, "", AddingCheck());
    details.show();
    EXPECT_FALSE(details.OkButton()->isEnabled());
    QTest::keyClicks(details.DescriptionField(), QStringLiteral("a"));
    EXPECT_TRUE(details.OkButton()->isEnabled());
    QTest::keyClick(details.DescriptionField(), Qt::Key_Backspace);
    EXPECT_FALSE(details.OkButton()->isEnabled());
    // Enter with the field empty does not end the dialog.
    QTest::keyClick(details.DescriptionField(), Qt::Key_Return);
    EXPECT_TRUE(details.isVisible());
    QTest::keyClick(details.DescriptionField(), Qt::Key_Escape);
    EXPECT_FALSE(details.isVisible());
    EXPECT_EQ(details.result(), ContactTypeDialog::Cancel);
}

TEST_F(ContactTypesTest, DetailsOkGivesTheDescriptionAsTyped) {
    ContactTypeDialog details(nullptr, "", AddingCheck());
    details.show();
    QTest::keyClicks(details.DescriptionField(), QStringLiteral("It's"));
    QTest::keyClick(details.DescriptionField(), Qt::Key_Return);
    EXPECT_FALSE(details.isVisible());
    EXPECT_EQ(details.result(), ContactTypeDialog::Ok);
    EXPECT_EQ(details.Description(), "It's");
}

TEST_F(ContactTypesTest, LockedFileLeavesAddUnchangedWithCaption) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    cppsqlite3::Database locker;
    locker.Open(path_);
    locker.CreateStatement().Execute("BEGIN IMMEDIATE");
    MessageRecorder boxes;
    boxes.Expect();
    WithDetails(dialog.AddButton(),
                [&](ContactTypeDialog& details) { TypeAndOk(details, QStringLiteral("Fax")); });
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Adding Contact Type"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Information);
    EXPECT_EQ(boxes.Last().text,
              QString::fromLatin1(cppsqlite3::SQLException::MessageForCode(kBusy)));
    locker.Close();
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_EQ(Stamp(), kOldStamp);
}

TEST_F(ContactTypesTest, LockTakenDuringEditLeavesFileUnchangedWithCaption) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Email"));
    cppsqlite3::Database locker;
    MessageRecorder boxes;
    boxes.Expect();
    WithDetails(dialog.EditButton(), [&](ContactTypeDialog& details) {
        locker.Open(path_);
        locker.CreateStatement().Execute("BEGIN IMMEDIATE");
        TypeAndOk(details, QStringLiteral("Mail"));
    });
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Editing Contact Type"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    EXPECT_EQ(boxes.Last().owner, &dialog);
    locker.Close();
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_EQ(Stamp(), kOldStamp);
    // The failed edit does not fill the list again.
    EXPECT_EQ(Current(dialog), QStringLiteral("Email"));
}

TEST_F(ContactTypesTest, LockedFileLeavesDeleteUnchangedWithCaption) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    Select(dialog, QStringLiteral("Personal"));
    cppsqlite3::Database locker;
    locker.Open(path_);
    locker.CreateStatement().Execute("BEGIN IMMEDIATE");
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Yes);
    boxes.Expect();
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.Calls().size(), 2u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Deleting Contact Type"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Information);
    locker.Close();
    EXPECT_EQ(StoredDescriptions(path_), kSeeds);
    EXPECT_EQ(Stamp(), kOldStamp);
    // Filled again after the failure: the first row is selected.
    EXPECT_EQ(Current(dialog), QStringLiteral("Correspondence"));
}

TEST_F(ContactTypesTest, ExclusiveLockKeepsTheDetailsOpenUntilTheAddCanBeStored) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    cppsqlite3::Database locker;
    locker.Open(path_);
    locker.CreateStatement().Execute("BEGIN EXCLUSIVE");
    MessageRecorder boxes;
    boxes.Expect();
    boxes.Expect();
    WithDetails(dialog.AddButton(), [&](ContactTypeDialog& details) {
        TypeAndOk(details, QStringLiteral("Fax"));
        // The check and the add both met the lock; what was typed is still there.
        ASSERT_EQ(boxes.Calls().size(), 2u);
        EXPECT_TRUE(details.isVisible());
        EXPECT_EQ(details.DescriptionField()->text(), QStringLiteral("Fax"));
        locker.Close();
        QTest::mouseClick(details.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(details.isVisible());
    });
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Error Checking Contact Types List"));
    EXPECT_EQ(boxes.Calls()[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes.Calls()[1].caption, QStringLiteral("Error Adding Contact Type"));
    EXPECT_EQ(boxes.Calls()[1].icon, MessageIcon::Information);
    EXPECT_EQ(Listed(dialog),
              QStringList({"Correspondence", "Email", "Fax", "Personal", "Telephone"}));
    EXPECT_NE(Stamp(), kOldStamp);
}

TEST_F(ContactTypesTest, ExclusiveLockFailsTheFill) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    cppsqlite3::Database locker;
    MessageRecorder boxes;
    boxes.Expect();
    WithDetails(dialog.AddButton(), [&](ContactTypeDialog& details) {
        TypeAndOk(details, QStringLiteral("Fax"));
        // Stored; then the list is filled again while another program holds the file.
        EXPECT_FALSE(details.isVisible());
        locker.Open(path_);
        locker.CreateStatement().Execute("BEGIN EXCLUSIVE");
    });
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Error Filling Contact Types List"));
    EXPECT_EQ(boxes.Calls()[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.EditButton()->isEnabled());
    locker.Close();
}

// Esc and the close box end the list as "&Close" does: emptied, with 1.
TEST_F(ContactTypesTest, EscAndTheCloseBoxEndTheListAsCloseDoes) {
    const std::vector<std::function<void(ContactTypesDialog&)>> ways = {
        [](ContactTypesDialog& dialog) { QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton); },
        [](ContactTypesDialog& dialog) { QTest::keyClick(dialog.List(), Qt::Key_Escape); },
        [](ContactTypesDialog& dialog) { dialog.close(); },
    };
    for (std::size_t way = 0; way < ways.size(); ++way) {
        ContactTypesDialog dialog(nullptr, path_);
        int listedBefore = -1;
        bool openAfter = true;
        QTimer::singleShot(0, [&] {
            listedBefore = dialog.List()->topLevelItemCount();
            ways[way](dialog);
            QApplication::processEvents();
            openAfter = dialog.isVisible();
            if (openAfter) {
                dialog.done(0);
            }
        });
        const int result = dialog.exec();
        EXPECT_EQ(listedBefore, 4) << way;
        EXPECT_FALSE(openAfter) << way;
        EXPECT_EQ(result, 1) << way;
        EXPECT_EQ(dialog.List()->topLevelItemCount(), 0) << way;
    }
}

TEST_F(ContactTypesTest, RunContactTypesIsTrueAfterEsc) {
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<ContactTypesDialog*>(top)) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                // Should Esc be refused, the run ends as no Close would.
                if (dialog->isVisible()) {
                    dialog->done(0);
                }
            }
        }
    });
    EXPECT_TRUE(RunContactTypes(nullptr, path_));
}

TEST_F(ContactTypesTest, RunContactTypesIsTrueAfterClose) {
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<ContactTypesDialog*>(top)) {
                QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
            }
        }
    });
    EXPECT_TRUE(RunContactTypes(nullptr, path_));
}

TEST_F(ContactTypesTest, F1ShowsEachControlsPopup) {
    std::vector<int> popups;
    help::SetHelpRequestHandler([&](const help::HelpRequest& request) {
        if (request.kind == help::HelpRequest::Popup) {
            popups.push_back(request.popup);
        }
    });
    struct Restore {
        ~Restore() { help::SetHelpRequestHandler(nullptr); }
    } restore;
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    for (QWidget* control :
         std::vector<QWidget*>{dialog.List(), dialog.AddButton(), dialog.DeleteButton(),
                               dialog.EditButton(), dialog.CloseButton()}) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
    }
    ContactTypeDialog details(nullptr, "Fax", AddingCheck());
    details.show();
    details.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&details));
    for (QWidget* control : std::vector<QWidget*>{details.DescriptionField(), details.OkButton(),
                                                  details.CancelButton()}) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
    }
    EXPECT_EQ(popups, std::vector<int>({6300, 1008, 1009, 1007, 1010, 6400, 1000, 1001}));
}

TEST_F(ContactTypesTest, ListKeepsThePathOfItsStart) {
    ContactTypesDialog dialog(nullptr, path_);
    dialog.show();
    const std::string other = book_.Create("other.tch");
    CurrentDatabasePath = other;
    WithDetails(dialog.AddButton(),
                [&](ContactTypeDialog& details) { TypeAndOk(details, QStringLiteral("Fax")); });
    CurrentDatabasePath.clear();
    EXPECT_EQ(StoredDescriptions(path_).size(), 5u);
    EXPECT_EQ(StoredDescriptions(other).size(), 4u);
}
