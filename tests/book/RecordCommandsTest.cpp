#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTreeView>

#include "CommandAvailability.h"
#include "CommandKeys.h"
#include "Commands.h"
#include "ContactDialog.h"
#include "Database.h"
#include "EditorDriving.h"
#include "HelpViewer.h"
#include "ListModels.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "PersonSheet.h"
#include "RecordCommands.h"
#include "SQLException.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

using platform::MessageIcon;
using F = PersonRecord::Field;

constexpr char kOldStamp[] = "2000-01-01 00:00:00";
constexpr char kEmailId[] = "03F6262A-4362-44A9-B770293650BB";
constexpr int kBusy = 5;  // "database is locked"

class RecordCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        view_.OnPathChanged(path_);
        // The keys run their commands as the main window has them do.
        CommandKeys::Install(view_, [this](int command) { book::RunViewCommand(view_, command); });
        ResetStamp();
    }
    void TearDown() override { help::SetHelpRequestHandler(nullptr); }

    void ResetStamp() {
        TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
    }
    std::string Stamp() const { return TestBook::QueryText(path_, "SELECT S FROM Globals"); }
    std::string Query(const std::string& sql) const { return TestBook::QueryText(path_, sql); }
    QByteArray FileBytes() const {
        QFile file(QString::fromStdString(path_));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    void Run(int command) { EXPECT_TRUE(book::RunViewCommand(view_, command)) << command; }

    void SelectPerson(int row) {
        QTreeView* list = view_.PersonList();
        const QRect r = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        ASSERT_EQ(view_.SelectedPersonRow(), row);
    }
    void SelectContact(int row) {
        QTreeView* list = view_.ContactList();
        const QRect r = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        ASSERT_EQ(view_.SelectedContactRow(), row);
    }
    std::string SelectedName() const {
        const int row = view_.SelectedPersonRow();
        return row < 0 ? std::string("<none>") : view_.PersonRows().Rows()[row].name;
    }
    std::string SelectedNotes() const {
        const int row = view_.SelectedContactRow();
        return row < 0 ? std::string("<none>") : view_.ContactRows().Rows()[row].notes;
    }
    std::vector<std::string> ListedNames() const {
        std::vector<std::string> names;
        for (const PersonRow& r : view_.PersonRows().Rows()) {
            names.push_back(r.name);
        }
        return names;
    }
    QString ViewText(int id) const {
        QWidget* w = view_.Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            return edit->text();
        }
        return static_cast<QPlainTextEdit*>(w)->toPlainText();
    }

    // A lock taken by another connection, so the command's write fails inside its transaction.
    void Lock() {
        locker_.Open(path_);
        locker_.CreateStatement().Execute("BEGIN IMMEDIATE");
    }
    void ExpectLockFailure(const MessageRecorder& boxes, const char* caption, QWidget* owner,
                           MessageIcon icon) {
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Last().caption, QString::fromLatin1(caption));
        EXPECT_EQ(boxes.Last().text,
                  QString::fromLatin1(cppsqlite3::SQLException::MessageForCode(kBusy)));
        EXPECT_EQ(boxes.Last().owner, owner);
        EXPECT_EQ(boxes.Last().icon, icon);
    }

    // Types into the sheet the command opens and presses OK: the save meets the lock.
    void ExpectSheetSaveFails(int command, F field, const QString& text) {
        ModalDriver dialogs;
        dialogs.Expect([field, text](QDialog& d) {
            TypeInto(Sheet(d), field, text);
            PressOk(d, Sheet(d).OkButton());
        });
        MessageRecorder boxes;
        boxes.Expect();
        Run(command);
        ExpectLockFailure(boxes, "Error Updating User Information", &view_, MessageIcon::Error);
    }

    TestBook book_;
    std::string path_;
    MainView view_;
    cppsqlite3::Database locker_;
};

}  // namespace

// ---- Persons

