// The contact activity dialog and its command, driven through their controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include "ActivityDialog.h"
#include "HelpViewer.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "TestBook.h"

namespace {

using platform::MessageIcon;
using reports::ActivityDialog;
using reports::MonthNumber;

const RecordId kTelephone = "9DC618A3-8452-4D33-A70BDB1C91FE";
const RecordId kEmail = "03F6262A-4362-44A9-B770293650BB";

int ThisMonth() {
    const QDate today = QDate::currentDate();
    return MonthNumber(today.year(), today.month());
}

// The stored form of noon on the first of the month so many months from this one.
std::string FirstOfMonth(int monthsOn) {
    const QDate today = QDate::currentDate();
    return QDate(today.year(), today.month(), 1)
        .addMonths(monthsOn)
        .toString(QStringLiteral("yyyy-MM-dd 12:00:00"))
        .toStdString();
}

class ActivityDialogTest : public ::testing::Test {
protected:
    // The messages name the months in US English.
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        path_ = book_.Create();
    }
    void TearDown() override {
        help::SetHelpRequestHandler(nullptr);
        QLocale::setDefault(QLocale::system());
    }

    // Opens the dialog of the command and works it.
    std::optional<reports::ReportRequest> Choose(const std::vector<RecordId>& preselect,
                                                 const std::function<void(ActivityDialog&)>& work) {
        ModalDriver dialogs;
        bool seen = false;
        dialogs.Expect([&](QDialog& dialog) {
            seen = true;
            auto* activity = dynamic_cast<ActivityDialog*>(&dialog);
            ASSERT_NE(activity, nullptr);
            work(*activity);
        });
        std::optional<reports::ReportRequest> request =
            reports::ChooseActivity(nullptr, path_, preselect);
        EXPECT_TRUE(seen);
        return request;
    }

    TestBook book_;
    std::string path_;
};

TEST_F(ActivityDialogTest, TheShownPersonsAndTheLastTwelveMonthsComeChosen) {
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId bob = TestBook::AddPerson(path_, "Bob", "Baker");
    const RecordId cy = TestBook::AddPerson(path_, "Cy", "Cole");
    TestBook::AddContact(path_, ann, FirstOfMonth(0), "this month", kTelephone);
    TestBook::AddContact(path_, ann, FirstOfMonth(-11), "first month", kEmail);
    TestBook::AddContact(path_, ann, FirstOfMonth(-12), "a month too early", kEmail);
    TestBook::AddContact(path_, bob, FirstOfMonth(-1), "last month", kEmail);
    TestBook::AddContact(path_, cy, FirstOfMonth(0), "not chosen", kEmail);

    const std::optional<reports::ReportRequest> request =
        Choose({bob, ann}, [](ActivityDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Contact Activity"));
            QStringList selected;
            for (QListWidgetItem* item : dialog.List()->selectedItems()) {
                selected << item->text();
            }
            selected.sort();
            EXPECT_EQ(selected, QStringList({"Adams, Ann", "Baker, Bob"}));
            EXPECT_FALSE(dialog.SelectAllBox()->isChecked());
            // Month and year only.
            EXPECT_FALSE(dialog.FromPicker()->displayFormat().contains(QLatin1Char('d')));
            const QDate today = QDate::currentDate();
            EXPECT_EQ(dialog.ToPicker()->date(), QDate(today.year(), today.month(), 1));
            EXPECT_EQ(dialog.FromPicker()->date(),
                      QDate(today.year(), today.month(), 1).addMonths(-11));
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        });
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->kind, reports::ReportKind::Activity);
    ASSERT_EQ(request->persons.size(), 2u);
    EXPECT_EQ(request->persons[0].id, ann);
    EXPECT_EQ(request->persons[1].id, bob);
    EXPECT_EQ(request->span.first, ThisMonth() - 11);
    EXPECT_EQ(request->span.last, ThisMonth());
    // The chosen persons' contacts within the months.
    std::multiset<std::string> notes;
    for (const reports::ContactRecord& contact : request->contacts) {
        notes.insert(contact.description);
    }
    EXPECT_EQ(notes, (std::multiset<std::string>{"this month", "first month", "last month"}));
    // Every type of the file, by identifier.
    EXPECT_EQ(request->types.size(), 4u);
    EXPECT_EQ(request->types.at(kTelephone), "Telephone");
    EXPECT_EQ(request->types.at(kEmail), "Email");
}

TEST_F(ActivityDialogTest, CancelOrNoPersonGivesNothing) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    EXPECT_FALSE(Choose({}, [](ActivityDialog& dialog) {
                     QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
                 }).has_value());

    MessageRecorder boxes;
    boxes.Expect();
    EXPECT_FALSE(Choose({}, [&](ActivityDialog& dialog) {
                     QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
                     EXPECT_TRUE(dialog.isVisible());
                     EXPECT_EQ(boxes.Last().caption, QStringLiteral("Select Names"));
                     EXPECT_EQ(boxes.Last().text,
                               QStringLiteral(
                                   "You must select at least one person whose contacts to chart."));
                 }).has_value());
}

TEST_F(ActivityDialogTest, AToMonthBeforeFromOrTooFarOnIsRefused) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    ActivityDialog dialog(nullptr, path_);
    dialog.SelectAllBox()->setChecked(true);
    dialog.show();
    MessageRecorder boxes;

    // Not swapped: refused, and the dialog stays open.
    dialog.FromPicker()->setDate(QDate(2024, 5, 1));
    dialog.ToPicker()->setDate(QDate(2024, 3, 1));
    boxes.Expect();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Contact Activity"));
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("The To month, March 2024, comes before the From month, May 2024. "
                             "Choose a To month that is the From month or later."));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Information);
    EXPECT_EQ(boxes.Last().owner, &dialog);

    // 121 months are one too many.
    dialog.FromPicker()->setDate(QDate(2010, 1, 1));
    dialog.ToPicker()->setDate(QDate(2020, 1, 1));
    boxes.Expect();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(boxes.Calls().size(), 2u);
    EXPECT_TRUE(boxes.Last().text.contains(QStringLiteral("120 months")));

    dialog.ToPicker()->setDate(QDate(2019, 12, 1));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Span().first, MonthNumber(2010, 1));
    EXPECT_EQ(dialog.Span().last, MonthNumber(2019, 12));
    EXPECT_EQ(dialog.Span().Count(), 120);
}

TEST_F(ActivityDialogTest, HelpOpensItsPageAndTheMonthsExplainThemselves) {
    std::vector<help::HelpRequest> requests;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { requests.push_back(r); });
    ActivityDialog dialog(nullptr, path_);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::mouseClick(dialog.HelpButton(), Qt::LeftButton);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(help::TopicPage(requests[0].reference), QStringLiteral("html/actrptdlg.htm"));
    std::vector<int> popups;
    for (QWidget* control : std::vector<QWidget*>{dialog.FromPicker(), dialog.ToPicker(),
                                                  dialog.List(), dialog.SelectAllBox()}) {
        requests.clear();
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
        ASSERT_EQ(requests.size(), 1u);
        popups.push_back(requests[0].popup);
        EXPECT_FALSE(help::PopupText(requests[0].popup).isEmpty());
    }
    EXPECT_EQ(popups, std::vector<int>({3013, 3014, 3000, 3004}));
}

}  // namespace
