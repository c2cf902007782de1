#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>

#include "ContactDialog.h"
#include "HelpViewer.h"
#include "MessageRecorder.h"
#include "RecordEditing.h"
#include "TestBook.h"

namespace {

constexpr char kTelephoneId[] = "9DC618A3-8452-4D33-A70BDB1C91FE";
constexpr char kPersonalId[] = "B672E21B-848D-430C-98240E6DA171";

class ContactDialogTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = book_.Create(); }
    void TearDown() override { help::SetHelpRequestHandler(nullptr); }

    // The dialog over the file's contact types, as the commands give them.
    ContactDialog& Open(bool adding) {
        dialog_ = std::make_unique<ContactDialog>(nullptr, adding);
        std::vector<editing::TypeChoice> types;
        editing::LoadTypeChoices(path_, types);
        dialog_->SetTypes(types);
        return *dialog_;
    }
    static QStringList Entries(const ContactDialog& dialog) {
        QStringList texts;
        for (int i = 0; i < dialog.TypeList()->count(); ++i) {
            texts << dialog.TypeList()->itemText(i);
        }
        return texts;
    }

    TestBook book_;
    std::string path_;
    std::unique_ptr<ContactDialog> dialog_;
};

}  // namespace

TEST_F(ContactDialogTest, NewContactShowsNowFirstTypeAndWaitsForDescription) {
    const DateTime before = FromLocalNow();
    ContactDialog& dialog = Open(true);
    dialog.show();
    const DateTime after = FromLocalNow();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Add Contact"));
    const DateTime shown =
        DateTime::FromDateAndTime(dialog.DatePicker()->date(), dialog.TimePicker()->time());
    EXPECT_GE(shown.Value(), before.Value());
    EXPECT_LE(shown.Value(), after.Value());
    EXPECT_EQ(dialog.TypeList()->currentText(), QStringLiteral("Correspondence"));
    EXPECT_TRUE(dialog.DatePicker()->calendarPopup());
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_FALSE(dialog.NoTypesLine()->isVisible());
    // While OK waits, the empty notes field says why.
    EXPECT_EQ(dialog.DescriptionField()->placeholderText(),
              QStringLiteral("What was it about? Notes are required."));
    QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("x"));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    QTest::keyClick(dialog.DescriptionField(), Qt::Key_Backspace);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_TRUE(dialog.OkButton()->isDefault());
    EXPECT_EQ(dialog.HelpButton()->text(), QStringLiteral("&Help..."));
}

TEST_F(ContactDialogTest, TypeListIsSortedWithoutRegardToCase) {
    TestBook::Execute(path_, "INSERT INTO ContactType VALUES('Z-1', 'email')");
    TestBook::Execute(path_, "INSERT INTO ContactType VALUES('Z-2', 'apple')");
    ContactDialog& dialog = Open(true);
    dialog.Start();
    const QStringList entries = Entries(dialog);
    ASSERT_EQ(entries.size(), 6);
    EXPECT_EQ(entries[0], QStringLiteral("apple"));
    EXPECT_EQ(entries[1], QStringLiteral("Correspondence"));
    EXPECT_EQ(entries.indexOf(QStringLiteral("Email")) + 1,
              entries.indexOf(QStringLiteral("email")));
    EXPECT_EQ(entries[5], QStringLiteral("Telephone"));
    EXPECT_EQ(dialog.TypeList()->currentText(), QStringLiteral("apple"));
}

TEST_F(ContactDialogTest, EditShowsStoredValuesAndGivesThemBackQuoted) {
    ContactDialog& dialog = Open(false);
    dialog.SetWhen(DateTime::FromFields(2004, 2, 29, 23, 59, 58));
    dialog.SetTypeId(kPersonalId);
    dialog.SetDescription("line one\r\nit's \"two\"");
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit Contact"));
    EXPECT_EQ(dialog.DatePicker()->date(), QDate(2004, 2, 29));
    EXPECT_EQ(dialog.TimePicker()->time(), QTime(23, 59, 58));
    EXPECT_EQ(dialog.TypeList()->currentText(), QStringLiteral("Personal"));
    EXPECT_EQ(dialog.DescriptionField()->toPlainText(), QStringLiteral("line one\nit's \"two\""));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());

    // Only the time changes; the date stays.
    dialog.TimePicker()->setTime(QTime(8, 0, 1));
    dialog.TypeList()->setCurrentIndex(dialog.TypeList()->findText(QStringLiteral("Telephone")));
    dialog.DescriptionField()->moveCursor(QTextCursor::End);
    QTest::keyClick(dialog.DescriptionField(), Qt::Key_Return);
    QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("3'"));
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), ContactDialog::Ok);
    EXPECT_EQ(dialog.When(), DateTime::FromFields(2004, 2, 29, 8, 0, 1));
    EXPECT_EQ(dialog.TypeId(), kTelephoneId);
    EXPECT_EQ(dialog.Description(), "line one\r\nit's \"two\"\r\n3'");
    // The entries and the identifiers they carried are gone with the dialog's end.
    EXPECT_EQ(dialog.TypeList()->count(), 0);
}

