#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "CommandAvailability.h"
#include "CommandKeys.h"
#include "Commands.h"
#include "ContactDialog.h"
#include "EditorDriving.h"
#include "ListModels.h"
#include "MainView.h"
#include "ModalDriver.h"
#include "PersonSheet.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

// The search field above the person list, driven through the view as the user types.
class MainViewSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        PersonRecord ann;
        ann[PersonRecord::FName] = "Ann";
        ann[PersonRecord::LName] = "Adams";
        ann[PersonRecord::Company] = "Acme";
        ann[PersonRecord::HmPhone] = "+49 (0)30 123-4567";
        ann_ = TestBook::AddPerson(path_, ann);
        PersonRecord bob;
        bob[PersonRecord::FName] = "Bob";
        bob[PersonRecord::LName] = "Brown";
        bob[PersonRecord::City] = "Berlin";
        bob_ = TestBook::AddPerson(path_, bob);
        PersonRecord emond;
        emond[PersonRecord::FName] = "Claire";
        emond[PersonRecord::LName] = "Émond";
        emond[PersonRecord::City] = "Montréal";
        emond_ = TestBook::AddPerson(path_, emond);
        TestBook::AddContact(path_, bob_, "2005-03-01 09:05:00", "Sent the invoice");
        view_.OnPathChanged(path_);
        // The keys run their commands as the main window has them do.
        CommandKeys::Install(view_, [this](int command) { book::RunViewCommand(view_, command); });
        view_.Reload();
        view_.show();
        status_ = std::make_unique<QSignalSpy>(&view_, &MainView::StatusMessage);
    }

    void Type(const QString& text) {
        view_.SearchField()->setFocus();
        view_.SearchField()->clear();
        QTest::keyClicks(view_.SearchField(), text);
    }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (const PersonRow& r : view_.PersonRows().Rows()) {
            names.push_back(r.name);
        }
        return names;
    }
    QString LastStatus() const {
        return status_->isEmpty() ? QString() : status_->last().at(0).toString();
    }
    QLabel* NoMatchLabel() const {
        for (QLabel* label : view_.PersonList()->viewport()->findChildren<QLabel*>()) {
            if (label->isVisible()) {
                return label;
            }
        }
        return nullptr;
    }

    TestBook book_;
    std::string path_;
    RecordId ann_, bob_, emond_;
    MainView view_;
    std::unique_ptr<QSignalSpy> status_;
};

