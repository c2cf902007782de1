#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QTreeView>

#include <memory>

#include "Commands.h"
#include "ContextMenus.h"
#include "CurrentDatabase.h"
#include "FileDialogRecorder.h"
#include "MainFrame.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "NoBookPane.h"
#include "SettingsSandbox.h"
#include "TestBook.h"

namespace {

class MainWindowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        CurrentDatabasePath.clear();
    }
    void TearDown() override {
        frame_.reset();
        CurrentDatabasePath.clear();
    }

    // A new run of the program, shown and settled.
    void StartFrame(const std::string& book = std::string()) {
        frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
        ASSERT_TRUE(frame_->Start(QString::fromStdString(book)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
        QTest::qWait(50);
    }

    int StoredSplit() const {
        QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
        return stored.value(QStringLiteral("Settings/split.firstPane")).toInt();
    }

    void StorePlacement(int showCmd, const QRect& normal) {
        QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
        stored.setValue(QStringLiteral("Settings/wp.showCmd"), showCmd);
        stored.setValue(QStringLiteral("Settings/wp.left"), normal.left());
        stored.setValue(QStringLiteral("Settings/wp.top"), normal.top());
        stored.setValue(QStringLiteral("Settings/wp.right"), normal.left() + normal.width());
        stored.setValue(QStringLiteral("Settings/wp.bottom"), normal.top() + normal.height());
    }

    SettingsSandbox sandbox_;
    TestBook book_;
    MessageRecorder boxes_;
    FileDialogRecorder dialogs_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(MainWindowLayoutTest, TheSplitComesBackExactlyInAMaximisedWindowOfAnotherSize) {
    book_.Create();
    StartFrame(book_.Path("book.tch"));
    frame_->resize(frame_->View()->FormSize() + QSize(60, 40));
    QTest::qWait(20);
    // Narrower than it came, so that even a small screen has room for it beside the details.
    const int chosen = frame_->View()->ListPaneWidth() - 23;
    frame_->View()->SetListPaneWidth(chosen);
    frame_->Action(cmd::kExit)->trigger();
    ASSERT_EQ(StoredSplit(), chosen);

    // The next runs start maximised over a normal rectangle of another size: each shows the
    // chosen width and stores it unchanged.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (int run = 0; run < 3; ++run) {
        StorePlacement(3, QRect(screen.topLeft() + QPoint(10, 10),
                                frame_->minimumSize() + QSize(30 * run, 20)));
        StartFrame(book_.Path("book.tch"));
        EXPECT_TRUE(frame_->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(frame_->View()->ListPaneWidth(), chosen) << "run " << run;
        frame_->close();
        EXPECT_EQ(StoredSplit(), chosen) << "run " << run;
    }
}

TEST_F(MainWindowLayoutTest, ADraggedSplitOutlivesAWindowTooNarrowForIt) {
    StartFrame(book_.Create());
    const int chosen = frame_->View()->ListPaneWidth() + 50;
    frame_->View()->SetListPaneWidth(chosen);
    // Narrower than the list wants: the list gives way for now, and takes its width back when
    // the window is widened again.
    frame_->resize(QSize(chosen / 2, frame_->height()));
    QTest::qWait(20);
    frame_->resize(frame_->View()->FormSize() + QSize(300, 0));
    QTest::qWait(20);
    EXPECT_EQ(frame_->View()->ListPaneWidth(), chosen);
    // Widening the window widens the details, not the list.
    frame_->resize(frame_->size() + QSize(200, 0));
    QTest::qWait(20);
    EXPECT_EQ(frame_->View()->ListPaneWidth(), chosen);
    frame_->close();
    EXPECT_EQ(StoredSplit(), chosen);
}

QStringList Texts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions()) {
        if (!a->isSeparator()) {
            texts << a->text().section(QLatin1Char('\t'), 0, 0) + (a->isEnabled() ? "" : " -");
        }
    }
    return texts;
}

