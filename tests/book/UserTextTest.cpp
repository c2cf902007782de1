// What the user keeps in a file comes back as it went in: text of other encodings, long texts,
// NUL bytes and unreadable dates survive the editors, and a failed save loses nothing typed.
#include <gtest/gtest.h>

#include <string>

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "CommandAvailability.h"
#include "CommandKeys.h"
#include "Commands.h"
#include "ContactDialog.h"
#include "Database.h"
#include "EditorDriving.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "PersonSheet.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

using F = PersonRecord::Field;
using platform::MessageIcon;

class UserTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        view_.OnPathChanged(path_);
        // The keys run their commands as the main window has them do.
        CommandKeys::Install(view_, [this](int command) { book::RunViewCommand(view_, command); });
    }

    std::string Query(const std::string& sql) const { return TestBook::QueryText(path_, sql); }
    void Run(int command) { EXPECT_TRUE(book::RunViewCommand(view_, command)) << command; }

    void SelectFirst(QTreeView* list) {
        const QRect r = list->visualRect(list->model()->index(0, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    void ShowFirstPerson() {
        view_.Reload();
        SelectFirst(view_.PersonList());
        ASSERT_EQ(view_.SelectedPersonRow(), 0);
    }
    // Opens the person's sheet, lets the action work it and presses OK.
    void EditPerson(const std::function<void(PersonSheet&)>& action) {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            action(Sheet(d));
            PressOk(d, Sheet(d).OkButton());
        });
        Run(cmd::kEditPerson);
    }
    // A lock by another program that lets nobody read or write.
    void LockExclusive() {
        locker_.Open(path_);
        locker_.CreateStatement().Execute("BEGIN EXCLUSIVE");
    }

    TestBook book_;
    std::string path_;
    MainView view_;
    cppsqlite3::Database locker_;
};

// "Jürgen Müller" of "Café Grün", as a Windows program wrote them.
const std::string kFirst1252 = "J\xFCrgen";
const std::string kLast1252 = "M\xFCller";
const std::string kCompany1252 = "Caf\xE9 Gr\xFCn \x80";

RecordId AddWindowsPerson(const std::string& path) {
    return TestBook::AddPerson(path, kFirst1252, kLast1252, kCompany1252);
}

TEST_F(UserTextTest, WindowsTextIsShownInItsLettersInListDetailsAndSheet) {
    AddWindowsPerson(path_);
    ShowFirstPerson();
    QAbstractItemModel* model = view_.PersonList()->model();
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), QStringLiteral("Müller, Jürgen"));
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("Café Grün €"));
    EXPECT_EQ(static_cast<QLineEdit*>(view_.Control(1028))->text(), QStringLiteral("Jürgen"));
    EXPECT_EQ(static_cast<QLineEdit*>(view_.Control(1023))->text(), QStringLiteral("Café Grün €"));
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        EXPECT_EQ(ShownText(Sheet(d), PersonRecord::LName), QStringLiteral("Müller"));
        EXPECT_EQ(ShownText(Sheet(d), PersonRecord::Company), QStringLiteral("Café Grün €"));
    });
    Run(cmd::kEditPerson);
}

TEST_F(UserTextTest, WindowsTextKeepsItsBytesUnlessChanged) {
    AddWindowsPerson(path_);
    ShowFirstPerson();
    // OK with no change at all, every page seen.
    EditPerson([](PersonSheet& sheet) {
        Reveal(sheet, PersonRecord::Addr);
        Reveal(sheet, PersonRecord::WkFax);
    });
    EXPECT_EQ(Query("SELECT FName FROM Person"), kFirst1252);
    EXPECT_EQ(Query("SELECT LName FROM Person"), kLast1252);
    EXPECT_EQ(Query("SELECT Company FROM Person"), kCompany1252);
    // Another field changed: these stay as they were.
    EditPerson([](PersonSheet& sheet) { TypeInto(sheet, PersonRecord::Title, "Dr."); });
    EXPECT_EQ(Query("SELECT Title FROM Person"), "Dr.");
    EXPECT_EQ(Query("SELECT LName FROM Person"), kLast1252);
    EXPECT_EQ(Query("SELECT Company FROM Person"), kCompany1252);
    // The field itself changed: stored as UTF-8.
    EditPerson([](PersonSheet& sheet) {
        static_cast<QLineEdit*>(Reveal(sheet, PersonRecord::LName))->end(false);
        TypeInto(sheet, PersonRecord::LName, "s");
    });
    EXPECT_EQ(Query("SELECT LName FROM Person"), "M\xC3\xBCllers");
    EXPECT_EQ(Query("SELECT FName FROM Person"), kFirst1252);
}