TEST_F(MainViewSearchTest, TypingNarrowsTheListAndTheStatusBarCounts) {
    EXPECT_EQ(Listed().size(), 3u);
    EXPECT_FALSE(view_.Filtered());
    Type(QStringLiteral("b"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Brown, Bob"}));  // Bob, Brown, Berlin
    EXPECT_EQ(LastStatus(), QStringLiteral("1 of 3 persons"));
    Type(QStringLiteral("emond"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Émond, Claire"}));
    Type(QStringLiteral("301234567"));  // the digits of a phone number
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Adams, Ann"}));
    Type(QStringLiteral("note:invoice"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Brown, Bob"}));
    Type(QStringLiteral("city:montreal claire"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Émond, Claire"}));
    Type(QStringLiteral("city:acme"));
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(LastStatus(), QStringLiteral("0 of 3 persons"));
    // Cleared, every person is back.
    view_.SearchField()->clear();
    EXPECT_EQ(Listed().size(), 3u);
    EXPECT_FALSE(view_.Filtered());
    EXPECT_EQ(LastStatus(), QStringLiteral("Ready"));
}

TEST_F(MainViewSearchTest, TheFileIsReadForSearchingWhenTheFieldIsFocusedNotBefore) {
    // A user who never searches pays nothing for it.
    EXPECT_FALSE(view_.SearchIndexReady());
    view_.PersonList()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(view_.SearchIndexReady());
    view_.SearchField()->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(view_.SearchIndexReady());
    // A change behind the view's back is read again when next searched.
    TestBook::AddPerson(path_, "Dora", "Dunn");
    view_.OnReload();
    EXPECT_FALSE(view_.SearchIndexReady());
    QTest::keyClicks(view_.SearchField(), QStringLiteral("dunn"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Dunn, Dora"}));
}

TEST_F(MainViewSearchTest, ALargeFileIsReadForSearchingWithANotice) {
    // Enough persons at once, by the engine itself.
    TestBook::Execute(path_,
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                          std::to_string(MainView::kSearchNoticeFrom) +
                          ") INSERT INTO Person (ID, FName, LName, TmStamp) SELECT "
                          "printf('%08X-0000-0000-%012X', i, i), 'Ned', 'Number' || i, "
                          "'2026-01-01 00:00:00' FROM n");
    view_.OnReload();
    ASSERT_GE(view_.PersonCount(), MainView::kSearchNoticeFrom);
    view_.PersonList()->setFocus();
    QApplication::processEvents();
    status_->clear();
    view_.SearchField()->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(view_.SearchIndexReady());
    ASSERT_GE(status_->size(), 2);
    EXPECT_EQ(status_->at(0).at(0).toString(),
              QStringLiteral("Preparing the address book for searching..."));
    EXPECT_EQ(LastStatus(), QStringLiteral("Ready"));
    Type(QStringLiteral("number12345"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Number12345, Ned"}));
}

TEST_F(MainViewSearchTest, AnEmptyResultSaysSoInTheList) {
    Type(QStringLiteral("zzz"));
    QLabel* label = NoMatchLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("No person matches \"zzz\"."));
    EXPECT_EQ(view_.SelectedPersonRow(), -1);
    EXPECT_FALSE(book::IsAvailable(cmd::kEditPerson, view_.State()));
    Type(QStringLiteral("ann"));
    EXPECT_EQ(NoMatchLabel(), nullptr);
}

TEST_F(MainViewSearchTest, TheSelectionFollowsTheFilteredList) {
    // The person shown stays selected while found; otherwise the first found is.
    ASSERT_EQ(view_.CurrentPersonId(), ann_);
    Type(QStringLiteral("a"));  // Adams and Claire
    EXPECT_EQ(view_.CurrentPersonId(), ann_);
    Type(QStringLiteral("br"));
    EXPECT_EQ(view_.CurrentPersonId(), bob_);
    EXPECT_EQ(view_.SelectedPersonRow(), 0);
    EXPECT_EQ(view_.ContactRows().Rows().size(), 1u);  // Bob's contact shown
    EXPECT_TRUE(book::IsAvailable(cmd::kEditPerson, view_.State()));
    EXPECT_EQ(view_.ShownPersonIds(), (std::vector<RecordId>{bob_}));
    // A reload reads the file again and keeps the search and the selection.
    TestBook::AddPerson(path_, "Brenda", "Bright");
    view_.Reload();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Bright, Brenda", "Brown, Bob"}));
    EXPECT_EQ(view_.CurrentPersonId(), bob_);
    EXPECT_EQ(LastStatus(), QStringLiteral("2 of 4 persons"));
}

TEST_F(MainViewSearchTest, EditsWhileSearchingAreFoundAtOnceAndTheChangedStayShown) {
    Type(QStringLiteral("invoice"));
    ASSERT_EQ(view_.CurrentPersonId(), bob_);
    // A person added while searching is shown, selected, though the search does not find them.
    {
        ModalDriver dialogs;
        dialogs.Expect([](QDialog& d) {
            TypeInto(Sheet(d), PersonRecord::LName, QStringLiteral("Zimmer"));
            PressOk(d, Sheet(d).OkButton());
        });
        ASSERT_TRUE(book::RunViewCommand(view_, cmd::kAddPerson));
    }
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Brown, Bob", "Zimmer"}));
    EXPECT_EQ(view_.PersonRows().Rows()[view_.SelectedPersonRow()].name, "Zimmer");
    // Until the search changes.
    Type(QStringLiteral("invoic"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Brown, Bob"}));
    // A contact added to someone is found by its words at once.
    Type(QStringLiteral("adams"));
    ASSERT_EQ(view_.CurrentPersonId(), ann_);
    {
        ModalDriver dialogs;
        dialogs.Expect([](QDialog& d) {
            auto& dialog = static_cast<ContactDialog&>(d);
            QTest::keyClicks(dialog.DescriptionField(), QStringLiteral("Quote for Ölberg"));
            PressOk(d, dialog.OkButton());
        });
        ASSERT_TRUE(book::RunViewCommand(view_, cmd::kAddContact));
    }
    Type(QStringLiteral("olberg"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Adams, Ann"}));
    // An edit that takes a person out of the search leaves them shown until it changes.
    {
        ModalDriver dialogs;
        dialogs.Expect([](QDialog& d) {
            qobject_cast<QLineEdit*>(Sheet(d).Field(PersonRecord::Company))->clear();
            TypeInto(Sheet(d), PersonRecord::Company, QStringLiteral("Other"));
            PressOk(d, Sheet(d).OkButton());
        });
        Type(QStringLiteral("acme"));
        ASSERT_EQ(view_.CurrentPersonId(), ann_);
        ASSERT_TRUE(book::RunViewCommand(view_, cmd::kEditPerson));
    }
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Adams, Ann"}));
    Type(QStringLiteral("acm"));
    EXPECT_TRUE(Listed().empty());
    Type(QStringLiteral("other"));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Adams, Ann"}));
}

TEST_F(MainViewSearchTest, KeysOfTheSearchField) {
    QLineEdit* search = view_.SearchField();
    view_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view_));
    view_.PersonList()->setFocus();
    ASSERT_TRUE(book::RunViewCommand(view_, cmd::kFind));  // Ctrl+F
    EXPECT_EQ(QApplication::focusWidget(), search);
    QTest::keyClicks(search, QStringLiteral("brown"));
    EXPECT_EQ(Listed().size(), 1u);
    // Down goes to the list; Esc in the field clears the search.
    QTest::keyClick(search, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), view_.PersonList());
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_TRUE(search->text().isEmpty());
    EXPECT_EQ(Listed().size(), 3u);
    // Enter opens the person found.
    QTest::keyClicks(search, QStringLiteral("emond"));
    ModalDriver dialogs;
    dialogs.Expect([](QDialog&) {});
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(dialogs.Captions(), QStringList{QStringLiteral("Edit Address Entry")});
}

TEST_F(MainViewSearchTest, DeletingAFoundPersonLeavesTheRestFound) {
    Type(QStringLiteral("a"));  // Adams, Émond (Claire)
    ASSERT_EQ(Listed().size(), 2u);
    ASSERT_EQ(view_.CurrentPersonId(), ann_);
    ASSERT_TRUE(book::RunViewCommand(view_, cmd::kDeletePerson));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Émond, Claire"}));
    EXPECT_EQ(view_.CurrentPersonId(), emond_);
    EXPECT_EQ(LastStatus(), QStringLiteral("1 of 2 persons"));
    // Undone, the person is back in the search.
    ASSERT_TRUE(book::RunViewCommand(view_, cmd::kUndoDelete));
    EXPECT_EQ(Listed().size(), 2u);
    EXPECT_EQ(view_.CurrentPersonId(), ann_);
}

TEST_F(MainViewSearchTest, AnotherFileStartsWithoutASearch) {
    Type(QStringLiteral("brown"));
    TestBook other;
    const std::string path = other.Create("other.tch");
    TestBook::AddPerson(path, "Dora", "Davis");
    view_.OnPathChanged(path);
    view_.OnReload();
    EXPECT_TRUE(view_.SearchField()->text().isEmpty());
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Davis, Dora"}));
}

}  // namespace