TEST_F(MainWindowLayoutTest, RightClickMenusOfferTheMenusCommandsAsTheyStand) {
    const std::string path = book_.Create();
    PersonRecord p;
    p[PersonRecord::FName] = "Ada";
    p[PersonRecord::LName] = "Lovelace";
    p[PersonRecord::WkPhone] = "555-0102";
    TestBook::AddPerson(path, p);
    TestBook::AddPerson(path, "Bob", "Baker");
    frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    ASSERT_TRUE(frame_->Start(QString::fromStdString(path)));
    MainView* view = frame_->View();
    QTreeView* persons = view->PersonList();
    ASSERT_EQ(persons->model()->rowCount(), 2);
    EXPECT_EQ(persons->contextMenuPolicy(), Qt::CustomContextMenu);

    // A right click on Lovelace selects her first; she has a phone but no mail or web page.
    const QPoint second = persons->visualRect(persons->model()->index(1, 0)).center();
    std::unique_ptr<QMenu> menu(frame_->ViewMenus()->MenuFor(persons, second));
    ASSERT_TRUE(menu);
    EXPECT_EQ(view->SelectedPersonRow(), 1);
    EXPECT_EQ(Texts(menu.get()), (QStringList{"&Add", "&Edit", "&Delete", "&Call", "&Mail -",
                                              "Open &Web Page -", "&Log Last Call -"}));
    // The list's entries are the menu bar's own actions.
    EXPECT_TRUE(menu->actions().contains(frame_->Action(cmd::kEditPerson)));
    EXPECT_EQ(menu->actions().at(4)->text(), QStringLiteral("&Call\t555-0102"));

    // No contact yet: the contact list offers Add only.
    menu.reset(frame_->ViewMenus()->MenuFor(view->ContactList(), QPoint(5, 5)));
    EXPECT_EQ(Texts(menu.get()), (QStringList{"&Add", "&Edit -", "&Delete -", "&Log Last Call -"}));

    // The work phone button copies its number.
    QWidget* work = view->Control(1012);
    menu.reset(frame_->ViewMenus()->MenuFor(work, QPoint(2, 2)));
    ASSERT_EQ(Texts(menu.get()), QStringList{"&Copy"});
    QGuiApplication::clipboard()->clear();
    menu->actions().at(0)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("555-0102"));

    // The person list's header sorts by company, checked as it stands.
    menu.reset(frame_->ViewMenus()->MenuFor(persons->header(), QPoint(2, 2)));
    ASSERT_EQ(Texts(menu.get()), (QStringList{"Sort by &Name", "Sort by &Company"}));
    EXPECT_TRUE(menu->actions().at(0)->isChecked());
    menu->actions().at(1)->trigger();
    EXPECT_EQ(view->PersonSortOrder(), PersonOrder::ByCompany);
    // With the last contact's column shown, its order too, and no other checked while it holds.
    view->ShowLastContactColumn(true);
    menu.reset(frame_->ViewMenus()->MenuFor(persons->header(), QPoint(2, 2)));
    ASSERT_EQ(Texts(menu.get()),
              (QStringList{"Sort by &Name", "Sort by &Company", "Sort by &Last Contact"}));
    menu->actions().at(2)->trigger();
    EXPECT_TRUE(view->PersonsNewestFirst());
    menu.reset(frame_->ViewMenus()->MenuFor(persons->header(), QPoint(2, 2)));
    EXPECT_FALSE(menu->actions().at(1)->isChecked());
    EXPECT_TRUE(menu->actions().at(2)->isChecked());
    menu->actions().at(2)->trigger();  // the order shown stays
    EXPECT_TRUE(view->PersonsNewestFirst());
    menu->actions().at(1)->trigger();
    EXPECT_FALSE(view->PersonsByLastContact());
    EXPECT_EQ(view->PersonSortOrder(), PersonOrder::ByCompany);
    view->ShowLastContactColumn(false);
    menu.reset(frame_->ViewMenus()->MenuFor(view->ContactList()->header(), QPoint(2, 2)));
    ASSERT_EQ(Texts(menu.get()), (QStringList{"Sort by &Date", "Sort by Contact &Type"}));
    menu->actions().at(1)->trigger();
    EXPECT_EQ(view->ContactSortOrder(), ContactOrder::ByType);
    // Choosing the order shown keeps it.
    menu.reset(frame_->ViewMenus()->MenuFor(view->ContactList()->header(), QPoint(2, 2)));
    EXPECT_TRUE(menu->actions().at(1)->isChecked());
    menu->actions().at(1)->trigger();
    EXPECT_EQ(view->ContactSortOrder(), ContactOrder::ByType);

    // The list's menu follows the menu bar's state: no person selected, nothing to edit.
    view->SetSelection(-1, RecordId(), -1, RecordId());
    frame_->UpdateCommands();
    menu.reset(frame_->ViewMenus()->MenuFor(persons, QPoint(-5, -5)));
    EXPECT_FALSE(frame_->Action(cmd::kEditPerson)->isEnabled());
    EXPECT_EQ(Texts(menu.get()).mid(0, 3), (QStringList{"&Add", "&Edit -", "&Delete -"}));
}

