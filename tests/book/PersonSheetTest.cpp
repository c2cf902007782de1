#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "DialogUnits.h"
#include "HelpViewer.h"
#include "PersonSheet.h"

namespace {

using F = PersonRecord::Field;

class PersonSheetTest : public ::testing::Test {
protected:
    void TearDown() override { help::SetHelpRequestHandler(nullptr); }

    // A sheet shown the way exec shows it, without its modal loop.
    PersonSheet& Open(const PersonRecord& initial = PersonRecord(),
                      const char* title = "Add Address Entry",
                      const char* topic = help::kPersonTopic) {
        sheet_ = std::make_unique<PersonSheet>(nullptr, QString::fromLatin1(title), initial, topic);
        sheet_->show();
        return *sheet_;
    }
    QLineEdit* Line(F field) { return qobject_cast<QLineEdit*>(sheet_->Field(field)); }
    void Type(F field, const QString& text) { QTest::keyClicks(sheet_->Field(field), text); }
    void GoTo(PersonSheet::Page page) { sheet_->Tabs()->setCurrentIndex(page); }

    std::unique_ptr<PersonSheet> sheet_;
};

}  // namespace

TEST_F(PersonSheetTest, OpensOnGeneralWithCaptionAndPagesInOrder) {
    PersonSheet& sheet = Open(PersonRecord(), "Edit Address Entry");
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Edit Address Entry"));
    ASSERT_EQ(sheet.Tabs()->count(), 3);
    EXPECT_EQ(sheet.Tabs()->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("Address"));
    EXPECT_EQ(sheet.Tabs()->tabText(2), QStringLiteral("Phone"));
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
    EXPECT_EQ(sheet.focusWidget(), sheet.Field(PersonRecord::Title));
    EXPECT_EQ(sheet.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(sheet.CancelButton()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(sheet.HelpButton()->text(), QStringLiteral("Help"));
    // Pages are built when first shown, and what they hold is on screen then.
    EXPECT_NE(sheet.Field(PersonRecord::FName), nullptr);
    EXPECT_EQ(sheet.Field(PersonRecord::City), nullptr);
    EXPECT_EQ(sheet.Field(PersonRecord::HmPhone), nullptr);
    for (int page : {PersonSheet::Address, PersonSheet::Phone, PersonSheet::General}) {
        GoTo(static_cast<PersonSheet::Page>(page));
        const QList<QWidget*> controls = sheet.Tabs()->widget(page)->findChildren<QWidget*>(
            QString(), Qt::FindDirectChildrenOnly);
        EXPECT_GE(controls.size(), 8) << page;
        for (QWidget* control : controls) {
            // The note on phone letters shows only while a number holds letters.
            const bool note = control == sheet.LetterNote() || control == sheet.StoreDigitsButton();
            EXPECT_EQ(control->isVisible(), !note) << page;
        }
    }
}

TEST_F(PersonSheetTest, LabelsAndTabOrderFollowEachPage) {
    PersonSheet& sheet = Open();
    auto labelOf = [&](F field) {
        for (QLabel* label : sheet.findChildren<QLabel*>()) {
            if (label->buddy() == sheet.Field(field)) {
                return label->text();
            }
        }
        return QString();
    };
    auto order = [&](std::vector<F> fields) {
        for (size_t i = 0; i + 1 < fields.size(); ++i) {
            QWidget* next = sheet.Field(fields[i])->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus) {
                next = next->nextInFocusChain();
            }
            EXPECT_EQ(next, sheet.Field(fields[i + 1])) << PersonRecord::ColumnName(fields[i]);
        }
    };
    EXPECT_EQ(labelOf(PersonRecord::Title), QStringLiteral("&Title:"));
    EXPECT_EQ(labelOf(PersonRecord::Position), QStringLiteral("&Position:"));
    order({PersonRecord::Title, PersonRecord::FName, PersonRecord::LName, PersonRecord::Company,
           PersonRecord::Position});
    GoTo(PersonSheet::Address);
    EXPECT_EQ(labelOf(PersonRecord::Addr), QStringLiteral("&Address:"));
    EXPECT_EQ(labelOf(PersonRecord::Zip), QStringLiteral("&Zip:"));
    order({PersonRecord::Addr, PersonRecord::City, PersonRecord::State, PersonRecord::Zip});
    GoTo(PersonSheet::Phone);
    EXPECT_EQ(labelOf(PersonRecord::WkExt), QStringLiteral("E&xt:"));
    EXPECT_EQ(labelOf(PersonRecord::WebPage), QStringLiteral("We&b Page:"));
    EXPECT_EQ(labelOf(PersonRecord::CelPhone), QStringLiteral("&Cel Phone:"));
    order({PersonRecord::HmPhone, PersonRecord::WkPhone, PersonRecord::WkExt, PersonRecord::WkFax,
           PersonRecord::Email, PersonRecord::Pager, PersonRecord::CelPhone,
           PersonRecord::WebPage});
}

TEST_F(PersonSheetTest, OkNeedsFirstNameLastNameOrCompany) {
    PersonSheet& sheet = Open();
    EXPECT_FALSE(sheet.OkButton()->isEnabled());
    Type(PersonRecord::Title, QStringLiteral("Dr."));
    Type(PersonRecord::Position, QStringLiteral("Boss"));
    EXPECT_FALSE(sheet.OkButton()->isEnabled());
    for (F field : {PersonRecord::FName, PersonRecord::LName, PersonRecord::Company}) {
        Type(field, QStringLiteral("x"));
        EXPECT_TRUE(sheet.OkButton()->isEnabled()) << PersonRecord::ColumnName(field);
        QTest::keyClick(sheet.Field(field), Qt::Key_Backspace);
        EXPECT_FALSE(sheet.OkButton()->isEnabled()) << PersonRecord::ColumnName(field);
    }
    // Enter reaches the default button, which must not close the sheet while OK is off.
    QTest::keyClick(sheet.Field(PersonRecord::Title), Qt::Key_Return);
    EXPECT_TRUE(sheet.isVisible());
}

TEST_F(PersonSheetTest, GivenNameEnablesOkAtOnce) {
    PersonRecord p;
    p[PersonRecord::Company] = "Acme";
    EXPECT_TRUE(Open(p).OkButton()->isEnabled());
}

TEST_F(PersonSheetTest, PhoneFieldsDropTypedSignsKeepLettersOthersKeepAll) {
    PersonSheet& sheet = Open();
    GoTo(PersonSheet::Phone);
    for (F field : {PersonRecord::HmPhone, PersonRecord::WkPhone, PersonRecord::WkFax,
                    PersonRecord::Pager, PersonRecord::CelPhone}) {
        Type(field, QStringLiteral("+1 (555) 12a3-4.5x6#*@_"));
        EXPECT_EQ(Line(field)->text(), QStringLiteral("+1 (555) 12a3-4.5x6"))
            << PersonRecord::ColumnName(field);
    }
    Type(PersonRecord::WkExt, QStringLiteral("x12b"));
    Type(PersonRecord::Email, QStringLiteral("ann@example.com"));
    Type(PersonRecord::WebPage, QStringLiteral("www.example.com"));
    EXPECT_EQ(Line(PersonRecord::WkExt)->text(), QStringLiteral("x12b"));
    EXPECT_EQ(Line(PersonRecord::Email)->text(), QStringLiteral("ann@example.com"));
    EXPECT_EQ(Line(PersonRecord::WebPage)->text(), QStringLiteral("www.example.com"));
    // Backspace still edits a phone field.
    QTest::keyClick(Line(PersonRecord::HmPhone), Qt::Key_Backspace);
    EXPECT_EQ(Line(PersonRecord::HmPhone)->text(), QStringLiteral("+1 (555) 12a3-4.5x"));
    (void)sheet;
}

TEST_F(PersonSheetTest, PastedTextReachesPhoneFieldUnfiltered) {
    Open();
    GoTo(PersonSheet::Phone);
    QApplication::clipboard()->setText(QStringLiteral("555-CALL"));
    QTest::keyClick(Line(PersonRecord::HmPhone), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Line(PersonRecord::HmPhone)->text(), QStringLiteral("555-CALL"));
}

TEST(PhoneCharacterTest, AcceptsOnlyTheDialableSet) {
    for (char c : std::string("0123456789.()-+ \b\x16")) {
        EXPECT_TRUE(IsPhoneCharacter(QChar::fromLatin1(c))) << int(c);
    }
    for (QChar c : QStringLiteral("aZx#*/,;_\u0663\u00bd")) {
        EXPECT_FALSE(IsPhoneCharacter(c)) << c.unicode();
    }
}

TEST_F(PersonSheetTest, LongStateWarnsOnLeavingButStaysAsTyped) {
    PersonSheet& sheet = Open();
    Type(PersonRecord::LName, QStringLiteral("Adams"));
    GoTo(PersonSheet::Address);
    Type(PersonRecord::State, QStringLiteral("ABCDEF"));
    Type(PersonRecord::Zip, QStringLiteral("1234567890"));  // ten is within the limit
    EXPECT_EQ(sheet.LengthWarnings(), 0);
    GoTo(PersonSheet::Phone);
    EXPECT_EQ(sheet.LengthWarnings(), 1);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Phone);  // leaving is not blocked
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Values()[PersonRecord::State], "ABCDEF");
    EXPECT_EQ(sheet.Values()[PersonRecord::Zip], "1234567890");
}

