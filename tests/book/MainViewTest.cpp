#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QWhatsThis>

#include "CommandAvailability.h"
#include "CommandKeys.h"
#include "Commands.h"
#include "ListModels.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "TestBook.h"
#include "ViewCommands.h"

namespace {

class MainViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        view_.OnPathChanged(path_);
        // The keys run their commands as the main window has them do.
        CommandKeys::Install(view_, [this](int command) { book::RunViewCommand(view_, command); });
        // Laid out as on screen: headers and panes get their sizes only when shown.
        view_.show();
    }

    QString FieldText(int id) const {
        QWidget* w = view_.Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            return edit->text();
        }
        if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
            return text->toPlainText();
        }
        if (auto* label = qobject_cast<QLabel*>(w)) {
            return label->text();
        }
        return static_cast<QPushButton*>(w)->text().replace(QStringLiteral("&&"),
                                                            QStringLiteral("&"));
    }

    std::vector<std::string> ListedNames() const {
        std::vector<std::string> names;
        for (const PersonRow& r : view_.PersonRows().Rows()) {
            names.push_back(r.name);
        }
        return names;
    }

    void ClickPerson(int row) {
        QTreeView* list = view_.PersonList();
        const QRect r = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }

    void ClickContact(int row) {
        QTreeView* list = view_.ContactList();
        const QRect r = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }

    void ClickHeader(QTreeView* list, int column) {
        QHeaderView* header = list->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    TestBook book_;
    std::string path_;
    MainView view_;
};

const int kValueControls[] = {1009, 1012, 1015, 1016, 1018, 1017, 1019};

TEST_F(MainViewTest, EmptyFileShowsEmptyPanels) {
    view_.Reload();
    EXPECT_EQ(view_.PersonRows().Rows().size(), 0u);
    EXPECT_EQ(view_.ContactRows().Rows().size(), 0u);
    for (int id : kValueControls) {
        EXPECT_EQ(FieldText(id), QStringLiteral("Not Available")) << id;
        EXPECT_FALSE(view_.Control(id)->isEnabled()) << id;
    }
    // No contact: no date or time either, not the time of day.
    for (int id : {1161, 1162, 1163, 1165}) {
        EXPECT_EQ(FieldText(id), QString()) << id;
    }
    EXPECT_EQ(view_.SelectedPersonRow(), -1);
    EXPECT_TRUE(view_.CurrentPersonId().empty());
}

TEST_F(MainViewTest, ListsHaveTheirColumns) {
    QAbstractItemModel* persons = view_.PersonList()->model();
    EXPECT_EQ(persons->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(persons->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Company"));
    QAbstractItemModel* contacts = view_.ContactList()->model();
    const QStringList expected = {QStringLiteral("Date"), QStringLiteral("Time"),
                                  QStringLiteral("Contact Type"), QStringLiteral("Notes")};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(contacts->headerData(c, Qt::Horizontal).toString(), expected[c]);
    }
    // Each column shows its longest usual text whole, whatever the font.
    QTreeView* list = view_.ContactList();
    const QFontMetrics metrics(list->font());
    const DateTime widest = DateTime::FromFields(2000, 12, 28, 23, 58, 58);
    const QString samples[] = {QString::fromStdString(FormatDisplayDate(widest)),
                               QString::fromStdString(FormatDisplayTime(widest)),
                               QStringLiteral("Correspondence")};
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(list->columnWidth(c), metrics.horizontalAdvance(samples[c])) << c;
        EXPECT_GT(list->columnWidth(c),
                  metrics.horizontalAdvance(contacts->headerData(c, Qt::Horizontal).toString()))
            << c;
    }
}