TEST_F(RecordCommandsTest, TypedPersonIsStoredAndShownUnchanged) {
    view_.Reload();
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        PersonSheet& sheet = Sheet(d);
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Add Address Entry"));
        EXPECT_FALSE(sheet.OkButton()->isEnabled());
        TypeInto(sheet, PersonRecord::FName, QStringLiteral("Sean"));
        TypeInto(sheet, PersonRecord::LName, QStringLiteral("O'Brien"));
        TypeInto(sheet, PersonRecord::Company, QStringLiteral("\"Big\" Co"));
        TypeInto(sheet, PersonRecord::Addr, QStringLiteral("1 Main St"));
        QTest::keyClick(sheet.Field(PersonRecord::Addr), Qt::Key_Return);
        QTest::keyClicks(sheet.Field(PersonRecord::Addr), QStringLiteral("Apt 'B'"));
        TypeInto(sheet, PersonRecord::HmPhone, QStringLiteral("555-abc#1"));
        TypeInto(sheet, PersonRecord::WkPhone, QStringLiteral("555-1234"));
        TypeInto(sheet, PersonRecord::WkExt, QStringLiteral("12b"));
        TypeInto(sheet, PersonRecord::Email, QStringLiteral("sean.obrien@example.com"));
        PressOk(sheet, sheet.OkButton());
    });
    Run(cmd::kAddPerson);

    EXPECT_EQ(Query("SELECT LName FROM Person"), "O'Brien");
    EXPECT_EQ(Query("SELECT Company FROM Person"), "\"Big\" Co");
    EXPECT_EQ(Query("SELECT Addr FROM Person"), "1 Main St\r\nApt 'B'");
    // Typed signs are dropped; letters stay as typed while their digits are not taken.
    EXPECT_EQ(Query("SELECT HmPhone FROM Person"), "555-abc1");
    EXPECT_EQ(Query("SELECT WkExt FROM Person"), "12b");
    EXPECT_EQ(Query("SELECT Email FROM Person"), "sean.obrien@example.com");
    EXPECT_NE(Stamp(), kOldStamp);
    // Listed at once, selected and shown.
    EXPECT_EQ(ListedNames(), std::vector<std::string>({"O'Brien, Sean"}));
    EXPECT_EQ(view_.SelectedPersonRow(), 0);
    EXPECT_EQ(ViewText(1031), QStringLiteral("O'Brien"));
    EXPECT_EQ(ViewText(1023), QStringLiteral("\"Big\" Co"));
    EXPECT_EQ(ViewText(1026), QStringLiteral("1 Main St\nApt 'B'"));
}

TEST_F(RecordCommandsTest, PersonWithOnlyCompanyIsListedUnderIt) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    view_.Reload();
    SelectPerson(0);
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        TypeInto(Sheet(d), PersonRecord::Company, QStringLiteral("Zeta Corp"));
        PressOk(d, Sheet(d).OkButton());
    });
    Run(cmd::kAddPerson);
    // Without a name it is listed under its company, after "Adams".
    EXPECT_EQ(ListedNames(), std::vector<std::string>({"Adams, Ann", "Zeta Corp"}));
    // The new person is the current one, wherever the order puts it.
    EXPECT_EQ(view_.SelectedPersonRow(), 1);
    EXPECT_NE(view_.CurrentPersonId(), a);
    EXPECT_EQ(ViewText(1023), QStringLiteral("Zeta Corp"));
    EXPECT_TRUE(view_.ContactRows().Rows().empty());
}

