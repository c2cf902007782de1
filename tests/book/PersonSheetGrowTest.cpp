// The person sheet's phone letters and its size: what the sheet offers for a number written with
// letters, and how its fields follow a larger sheet.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "DialogUnits.h"
#include "HelpViewer.h"
#include "ModalDriver.h"
#include "PersonSheet.h"

namespace {

using F = PersonRecord::Field;

const QString kFlowersNote =
    QStringLiteral("Letters are not dialled: Home Phone as digits is 1-800-356-9377.");

PersonRecord Named(std::initializer_list<std::pair<F, std::string>> more = {}) {
    PersonRecord p;
    p[PersonRecord::FName] = "Ann";
    for (const auto& field : more) {
        p[field.first] = field.second;
    }
    return p;
}

class PersonSheetOfferTest : public ::testing::Test {
protected:
    PersonSheet& Open(const PersonRecord& initial = Named()) {
        sheet_ = std::make_unique<PersonSheet>(nullptr, QStringLiteral("Edit Address Entry"),
                                               initial, help::kPersonTopic);
        sheet_->show();
        return *sheet_;
    }
    QLineEdit* Line(F field) { return qobject_cast<QLineEdit*>(sheet_->Field(field)); }
    void Type(F field, const QString& text) {
        sheet_->Field(field)->setFocus();
        QTest::keyClicks(sheet_->Field(field), text);
    }

    std::unique_ptr<PersonSheet> sheet_;
};

}  // namespace

TEST_F(PersonSheetOfferTest, TypedLettersStayAndTheirDigitsAreOfferedAtTheField) {
    PersonSheet& sheet = Open();
    sheet.Tabs()->setCurrentIndex(PersonSheet::Phone);
    ASSERT_NE(sheet.LetterNote(), nullptr);
    EXPECT_FALSE(sheet.LetterNote()->isVisible());
    EXPECT_FALSE(sheet.StoreDigitsButton()->isVisible());
    EXPECT_EQ(sheet.StoreDigitsButton()->text(), QStringLiteral("Store &Digits"));

    Type(PersonRecord::HmPhone, QStringLiteral("1-800-FLOWERS"));
    EXPECT_EQ(Line(PersonRecord::HmPhone)->text(), QStringLiteral("1-800-FLOWERS"));
    EXPECT_TRUE(sheet.LetterNote()->isVisible());
    EXPECT_TRUE(sheet.StoreDigitsButton()->isVisible());
    EXPECT_EQ(sheet.LetterNote()->text(), kFlowersNote);
    EXPECT_EQ(Line(PersonRecord::HmPhone)->toolTip(), kFlowersNote);

    // A number without letters leaves the note on the one with them.
    Type(PersonRecord::WkPhone, QStringLiteral("555-1234"));
    EXPECT_EQ(sheet.LetterNote()->text(), kFlowersNote);
    EXPECT_TRUE(Line(PersonRecord::WkPhone)->toolTip().isEmpty());
    // An extension is no name to dial.
    Type(PersonRecord::WkFax, QStringLiteral("555-1234 x12"));
    EXPECT_EQ(sheet.LetterNote()->text(), kFlowersNote);

    // The note follows the typing to another number with letters, and its offer stores that one.
    Type(PersonRecord::CelPhone, QStringLiteral("0800 GOLF"));
    EXPECT_EQ(sheet.LetterNote()->text(),
              QStringLiteral("Letters are not dialled: Cel Phone as digits is 0800 4653."));
    QTest::mouseClick(sheet.StoreDigitsButton(), Qt::LeftButton);
    EXPECT_EQ(Line(PersonRecord::CelPhone)->text(), QStringLiteral("0800 4653"));
    EXPECT_EQ(Line(PersonRecord::HmPhone)->text(), QStringLiteral("1-800-FLOWERS"));
    EXPECT_EQ(sheet.focusWidget(), Line(PersonRecord::CelPhone));
    EXPECT_EQ(sheet.LetterNote()->text(), kFlowersNote);

    // Once no number holds letters the note goes.
    Line(PersonRecord::HmPhone)->selectAll();
    QTest::keyClick(Line(PersonRecord::HmPhone), Qt::Key_Delete);
    EXPECT_FALSE(sheet.LetterNote()->isVisible());
    EXPECT_FALSE(sheet.StoreDigitsButton()->isVisible());
    EXPECT_TRUE(Line(PersonRecord::HmPhone)->toolTip().isEmpty());
}