TEST_F(MainViewTest, SelectingAPersonShowsDetailsAndPhones) {
    PersonRecord p;
    p[PersonRecord::Title] = "Dr.";
    p[PersonRecord::FName] = "Sean";
    p[PersonRecord::LName] = "O'Brien";
    p[PersonRecord::Company] = "Smith & Sons";
    p[PersonRecord::Addr] = "1 Main St\r\nApt 2";
    p[PersonRecord::City] = "Springfield";
    p[PersonRecord::WkPhone] = "555-1234";
    p[PersonRecord::WkExt] = "12";
    p[PersonRecord::Email] = "sean@example.com";
    p[PersonRecord::WebPage] = "www.example.com/a&b";
    TestBook::AddPerson(path_, p);
    PersonRecord q;
    q[PersonRecord::LName] = "Zed";
    q[PersonRecord::WkExt] = "99";
    q[PersonRecord::HmPhone] = "555-0000";
    TestBook::AddPerson(path_, q);
    view_.Reload();
    ASSERT_EQ(ListedNames(), (std::vector<std::string>{"O'Brien, Sean", "Zed"}));

    ClickPerson(0);
    EXPECT_EQ(view_.SelectedPersonRow(), 0);
    EXPECT_EQ(FieldText(1027), QStringLiteral("Dr."));
    EXPECT_EQ(FieldText(1031), QStringLiteral("O'Brien"));
    EXPECT_EQ(FieldText(1023), QStringLiteral("Smith & Sons"));
    EXPECT_EQ(FieldText(1026), QStringLiteral("1 Main St\nApt 2"));
    EXPECT_EQ(FieldText(1012), QStringLiteral("555-1234x12"));
    EXPECT_TRUE(view_.Control(1012)->isEnabled());
    EXPECT_EQ(FieldText(1019), QStringLiteral("www.example.com/a&b"));
    EXPECT_EQ(FieldText(1009), QStringLiteral("Not Available"));
    EXPECT_FALSE(view_.Control(1009)->isEnabled());
    EXPECT_FALSE(view_.Control(1016)->isEnabled());

    ClickPerson(1);
    EXPECT_EQ(FieldText(1012), QStringLiteral("Not Available"));
    EXPECT_FALSE(view_.Control(1012)->isEnabled());
    EXPECT_EQ(FieldText(1009), QStringLiteral("555-0000"));
    EXPECT_EQ(FieldText(1027), QString());
}

TEST_F(MainViewTest, ValueButtonsHandOnTheirText) {
    PersonRecord p;
    p[PersonRecord::LName] = "Smith";
    p[PersonRecord::WkPhone] = "555-1234";
    p[PersonRecord::WkExt] = "12";
    TestBook::AddPerson(path_, p);
    view_.Reload();
    ClickPerson(0);
    QSignalSpy spy(&view_, &MainView::ValueActivated);
    QTest::mouseClick(view_.Control(1012), Qt::LeftButton);
    QTest::mouseClick(view_.Control(1009), Qt::LeftButton);  // "Not Available": disabled
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toInt(), 1012);
    EXPECT_EQ(spy[0][1].toString(), QStringLiteral("555-1234x12"));
}

TEST_F(MainViewTest, SelectionFollowsTheIdentifierAcrossAReload) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId moved = TestBook::AddPerson(path_, "Bob", "Brown");
    TestBook::AddPerson(path_, "Cy", "Cole");
    view_.Reload();
    ClickPerson(1);
    ASSERT_EQ(view_.CurrentPersonId(), moved);
    TestBook::Execute(path_, "UPDATE Person SET LName = 'Zimmer' WHERE ID = '" + moved + "'");
    view_.Reload();
    EXPECT_EQ(view_.CurrentPersonId(), moved);
    EXPECT_EQ(view_.SelectedPersonRow(), 2);
    EXPECT_EQ(view_.PersonList()->selectionModel()->selectedRows().at(0).row(), 2);
    EXPECT_EQ(FieldText(1031), QStringLiteral("Zimmer"));
}