TEST_F(RecordCommandsTest, EditShowsStoredValuesAndKeepsLongStateAsTyped) {
    PersonRecord p;
    p[PersonRecord::FName] = "Ann";
    p[PersonRecord::LName] = "Adams";
    p[PersonRecord::Addr] = "Line 1\r\nLine 2";
    p[PersonRecord::Pager] = "555-0000";
    const RecordId a = TestBook::AddPerson(path_, p);
    TestBook::AddPerson(path_, "Bob", "Brown");
    view_.Reload();
    SelectPerson(0);
    int warnings = -1;
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& d) {
        PersonSheet& sheet = Sheet(d);
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Edit Address Entry"));
        EXPECT_TRUE(sheet.OkButton()->isEnabled());
        EXPECT_EQ(ShownText(sheet, PersonRecord::FName), QStringLiteral("Ann"));
        EXPECT_EQ(ShownText(sheet, PersonRecord::Addr), QStringLiteral("Line 1\nLine 2"));
        EXPECT_EQ(ShownText(sheet, PersonRecord::Pager), QStringLiteral("555-0000"));
        TypeInto(sheet, PersonRecord::State, QStringLiteral("ABCDEF"));
        sheet.Tabs()->setCurrentIndex(PersonSheet::General);
        warnings = sheet.LengthWarnings();
        PressOk(sheet, sheet.OkButton());
    });
    Run(cmd::kEditPerson);
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(Query("SELECT State FROM Person WHERE FName = 'Ann'"), "ABCDEF");
    EXPECT_EQ(Query("SELECT Addr FROM Person WHERE FName = 'Ann'"), "Line 1\r\nLine 2");
    EXPECT_EQ(Query("SELECT Pager FROM Person WHERE FName = 'Ann'"), "555-0000");
    EXPECT_NE(Stamp(), kOldStamp);
    EXPECT_EQ(view_.CurrentPersonId(), a);
    EXPECT_EQ(ViewText(1030), QStringLiteral("ABCDEF"));
}

TEST_F(RecordCommandsTest, EditRenamingMovesThePersonAndKeepsItSelected) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId b = TestBook::AddPerson(path_, "Bob", "Brown");
    view_.Reload();
    SelectPerson(1);
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        PersonSheet& sheet = Sheet(d);
        QLineEdit* last = qobject_cast<QLineEdit*>(sheet.Field(PersonRecord::LName));
        last->selectAll();
        QTest::keyClicks(last, QStringLiteral("Aaron"));
        PressOk(sheet, sheet.OkButton());
    });
    Run(cmd::kEditPerson);
    EXPECT_EQ(ListedNames(), std::vector<std::string>({"Aaron, Bob", "Adams, Ann"}));
    EXPECT_EQ(view_.SelectedPersonRow(), 0);
    EXPECT_EQ(view_.CurrentPersonId(), b);
}

TEST_F(RecordCommandsTest, CancelLeavesFileAndStampUnchanged) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "2005-01-01 10:00:00", "call");
    view_.Reload();
    SelectPerson(0);
    SelectContact(0);
    const QByteArray before = FileBytes();
    ModalDriver dialogs;
    for (int command : {cmd::kAddPerson, cmd::kEditPerson, cmd::kAddContact, cmd::kEditContact}) {
        dialogs.Expect([](QDialog& d) {
            // Typed into, then cancelled.
            if (auto* sheet = qobject_cast<PersonSheet*>(&d)) {
                TypeInto(*sheet, PersonRecord::Company, QStringLiteral("changed"));
                QTest::mouseClick(sheet->CancelButton(), Qt::LeftButton);
            } else {
                ContactDialog& contact = Contact(d);
                QTest::keyClicks(contact.DescriptionField(), QStringLiteral("changed"));
                QTest::mouseClick(contact.CancelButton(), Qt::LeftButton);
            }
        });
        Run(command);
        EXPECT_EQ(FileBytes(), before) << command;
        EXPECT_EQ(Stamp(), kOldStamp) << command;
    }
    EXPECT_EQ(dialogs.Captions(), QStringList({"Add Address Entry", "Edit Address Entry",
                                               "Add Contact", "Edit Contact"}));
}

TEST_F(RecordCommandsTest, DeletingMovesSelectionToThePersonBefore) {
    for (const char* last : {"Adams", "Brown", "Clark", "Dunn", "Evans"}) {
        TestBook::AddPerson(path_, "X", last);
    }
    view_.Reload();
    SelectPerson(0);  // the first: the new first follows
    Run(cmd::kDeletePerson);
    EXPECT_EQ(SelectedName(), "Brown, X");
    EXPECT_EQ(view_.SelectedPersonRow(), 0);
    SelectPerson(2);  // a middle one (Dunn): the one before it
    Run(cmd::kDeletePerson);
    EXPECT_EQ(SelectedName(), "Clark, X");
    SelectPerson(2);  // the last (Evans)
    Run(cmd::kDeletePerson);
    EXPECT_EQ(SelectedName(), "Clark, X");
    EXPECT_EQ(ListedNames(), std::vector<std::string>({"Brown, X", "Clark, X"}));
    EXPECT_EQ(ViewText(1031), QStringLiteral("Clark"));
    EXPECT_EQ(Query("SELECT count(*) FROM Person"), "2");
    EXPECT_NE(Stamp(), kOldStamp);
}

