#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "CommandKeys.h"
#include "Commands.h"
#include "ContactDialog.h"
#include "ContactTypesDialog.h"
#include "EditorDriving.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "PersonSheet.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;
using F = PersonRecord::Field;

constexpr char kOldStamp[] = "2000-01-01 00:00:00";

// An editor open on a record while a second connection, the other program, writes it.
class UnseenChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        ann_ = TestBook::AddPerson(path_, "Ann", "Adams");
        call_ = TestBook::AddContact(path_, ann_, "2003-03-03 09:00:00", "first call");
        TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
        view_.OnPathChanged(path_);
        view_.Reload();
        CommandKeys::Install(view_, [this](int command) { book::RunViewCommand(view_, command); });
        SelectRow(view_.PersonList(), 0);
        SelectRow(view_.ContactList(), 0);
    }

    static void SelectRow(QTreeView* list, int row) {
        const QRect r = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    // Types over what the field shows.
    static void Retype(PersonSheet& sheet, F field, const QString& text) {
        static_cast<QLineEdit*>(Reveal(sheet, field))->clear();
        TypeInto(sheet, field, text);
    }
    std::string Query(const std::string& sql) const { return TestBook::QueryText(path_, sql); }
    void Other(const std::string& sql) const { TestBook::Execute(path_, sql); }
    void Run(int command) { EXPECT_TRUE(book::RunViewCommand(view_, command)) << command; }

    // Types over the first name, lets the other program write, presses OK; then `after` sees
    // the sheet as OK left it.
    void EditPersonMeanwhile(const std::string& otherSql,
                             const std::function<void(PersonSheet&)>& after) {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            PersonSheet& sheet = Sheet(d);
            Retype(sheet, F::FName, QStringLiteral("Typed"));
            if (!otherSql.empty()) {
                Other(otherSql);
            }
            PressOk(sheet, sheet.OkButton());
            after(sheet);
        });
        Run(cmd::kEditPerson);
    }
    void EditContactMeanwhile(const std::string& otherSql,
                              const std::function<void(ContactDialog&)>& after) {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            ContactDialog& dialog = Contact(d);
            dialog.DescriptionField()->setPlainText(QStringLiteral("typed note"));
            if (!otherSql.empty()) {
                Other(otherSql);
            }
            PressOk(dialog, dialog.OkButton());
            after(dialog);
        });
        Run(cmd::kEditContact);
    }

    TestBook book_;
    std::string path_;
    RecordId ann_;
    RecordId call_;
    MainView view_;
};

constexpr char kOtherPersonChange[] =
    "UPDATE Person SET FName = 'Other', City = 'Elsewhere', TmStamp = '2020-02-02 02:02:02'";
constexpr char kOtherContactChange[] = "UPDATE Contact SET Description = 'other note'";

}  // namespace

TEST_F(UnseenChangesTest, UnchangedRecordsStoreWithoutAQuestion) {
    MessageRecorder boxes;  // any box fails the test
    bool closed = false;
    EditPersonMeanwhile("", [&](PersonSheet& sheet) { closed = !sheet.isVisible(); });
    EXPECT_TRUE(closed);
    EXPECT_EQ(Query("SELECT FName FROM Person"), "Typed");
    // A touch of another row or of the stamp is no change of this record.
    SelectRow(view_.ContactList(), 0);
    Other("UPDATE Globals SET S = 'touched'");
    EditContactMeanwhile("", [&](ContactDialog& dialog) { closed = !dialog.isVisible(); });
    EXPECT_TRUE(closed);
    EXPECT_EQ(Query("SELECT Description FROM Contact"), "typed note");
    EXPECT_TRUE(boxes.Calls().empty());
}

TEST_F(UnseenChangesTest, PersonChangedElsewhereIsOverwrittenOnlyWhenAsked) {
    MessageRecorder boxes;
    boxes.Expect(MessageResult::FirstChoice);
    bool closed = false;
    EditPersonMeanwhile(kOtherPersonChange, [&](PersonSheet& sheet) {
        closed = !sheet.isVisible();
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Last().owner, &sheet);
    });
    EXPECT_TRUE(closed);
    const platform::MessageCall& call = boxes.Last();
    EXPECT_EQ(call.text,
              QStringLiteral("This person was changed by another program while you edited it."));
    EXPECT_EQ(call.caption, QStringLiteral("Edit Address Entry"));
    EXPECT_EQ(call.buttons, MessageButtons::Choices);
    EXPECT_EQ(call.choices, QStringList({QStringLiteral("&Overwrite"), QStringLiteral("&Reload")}));
    // Everything as the sheet had it, the other program's city too.
    EXPECT_EQ(Query("SELECT FName FROM Person"), "Typed");
    EXPECT_EQ(Query("SELECT City FROM Person"), "");
    EXPECT_NE(Query("SELECT TmStamp FROM Person"), "2020-02-02 02:02:02");
    EXPECT_NE(Query("SELECT S FROM Globals"), kOldStamp);
}