TEST_F(MainViewTest, SelectionKeepsTheRowWhenTheIdentifierIsGone) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId gone = TestBook::AddPerson(path_, "Bob", "Brown");
    const RecordId next = TestBook::AddPerson(path_, "Cy", "Cole");
    view_.Reload();
    ClickPerson(1);
    TestBook::Execute(path_, "DELETE FROM Person WHERE ID = '" + gone + "'");
    view_.Reload();
    EXPECT_EQ(view_.SelectedPersonRow(), 1);
    EXPECT_EQ(view_.CurrentPersonId(), next);
    TestBook::Execute(path_, "DELETE FROM Person WHERE ID = '" + next + "'");
    view_.Reload();
    EXPECT_EQ(view_.SelectedPersonRow(), -1);
    EXPECT_TRUE(view_.CurrentPersonId().empty());
}

TEST_F(MainViewTest, ShorterContactListLeavesNoContactSelected) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId b = TestBook::AddPerson(path_, "Bob", "Brown");
    for (int i = 1; i <= 3; ++i) {
        TestBook::AddContact(path_, a, "2005-03-0" + std::to_string(i) + " 10:00:00",
                             "a" + std::to_string(i));
    }
    TestBook::AddContact(path_, b, "2005-04-01 10:00:00", "b1");
    TestBook::AddContact(path_, b, "2005-04-02 10:00:00", "b2");
    view_.Reload();
    ClickPerson(1);  // Brown, two contacts
    ClickContact(1);
    EXPECT_EQ(FieldText(1165), QStringLiteral("b1"));
    ClickPerson(0);  // Adams: the same position is selected
    EXPECT_EQ(view_.SelectedContactRow(), 1);
    EXPECT_EQ(FieldText(1165), QStringLiteral("a2"));
    ClickContact(2);
    ClickPerson(1);  // only two rows: nothing selected
    EXPECT_EQ(view_.SelectedContactRow(), -1);
    EXPECT_TRUE(view_.CurrentContactId().empty());
    for (int id : {1161, 1162, 1163, 1165}) {
        EXPECT_EQ(FieldText(id), QString()) << id;
    }
}

TEST_F(MainViewTest, ContactDetailsShowTheSelectedContact) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "2005-03-01 09:05:00", "Called about\r\nthe \"offer\"",
                         "03F6262A-4362-44A9-B770293650BB");
    view_.Reload();
    ClickPerson(0);
    ClickContact(0);
    EXPECT_EQ(FieldText(1165), QStringLiteral("Called about\nthe \"offer\""));
    EXPECT_EQ(FieldText(1163), QStringLiteral("Email"));
    EXPECT_EQ(FieldText(1161),
              QString::fromStdString(FormatDisplayDate(DateTime::FromFields(2005, 3, 1, 9, 5, 0))));
}

TEST_F(MainViewTest, HeaderClicksSortAndTimeOrNotesKeepTheOrder) {
    TestBook::AddPerson(path_, "Mary", "Smith", "Zeta");
    TestBook::AddPerson(path_, "Adam", "Jones", "");
    TestBook::AddPerson(path_, "Sean", "O'Brien", "Acme");
    view_.Reload();
    ClickHeader(view_.PersonList(), 1);
    EXPECT_EQ(ListedNames(),
              (std::vector<std::string>{"Jones, Adam", "O'Brien, Sean", "Smith, Mary"}));
    EXPECT_EQ(view_.PersonSortOrder(), PersonOrder::ByCompany);
    ClickHeader(view_.PersonList(), 0);
    EXPECT_EQ(ListedNames(),
              (std::vector<std::string>{"Jones, Adam", "O'Brien, Sean", "Smith, Mary"}));
    EXPECT_EQ(view_.PersonSortOrder(), PersonOrder::ByName);

    const RecordId person = view_.PersonRows().Rows()[2].id;
    TestBook::AddContact(path_, person, "2005-03-01 09:05:00", "zz call");
    TestBook::AddContact(path_, person, "2006-01-01 09:05:00", "aa mail",
                         "03F6262A-4362-44A9-B770293650BB");
    ClickPerson(2);
    auto notes = [this] {
        std::vector<std::string> n;
        for (const ContactRow& r : view_.ContactRows().Rows()) {
            n.push_back(r.notes);
        }
        return n;
    };
    EXPECT_EQ(notes(), (std::vector<std::string>{"aa mail", "zz call"}));
    ClickHeader(view_.ContactList(), 2);
    EXPECT_EQ(notes(), (std::vector<std::string>{"aa mail", "zz call"}));  // Email < Telephone
    EXPECT_EQ(view_.ContactSortOrder(), ContactOrder::ByType);
    TestBook::Execute(path_,
                      "UPDATE ContactType SET Description = 'A-Telephone' WHERE "
                      "Description = 'Telephone'");
    ClickHeader(view_.ContactList(), 1);
    EXPECT_EQ(notes(), (std::vector<std::string>{"zz call", "aa mail"}));
    EXPECT_EQ(view_.ContactSortOrder(), ContactOrder::ByType);
    ClickHeader(view_.ContactList(), 3);
    EXPECT_EQ(view_.ContactSortOrder(), ContactOrder::ByType);
    ClickHeader(view_.ContactList(), 0);
    EXPECT_EQ(notes(), (std::vector<std::string>{"aa mail", "zz call"}));
}