TEST_F(RecordCommandsTest, DeletingTheOnlyPersonEmptiesListAndDetails) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "2005-01-01 10:00:00", "one");
    TestBook::AddContact(path_, a, "2005-01-02 10:00:00", "two");
    view_.Reload();
    SelectPerson(0);
    SelectContact(1);
    Run(cmd::kDeletePerson);
    EXPECT_EQ(view_.SelectedPersonRow(), -1);
    EXPECT_TRUE(view_.CurrentPersonId().empty());
    EXPECT_TRUE(view_.PersonRows().Rows().empty());
    EXPECT_TRUE(view_.ContactRows().Rows().empty());
    EXPECT_EQ(ViewText(1028), QString());
    EXPECT_EQ(Query("SELECT count(*) FROM Contact"), "0");
    EXPECT_FALSE(book::IsAvailable(cmd::kDeletePerson, view_.State()));
}

TEST_F(RecordCommandsTest, DeleteWithoutSelectedPersonDoesNothing) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    view_.Reload();
    view_.SetSelection(-1, RecordId(), -1, RecordId());
    Run(cmd::kDeletePerson);
    EXPECT_EQ(Query("SELECT count(*) FROM Person"), "1");
    EXPECT_EQ(Stamp(), kOldStamp);
}

TEST_F(RecordCommandsTest, LockedFileFailsPersonCommandsWithTheirCaptions) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    view_.Reload();
    SelectPerson(0);
    const QByteArray before = FileBytes();
    Lock();
    ExpectSheetSaveFails(cmd::kAddPerson, PersonRecord::FName, QStringLiteral("Bob"));
    ExpectSheetSaveFails(cmd::kEditPerson, PersonRecord::Company, QStringLiteral("Acme"));
    {
        MessageRecorder boxes;
        boxes.Expect();
        Run(cmd::kDeletePerson);
        ExpectLockFailure(boxes, "Error Deleting Person", nullptr, MessageIcon::None);
        EXPECT_EQ(view_.SelectedPersonRow(), 0);  // not moved
        EXPECT_EQ(view_.CurrentPersonId(), a);
    }
    locker_.Close();
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(Stamp(), kOldStamp);
    EXPECT_EQ(ListedNames(), std::vector<std::string>({"Adams, Ann"}));
}

TEST_F(RecordCommandsTest, FocusGoesBackAfterTheCommand) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    view_.show();
    view_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view_));
    view_.Reload();
    SelectPerson(0);
    view_.ContactList()->setFocus();
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        TypeInto(Sheet(d), PersonRecord::Title, QStringLiteral("Dr."));
        PressOk(d, Sheet(d).OkButton());
    });
    Run(cmd::kEditPerson);
    EXPECT_EQ(Query("SELECT Title FROM Person"), "Dr.");
    // The reload put the focus into the person list; the command gives it back.
    EXPECT_EQ(view_.focusWidget(), view_.ContactList());
}

// ---- Contacts