TEST_F(MainWindowLayoutTest, WithNoBookOpenTheViewOffersToMakeOrOpenOne) {
    const std::string a = book_.Create("a.tch");
    const std::string b = book_.Create("b.tch");
    StartFrame();
    NoBookPane* pane = frame_->View()->NoBook();
    ASSERT_TRUE(pane->isVisible());
    EXPECT_FALSE(frame_->View()->PersonList()->isVisible());
    EXPECT_TRUE(pane->findChildren<QLabel*>().size() > 0);
    bool said = false;
    for (const QLabel* label : pane->findChildren<QLabel*>()) {
        said = said || label->text() == QStringLiteral("No address book is open.");
    }
    EXPECT_TRUE(said);
    EXPECT_EQ(pane->NewButton()->text(), QStringLiteral("New Address Book..."));
    EXPECT_EQ(pane->OpenButton()->text(), QStringLiteral("Open Address Book..."));
    EXPECT_TRUE(pane->RecentLinks().isEmpty());
    // There is no list to search.
    EXPECT_FALSE(frame_->Action(cmd::kFind)->isEnabled());

    // "Open Address Book..." runs File, Open.
    dialogs_.Answer(QString::fromStdString(a));
    pane->OpenButton()->click();
    EXPECT_EQ(CurrentDatabasePath, a);
    EXPECT_FALSE(pane->isVisible());
    EXPECT_TRUE(frame_->View()->PersonList()->isVisible());
    EXPECT_TRUE(frame_->Action(cmd::kFind)->isEnabled());
    dialogs_.Answer(QString::fromStdString(b));
    frame_->Action(cmd::kFileOpen)->trigger();

    // The next start finds the last book gone: the two before come as links, the latest first.
    frame_.reset();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(b)));
    CurrentDatabasePath.clear();
    StartFrame();
    pane = frame_->View()->NoBook();
    ASSERT_TRUE(pane->isVisible());
    ASSERT_EQ(pane->RecentLinks().size(), 2);
    EXPECT_TRUE(pane->RecentLinks().at(0)->text().contains(QStringLiteral("b.tch")));
    EXPECT_TRUE(pane->RecentLinks().at(1)->text().contains(QStringLiteral("a.tch")));
    // A link opens its book as the recent-files menu does.
    emit pane->RecentLinks().at(1)->linkActivated(QStringLiteral("x"));
    EXPECT_EQ(CurrentDatabasePath, a);
    EXPECT_EQ(frame_->RecentFiles().Entries().value(0), QString::fromStdString(a));
}

}  // namespace
