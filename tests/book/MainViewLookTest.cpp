#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <optional>
#include <string>
#include <vector>

#include "CommandKeys.h"
#include "DetailsLayout.h"
#include "DialogUnits.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

// Sets the application's font or palette for one test and puts the old one back.
class FontScope {
public:
    explicit FontScope(int pointSize) {
        QFont font = old_;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
    }
    ~FontScope() { QApplication::setFont(old_); }

private:
    const QFont old_ = QApplication::font();
};

class PaletteScope {
public:
    explicit PaletteScope(const QPalette& palette) { QApplication::setPalette(palette); }
    ~PaletteScope() { QApplication::setPalette(old_); }

private:
    const QPalette old_ = QApplication::palette();
};

// A palette of light text on dark grounds, as a dark desktop theme gives.
QPalette DarkPalette() {
    QPalette p;
    const auto set = [&p](QPalette::ColorRole role, const QColor& active, const QColor& disabled) {
        p.setColor(QPalette::Active, role, active);
        p.setColor(QPalette::Inactive, role, active);
        p.setColor(QPalette::Disabled, role, disabled);
    };
    set(QPalette::Window, QColor(40, 42, 46), QColor(40, 42, 46));
    set(QPalette::WindowText, QColor(230, 230, 230), QColor(120, 120, 120));
    set(QPalette::Base, QColor(20, 20, 22), QColor(30, 30, 32));
    set(QPalette::Text, QColor(240, 240, 240), QColor(110, 110, 110));
    set(QPalette::Button, QColor(55, 57, 62), QColor(50, 50, 54));
    set(QPalette::ButtonText, QColor(235, 235, 235), QColor(115, 115, 118));
    return p;
}

class MainViewLookTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        PersonRecord p;
        p[PersonRecord::Title] = "Dr.";
        p[PersonRecord::FName] = "Ada";
        p[PersonRecord::LName] = "Lovelace";
        p[PersonRecord::Company] = "Analytical Engines";
        p[PersonRecord::HmPhone] = "555-0101";
        p[PersonRecord::WkPhone] = "555-0102";
        p[PersonRecord::Pager] = "555-0103";
        p[PersonRecord::CelPhone] = "555-0104";
        p[PersonRecord::Email] = "ada@example.org";
        p[PersonRecord::WebPage] = "https://example.org/ada";
        const RecordId ada = TestBook::AddPerson(path_, p);
        TestBook::AddContact(path_, ada, "2024-03-01 10:00:00", "Talked about the engine");
    }

    // A view of the book in a window of its own, shown and active.
    std::unique_ptr<MainView> ShowView(const QSize& size) {
        auto view = std::make_unique<MainView>();
        view->OnPathChanged(path_);
        CommandKeys::Install(*view,
                             [v = view.get()](int command) { book::RunViewCommand(*v, command); });
        view->resize(size);
        view->show();
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->Reload();
        return view;
    }

    static QScrollArea* DetailsScroll(const MainView& view) {
        for (QScrollArea* area : view.findChildren<QScrollArea*>()) {
            if (area->isAncestorOf(view.Control(1027))) {
                return area;
            }
        }
        return nullptr;
    }

    TestBook book_;
    std::string path_;
    MessageRecorder boxes_;
};

const int kReadOnlyFields[] = {1027, 1028, 1031, 1023, 1024, 1026,
                               1029, 1030, 1025, 1161, 1162, 1163};