TEST_F(RecordCommandsTest, TypedContactIsStoredForThePersonAndSelected) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId old = TestBook::AddContact(path_, a, "2001-01-01 08:00:00", "older");
    view_.Reload();
    SelectPerson(0);
    SelectContact(0);
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        ContactDialog& dialog = Contact(d);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Add Contact"));
        EXPECT_EQ(dialog.DatePicker()->date(), QDate::currentDate());
        EXPECT_EQ(dialog.TypeList()->currentText(), QStringLiteral("Correspondence"));
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        dialog.DatePicker()->setDate(QDate(2006, 5, 4));
        dialog.TimePicker()->setTime(QTime(13, 14, 15));
        dialog.TypeList()->setCurrentIndex(dialog.TypeList()->findText(QStringLiteral("Email")));
        QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("Sent O'Brien's \"plan\""));
        QTest::keyClick(dialog.DescriptionField(), Qt::Key_Return);
        QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("and the price"));
        PressOk(dialog, dialog.OkButton());
    });
    Run(cmd::kAddContact);
    const std::string where = " FROM Contact WHERE Description LIKE 'Sent%'";
    EXPECT_EQ(Query("SELECT Description" + where), "Sent O'Brien's \"plan\"\r\nand the price");
    EXPECT_EQ(Query("SELECT DtTm" + where), "2006-05-04 13:14:15");
    EXPECT_EQ(Query("SELECT ContactTypeID" + where), kEmailId);
    EXPECT_EQ(Query("SELECT PersonID" + where), a);
    EXPECT_NE(Query("SELECT TmStamp" + where), "");
    EXPECT_NE(Stamp(), kOldStamp);
    ASSERT_EQ(view_.ContactRows().Rows().size(), 2u);
    EXPECT_NE(view_.CurrentContactId(), old);
    EXPECT_EQ(view_.SelectedContactRow(), 0);  // newest first
    EXPECT_EQ(view_.CurrentContactId(), Query("SELECT ID" + where));
    EXPECT_EQ(ViewText(1165), QStringLiteral("Sent O'Brien's \"plan\"\nand the price"));
}

TEST_F(RecordCommandsTest, EditingOnlyTheTimeKeepsDateAndSelection) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId c = TestBook::AddContact(path_, a, "2003-03-03 09:00:00", "first\r\nsecond");
    TestBook::Execute(path_, "UPDATE Contact SET TmStamp = 'kept'");
    view_.Reload();
    SelectPerson(0);
    SelectContact(0);
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        ContactDialog& dialog = Contact(d);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit Contact"));
        EXPECT_EQ(dialog.DatePicker()->date(), QDate(2003, 3, 3));
        EXPECT_EQ(dialog.TimePicker()->time(), QTime(9, 0, 0));
        EXPECT_EQ(dialog.TypeList()->currentText(), QStringLiteral("Telephone"));
        EXPECT_EQ(dialog.DescriptionField()->toPlainText(), QStringLiteral("first\nsecond"));
        dialog.TimePicker()->setTime(QTime(17, 30, 0));
        PressOk(dialog, dialog.OkButton());
    });
    Run(cmd::kEditContact);
    EXPECT_EQ(Query("SELECT DtTm FROM Contact"), "2003-03-03 17:30:00");
    EXPECT_EQ(Query("SELECT Description FROM Contact"), "first\r\nsecond");
    EXPECT_EQ(Query("SELECT TmStamp FROM Contact"), "kept");
    EXPECT_NE(Stamp(), kOldStamp);
    EXPECT_EQ(view_.CurrentContactId(), c);
}

TEST_F(RecordCommandsTest, ChangingTheTypeMovesTheContactInTypeOrder) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId c = TestBook::AddContact(path_, a, "2003-03-03 09:00:00", "call");
    TestBook::AddContact(path_, a, "2003-03-04 09:00:00", "letter",
                         "787CA2CE-1099-4127-8AED83ECA59B");
    view_.Reload();
    SelectPerson(0);
    QTreeView* list = view_.ContactList();
    QHeaderView* header = list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    SelectContact(1);  // Telephone after Correspondence
    ASSERT_EQ(view_.CurrentContactId(), c);
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        ContactDialog& dialog = Contact(d);
        dialog.TypeList()->setCurrentIndex(dialog.TypeList()->findText(QStringLiteral("Email")));
        PressOk(dialog, dialog.OkButton());
    });
    Run(cmd::kEditContact);
    EXPECT_EQ(view_.SelectedContactRow(), 1);  // Correspondence, Email
    EXPECT_EQ(view_.CurrentContactId(), c);
    EXPECT_EQ(Query("SELECT ContactTypeID FROM Contact WHERE Description = 'call'"), kEmailId);
}