TEST_F(MainViewTest, SecondClickOnAHeaderTurnsTheOrderRound) {
    TestBook::AddPerson(path_, "Mary", "Smith", "Zeta");
    TestBook::AddPerson(path_, "Adam", "Jones", "Acme");
    const RecordId o = TestBook::AddPerson(path_, "Sean", "O'Brien", "");
    TestBook::AddContact(path_, o, "2005-03-01 09:05:00", "older");
    TestBook::AddContact(path_, o, "2006-01-01 09:05:00", "newer",
                         "03F6262A-4362-44A9-B770293650BB");
    view_.Reload();
    QHeaderView* header = view_.PersonList()->header();
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    ClickHeader(view_.PersonList(), 0);
    EXPECT_EQ(ListedNames(),
              (std::vector<std::string>{"Smith, Mary", "O'Brien, Sean", "Jones, Adam"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    ClickHeader(view_.PersonList(), 0);
    EXPECT_EQ(ListedNames(),
              (std::vector<std::string>{"Jones, Adam", "O'Brien, Sean", "Smith, Mary"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    // Another column starts ascending again.
    ClickHeader(view_.PersonList(), 1);
    ClickHeader(view_.PersonList(), 1);
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(ListedNames().front(), "Smith, Mary");  // Zeta first
    ClickHeader(view_.PersonList(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    const int row = view_.PersonRows().Find(o);
    ClickPerson(row);
    auto notes = [this] {
        std::vector<std::string> n;
        for (const ContactRow& r : view_.ContactRows().Rows()) {
            n.push_back(r.notes);
        }
        return n;
    };
    QHeaderView* contacts = view_.ContactList()->header();
    EXPECT_EQ(notes(), (std::vector<std::string>{"newer", "older"}));
    EXPECT_EQ(contacts->sortIndicatorOrder(), Qt::DescendingOrder);  // newest first
    ClickHeader(view_.ContactList(), 0);
    EXPECT_EQ(notes(), (std::vector<std::string>{"older", "newer"}));
    EXPECT_EQ(contacts->sortIndicatorOrder(), Qt::AscendingOrder);
    // Time keeps the order and its arrow stays on the date.
    ClickHeader(view_.ContactList(), 1);
    EXPECT_EQ(notes(), (std::vector<std::string>{"older", "newer"}));
    EXPECT_EQ(contacts->sortIndicatorSection(), 0);
    EXPECT_EQ(contacts->sortIndicatorOrder(), Qt::AscendingOrder);
    ClickHeader(view_.ContactList(), 0);
    EXPECT_EQ(notes(), (std::vector<std::string>{"newer", "older"}));
    ClickHeader(view_.ContactList(), 2);  // Email, then Telephone
    EXPECT_EQ(notes(), (std::vector<std::string>{"newer", "older"}));
    ClickHeader(view_.ContactList(), 2);
    EXPECT_EQ(notes(), (std::vector<std::string>{"older", "newer"}));
    EXPECT_EQ(contacts->sortIndicatorSection(), 2);
    EXPECT_EQ(contacts->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(MainViewTest, UnreadableDateLeavesEmptyCells) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "sometime", "vague");
    view_.Reload();
    ClickPerson(0);
    QAbstractItemModel* m = view_.ContactList()->model();
    ASSERT_EQ(m->rowCount(), 1);
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), QString());
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), QString());
    EXPECT_EQ(m->data(m->index(0, 2)).toString(), QStringLiteral("Telephone"));
    EXPECT_EQ(m->data(m->index(0, 3)).toString(), QStringLiteral("vague"));
}

TEST_F(MainViewTest, AvailabilityFollowsFileAndSelection) {
    const int personCommands[] = {cmd::kEditPerson,      cmd::kDeletePerson,
                                  cmd::kAddContact,      cmd::kAddressBookReport,
                                  cmd::kEnvelopesReport, cmd::kExportPersons};
    const int contactCommands[] = {cmd::kEditContact, cmd::kDeleteContact, cmd::kContactsReport,
                                   cmd::kExportContacts};
    const int fileCommands[] = {cmd::kAddPerson, cmd::kEditUser, cmd::kContactTypes};

    view_.OnPathChanged("");
    view_.Reload();
    for (int c : fileCommands)
        EXPECT_FALSE(book::IsAvailable(c, view_.State())) << c;
    view_.OnPathChanged(path_);
    view_.Reload();  // an empty book: nothing to select
    for (int c : fileCommands)
        EXPECT_TRUE(book::IsAvailable(c, view_.State())) << c;
    for (int c : personCommands)
        EXPECT_FALSE(book::IsAvailable(c, view_.State())) << c;

    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "2005-03-01 09:05:00", "call");
    view_.OnPathChanged(path_);  // opened again: the first person is selected
    view_.Reload();
    EXPECT_EQ(view_.SelectedPersonRow(), 0);
    EXPECT_EQ(view_.CurrentPersonId(), a);
    for (int c : personCommands)
        EXPECT_TRUE(book::IsAvailable(c, view_.State())) << c;
    for (int c : contactCommands)
        EXPECT_FALSE(book::IsAvailable(c, view_.State())) << c;
    ClickContact(0);
    for (int c : contactCommands)
        EXPECT_TRUE(book::IsAvailable(c, view_.State())) << c;
    EXPECT_FALSE(book::RulesCommand(cmd::kImportPersons));
}

TEST_F(MainViewTest, KeysAndDoubleClicksOpenTheirEditors) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "Bob", "Brown");
    view_.Reload();
    ASSERT_EQ(view_.SelectedPersonRow(), 0);
    ModalDriver dialogs;
    for (int i = 0; i < 7; ++i) {
        dialogs.Expect([](QDialog&) {});  // each is cancelled
    }
    QTreeView* persons = view_.PersonList();
    auto opened = [&dialogs] { return dialogs.Captions().size(); };
    QTest::keyClick(persons, Qt::Key_Insert);
    EXPECT_EQ(opened(), 1);
    QTest::keyClick(persons, Qt::Key_Return);
    EXPECT_EQ(opened(), 2);
    QTest::keyClick(persons, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(opened(), 3);
    QTest::keyClick(persons, Qt::Key_F2);
    EXPECT_EQ(opened(), 4);
    QTest::keyPress(persons, Qt::Key_Control);
    QTest::keyRelease(persons, Qt::Key_Control);
    EXPECT_EQ(opened(), 5);
    QTest::keyPress(persons, Qt::Key_Control);
    QTest::keyClick(persons, Qt::Key_O, Qt::ControlModifier);  // a shortcut, not Ctrl alone
    QTest::keyRelease(persons, Qt::Key_Control);
    EXPECT_EQ(opened(), 5);
    const QRect r = persons->visualRect(persons->model()->index(0, 0));
    // A double click is a click and then the second press.
    QTest::mouseClick(persons->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(persons->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(opened(), 6);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Person"), "2");

    QTreeView* contacts = view_.ContactList();
    QTest::keyClick(contacts, Qt::Key_Insert);  // a current person: add contact
    QTest::keyClick(contacts, Qt::Key_Delete);  // no contact selected: nothing
    QTest::keyClick(contacts, Qt::Key_Return);  // nor an editor
    EXPECT_EQ(dialogs.Captions(),
              QStringList({"Add Address Entry", "Edit Address Entry", "Edit Address Entry",
                           "Edit Address Entry", "Edit Address Entry", "Edit Address Entry",
                           "Add Contact"}));
}

TEST_F(MainViewTest, CtrlClickSelectsWithoutOpeningTheEditor) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "Bob", "Brown");
    view_.Reload();
    ModalDriver dialogs;  // any editor that opens fails the test
    QTreeView* persons = view_.PersonList();
    QTest::keyPress(persons, Qt::Key_Control);
    const QRect r = persons->visualRect(persons->model()->index(1, 0));
    QTest::mouseClick(persons->viewport(), Qt::LeftButton, Qt::ControlModifier, r.center());
    QTest::keyRelease(persons, Qt::Key_Control);
    QApplication::processEvents();
    EXPECT_EQ(view_.SelectedPersonRow(), 1);
    EXPECT_TRUE(dialogs.Captions().isEmpty());
}

TEST_F(MainViewTest, HeldDeleteDeletesOnce) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "Bob", "Brown");
    TestBook::AddPerson(path_, "Cy", "Clark");
    view_.Reload();
    QTreeView* persons = view_.PersonList();
    auto press = [persons](bool repeat) {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(persons, &event);
    };
    press(false);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Person"), "2");
    for (int i = 0; i < 5; ++i) {
        press(true);  // the key held down
    }
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Person"), "2");
    press(false);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT FName FROM Person"), "Cy");
}