TEST_F(PersonSheetOfferTest, AStoredNumberKeepsItsLettersUnlessTheOfferIsTaken) {
    const PersonRecord given = Named({{PersonRecord::HmPhone, "1-800-FLOWERS"}});
    for (bool take : {false, true}) {
        PersonSheet sheet(nullptr, QStringLiteral("Edit Address Entry"), given, help::kPersonTopic);
        ModalDriver dialogs;
        dialogs.Expect([take](QDialog& dialog) {
            auto& shown = static_cast<PersonSheet&>(dialog);
            shown.Tabs()->setCurrentIndex(PersonSheet::Phone);
            EXPECT_TRUE(shown.LetterNote()->isVisible());
            EXPECT_EQ(shown.LetterNote()->text(), kFlowersNote);
            if (take) {
                QTest::mouseClick(shown.StoreDigitsButton(), Qt::LeftButton);
            }
            QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
        });
        ASSERT_EQ(sheet.exec(), QDialog::Accepted) << take;
        EXPECT_EQ(sheet.Values()[PersonRecord::HmPhone], take ? "1-800-356-9377" : "1-800-FLOWERS");
    }
}

TEST_F(PersonSheetOfferTest, FieldsGrowWithTheSheetAndItNeverShrinksBelowItsForm) {
    PersonSheet& sheet = Open();
    const QSize base = sheet.size();
    EXPECT_EQ(sheet.minimumSize(), base);
    EXPECT_NE(sheet.maximumSize(), base);
    auto rect = [&](F field) { return sheet.Field(field)->geometry(); };
    const QRect first = rect(PersonRecord::FName), title = rect(PersonRecord::Title);
    const QRect ok = sheet.OkButton()->geometry();

    constexpr int dx = 120, dy = 80;
    sheet.resize(base + QSize(dx, dy));
    QApplication::processEvents();
    EXPECT_EQ(rect(PersonRecord::FName), first.adjusted(0, 0, dx, 0));
    EXPECT_EQ(rect(PersonRecord::Title), title);
    EXPECT_EQ(sheet.OkButton()->geometry(), ok.translated(dx, dy));

    // Pages first shown at the larger size are laid out for it too.
    sheet.Tabs()->setCurrentIndex(PersonSheet::Address);
    const platform::DialogUnits units(sheet.font());
    EXPECT_EQ(rect(PersonRecord::Addr).width(), units.X(119) + dx);
    EXPECT_EQ(rect(PersonRecord::Addr).height(), units.Y(36) + dy);
    EXPECT_EQ(rect(PersonRecord::City).top(), units.Y(49) + dy);
    EXPECT_EQ(rect(PersonRecord::City).width(), units.X(119) + dx);
    EXPECT_EQ(rect(PersonRecord::State).width(), units.X(30));

    sheet.Tabs()->setCurrentIndex(PersonSheet::Phone);
    const QRect work = rect(PersonRecord::WkPhone), ext = rect(PersonRecord::WkExt);
    EXPECT_EQ(work.width(), units.X(75) + dx);
    EXPECT_EQ(ext.left(), units.X(152) + dx);
    EXPECT_EQ(ext.width(), units.X(27));
    EXPECT_LT(work.right(), ext.left());
    EXPECT_EQ(rect(PersonRecord::WebPage).width(), units.X(119) + dx);

    // Back to its form: every field where it was.
    sheet.resize(base);
    QApplication::processEvents();
    EXPECT_EQ(rect(PersonRecord::WkPhone).width(), units.X(75));
    EXPECT_EQ(rect(PersonRecord::FName), first);
}

TEST_F(PersonSheetOfferTest, TheAddressScrollsWhenItsLinesDoNotFit) {
    PersonSheet& sheet = Open(Named({{PersonRecord::Addr, "One\r\nTwo"}}));
    sheet.Tabs()->setCurrentIndex(PersonSheet::Address);
    auto* address = qobject_cast<QPlainTextEdit*>(sheet.Field(PersonRecord::Addr));
    ASSERT_NE(address, nullptr);
    QApplication::processEvents();
    EXPECT_FALSE(address->verticalScrollBar()->isVisible());
    address->setPlainText(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8"));
    QApplication::processEvents();
    EXPECT_TRUE(address->verticalScrollBar()->isVisible());
    // A taller sheet gives the lines the room, and the bar goes.
    sheet.resize(sheet.size() + QSize(0, 200));
    QApplication::processEvents();
    EXPECT_FALSE(address->verticalScrollBar()->isVisible());
}