TEST_F(RecordCommandsTest, DeletingMovesSelectionToTheContactBefore) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    // Listed newest first: e, d, c, b, a.
    for (const char* day : {"01", "02", "03", "04", "05"}) {
        TestBook::AddContact(path_, a, std::string("2005-01-") + day + " 10:00:00",
                             std::string(1, char('a' + std::stoi(day) - 1)));
    }
    view_.Reload();
    SelectPerson(0);
    SelectContact(0);
    Run(cmd::kDeleteContact);  // the first: the new first
    EXPECT_EQ(SelectedNotes(), "d");
    SelectContact(2);  // a middle one (b): the one before it
    Run(cmd::kDeleteContact);
    EXPECT_EQ(SelectedNotes(), "c");
    SelectContact(2);  // the last (a)
    Run(cmd::kDeleteContact);
    EXPECT_EQ(SelectedNotes(), "c");
    EXPECT_EQ(view_.ContactRows().Rows().size(), 2u);
    EXPECT_EQ(ViewText(1165), QStringLiteral("c"));
    EXPECT_EQ(view_.CurrentPersonId(), a);
    EXPECT_NE(Stamp(), kOldStamp);
}

TEST_F(RecordCommandsTest, DeletingTheOnlyContactEmptiesItsDetails) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "1999-01-01 10:00:00", "only");
    view_.Reload();
    SelectPerson(0);
    SelectContact(0);
    Run(cmd::kDeleteContact);
    EXPECT_EQ(view_.SelectedContactRow(), -1);
    EXPECT_TRUE(view_.CurrentContactId().empty());
    EXPECT_TRUE(view_.ContactRows().Rows().empty());
    EXPECT_EQ(ViewText(1165), QString());
    EXPECT_EQ(ViewText(1161), QString());
    EXPECT_EQ(ViewText(1162), QString());
    EXPECT_EQ(Query("SELECT count(*) FROM Contact"), "0");
}

TEST_F(RecordCommandsTest, WithoutContactTypesTheContactCannotBeStored) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::Execute(path_, "DELETE FROM ContactType");
    ResetStamp();
    view_.Reload();
    SelectPerson(0);
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        ContactDialog& dialog = Contact(d);
        QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("Called"));
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        EXPECT_TRUE(dialog.NoTypesLine()->isVisible());
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
    });
    Run(cmd::kAddContact);
    EXPECT_EQ(Query("SELECT count(*) FROM Contact"), "0");
    EXPECT_EQ(Stamp(), kOldStamp);
}

TEST_F(RecordCommandsTest, TypeLoadFailureIsShownOverTheDialogThatStillOpens) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    view_.Reload();
    SelectPerson(0);
    TestBook::Execute(path_, "DROP TABLE ContactType");
    MessageRecorder boxes;
    boxes.Expect();
    ModalDriver dialogs;
    dialogs.Expect([&boxes](QDialog& d) {
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Last().owner, &d);
        EXPECT_EQ(Contact(d).TypeList()->count(), 0);
    });
    Run(cmd::kAddContact);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Loading Contact Types"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.Captions(), QStringList({QStringLiteral("Add Contact")}));
}

TEST_F(RecordCommandsTest, ContactLoadFailureEndsEditWithoutDialog) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "1999-01-01 10:00:00", "only");
    view_.Reload();
    SelectPerson(0);
    SelectContact(0);
    TestBook::Execute(path_, "ALTER TABLE Contact RENAME TO Gone");
    MessageRecorder boxes;
    boxes.Expect();
    Run(cmd::kEditContact);
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Loading Contact"));
    EXPECT_EQ(boxes.Last().owner, &view_);
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
}

TEST_F(RecordCommandsTest, LockedFileFailsContactCommandsWithTheirCaptions) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId c = TestBook::AddContact(path_, a, "1999-01-01 10:00:00", "only");
    view_.Reload();
    SelectPerson(0);
    SelectContact(0);
    const QByteArray before = FileBytes();
    Lock();
    for (auto [command, caption] : {std::pair{cmd::kAddContact, "Error Creating Contact"},
                                    std::pair{cmd::kEditContact, "Error Changing Contact"}}) {
        ModalDriver dialogs;
        dialogs.Expect([](QDialog& d) {
            QTest::keyClicks(Contact(d).DescriptionField(), QStringLiteral(" more"));
            PressOk(d, Contact(d).OkButton());
        });
        MessageRecorder boxes;
        boxes.Expect();
        Run(command);
        ExpectLockFailure(boxes, caption, &view_, MessageIcon::Error);
    }
    {
        MessageRecorder boxes;
        boxes.Expect();
        Run(cmd::kDeleteContact);
        ExpectLockFailure(boxes, "Error Deleting Contact", nullptr, MessageIcon::None);
        EXPECT_EQ(view_.SelectedContactRow(), 0);
        EXPECT_EQ(view_.CurrentContactId(), c);
    }
    locker_.Close();
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(Stamp(), kOldStamp);
}