TEST_F(MainViewTest, KeysDoNothingWithoutAFile) {
    view_.OnPathChanged("");
    view_.Reload();
    ModalDriver dialogs;  // no editor may open
    QTreeView* persons = view_.PersonList();
    for (Qt::Key key : {Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Return, Qt::Key_F2}) {
        QTest::keyClick(persons, key);
    }
    QTest::keyPress(persons, Qt::Key_Control);
    QTest::keyRelease(persons, Qt::Key_Control);
    QTest::keyClick(view_.ContactList(), Qt::Key_Insert);
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.Captions().isEmpty());
}

TEST_F(MainViewTest, LoadFailuresShowTheirCaptions) {
    TestBook::Execute(path_, "DROP TABLE Person");
    MessageRecorder boxes;
    boxes.Expect();
    view_.Reload();
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Loading Address Book"));
    EXPECT_EQ(boxes.Last().text, QStringLiteral("SQL error or missing database"));
    EXPECT_EQ(boxes.Last().owner, nullptr);
    EXPECT_EQ(boxes.Last().icon, platform::MessageIcon::None);
}

TEST_F(MainViewTest, ContactListFailureShowsItsCaption) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::Execute(path_, "DROP TABLE Contact");
    MessageRecorder boxes;
    boxes.Expect();
    view_.Reload();
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Loading Contacts List"));
    EXPECT_EQ(view_.SelectedPersonRow(), 0);  // the person is still shown
    EXPECT_TRUE(view_.ContactRows().Rows().empty());
}