TEST_F(PersonSheetTest, LongZipWarnsWhenOkIsPressedOnItsPage) {
    PersonSheet& sheet = Open();
    Type(PersonRecord::FName, QStringLiteral("Ann"));
    GoTo(PersonSheet::Address);
    Type(PersonRecord::Zip, QStringLiteral("12345-67890"));
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.LengthWarnings(), 1);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Values()[PersonRecord::Zip], "12345-67890");
}

TEST_F(PersonSheetTest, ValuesComeBackAsTypedWithStoredLineBreaks) {
    PersonRecord p;
    p[PersonRecord::FName] = "Ann";
    p[PersonRecord::Addr] = "1 Main St\r\nFlat 2";
    p[PersonRecord::WebPage] = "kept.example";  // on a page never shown
    PersonSheet& sheet = Open(p);
    Type(PersonRecord::LName, QStringLiteral("  O'Brien \"Jr\" "));
    GoTo(PersonSheet::Address);
    auto* address = qobject_cast<QPlainTextEdit*>(sheet.Field(PersonRecord::Addr));
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(address->toPlainText(), QStringLiteral("1 Main St\nFlat 2"));
    address->moveCursor(QTextCursor::End);
    QTest::keyClick(address, Qt::Key_Return);
    QTest::keyClicks(address, QStringLiteral("Springfield"));
    EXPECT_TRUE(sheet.isVisible());  // Enter in the address makes a line, it does not close
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.Values()[PersonRecord::LName], "  O'Brien \"Jr\" ");
    EXPECT_EQ(sheet.Values()[PersonRecord::Addr], "1 Main St\r\nFlat 2\r\nSpringfield");
    EXPECT_EQ(sheet.Values()[PersonRecord::WebPage], "kept.example");
    EXPECT_EQ(sheet.Values()[PersonRecord::FName], "Ann");
}