TEST_F(MainViewLookTest, TheFormFollowsTheApplicationFont) {
    auto small = ShowView(QSize(900, 600));
    const QSize smallForm = small->FormSize();
    const int smallField = small->Control(1027)->height();
    const int smallRow =
        small->PersonList()->visualRect(small->PersonList()->model()->index(0, 0)).height();
    const int smallUnit = platform::DialogUnits(platform::DialogFont()).X(100);
    {
        FontScope large(QApplication::font().pointSize() + 8);
        QTest::qWait(20);
        // A view made now, and the one already shown, both lay the form out in the new font.
        const int largeUnit = platform::DialogUnits(platform::DialogFont()).X(100);
        EXPECT_GT(largeUnit, smallUnit * 3 / 2);
        auto made = ShowView(QSize(900, 600));
        for (MainView* view : {made.get(), small.get()}) {
            EXPECT_GT(view->FormSize().width(), smallForm.width() * 3 / 2);
            EXPECT_GT(view->FormSize().height(), smallForm.height() * 3 / 2);
            EXPECT_EQ(view->Control(1027)->font().pointSize(), QApplication::font().pointSize());
            EXPECT_GT(view->Control(1027)->height(), smallField * 3 / 2);
            EXPECT_GT(
                view->PersonList()->visualRect(view->PersonList()->model()->index(0, 0)).height(),
                smallRow);
        }
    }
    // Back to the old font, back to the old form.
    QTest::qWait(20);
    EXPECT_EQ(small->FormSize(), smallForm);
    EXPECT_EQ(small->Control(1027)->height(), smallField);
}

TEST_F(MainViewLookTest, OnASmallScreenTheDetailsScrollDownNotAcross) {
    auto view = ShowView(QSize(800, 520));
    QTest::qWait(20);
    QScrollArea* scroll = DetailsScroll(*view);
    ASSERT_NE(scroll, nullptr);
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_LE(view->width(), 800);
    // Every control of the details lies within the width shown.
    const int shown = scroll->viewport()->width();
    for (int id : {1031, 1019, 1025, 1165, 1021, 1153, 1159}) {
        QWidget* control = view->Control(id);
        const QPoint left = control->mapTo(scroll->widget(), QPoint(0, 0));
        EXPECT_LE(left.x() + control->width(), shown) << id;
    }
    // The list gave way for the details and keeps a usable width.
    EXPECT_GT(view->PersonList()->width(), 60);
    // A large font on the same screen: the window still fits it, and the details scroll down.
    FontScope large(14);
    QTest::qWait(20);
    view->resize(800, 520);
    QTest::qWait(20);
    EXPECT_LE(view->width(), 800);
    EXPECT_TRUE(scroll->verticalScrollBar()->isVisible());
    EXPECT_GE(scroll->widget()->height(), view->FormSize().height());
}

// Each caption of the details with the control after it in its row (0: none beside it).
const int kCaptions[][2] = {
    {1045, 1027}, {1036, 1028}, {1041, 1031}, {1062, 1009}, {1064, 1012},
    {1068, 1015}, {1039, 1016}, {1047, 1018}, {1040, 1017}, {1072, 1019},
    {1037, 1023}, {1042, 1024}, {1032, 1026}, {1033, 1029}, {1034, 1030},
    {1079, 1025}, {1043, 1161}, {1078, 1162}, {1044, 0},
};

// The details' controls that show a text or a value; none may lie over another.
const int kDetailsControls[] = {1045, 1027, 1036, 1028, 1041, 1031, 1062, 1009, 1064, 1012,
                                1068, 1015, 1039, 1016, 1047, 1018, 1040, 1017, 1072, 1019,
                                1037, 1023, 1042, 1024, 1032, 1026, 1033, 1029, 1034, 1030,
                                1079, 1025, 1043, 1161, 1078, 1162, 1044, 1163, 1165, 1021};