TEST_F(UserTextTest, WindowsNotesKeepTheirBytesUnlessChanged) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "2005-03-01 09:05:00",
                         "Gr\xFC\xDF"
                         "e\r\nTsch\xFC\xDF");
    ShowFirstPerson();
    SelectFirst(view_.ContactList());
    EXPECT_EQ(static_cast<QPlainTextEdit*>(view_.Control(1165))->toPlainText(),
              QStringLiteral("Grüße\nTschüß"));
    auto editContact = [this](const std::function<void(ContactDialog&)>& action) {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            action(Contact(d));
            PressOk(d, Contact(d).OkButton());
        });
        Run(cmd::kEditContact);
    };
    editContact([](ContactDialog& dialog) { dialog.TypeList()->setCurrentIndex(1); });
    EXPECT_EQ(Query("SELECT Description FROM Contact"),
              "Gr\xFC\xDF"
              "e\r\nTsch\xFC\xDF");
    editContact([](ContactDialog& dialog) {
        QTest::keyClick(dialog.DescriptionField(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("!"));
    });
    EXPECT_EQ(Query("SELECT Description FROM Contact"),
              "Gr\xC3\xBC\xC3\x9F"
              "e\r\nTsch\xC3\xBC\xC3\x9F!");
}

TEST_F(UserTextTest, LongTextsAreNeitherShownNorStoredCut) {
    PersonRecord p;
    p[PersonRecord::LName] = "Long";
    p[PersonRecord::Company] = std::string(100000, 'c') + "END";
    p[PersonRecord::WebPage] = std::string(40000, 'w');
    TestBook::AddPerson(path_, p);
    ShowFirstPerson();
    EXPECT_EQ(static_cast<QLineEdit*>(view_.Control(1023))->text().size(), 100003);
    EditPerson([](PersonSheet& sheet) {
        EXPECT_EQ(ShownText(sheet, PersonRecord::Company).size(), 100003);
        EXPECT_EQ(ShownText(sheet, PersonRecord::WebPage).size(), 40000);
        TypeInto(sheet, PersonRecord::Title, "Ms");
    });
    EXPECT_EQ(Query("SELECT Title FROM Person"), "Ms");
    EXPECT_EQ(Query("SELECT Company FROM Person"), p[PersonRecord::Company]);
    EXPECT_EQ(Query("SELECT WebPage FROM Person"), p[PersonRecord::WebPage]);
    // Typing on at the end of a long field goes on too.
    EditPerson([](PersonSheet& sheet) {
        auto* company = static_cast<QLineEdit*>(Reveal(sheet, PersonRecord::Company));
        company->end(false);
        QTest::keyClicks(company, QStringLiteral("!"));
    });
    EXPECT_EQ(Query("SELECT Company FROM Person"), p[PersonRecord::Company] + "!");
}