TEST_F(PersonSheetTest, ReturningToPageShowsWhatWasTyped) {
    PersonSheet& sheet = Open();
    Type(PersonRecord::FName, QStringLiteral("Ann"));
    GoTo(PersonSheet::Phone);
    Type(PersonRecord::HmPhone, QStringLiteral("555"));
    GoTo(PersonSheet::General);
    EXPECT_EQ(Line(PersonRecord::FName)->text(), QStringLiteral("Ann"));
    EXPECT_EQ(sheet.Values()[PersonRecord::HmPhone], "555");
    GoTo(PersonSheet::Phone);
    EXPECT_EQ(Line(PersonRecord::HmPhone)->text(), QStringLiteral("555"));
}

TEST_F(PersonSheetTest, HelpButtonOpensTheGivenTopicAndF1ThePopups) {
    std::vector<help::HelpRequest> requests;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { requests.push_back(r); });
    PersonSheet& sheet = Open(PersonRecord(), "Edit User", help::kUserTopic);
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    QTest::mouseClick(sheet.HelpButton(), Qt::LeftButton);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, help::HelpRequest::Topic);
    EXPECT_EQ(requests[0].reference, help::TopicReference(QString::fromLatin1(help::kUserTopic)));
    requests.clear();
    GoTo(PersonSheet::Phone);
    // The user sheet's Pager takes no focus, so its pop-up is checked on a person's sheet.
    const std::vector<std::pair<F, int>> popups = {{PersonRecord::HmPhone, 6220},
                                                   {PersonRecord::WkExt, 6222},
                                                   {PersonRecord::CelPhone, 6226},
                                                   {PersonRecord::WebPage, 6227}};
    for (const auto& [field, popup] : popups) {
        sheet.Field(field)->setFocus();
        QTest::keyClick(sheet.Field(field), Qt::Key_F1);
        ASSERT_FALSE(requests.empty()) << PersonRecord::ColumnName(field);
        EXPECT_EQ(requests.back().kind, help::HelpRequest::Popup);
        EXPECT_EQ(requests.back().popup, popup) << PersonRecord::ColumnName(field);
    }
    sheet.CancelButton()->setFocus();
    QTest::keyClick(sheet.CancelButton(), Qt::Key_F1);
    EXPECT_EQ(requests.back().popup, 1001);
}