TEST_F(UnseenChangesTest, PersonReloadShowsStoredValuesAndStoresNothingYet) {
    MessageRecorder boxes;
    boxes.Expect(MessageResult::SecondChoice);
    bool open = false;
    QString first, city;
    std::string storedThen, stampThen;
    EditPersonMeanwhile(kOtherPersonChange, [&](PersonSheet& sheet) {
        open = sheet.isVisible();
        first = ShownText(sheet, F::FName);
        city = ShownText(sheet, F::City);
        storedThen = Query("SELECT FName FROM Person");
        stampThen = Query("SELECT S FROM Globals");
        // The reloaded record is the one loaded now: the next OK asks nothing.
        Retype(sheet, F::LName, QStringLiteral("Again"));
        PressOk(sheet, sheet.OkButton());
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(first, QStringLiteral("Other"));
    EXPECT_EQ(city, QStringLiteral("Elsewhere"));
    EXPECT_EQ(storedThen, "Other");
    EXPECT_EQ(stampThen, kOldStamp);
    EXPECT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(Query("SELECT FName || ' ' || LName || ' ' || City FROM Person"),
              "Other Again Elsewhere");
}

TEST_F(UnseenChangesTest, PersonQuestionCancelKeepsTheSheetAsTyped) {
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Cancel);
    bool open = false;
    QString first;
    EditPersonMeanwhile(kOtherPersonChange, [&](PersonSheet& sheet) {
        open = sheet.isVisible();
        first = ShownText(sheet, F::FName);
    });  // the driver cancels the sheet left open
    EXPECT_TRUE(open);
    EXPECT_EQ(first, QStringLiteral("Typed"));
    EXPECT_EQ(Query("SELECT FName FROM Person"), "Other");
    EXPECT_EQ(Query("SELECT S FROM Globals"), kOldStamp);
}

TEST_F(UnseenChangesTest, PersonDeletedElsewhereIsStoredAgainUnderANewId) {
    const std::string gone = "DELETE FROM Person WHERE ID = '" + ann_ + "'";
    {
        MessageRecorder boxes;
        boxes.Expect(MessageResult::No);
        bool open = false;
        EditPersonMeanwhile(gone, [&](PersonSheet& sheet) { open = sheet.isVisible(); });
        EXPECT_TRUE(open);
        EXPECT_EQ(boxes.Last().text,
                  QStringLiteral("This person was deleted by another program while you edited "
                                 "it. Store it again as a new record?"));
        EXPECT_EQ(boxes.Last().buttons, MessageButtons::YesNo);
        EXPECT_EQ(Query("SELECT count(*) FROM Person"), "0");
    }
    TestBook::AddPerson(path_, "Ann", "Adams");
    view_.Reload();
    SelectRow(view_.PersonList(), 0);
    const RecordId second = view_.CurrentPersonId();
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Yes);
    EditPersonMeanwhile("DELETE FROM Person", [](PersonSheet&) {});
    EXPECT_EQ(Query("SELECT count(*) FROM Person"), "1");
    EXPECT_EQ(Query("SELECT FName || ' ' || LName FROM Person"), "Typed Adams");
    const std::string id = Query("SELECT ID FROM Person");
    EXPECT_NE(id, second);
    EXPECT_EQ(view_.CurrentPersonId(), id);
}

TEST_F(UnseenChangesTest, ContactChangedElsewhereAsksTheThreeWays) {
    {
        MessageRecorder boxes;
        boxes.Expect(MessageResult::Cancel);
        bool open = false;
        QString shown;
        EditContactMeanwhile(kOtherContactChange, [&](ContactDialog& dialog) {
            open = dialog.isVisible();
            shown = dialog.DescriptionField()->toPlainText();
        });
        EXPECT_TRUE(open);
        EXPECT_EQ(shown, QStringLiteral("typed note"));
        EXPECT_EQ(boxes.Last().text, QStringLiteral("This contact was changed by another program "
                                                    "while you edited it."));
        EXPECT_EQ(boxes.Last().caption, QStringLiteral("Edit Contact"));
        EXPECT_EQ(Query("SELECT Description FROM Contact"), "other note");
    }
    {
        MessageRecorder boxes;
        boxes.Expect(MessageResult::SecondChoice);
        bool open = false;
        QString shown;
        std::string storedThen;
        EditContactMeanwhile(
            "UPDATE Contact SET Description = 'second', DtTm = '2004-04-04 10:00:00'",
            [&](ContactDialog& dialog) {
                open = dialog.isVisible();
                shown = dialog.DescriptionField()->toPlainText();
                storedThen = Query("SELECT Description FROM Contact");
                EXPECT_EQ(dialog.DatePicker()->date(), QDate(2004, 4, 4));
                EXPECT_EQ(dialog.TypeList()->currentText(), QStringLiteral("Telephone"));
                PressOk(dialog, dialog.OkButton());
            });
        EXPECT_TRUE(open);
        EXPECT_EQ(shown, QStringLiteral("second"));
        EXPECT_EQ(storedThen, "second");
        EXPECT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(Query("SELECT DtTm FROM Contact"), "2004-04-04 10:00:00");
    }
    MessageRecorder boxes;
    boxes.Expect(MessageResult::FirstChoice);
    EditContactMeanwhile(kOtherContactChange, [](ContactDialog&) {});
    EXPECT_EQ(Query("SELECT Description FROM Contact"), "typed note");
    EXPECT_EQ(Query("SELECT DtTm FROM Contact"), "2004-04-04 10:00:00");
}