// Every caption shows its whole text, clear of the control after it, and every control of the
// details lies within the width the details show, apart from the others.
void ExpectWholeDetails(const MainView& view, const QScrollArea& scroll, const std::string& when) {
    EXPECT_FALSE(scroll.horizontalScrollBar()->isVisible()) << when;
    const int shown = scroll.viewport()->width();
    for (const auto& [id, next] : kCaptions) {
        auto* label = qobject_cast<QLabel*>(view.Control(id));
        ASSERT_NE(label, nullptr) << id;
        QString text = label->text();
        text.remove(QLatin1Char('&'));
        const int needed =
            std::max(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(text));
        EXPECT_GE(label->width(), needed) << when << ": " << text.toStdString();
        EXPECT_LE(label->geometry().right(), shown) << when << ": " << text.toStdString();
        if (next != 0) {
            const QWidget* control = view.Control(next);
            EXPECT_GT(control->x(), label->geometry().right())
                << when << ": " << text.toStdString();
            EXPECT_GT(control->width(), label->fontMetrics().averageCharWidth() * 2)
                << when << ": " << next;
        }
    }
    for (size_t i = 0; i < std::size(kDetailsControls); ++i) {
        const QRect a = view.Control(kDetailsControls[i])->geometry();
        EXPECT_LE(a.right(), shown) << when << ": " << kDetailsControls[i];
        for (size_t j = i + 1; j < std::size(kDetailsControls); ++j) {
            EXPECT_FALSE(a.intersects(view.Control(kDetailsControls[j])->geometry()))
                << when << ": " << kDetailsControls[i] << " and " << kDetailsControls[j];
        }
    }
}

TEST_F(MainViewLookTest, EveryCaptionShowsItsWholeTextAtEveryFontAndWidth) {
    for (int points : {0, 14}) {
        std::optional<FontScope> font;
        if (points > 0) {
            font.emplace(points);
        }
        for (const QSize& size : {QSize(800, 600), QSize(1400, 900)}) {
            const std::string when =
                std::to_string(points) + " pt, " + std::to_string(size.width()) + " wide";
            auto view = ShowView(size);
            QTest::qWait(20);
            QScrollArea* scroll = DetailsScroll(*view);
            ASSERT_NE(scroll, nullptr);
            EXPECT_LE(view->width(), size.width()) << when;
            ExpectWholeDetails(*view, *scroll, when);
            // The handle dragged far to the right squeezes the details to their least width:
            // they still show whole, and scroll down only.
            view->SetListPaneWidth(size.width());
            QTest::qWait(20);
            ExpectWholeDetails(*view, *scroll, when + ", list widened");
            EXPECT_GE(scroll->widget()->height(),
                      scroll->widget()->heightForWidth(scroll->widget()->width()))
                << when;
        }
    }
}

TEST_F(MainViewLookTest, NarrowDetailsPutTheCompanyAndAddressUnderThePhones) {
    auto view = ShowView(QSize(1400, 900));
    QScrollArea* scroll = DetailsScroll(*view);
    ASSERT_NE(scroll, nullptr);
    // Side by side at the designed width.
    const QRect phones = view->Control(1153)->geometry();
    EXPECT_EQ(view->Control(1157)->y(), phones.y());
    EXPECT_GT(view->Control(1157)->x(), phones.right());
    // A large font with the list taking most of the window: the boxes stack, in the order read.
    FontScope large(14);
    QTest::qWait(20);
    view->SetListPaneWidth(1400);
    QTest::qWait(20);
    const QRect stackedPhones = view->Control(1153)->geometry();
    const QRect companyBox = view->Control(1157)->geometry();
    const QRect addressBox = view->Control(1154)->geometry();
    EXPECT_GT(companyBox.y(), stackedPhones.bottom());
    EXPECT_EQ(companyBox.x(), stackedPhones.x());
    EXPECT_GE(addressBox.y(), companyBox.y() + companyBox.height() / 2);
    EXPECT_GT(view->Control(1159)->y(), addressBox.bottom());
    EXPECT_GT(view->Control(1023)->y(), view->Control(1019)->geometry().bottom());
    ExpectWholeDetails(*view, *scroll, "stacked");
    // A value longer than its narrowed button ends in an ellipsis; the button keeps the whole.
    const QString address = QStringLiteral("charles.babbage.difference@analytical-engines.example");
    TestBook::Execute(path_, "UPDATE Person SET Email = '" + address.toStdString() + "'");
    view->Reload();
    auto* email = qobject_cast<QPushButton*>(view->Control(1017));
    ASSERT_NE(email, nullptr);
    EXPECT_TRUE(email->text().endsWith(QChar(0x2026))) << email->text().toStdString();
    EXPECT_LT(email->fontMetrics().horizontalAdvance(email->text()), email->width());
    EXPECT_EQ(email->property("value").toString(), address);
    EXPECT_EQ(email->toolTip(), address);
    EXPECT_EQ(email->accessibleName(), QStringLiteral("E-Mail: ") + address);
    // Taller for it: the details scroll down to the contact log.
    EXPECT_GE(scroll->widget()->height(), view->Control(1159)->geometry().bottom());
    // Wide again, side by side again.
    view->SetListPaneWidth(200);
    QTest::qWait(20);
    EXPECT_EQ(view->Control(1157)->y(), view->Control(1153)->y());
}