TEST_F(ContactDialogTest, UnknownTypeSelectsNothingAndKeepsOkOff) {
    ContactDialog& dialog = Open(false);
    dialog.SetTypeId("NO-SUCH-TYPE");
    dialog.SetDescription("text");
    dialog.show();
    EXPECT_EQ(dialog.TypeList()->currentIndex(), -1);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.TypeList()->setCurrentIndex(0);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
}

TEST_F(ContactDialogTest, UnreadableStoredDateShowsNow) {
    ContactDialog& dialog = Open(false);
    dialog.SetWhen(DateTime());
    dialog.show();
    EXPECT_EQ(dialog.DatePicker()->date(), QDate::currentDate());
}

TEST_F(ContactDialogTest, WithoutTypesOkStaysOffAndTheDialogSaysWhy) {
    TestBook::Execute(path_, "DELETE FROM ContactType");
    ContactDialog& dialog = Open(true);
    dialog.show();
    QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("Called"));
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_TRUE(dialog.NoTypesLine()->isVisible());
    EXPECT_EQ(dialog.NoTypesLine()->text(),
              QStringLiteral("Add a contact type first (Edit, Contact Types...)."));
    QTest::keyClick(dialog.OkButton(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ContactDialogTest, CancelEndsWithTwo) {
    ContactDialog& dialog = Open(true);
    dialog.show();
    QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("x"));
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), ContactDialog::Cancel);
}

TEST_F(ContactDialogTest, HelpButtonAndPopups) {
    std::vector<help::HelpRequest> requests;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { requests.push_back(r); });
    ContactDialog& dialog = Open(true);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::mouseClick(dialog.HelpButton(), Qt::LeftButton);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, help::HelpRequest::Topic);
    EXPECT_EQ(requests[0].reference,
              help::TopicReference(QString::fromLatin1(help::kContactTopic)));
    const std::vector<std::pair<QWidget*, int>> popups = {{dialog.DescriptionField(), 2101},
                                                          {dialog.DatePicker(), 2102},
                                                          {dialog.TypeList(), 2103},
                                                          {dialog.TimePicker(), 2104},
                                                          {dialog.CancelButton(), 1001}};
    for (const auto& [control, popup] : popups) {
        requests.clear();
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
        ASSERT_EQ(requests.size(), 1u) << popup;
        EXPECT_EQ(requests[0].popup, popup);
    }
}

TEST_F(ContactDialogTest, TabLeavesTheDateAndTimeAndLeftRightStepThroughTheirParts) {
    ContactDialog& dialog = Open(true);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QDateEdit* date = dialog.DatePicker();
    QTimeEdit* time = dialog.TimePicker();
    date->setDate(QDate(2006, 5, 4));
    time->setTime(QTime(13, 14, 15));
    date->setFocus();
    date->setCurrentSectionIndex(0);

    // Right and Left move between day, month and year; Up changes the part selected.
    const QDateTimeEdit::Section first = date->currentSection();
    QTest::keyClick(date, Qt::Key_Right);
    EXPECT_EQ(date->currentSectionIndex(), 1);
    const QDateTimeEdit::Section second = date->currentSection();
    EXPECT_NE(second, first);
    QTest::keyClick(date, Qt::Key_Right);
    QTest::keyClick(date, Qt::Key_Right);  // held at the last part
    EXPECT_EQ(date->currentSectionIndex(), date->sectionCount() - 1);
    QTest::keyClick(date, Qt::Key_Left);
    EXPECT_EQ(date->currentSection(), second);
    const QDate before = date->date();
    QTest::keyClick(date, Qt::Key_Up);
    const QDate after = date->date();
    EXPECT_EQ(second == QDateTimeEdit::YearSection    ? before.addYears(1)
              : second == QDateTimeEdit::MonthSection ? before.addMonths(1)
                                                      : before.addDays(1),
              after);

    // Tab goes on to the time from any part of the date, and from the time to the type.
    QTest::keyClick(date, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), time);
    time->setCurrentSectionIndex(0);
    QTest::keyClick(time, Qt::Key_Right);
    EXPECT_EQ(time->currentSection(), QDateTimeEdit::MinuteSection);
    QTest::keyClick(time, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), date);
    QTest::keyClick(date, Qt::Key_Tab);
    QTest::keyClick(time, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.TypeList());
    EXPECT_EQ(time->time(), QTime(13, 14, 15));
}