TEST_F(PersonSheetTest, CancelEndsRejected) {
    PersonSheet& sheet = Open();
    Type(PersonRecord::FName, QStringLiteral("Ann"));
    QTest::mouseClick(sheet.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_FALSE(sheet.isVisible());
}

namespace {

const QString kPagerWhy =
    QStringLiteral("Your own record has no pager number: it is kept for persons only.");

QLabel* LabelOf(const PersonSheet& sheet, F field) {
    for (QLabel* label : sheet.findChildren<QLabel*>()) {
        if (label->buddy() == sheet.Field(field)) {
            return label;
        }
    }
    return nullptr;
}

}  // namespace

TEST_F(PersonSheetTest, UserSheetShowsPagerDisabledAndEmptyWithWhy) {
    PersonRecord user;
    user[PersonRecord::FName] = "Me";
    user[PersonRecord::Pager] = "555-0199";
    user[PersonRecord::CelPhone] = "555-0100";
    PersonSheet& sheet = Open(user, "Edit User", help::kUserTopic);
    GoTo(PersonSheet::Phone);
    QLineEdit* pager = Line(PersonRecord::Pager);
    ASSERT_NE(pager, nullptr);
    EXPECT_FALSE(pager->isEnabled());
    EXPECT_TRUE(pager->isVisible());
    EXPECT_TRUE(pager->text().isEmpty());
    EXPECT_EQ(pager->toolTip(), kPagerWhy);
    QLabel* label = LabelOf(sheet, PersonRecord::Pager);
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(label->isEnabled());
    EXPECT_EQ(label->toolTip(), kPagerWhy);
    // Typing reaches no disabled field; the other phone fields take it as before.
    Type(PersonRecord::Pager, QStringLiteral("123"));
    EXPECT_TRUE(pager->text().isEmpty());
    EXPECT_TRUE(Line(PersonRecord::CelPhone)->isEnabled());
    EXPECT_EQ(Line(PersonRecord::CelPhone)->text(), QStringLiteral("555-0100"));
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Values()[PersonRecord::Pager], "");
    EXPECT_EQ(sheet.Values()[PersonRecord::CelPhone], "555-0100");
}