TEST_F(MainViewLookTest, ReadOnlyFieldsAndNotAvailableTakeThePalettesRoles) {
    auto view = ShowView(QSize(900, 600));
    // A dark palette while the window is shown: the fields follow it.
    const PaletteScope dark(DarkPalette());
    QTest::qWait(20);
    // The person without a web page shows its button greyed in the palette's disabled colours.
    TestBook::Execute(path_, "UPDATE Person SET WebPage = ''");
    view->Reload();
    auto* web = qobject_cast<QPushButton*>(view->Control(1019));
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->text(), QStringLiteral("Not Available"));
    EXPECT_FALSE(web->isEnabled());
    EXPECT_EQ(web->palette().color(QPalette::Disabled, QPalette::ButtonText),
              QColor(115, 115, 118));
    for (int id : kReadOnlyFields) {
        QWidget* field = view->Control(id);
        ASSERT_NE(field, nullptr) << id;
        EXPECT_EQ(field->palette().color(QPalette::Active, QPalette::Base), QColor(40, 42, 46))
            << id;
        EXPECT_EQ(field->palette().color(QPalette::Active, QPalette::Text), QColor(230, 230, 230))
            << id;
        EXPECT_EQ(field->palette().color(QPalette::Disabled, QPalette::Text), QColor(120, 120, 120))
            << id;
        if (auto* line = qobject_cast<QLineEdit*>(field)) {
            EXPECT_FALSE(line->hasFrame()) << id;
        }
    }
    // A window opened under that palette shows the same.
    auto another = ShowView(QSize(900, 600));
    EXPECT_EQ(another->Control(1165)->palette().color(QPalette::Base), QColor(40, 42, 46));
}

TEST_F(MainViewLookTest, TabPassesTheShowingFieldsByAndAClickStillSelects) {
    auto view = ShowView(QSize(900, 600));
    view->PersonList()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), view->PersonList());
    const std::vector<QWidget*> expected = {
        view->SearchField(), view->Control(1009), view->Control(1012), view->Control(1015),
        view->Control(1018), view->Control(1017), view->Control(1019), view->ContactList(),
        view->Control(1165), view->PersonList()};
    for (size_t i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[i]) << "Tab " << i + 1;
    }
    // Back the other way.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), view->Control(1165));
    // A value button without a value is passed by as well.
    TestBook::Execute(path_, "UPDATE Person SET Pager = ''");
    view->Reload();
    view->Control(1012)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->Control(1018));
    // A click in a showing field still puts the cursor there to select and copy its text.
    auto* company = qobject_cast<QLineEdit*>(view->Control(1023));
    ASSERT_NE(company, nullptr);
    QTest::mouseClick(company, Qt::LeftButton, {}, company->rect().center());
    EXPECT_EQ(QApplication::focusWidget(), company);
    QTest::keyClick(company, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(company->selectedText(), QStringLiteral("Analytical Engines"));
    EXPECT_TRUE(company->isReadOnly());
}

// The layout alone, on a made-up form: a box of phones and a box of company beside it, a contact
// box under both.
namespace dl = details_layout;

