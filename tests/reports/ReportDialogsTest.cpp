// The report selection dialogs, driven through their controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "Database.h"
#include "HelpViewer.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "ReportDialogs.h"
#include "TestBook.h"

namespace {

using platform::MessageIcon;
using reports::PersonPickDialog;

class ReportDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = book_.Create(); }
    void TearDown() override { help::SetHelpRequestHandler(nullptr); }

    QStringList Listed(const PersonPickDialog& dialog) const {
        QStringList texts;
        for (int i = 0; i < dialog.List()->count(); ++i) {
            texts << dialog.List()->item(i)->text();
        }
        return texts;
    }
    int SelectedCount(const PersonPickDialog& dialog) const {
        return static_cast<int>(dialog.List()->selectedItems().size());
    }

    TestBook book_;
    std::string path_;
};

TEST_F(ReportDialogsTest, AnEmptyFileGivesAnEmptyListAndOkAsksForNames) {
    reports::AddressBookDialog dialog(nullptr, path_);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Address Book Printout"));
    EXPECT_EQ(dialog.List()->count(), 0);
    MessageRecorder boxes;
    boxes.Expect();
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("You must select at least one person to add to the address book."));
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Select Names"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Information);
    EXPECT_EQ(boxes.Last().owner, &dialog);
}

TEST_F(ReportDialogsTest, TheEnvelopeDialogAsksForNamesInItsOwnWords) {
    reports::EnvelopeDialog dialog(nullptr, path_, reports::EnvelopeOptions());
    MessageRecorder boxes;
    boxes.Expect();
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("You must select at least one person for whom to print an envelope."));
}

TEST_F(ReportDialogsTest, TheListIsSortedAndSelectAllStaysWhenCleared) {
    TestBook::AddPerson(path_, "Zoe", "Zola");
    TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "", "", "Harbour Lights");
    reports::ContactsDialog dialog(nullptr, path_);
    EXPECT_EQ(Listed(dialog), QStringList({"Adams, Ann", "Harbour Lights", "Zola, Zoe"}));
    EXPECT_EQ(dialog.List()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(SelectedCount(dialog), 0);
    dialog.SelectAllBox()->setChecked(true);
    EXPECT_EQ(SelectedCount(dialog), 3);
    dialog.SelectAllBox()->setChecked(false);
    EXPECT_EQ(SelectedCount(dialog), 3);
}

TEST_F(ReportDialogsTest, PersonsOfOneNameAreChosenApartAndReadInListOrder) {
    PersonRecord first;
    first[PersonRecord::FName] = "Sam";
    first[PersonRecord::LName] = "Lee";
    first[PersonRecord::City] = "Cork";
    PersonRecord second = first;
    second[PersonRecord::City] = "Derry";
    TestBook::AddPerson(path_, first);
    const RecordId derry = TestBook::AddPerson(path_, second);
    TestBook::AddPerson(path_, "Ann", "Adams");
    reports::AddressBookDialog dialog(nullptr, path_);
    ASSERT_EQ(Listed(dialog), QStringList({"Adams, Ann", "Lee, Sam", "Lee, Sam"}));
    dialog.Preselect({derry});
    ASSERT_EQ(SelectedCount(dialog), 1);
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.Chosen().size(), 1u);
    EXPECT_EQ(dialog.Chosen()[0][PersonRecord::City], "Derry");
    EXPECT_EQ(dialog.Chosen()[0].id, derry);
}

TEST_F(ReportDialogsTest, TheContactsDialogCoversWholeDays) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    reports::ContactsDialog dialog(nullptr, path_);
    EXPECT_EQ(dialog.BeginningPicker()->date(), QDate::currentDate());
    EXPECT_EQ(dialog.EndingPicker()->date(), QDate::currentDate());
    dialog.BeginningPicker()->setDate(QDate(2005, 3, 1));
    dialog.EndingPicker()->setDate(QDate(2005, 3, 31));
    dialog.List()->selectAll();
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Beginning(), DateTime::FromFields(2005, 3, 1, 0, 0, 0));
    EXPECT_EQ(dialog.Ending(), DateTime::FromFields(2005, 3, 31, 23, 59, 59));
}

TEST_F(ReportDialogsTest, ALockKeepsTheDialogOpenWithItsCaption) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    reports::AddressBookDialog dialog(nullptr, path_);
    dialog.List()->selectAll();
    cppsqlite3::Database locker;
    locker.Open(path_);
    locker.CreateStatement().Execute("BEGIN EXCLUSIVE");
    MessageRecorder boxes;
    boxes.Expect();
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Selecting Address Book Names"));
    EXPECT_EQ(boxes.Last().text, QStringLiteral("The database file is locked"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    EXPECT_EQ(boxes.Last().owner, &dialog);
    locker.Close();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Chosen().size(), 1u);
}

TEST_F(ReportDialogsTest, AListThatCannotBeReadStillOpens) {
    TestBook::Execute(path_, "DROP TABLE Person");
    MessageRecorder boxes;
    boxes.Expect();
    reports::AddressBookDialog dialog(nullptr, path_);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Loading Names"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    EXPECT_EQ(dialog.List()->count(), 0);
}

TEST_F(ReportDialogsTest, HelpButtonsAndPopupsExplainEachDialog) {
    std::vector<help::HelpRequest> requests;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { requests.push_back(r); });
    reports::EnvelopeDialog dialog(nullptr, path_, reports::EnvelopeOptions());
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::mouseClick(dialog.HelpButton(), Qt::LeftButton);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].reference,
              help::TopicReference(QString::fromLatin1(help::kEnvelopeReportTopic)));
    std::vector<int> popups;
    for (QWidget* control :
         std::vector<QWidget*>{dialog.List(), dialog.SelectAllBox(), dialog.OptionBox(0),
                               dialog.OptionBox(4), dialog.CancelButton()}) {
        requests.clear();
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
        ASSERT_EQ(requests.size(), 1u);
        popups.push_back(requests[0].popup);
    }
    EXPECT_EQ(popups, std::vector<int>({3000, 3004, 3007, 3011, 1001}));

    reports::ContactsDialog contacts(nullptr, path_);
    contacts.show();
    contacts.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&contacts));
    requests.clear();
    contacts.EndingPicker()->setFocus();
    QTest::keyClick(contacts.EndingPicker(), Qt::Key_F1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].popup, 3003);
}

}  // namespace