TEST_F(UnseenChangesTest, ContactDeletedElsewhereIsStoredAgainUnderANewId) {
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Yes);
    EditContactMeanwhile("DELETE FROM Contact", [](ContactDialog&) {});
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("This contact was deleted by another program while you edited it. "
                             "Store it again as a new record?"));
    EXPECT_EQ(Query("SELECT count(*) FROM Contact"), "1");
    EXPECT_EQ(Query("SELECT Description FROM Contact"), "typed note");
    EXPECT_EQ(Query("SELECT PersonID FROM Contact"), ann_);
    const std::string id = Query("SELECT ID FROM Contact");
    EXPECT_NE(id, call_);
    EXPECT_EQ(view_.CurrentContactId(), id);
}

TEST_F(UnseenChangesTest, UserRecordChangedElsewhereAsksToo) {
    MessageRecorder boxes;
    ModalDriver dialogs;
    // The first load makes the row.
    dialogs.Expect([](QDialog& d) { d.reject(); });
    Run(cmd::kEditUser);
    boxes.Expect(MessageResult::SecondChoice);
    QString shown;
    dialogs.Expect([&](QDialog& d) {
        PersonSheet& sheet = Sheet(d);
        Retype(sheet, F::FName, QStringLiteral("Me"));
        Other("UPDATE User SET FName = 'Them', TmStamp = 'later'");
        PressOk(sheet, sheet.OkButton());
        shown = ShownText(sheet, F::FName);
        Retype(sheet, F::FName, QStringLiteral("Me"));
        PressOk(sheet, sheet.OkButton());
    });
    Run(cmd::kEditUser);
    EXPECT_EQ(shown, QStringLiteral("Them"));
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().text, QStringLiteral("Your own record was changed by another program "
                                                "while you edited it."));
    EXPECT_EQ(Query("SELECT FName FROM User"), "Me");
}

TEST_F(UnseenChangesTest, ContactTypeChangedElsewhereAsksTheThreeWays) {
    constexpr char kEmailId[] = "03F6262A-4362-44A9-B770293650BB";
    const std::string email =
        std::string("SELECT Description FROM ContactType WHERE ID = '") + kEmailId + "'";
    ContactTypesDialog list(nullptr, path_);
    list.show();
    const QList<QTreeWidgetItem*> found = list.List()->findItems("Email", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list.List()->setCurrentItem(found.first());
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Cancel);
    boxes.Expect(MessageResult::SecondChoice);
    boxes.Expect(MessageResult::FirstChoice);
    ModalDriver dialogs;
    QString afterCancel, afterReload;
    std::string storedAfterReload;
    dialogs.Expect([&](QDialog& d) {
        auto& details = static_cast<ContactTypeDialog&>(d);
        const auto typeAndOk = [&details](const QString& text) {
            details.DescriptionField()->clear();
            QTest::keyClicks(details.DescriptionField(), text);
            QTest::mouseClick(details.OkButton(), Qt::LeftButton);
        };
        Other(std::string("UPDATE ContactType SET Description = 'Mail' WHERE ID = '") + kEmailId +
              "'");
        typeAndOk(QStringLiteral("E-mail"));
        afterCancel = details.DescriptionField()->text();
        details.DescriptionField()->setText(QStringLiteral("E-mail"));
        QTest::mouseClick(details.OkButton(), Qt::LeftButton);
        afterReload = details.DescriptionField()->text();
        storedAfterReload = Query(email);
        Other(std::string("UPDATE ContactType SET Description = 'Post' WHERE ID = '") + kEmailId +
              "'");
        typeAndOk(QStringLiteral("E-mail"));
    });
    QTest::mouseClick(list.EditButton(), Qt::LeftButton);
    EXPECT_EQ(afterCancel, QStringLiteral("E-mail"));
    EXPECT_EQ(afterReload, QStringLiteral("Mail"));
    EXPECT_EQ(storedAfterReload, "Mail");
    ASSERT_EQ(boxes.Calls().size(), 3u);
    EXPECT_EQ(boxes.Last().text, QStringLiteral("This contact type was changed by another "
                                                "program while you edited it."));
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Contact Type Details"));
    EXPECT_EQ(Query(email), "E-mail");
}