TEST_F(MainViewTest, DetailFailuresShowTheirCaptions) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId c = TestBook::AddContact(path_, a, "2005-03-01 09:05:00", "call");
    view_.Reload();
    TestBook::Execute(path_, "ALTER TABLE Person RENAME TO Gone");
    MessageRecorder boxes;
    boxes.Expect();
    view_.ShowPerson(a);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Address Entry Information"));
    // A contact's details come from its row in the list: nothing to read, nothing to fail.
    TestBook::Execute(path_, "DROP TABLE ContactType");
    view_.ShowContact(c);
    EXPECT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(static_cast<QPlainTextEdit*>(view_.Control(1165))->toPlainText(),
              QStringLiteral("call"));
}

TEST_F(MainViewTest, NoFileMeansEmptyListsAndNoError) {
    view_.OnPathChanged("");
    view_.Reload();
    EXPECT_EQ(view_.PersonRows().Rows().size(), 0u);
}

TEST_F(MainViewTest, AWiderWindowWidensTheListAndMoreSoTheDetails) {
    view_.resize(view_.FormSize());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    const int listWidth = view_.PersonList()->width();
    const int listHeight = view_.PersonList()->height();
    const int notesWidth = view_.Control(1165)->width();
    const int contactsHeight = view_.ContactList()->height();
    const int dateHeight = view_.Control(1161)->height();
    view_.resize(view_.FormSize() + QSize(300, 100));
    const int listGrowth = view_.PersonList()->width() - listWidth;
    const int notesGrowth = view_.Control(1165)->width() - notesWidth;
    EXPECT_GT(listGrowth, 50);
    EXPECT_GT(notesGrowth, listGrowth);
    EXPECT_EQ(view_.PersonList()->height(), listHeight + 100);
    // Name and Company fill the wider list between them.
    QHeaderView* header = view_.PersonList()->header();
    EXPECT_EQ(header->sectionSize(0) + header->sectionSize(1),
              view_.PersonList()->viewport()->width());
    EXPECT_NEAR(header->sectionSize(0), header->sectionSize(1), 1);
    EXPECT_EQ(view_.ContactList()->height(), contactsHeight + 100);
    EXPECT_EQ(view_.Control(1161)->height(), dateHeight);
    // Everything stays inside the window.
    for (int id : {1031, 1019, 1025, 1165, 1021}) {
        QWidget* control = view_.Control(id);
        const QRect r(control->mapTo(&view_, QPoint(0, 0)), control->size());
        EXPECT_LE(r.right(), view_.width()) << id;
        EXPECT_LE(r.bottom(), view_.height()) << id;
    }
}