class DetailsLayoutTest : public ::testing::Test {
protected:
    DetailsLayoutTest() {
        items_ = {
            {QRect(0, 0, 200, 40), dl::Block::Phones, dl::Kind::Frame, true, false, 0},
            {QRect(4, 10, 40, 12), dl::Block::Phones, dl::Kind::Caption, false, false, 70},
            {QRect(46, 10, 140, 14), dl::Block::Phones, dl::Kind::Control, true, false, 40},
            {QRect(210, 0, 200, 40), dl::Block::Company, dl::Kind::Frame, true, false, 0},
            {QRect(214, 10, 40, 12), dl::Block::Company, dl::Kind::Caption, false, false, 30},
            {QRect(256, 10, 140, 14), dl::Block::Company, dl::Kind::Control, true, false, 40},
            {QRect(0, 50, 410, 60), dl::Block::Contact, dl::Kind::Frame, true, true, 0},
            {QRect(6, 60, 398, 40), dl::Block::Contact, dl::Kind::Control, true, true, 100},
        };
    }
    dl::Placement Lay(int width, bool stacked, int height = 110) const {
        return dl::Lay(items_, kDesigned, QSize(width, height), stacked, kSpacing);
    }

    static constexpr QSize kDesigned{410, 110};
    static constexpr dl::Spacing kSpacing{3, 2, 5};
    std::vector<dl::Item> items_;
};

TEST_F(DetailsLayoutTest, ACaptionGetsItsTextsWidthAndTheControlAfterItMovesOver) {
    const dl::Placement at = Lay(410, false);
    EXPECT_TRUE(at.fits);
    // The caption too narrow for its text widens to it and the gap; its control starts after
    // it, ends as drawn.
    EXPECT_EQ(at.rects[1].width(), 70 + 3);
    EXPECT_EQ(at.rects[2].x(), 4 + 70 + 3);
    EXPECT_EQ(at.rects[2].x() + at.rects[2].width(), 186);
    // A caption wide enough keeps its place and width, and so does its control.
    EXPECT_EQ(at.rects[4], QRect(214, 10, 40, 12));
    EXPECT_EQ(at.rects[5], QRect(256, 10, 140, 14));
    // Wider: each box shares the width in proportion; the contact box takes the extra height.
    const dl::Placement wide = Lay(820, false, 200);
    EXPECT_EQ(wide.rects[3].x(), 420);
    EXPECT_EQ(wide.rects[5].x() + wide.rects[5].width(), 792);
    EXPECT_EQ(wide.rects[6].height(), 60 + 90);
    EXPECT_EQ(wide.rects[1].height(), 12);
}

TEST_F(DetailsLayoutTest, TheLeastWidthIsWhereTheControlsStillFitTheirBoxes) {
    const int sideBySide = dl::LeastWidth(items_, kDesigned, false, kSpacing);
    EXPECT_LT(sideBySide, 410);
    EXPECT_TRUE(Lay(sideBySide, false).fits);
    EXPECT_FALSE(Lay(sideBySide - 1, false).fits);
    // Narrower, the phone control would end past its box.
    const dl::Placement squeezed = Lay(sideBySide - 40, false);
    EXPECT_FALSE(squeezed.fits);
    // Stacked, the boxes each take the whole width: they fit in less.
    const int stacked = dl::LeastWidth(items_, kDesigned, true, kSpacing);
    EXPECT_LT(stacked, sideBySide);
    EXPECT_TRUE(Lay(stacked, true).fits);
    EXPECT_FALSE(Lay(stacked - 1, true).fits);
}

TEST_F(DetailsLayoutTest, StackedTheCompanyGoesUnderThePhonesAndTheContactUnderBoth) {
    const dl::Placement at = Lay(250, true);
    EXPECT_TRUE(at.stacked);
    EXPECT_EQ(at.rects[3].y(), 40 + 5);
    EXPECT_EQ(at.rects[3].x(), at.rects[0].x());
    EXPECT_EQ(at.rects[3].width(), at.rects[0].width());
    EXPECT_EQ(at.rects[5].y(), 10 + 45);
    EXPECT_EQ(at.rects[6].y(), 50 + 45);
    EXPECT_EQ(at.height, 110 + 45);
    // Nothing lies past the width.
    for (const QRect& r : at.rects) {
        EXPECT_LE(r.x() + r.width(), 250);
    }
    // Side by side the height stays as drawn.
    EXPECT_EQ(Lay(410, false).height, 110);
}

}  // namespace
