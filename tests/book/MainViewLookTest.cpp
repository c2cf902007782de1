#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <vector>

#include "CommandKeys.h"
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

}  // namespace