TEST_F(MainViewTest, TheHandleMovesTheSplitAndTheDetailsScrollWhenNarrow) {
    view_.resize(view_.FormSize() + QSize(200, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    const int before = view_.ListPaneWidth();
    view_.SetListPaneWidth(before + 120);
    EXPECT_EQ(view_.ListPaneWidth(), before + 120);
    EXPECT_GT(view_.PersonList()->width(), before);
    // Narrower than the form: nothing is squeezed, the details scroll instead.
    const QSize notes = view_.Control(1165)->size();
    view_.resize(view_.FormSize() / 2);
    EXPECT_GE(view_.Control(1165)->width(), notes.width() * 2 / 3);
    EXPECT_GE(view_.Control(1165)->height(), 20);
}

TEST_F(MainViewTest, WhatsThisModeShowsTheHelpOfTheControlClicked) {
    view_.resize(view_.FormSize());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    std::vector<help::HelpRequest> requests;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) { requests.push_back(r); });
    QWhatsThis::enterWhatsThisMode();
    ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
    QWidget* city = view_.Control(1029);
    QTest::mouseClick(city, Qt::LeftButton, {}, city->rect().center());
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, help::HelpRequest::Popup);
    EXPECT_EQ(requests[0].popup, 1209);
    // A label speaks for its field, and the search field for itself.
    QWhatsThis::enterWhatsThisMode();
    QTest::mouseClick(view_.SearchField(), Qt::LeftButton, {},
                      view_.SearchField()->rect().center());
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].popup, 1230);
    help::SetHelpRequestHandler(nullptr);
}

}  // namespace