// ---- The user

TEST_F(RecordCommandsTest, FirstEditUserMakesTheRowAndCancelKeepsItUnstamped) {
    view_.Reload();
    ASSERT_EQ(Query("SELECT count(*) FROM User"), "0");
    std::vector<help::HelpRequest> requests;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { requests.push_back(r); });
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        PersonSheet& sheet = Sheet(d);
        EXPECT_FALSE(sheet.OkButton()->isEnabled());
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            EXPECT_EQ(ShownText(sheet, static_cast<F>(f)), QString()) << f;
        }
        QTest::mouseClick(sheet.HelpButton(), Qt::LeftButton);
        QTest::mouseClick(sheet.CancelButton(), Qt::LeftButton);
    });
    Run(cmd::kEditUser);
    EXPECT_EQ(dialogs.Captions(), QStringList({"Edit User"}));
    EXPECT_EQ(Query("SELECT count(*) FROM User"), "1");
    EXPECT_NE(Query("SELECT TmStamp FROM User"), "");
    EXPECT_EQ(Stamp(), kOldStamp);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].reference, help::TopicReference(QString::fromLatin1(help::kUserTopic)));
}

TEST_F(RecordCommandsTest, UserCompanyIsKeptAndPagerIsNot) {
    view_.Reload();
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        PersonSheet& sheet = Sheet(d);
        TypeInto(sheet, PersonRecord::Company, QStringLiteral("O'Neil & Sons"));
        TypeInto(sheet, PersonRecord::CelPhone, QStringLiteral("555-1111"));
        PressOk(sheet, sheet.OkButton());
    });
    QString pagerShown = QStringLiteral("<not opened>");
    QString companyShown;
    bool pagerEnabled = true;
    dialogs.Expect([&](QDialog& d) {
        pagerShown = ShownText(Sheet(d), PersonRecord::Pager);
        pagerEnabled = Sheet(d).Field(PersonRecord::Pager)->isEnabled();
        companyShown = ShownText(Sheet(d), PersonRecord::Company);
    });
    Run(cmd::kEditUser);
    EXPECT_EQ(Query("SELECT Company FROM User"), "O'Neil & Sons");
    EXPECT_EQ(Query("SELECT CelPhone FROM User"), "555-1111");
    EXPECT_NE(Stamp(), kOldStamp);
    Run(cmd::kEditUser);
    EXPECT_EQ(pagerShown, QString());
    EXPECT_FALSE(pagerEnabled);
    EXPECT_EQ(companyShown, QStringLiteral("O'Neil & Sons"));
    EXPECT_EQ(Query("SELECT count(*) FROM User"), "1");
}

TEST_F(RecordCommandsTest, UserLoadFailureShowsItsCaptionAndNoSheet) {
    TestBook::Execute(path_, "DROP TABLE User");
    MessageRecorder boxes;
    boxes.Expect();
    Run(cmd::kEditUser);
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Loading User Information"));
    EXPECT_EQ(boxes.Last().owner, nullptr);
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    PersonRecord user;
    MessageRecorder again;
    again.Expect();
    EXPECT_FALSE(record_commands::LoadUserInformation(path_, user));
}

TEST_F(RecordCommandsTest, LockedFileFailsEditUserAndKeepsTheRecord) {
    PersonRecord user;
    ASSERT_TRUE(record_commands::LoadUserInformation(path_, user));
    ResetStamp();
    const QByteArray before = FileBytes();
    Lock();
    ExpectSheetSaveFails(cmd::kEditUser, PersonRecord::LName, QStringLiteral("Me"));
    locker_.Close();
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(Query("SELECT LName FROM User"), "");
}