TEST_F(UserTextTest, APersonThatCannotBeReadOpensNoSheet) {
    AddWindowsPerson(path_);
    ShowFirstPerson();
    LockExclusive();
    MessageRecorder boxes;
    boxes.Expect();
    {
        // No dialog may come up: the driver fails the test if one does.
        ModalDriver dialogs;
        Run(cmd::kEditPerson);
    }
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Loading Person"));
    EXPECT_EQ(boxes.Last().text, QStringLiteral("The database file is locked"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    EXPECT_EQ(boxes.Last().owner, &view_);
    locker_.Close();
    EXPECT_EQ(Query("SELECT Company FROM Person"), kCompany1252);
}

TEST_F(UserTextTest, NulBytesSurviveAnEditOfAnotherField) {
    const std::string first("A\0B", 3);
    TestBook::AddPerson(path_, first, "Nul");
    ShowFirstPerson();
    EditPerson([](PersonSheet& sheet) { TypeInto(sheet, PersonRecord::Title, "Mx"); });
    EXPECT_EQ(Query("SELECT Title FROM Person"), "Mx");
    EXPECT_EQ(Query("SELECT FName FROM Person"), first);
    EXPECT_EQ(Query("SELECT length(CAST(FName AS BLOB)) FROM Person"), "3");
}

TEST_F(UserTextTest, AnUnreadableDateIsKeptThroughANoteEdit) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "sometime in spring", "old note");
    ShowFirstPerson();
    SelectFirst(view_.ContactList());
    ModalDriver dialogs;
    dialogs.Expect([](QDialog& d) {
        QTest::keyClick(Contact(d).DescriptionField(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(Contact(d).DescriptionField(), QStringLiteral(" and more"));
        PressOk(d, Contact(d).OkButton());
    });
    Run(cmd::kEditContact);
    EXPECT_EQ(Query("SELECT DtTm FROM Contact"), "sometime in spring");
    EXPECT_EQ(Query("SELECT Description FROM Contact"), "old note and more");
    // Once the user sets a date, it is stored as one.
    dialogs.Expect([](QDialog& d) {
        Contact(d).DatePicker()->setDate(QDate(2004, 2, 29));
        PressOk(d, Contact(d).OkButton());
    });
    Run(cmd::kEditContact);
    EXPECT_EQ(Query("SELECT substr(DtTm, 1, 10) FROM Contact"), "2004-02-29");
}

TEST_F(UserTextTest, AFailedSaveKeepsTheSheetOpenWithWhatWasTyped) {
    AddWindowsPerson(path_);
    ShowFirstPerson();
    locker_.Open(path_);
    locker_.CreateStatement().Execute("BEGIN IMMEDIATE");
    MessageRecorder boxes;
    boxes.Expect();
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& d) {
        PersonSheet& sheet = Sheet(d);
        TypeInto(sheet, PersonRecord::Title, "Prof.");
        TypeInto(sheet, PersonRecord::City, "Bonn");
        PressOk(d, sheet.OkButton());
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Updating User Information"));
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(ShownText(sheet, PersonRecord::Title), QStringLiteral("Prof."));
        EXPECT_EQ(ShownText(sheet, PersonRecord::City), QStringLiteral("Bonn"));
        EXPECT_EQ(Query("SELECT Title FROM Person"), "");
        // The lock goes; the same OK now stores everything typed.
        locker_.Close();
        PressOk(d, sheet.OkButton());
        EXPECT_FALSE(d.isVisible());
    });
    Run(cmd::kEditPerson);
    EXPECT_EQ(Query("SELECT Title FROM Person"), "Prof.");
    EXPECT_EQ(Query("SELECT City FROM Person"), "Bonn");
    EXPECT_EQ(Query("SELECT LName FROM Person"), kLast1252);
    EXPECT_EQ(static_cast<QLineEdit*>(view_.Control(1029))->text(), QStringLiteral("Bonn"));
}

TEST_F(UserTextTest, AFailedContactSaveKeepsTheDialogOpen) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    ShowFirstPerson();
    locker_.Open(path_);
    locker_.CreateStatement().Execute("BEGIN IMMEDIATE");
    MessageRecorder boxes;
    boxes.Expect();
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& d) {
        QTest::keyClicks(Contact(d).DescriptionField(), QStringLiteral("Called back"));
        PressOk(d, Contact(d).OkButton());
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(Contact(d).DescriptionField()->toPlainText(), QStringLiteral("Called back"));
        EXPECT_GT(Contact(d).TypeList()->count(), 0);
        locker_.Close();
        PressOk(d, Contact(d).OkButton());
        EXPECT_FALSE(d.isVisible());
    });
    Run(cmd::kAddContact);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Creating Contact"));
    EXPECT_EQ(Query("SELECT count(*) FROM Contact"), "1");
    EXPECT_EQ(Query("SELECT Description FROM Contact"), "Called back");
}

TEST_F(UserTextTest, AFileDeletedWhileOpenIsNotMadeAgain) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "Bob", "Brown");
    ShowFirstPerson();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(path_)));
    MessageRecorder boxes;
    boxes.Expect();
    view_.Reload();
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Loading Address Book"));
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("The file %1 no longer exists.").arg(QString::fromStdString(path_)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path_)));
}

}  // namespace