TEST_F(PersonSheetTest, UserSheetGivesNoPagerEvenWithPhonePageUnseen) {
    PersonRecord user;
    user[PersonRecord::FName] = "Me";
    user[PersonRecord::Pager] = "555-0199";
    PersonSheet& sheet = Open(user, "Edit User", help::kUserTopic);
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.Values()[PersonRecord::Pager], "");
}

TEST_F(PersonSheetTest, PersonSheetKeepsThePagerEditable) {
    std::vector<int> popups;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { popups.push_back(r.popup); });
    PersonRecord person;
    person[PersonRecord::FName] = "Ann";
    person[PersonRecord::Pager] = "555-0199";
    PersonSheet& sheet = Open(person);
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    GoTo(PersonSheet::Phone);
    QLineEdit* pager = Line(PersonRecord::Pager);
    ASSERT_NE(pager, nullptr);
    EXPECT_TRUE(pager->isEnabled());
    EXPECT_TRUE(pager->toolTip().isEmpty());
    EXPECT_TRUE(LabelOf(sheet, PersonRecord::Pager)->isEnabled());
    EXPECT_EQ(pager->text(), QStringLiteral("555-0199"));
    pager->setFocus();
    QTest::keyClick(pager, Qt::Key_F1);
    EXPECT_EQ(popups, std::vector<int>{6225});
    pager->end(false);
    QTest::keyClicks(pager, QStringLiteral("1"));
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.Values()[PersonRecord::Pager], "555-01991");
}

// Pages are built when first shown; reaching one from the keyboard puts the typing in its first
// field, as the sheet does for General when it opens.
TEST_F(PersonSheetTest, CtrlTabPutsTheTypingInTheFirstFieldOfANewPage) {
    PersonSheet& sheet = Open();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    ASSERT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::Title));
    QTest::keyClick(&sheet, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Address);
    ASSERT_NE(sheet.Field(PersonRecord::Addr), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::Addr));
    QTest::keyClick(&sheet, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Phone);
    ASSERT_NE(sheet.Field(PersonRecord::HmPhone), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::HmPhone));
    // Typing goes to the field that has the focus.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("555"));
    EXPECT_EQ(Line(PersonRecord::HmPhone)->text(), QStringLiteral("555"));
    // Past the last page comes the first again, with the field left there.
    QTest::keyClick(&sheet, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::General);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::Title));
}

TEST_F(PersonSheetTest, CtrlTabFromTheFocusedFieldTurnsThePageToo) {
    PersonSheet& sheet = Open();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    QTest::keyClick(sheet.Field(PersonRecord::Title), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Address);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::Addr));
    // The address takes Ctrl+Tab as a page key, not as a tab character.
    QTest::keyClick(sheet.Field(PersonRecord::Addr), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Phone);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::HmPhone));
    EXPECT_EQ(sheet.Values()[PersonRecord::Addr], "");
}

TEST_F(PersonSheetTest, AClickOnANewPagesTabPutsTheTypingInItsFirstField) {
    PersonSheet& sheet = Open();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    QTabBar* bar = sheet.Tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                      bar->tabRect(PersonSheet::Phone).center());
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Phone);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::HmPhone));
}

TEST_F(PersonSheetTest, CtrlShiftTabAndCtrlPageKeysTurnBothWays) {
    PersonSheet& sheet = Open();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    // Backwards from the first page comes the last.
    QTest::keyClick(&sheet, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Phone);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::HmPhone));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::General);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::Title));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Phone);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Address);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Field(PersonRecord::Addr));
}

TEST_F(PersonSheetTest, PageKeysFromTheButtonsTurnThePageAndLeaveTheFocus) {
    PersonSheet& sheet = Open();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    sheet.CancelButton()->setFocus();
    QTest::keyClick(sheet.CancelButton(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), PersonSheet::Address);
    EXPECT_EQ(QApplication::focusWidget(), sheet.CancelButton());
    EXPECT_TRUE(sheet.isVisible());
}
