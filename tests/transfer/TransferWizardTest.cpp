// The transfer wizard and its commands, driven as a user drives them: typing the file name,
// choosing separators, checking fields, assigning columns, pressing Back, Next and Finish.
#include <gtest/gtest.h>

#include <functional>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "Database.h"
#include "FileDialogRecorder.h"
#include "HelpViewer.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "TestBook.h"
#include "TransferCommands.h"
#include "TransferWizard.h"

namespace {

using platform::MessageIcon;
using transfer::TransferWizard;

TransferWizard& Wizard(QDialog& dialog) {
    auto* wizard = qobject_cast<TransferWizard*>(&dialog);
    EXPECT_NE(wizard, nullptr) << dialog.windowTitle().toStdString();
    return *wizard;
}

void Press(QWizard& wizard, QWizard::WizardButton which) {
    QAbstractButton* button = wizard.button(which);
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << which;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types the file name and goes on to the second page.
void ChooseFile(TransferWizard& wizard, const std::string& path) {
    QTest::keyClicks(wizard.DocumentPage()->FileField(), QString::fromStdString(path));
    Press(wizard, QWizard::NextButton);
}

void Choose(QComboBox* list, const QString& entry) {
    const int index = list->findText(entry);
    ASSERT_GE(index, 0) << entry.toStdString();
    list->setCurrentIndex(index);
}

QByteArray Bytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class TransferWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        owner_.resize(400, 300);
    }
    void TearDown() override { help::SetHelpRequestHandler(nullptr); }

    std::string Query(const std::string& sql) const { return TestBook::QueryText(path_, sql); }

    // Runs the export with the wizard worked by the action.
    transfer::CommandOutcome ExportPersons(const std::function<void(TransferWizard&)>& action) {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) { action(Wizard(d)); });
        return transfer::ExportPersonsCommand(&owner_, path_);
    }
    transfer::CommandOutcome Import(const std::string& path, const std::string& file,
                                    const std::function<void(TransferWizard&)>& action) {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            ChooseFile(Wizard(d), file);
            action(Wizard(d));
        });
        return transfer::ImportPersonsCommand(&owner_, &owner_, path);
    }

    TestBook book_;
    std::string path_;
    QWidget owner_;
};

TEST_F(TransferWizardTest, PagesTakeTheCaptionAndTheButtonsOfTheirStep) {
    ExportPersons([](TransferWizard& wizard) {
        EXPECT_EQ(wizard.Title(), QStringLiteral("Export Person Information To Text File"));
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Select Document"));
        EXPECT_FALSE(wizard.button(QWizard::BackButton)->isEnabled());
        EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled());
        QTest::keyClicks(wizard.DocumentPage()->FileField(), QStringLiteral("x"));
        EXPECT_TRUE(wizard.button(QWizard::NextButton)->isEnabled());
        QTest::keyClick(wizard.DocumentPage()->FileField(), Qt::Key_Backspace);
        EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled());
        QTest::keyClicks(wizard.DocumentPage()->FileField(), QStringLiteral("out.csv"));
        Press(wizard, QWizard::NextButton);
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Document Structure"));
        EXPECT_EQ(wizard.StructurePage()->SeparatorList()->currentText(),
                  QStringLiteral("Comma(,)"));
        EXPECT_EQ(wizard.StructurePage()->EncloserList()->currentText(),
                  QStringLiteral("Double Quote(\")"));
        EXPECT_TRUE(wizard.StructurePage()->NamesBox()->isChecked());
        // The export has no encoding or first lines to show, and offers the UTF-8 mark, off.
        EXPECT_EQ(wizard.StructurePage()->FirstLinesText(), nullptr);
        EXPECT_EQ(wizard.StructurePage()->EncodingList(), nullptr);
        ASSERT_NE(wizard.StructurePage()->Utf8MarkBox(), nullptr);
        EXPECT_FALSE(wizard.StructurePage()->Utf8MarkBox()->isChecked());
        Press(wizard, QWizard::NextButton);
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Fields To Export"));
        EXPECT_TRUE(wizard.button(QWizard::FinishButton)->isVisible());
        EXPECT_EQ(wizard.ColumnsPage()->List()->headerItem()->text(0),
                  QStringLiteral("Persons Fields"));
        EXPECT_EQ(wizard.ColumnsPage()->List()->topLevelItemCount(), 17);
        Press(wizard, QWizard::BackButton);
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Document Structure"));
    });
}

TEST_F(TransferWizardTest, ExportWritesTheCheckedFieldsWithTheChosenCharacters) {
    PersonRecord p;
    p[PersonRecord::FName] = "Sean \"Jack\"";
    p[PersonRecord::LName] = "O'Brien";
    p[PersonRecord::WkFax] = "555-0100";
    TestBook::AddPerson(path_, p);
    const std::string file = book_.Path("persons.txt");
    const transfer::CommandOutcome outcome = ExportPersons([&](TransferWizard& wizard) {
        ChooseFile(wizard, file);
        Choose(wizard.StructurePage()->SeparatorList(), QStringLiteral("Semi-colon(;)"));
        Choose(wizard.StructurePage()->EncloserList(), QStringLiteral("Single Quote(')"));
        wizard.StructurePage()->Utf8MarkBox()->setChecked(true);
        Press(wizard, QWizard::NextButton);
        // Checked out of order: the file keeps the list's order.
        QTreeWidget* list = wizard.ColumnsPage()->List();
        for (const char* name : {"Fax", "LastName", "FirstName", "Company"}) {
            list->findItems(QString::fromLatin1(name), Qt::MatchExactly)
                .first()
                ->setCheckState(0, Qt::Checked);
        }
        Press(wizard, QWizard::FinishButton);
    });
    EXPECT_EQ(Bytes(file), QByteArray("\xEF\xBB\xBF'FirstName';'LastName';'Company';'Fax'\n"
                                      "'Sean \"Jack\"';'O''Brien';;'555-0100'\n"));
    EXPECT_FALSE(outcome.reload);
    EXPECT_EQ(outcome.status,
              QStringLiteral("1 persons exported to %1.").arg(QString::fromStdString(file)));
}

TEST_F(TransferWizardTest, TheFileDialogAsksForACsvFileAndFillsTheName) {
    FileDialogRecorder files;
    files.Answer(QString::fromStdString(book_.Path("chosen.csv")));
    ExportPersons([&](TransferWizard& wizard) {
        QTest::mouseClick(wizard.DocumentPage()->BrowseButton(), Qt::LeftButton);
        EXPECT_EQ(wizard.DocumentPage()->FileField()->text(),
                  QString::fromStdString(book_.Path("chosen.csv")));
    });
    ASSERT_EQ(files.Requests().size(), 1u);
    const platform::FileDialogRequest& request = files.Requests()[0];
    EXPECT_EQ(request.kind, platform::FileDialogKind::Save);
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("csv"));
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.filters, QStringList({"Comma Separated files (*.csv)", "Text Files (*.txt)",
                                            "All files (*)"}));
}

TEST_F(TransferWizardTest, NothingToExportSaysSoAndLeavesTheFile) {
    const std::string file = book_.Path("kept.csv");
    Write(file, "old contents\n");
    MessageRecorder boxes;
    boxes.Expect();
    ExportPersons([&](TransferWizard& wizard) {
        ChooseFile(wizard, file);
        Press(wizard, QWizard::NextButton);
        wizard.ColumnsPage()->List()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        Press(wizard, QWizard::FinishButton);
    });
    EXPECT_EQ(boxes.Last().text, QStringLiteral("There are no persons to export."));
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Exporting Address Book"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Information);
    EXPECT_EQ(Bytes(file), QByteArray("old contents\n"));
}

TEST_F(TransferWizardTest, AFileThatCannotBeWrittenIsReported) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    // A folder holds the name: no file can be written there.
    const std::string file = book_.Path("folder.csv");
    ASSERT_TRUE(QDir(book_.Folder()).mkdir(QStringLiteral("folder.csv")));
    MessageRecorder boxes;
    boxes.Expect();
    ExportPersons([&](TransferWizard& wizard) {
        ChooseFile(wizard, file);
        Press(wizard, QWizard::NextButton);
        wizard.ColumnsPage()->List()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        Press(wizard, QWizard::FinishButton);
    });
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error Exporting Address Book"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    EXPECT_TRUE(boxes.Last().text.startsWith(
        QStringLiteral("The file %1 could not be written: ").arg(QString::fromStdString(file))))
        << boxes.Last().text.toStdString();
}

TEST_F(TransferWizardTest, ContactsExportHasItsOwnTitleAndFields) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "not a date", "first\r\nsecond");
    const std::string file = book_.Path("contacts.csv");
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& d) {
        TransferWizard& wizard = Wizard(d);
        EXPECT_EQ(wizard.Title(), QStringLiteral("Export Contact Information To Text File"));
        ChooseFile(wizard, file);
        Press(wizard, QWizard::NextButton);
        QTreeWidget* list = wizard.ColumnsPage()->List();
        EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Contacts Fields"));
        // The company after the names, ticked from the start.
        ASSERT_EQ(list->topLevelItemCount(), 7);
        EXPECT_EQ(list->topLevelItem(2)->text(0), QStringLiteral("Company"));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            EXPECT_EQ(list->topLevelItem(i)->checkState(0), i == 2 ? Qt::Checked : Qt::Unchecked)
                << i;
            list->topLevelItem(i)->setCheckState(0, Qt::Checked);
        }
        Press(wizard, QWizard::FinishButton);
    });
    transfer::ExportContactsCommand(&owner_, path_);
    EXPECT_EQ(Bytes(file), QByteArray("\"FirstName\",\"LastName\",\"Company\",\"Date\",\"Time\","
                                      "\"Description\",\"ContactType\"\n"
                                      "\"Ann\",\"Adams\",,,,\"first  second\",\"Telephone\"\n"));
}

TEST_F(TransferWizardTest, AnExportWithNoFieldTickedIsRefusedWithALine) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    const std::string file = book_.Path("none.csv");
    ExportPersons([&](TransferWizard& wizard) {
        ChooseFile(wizard, file);
        Press(wizard, QWizard::NextButton);
        transfer::FieldsPage* page = wizard.ColumnsPage();
        EXPECT_FALSE(page->RefusalLine()->isVisible());
        Press(wizard, QWizard::FinishButton);
        EXPECT_TRUE(wizard.isVisible());
        EXPECT_TRUE(page->RefusalLine()->isVisible());
        EXPECT_EQ(page->RefusalLine()->text(),
                  QStringLiteral("Tick at least one field to export."));
        // Ticking one takes the line away, and Finish writes.
        page->List()->topLevelItem(2)->setCheckState(0, Qt::Checked);
        EXPECT_FALSE(page->RefusalLine()->isVisible());
        Press(wizard, QWizard::FinishButton);
    });
    EXPECT_EQ(Bytes(file), QByteArray("\"LastName\"\n\"Adams\"\n"));
}

TEST_F(TransferWizardTest, AnUnreadableFileKeepsTheFirstPage) {
    MessageRecorder boxes;
    boxes.Expect();
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& d) {
        TransferWizard& wizard = Wizard(d);
        EXPECT_EQ(wizard.Title(), QStringLiteral("Import Person Information From Text File"));
        ChooseFile(wizard, book_.Path("missing.csv"));
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Select Document"));
    });
    transfer::ImportPersonsCommand(&owner_, &owner_, path_);
    EXPECT_EQ(boxes.Last().text, QStringLiteral("Unable to open file"));
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("File Error"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Information);
    EXPECT_EQ(Query("SELECT count(*) FROM Person"), "0");
}

TEST_F(TransferWizardTest, OwnExportComesBackWithNoColumnAssignedByHand) {
    const char* const values[] = {
        "Dr.",           "Sean \"Jack\"",  "O'Brien", "O'Brien & Sons, Ltd.",
        "Boss",          "1 Quay\r\nCork", "Cork",    "CO",
        "T12",           "555-1",          "555-2",   "33",
        "555-3",         "555-4",          "555-5",   "sean@example.ie",
        "www.example.ie"};
    PersonRecord p;
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        p.fields[f] = values[f];
    }
    TestBook::AddPerson(path_, p);
    TestBook::AddPerson(path_, "Émile", "Zola", "Éditions");
    TestBook::AddPerson(path_, "", "", "");  // nobody: not imported again
    const std::string file = book_.Path("all.csv");
    ExportPersons([&](TransferWizard& wizard) {
        ChooseFile(wizard, file);
        Press(wizard, QWizard::NextButton);
        for (int i = 0; i < wizard.ColumnsPage()->List()->topLevelItemCount(); ++i) {
            wizard.ColumnsPage()->List()->topLevelItem(i)->setCheckState(0, Qt::Checked);
        }
        Press(wizard, QWizard::FinishButton);
    });
    const std::string target = book_.Create("target.tch");
    TestBook::Execute(target, "UPDATE Globals SET S = 'before'");
    MessageRecorder boxes;
    boxes.Expect();
    const transfer::CommandOutcome outcome = Import(target, file, [](TransferWizard& wizard) {
        EXPECT_TRUE(wizard.StructurePage()->FirstLinesText()->toPlainText().startsWith(
            QStringLiteral("\"Title\",\"FirstName\",\"LastName\",")));
        EXPECT_EQ(wizard.StructurePage()->EncodingList()->currentData().toString(),
                  QStringLiteral("UTF-8"));
        Press(wizard, QWizard::NextButton);
        QTreeWidget* list = wizard.ColumnsPage()->List();
        ASSERT_EQ(list->topLevelItemCount(), 17);
        for (int i = 0; i < 17; ++i) {
            EXPECT_FALSE(wizard.ColumnsPage()->Assignment(i).isEmpty()) << i;
        }
        Press(wizard, QWizard::FinishButton);
    });
    EXPECT_TRUE(outcome.reload);
    EXPECT_EQ(boxes.Last().text, QStringLiteral("2 names added to current database."));
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Imported Names"));
    EXPECT_EQ(boxes.Last().owner, &owner_);
    EXPECT_EQ(TestBook::QueryText(target, "SELECT count(*) FROM Person"), "2");
    cppsqlite3::Database db;
    db.Open(target);
    cppsqlite3::Query& q =
        db.CreateStatement().ExecuteQuery("SELECT * FROM Person WHERE LName = 'O''Brien'");
    ASSERT_TRUE(q.Next());
    const PersonRecord back = ReadPersonRow(q);
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        // The export writes the address on one line.
        const std::string expected = f == PersonRecord::Addr ? "1 Quay Cork" : values[f];
        EXPECT_EQ(back.fields[f], expected) << PersonRecord::ColumnName(PersonRecord::Field(f));
    }
    EXPECT_EQ(TestBook::QueryText(target, "SELECT Company FROM Person WHERE LName = 'Zola'"),
              "Éditions");
    EXPECT_EQ(TestBook::QueryText(target, "SELECT S FROM Globals"), "before");
}

TEST_F(TransferWizardTest, FinishWaitsForALastNameAndSaysSo) {
    const std::string file = book_.Path("names.csv");
    Write(file, "Given,Family,Notes\nAnn,Adams,x\n");
    MessageRecorder boxes;
    boxes.Expect();
    Import(path_, file, [](TransferWizard& wizard) {
        Press(wizard, QWizard::NextButton);
        transfer::FieldsPage* page = wizard.ColumnsPage();
        EXPECT_TRUE(page->Assignment(1).isEmpty());
        EXPECT_EQ(page->List()->topLevelItem(1)->text(1), QStringLiteral("(not imported)"));
        Press(wizard, QWizard::FinishButton);
        EXPECT_TRUE(wizard.isVisible());
        EXPECT_TRUE(page->RefusalLine()->isVisible());
        EXPECT_EQ(page->RefusalLine()->text(),
                  QStringLiteral("Assign a column to LastName to finish."));
        page->Assign(0, QStringLiteral("FirstName"));
        page->Assign(1, QStringLiteral("LastName"));
        EXPECT_FALSE(page->RefusalLine()->isVisible());
        // A field goes into one column: taking it for another column frees the first.
        page->Assign(2, QStringLiteral("FirstName"));
        EXPECT_TRUE(page->Assignment(0).isEmpty());
        page->Assign(0, QStringLiteral("FirstName"));
        EXPECT_TRUE(page->Assignment(2).isEmpty());
        Press(wizard, QWizard::FinishButton);
    });
    // The column left out held data: the message names it.
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("1 names added to current database.\nNot imported: Notes."));
    EXPECT_EQ(Query("SELECT FName || ' ' || LName FROM Person"), "Ann Adams");
}

TEST_F(TransferWizardTest, TheSeparatorListStartsOnTheOneThatSplitsTheLine) {
    const std::string file = book_.Path("semi.csv");
    Write(file, "Vorname;Nachname;Firma\nAnna;M\xFCller;Gr\xFCn GmbH\n");
    MessageRecorder boxes;
    boxes.Expect();
    Import(path_, file, [](TransferWizard& wizard) {
        EXPECT_EQ(wizard.StructurePage()->SeparatorList()->currentText(),
                  QStringLiteral("Semi-colon(;)"));
        Press(wizard, QWizard::NextButton);
        EXPECT_EQ(wizard.ColumnsPage()->Assignment(1), QStringLiteral("LastName"));
        Press(wizard, QWizard::FinishButton);
    });
    // A Windows-1252 file arrives as UTF-8.
    EXPECT_EQ(Query("SELECT LName || '/' || Company FROM Person"), "Müller/Grün GmbH");
}

TEST_F(TransferWizardTest, ALockedFileAddsNobodyAndClaimsNothing) {
    const std::string file = book_.Path("one.csv");
    Write(file, "FirstName,LastName\nAnn,Adams\n");
    cppsqlite3::Database locker;
    locker.Open(path_);
    locker.CreateStatement().Execute("BEGIN IMMEDIATE");
    MessageRecorder boxes;
    boxes.Expect();
    const transfer::CommandOutcome outcome = Import(path_, file, [](TransferWizard& wizard) {
        Press(wizard, QWizard::NextButton);
        Press(wizard, QWizard::FinishButton);
    });
    locker.Close();
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Error importing person"));
    EXPECT_EQ(boxes.Last().text, QStringLiteral("The database file is locked"));
    EXPECT_EQ(boxes.Last().owner, nullptr);
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Error);
    EXPECT_FALSE(outcome.reload);
    EXPECT_EQ(Query("SELECT count(*) FROM Person"), "0");
}

TEST_F(TransferWizardTest, TheAssignDialogNamesTheColumnAndChoosingAFieldImportsIt) {
    transfer::FieldAssignDialog unassigned(&owner_, {"Title", "FirstName", "LastName"}, QString(),
                                           QStringLiteral("Business Street 2"));
    EXPECT_EQ(unassigned.windowTitle(), QStringLiteral("Fields"));
    EXPECT_EQ(unassigned.Label()->text(),
              QStringLiteral("Assign the column \"Business Street 2\" to:"));
    // No tick beside the list: its first entry leaves the column out, any other imports it.
    EXPECT_TRUE(unassigned.findChildren<QCheckBox*>().isEmpty());
    EXPECT_EQ(unassigned.FieldList()->count(), 4);
    EXPECT_EQ(unassigned.FieldList()->currentText(), QStringLiteral("(not imported)"));
    EXPECT_TRUE(unassigned.OkButton()->isEnabled());
    EXPECT_TRUE(unassigned.Chosen().isEmpty());
    unassigned.show();
    unassigned.FieldList()->setFocus();
    QTest::keyClick(unassigned.FieldList(), Qt::Key_Down);
    EXPECT_EQ(unassigned.Chosen(), QStringLiteral("Title"));

    transfer::FieldAssignDialog assigned(&owner_, {"Title", "FirstName", "LastName"},
                                         QStringLiteral("LastName"), QStringLiteral("Name"));
    EXPECT_EQ(assigned.FieldList()->currentText(), QStringLiteral("LastName"));
    EXPECT_EQ(assigned.Chosen(), QStringLiteral("LastName"));
    assigned.FieldList()->setCurrentIndex(0);
    EXPECT_TRUE(assigned.Chosen().isEmpty());
    // Numbers that go by their kind are offered for the columns that have one.
    transfer::FieldAssignDialog typed(&owner_, {"HomePhone"}, QString(),
                                      QStringLiteral("Phone 1 - Value"), true);
    EXPECT_EQ(typed.FieldList()->itemText(typed.FieldList()->count() - 1),
              QStringLiteral("Phone (by type)"));
}

TEST_F(TransferWizardTest, AShiftJisFileIsOfferedInItsEncodingAndReadAsTheUserChooses) {
    const std::string file = book_.Path("japan.csv");
    // Last Name,First Name,Company and 山田,太郎,株式会社テスト in Shift_JIS.
    Write(file,
          "Last Name,First Name,Company\r\n\x8E\x52\x93\x63,\x91\xBE\x98\x59,"
          "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0\x83\x65\x83\x58\x83\x67\r\n");
    for (const bool keepTheGuess : {true, false}) {
        TestBook::Execute(path_, "DELETE FROM Person");
        MessageRecorder boxes;
        boxes.Expect();
        Import(path_, file, [&](TransferWizard& wizard) {
            transfer::DocumentStructurePage* page = wizard.StructurePage();
            QComboBox* encodings = page->EncodingList();
            ASSERT_NE(encodings, nullptr);
            EXPECT_EQ(encodings->currentIndex(), 0);
            EXPECT_EQ(encodings->currentText(), QStringLiteral("Shift_JIS (Japanese)"));
            EXPECT_EQ(page->FirstLinesText()->toPlainText(),
                      QStringLiteral("Last Name,First Name,Company\n山田,太郎,株式会社テスト"));
            Choose(encodings, QStringLiteral("Windows-1252 (Western European)"));
            EXPECT_FALSE(page->FirstLinesText()->toPlainText().contains(QStringLiteral("山田")));
            EXPECT_TRUE(page->FirstLinesText()->toPlainText().startsWith(
                QStringLiteral("Last Name,First Name,Company\n")));
            if (keepTheGuess) {
                Choose(encodings, QStringLiteral("Shift_JIS (Japanese)"));
            }
            Press(wizard, QWizard::NextButton);
            // Back and forth keeps the choice.
            Press(wizard, QWizard::BackButton);
            EXPECT_EQ(encodings->currentText(),
                      keepTheGuess ? QStringLiteral("Shift_JIS (Japanese)")
                                   : QStringLiteral("Windows-1252 (Western European)"));
            Press(wizard, QWizard::NextButton);
            Press(wizard, QWizard::FinishButton);
        });
        EXPECT_EQ(boxes.Last().text, QStringLiteral("1 names added to current database."));
        const std::string name =
            Query("SELECT LName || ' ' || FName || ' ' || Company FROM Person");
        if (keepTheGuess) {
            EXPECT_EQ(name, "山田 太郎 株式会社テスト");
        } else {
            // What the page showed is what was stored.
            EXPECT_EQ(
                name,
                "\xC5\xBD"
                "R\xE2\x80\x9C"
                "c \xE2\x80\x98\xC2\xBE\xCB\x9CY "
                "\xC5\xA0\xE2\x80\x9D\xC5\xBD\xC2\xAE\xE2\x80\xB0\xC3\xAF\xC5\xBD\xC3\x90\xC6\x92"
                "e\xC6\x92X\xC6\x92g");
        }
    }
}

TEST_F(TransferWizardTest, SeveralColumnsOfOneAddressAndTheClosingMessage) {
    const std::string file = book_.Path("outlook.csv");
    Write(file,
          "First Name,Last Name,Business Street,Business Street 2,Business City,Notes\n"
          "Ann,Adams,Hauptstr. 1,2b,Berlin,likes tea\n,,,,,\n");
    MessageRecorder boxes;
    boxes.Expect();
    Import(path_, file, [](TransferWizard& wizard) {
        Press(wizard, QWizard::NextButton);
        transfer::FieldsPage* page = wizard.ColumnsPage();
        EXPECT_EQ(page->Assignment(2), QStringLiteral("Address"));
        EXPECT_EQ(page->Assignment(3), QStringLiteral("Address"));
        EXPECT_EQ(page->List()->topLevelItem(5)->text(1), QStringLiteral("(not imported)"));
        // The current row says how its column goes in.
        page->List()->setCurrentItem(page->List()->topLevelItem(3));
        EXPECT_EQ(page->DescriptionText()->text(),
                  QStringLiteral("Address: Business Street + Business Street 2"));
        // Assigning the second street line by hand keeps the first.
        page->Assign(3, QString());
        EXPECT_EQ(page->DescriptionText()->text(), QString());
        page->Assign(3, QStringLiteral("Address"));
        EXPECT_EQ(page->Assignment(2), QStringLiteral("Address"));
        EXPECT_EQ(page->DescriptionText()->text(),
                  QStringLiteral("Address: Business Street + Business Street 2"));
        Press(wizard, QWizard::FinishButton);
    });
    EXPECT_EQ(Query("SELECT Addr FROM Person"), "Hauptstr. 1\r\n2b");
    EXPECT_EQ(boxes.Last().text,
              QStringLiteral("1 names added to current database.\nNot imported: Notes."));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Information);
}

TEST_F(TransferWizardTest, AFileWithoutPersonsSaysThatNoneWasAdded) {
    const std::string file = book_.Path("notes.csv");
    Write(file, "\r\rFirst Name,Last Name,Notes\r,,a note\r");
    MessageRecorder boxes;
    boxes.Expect();
    const transfer::CommandOutcome outcome = Import(path_, file, [](TransferWizard& wizard) {
        Press(wizard, QWizard::NextButton);
        Press(wizard, QWizard::FinishButton);
    });
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Imported Names"));
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Warning);
    EXPECT_TRUE(
        boxes.Last().text.startsWith(QStringLiteral("No person was added to the current database")))
        << boxes.Last().text.toStdString();
    EXPECT_FALSE(outcome.reload);
}

TEST_F(TransferWizardTest, AClickOnARowAssignsItsColumn) {
    const std::string file = book_.Path("plain.csv");
    Write(file, "a,b\nAnn,Adams\n");
    MessageRecorder boxes;
    boxes.Expect();
    Import(path_, file, [](TransferWizard& wizard) {
        wizard.StructurePage()->NamesBox()->setChecked(false);
        Press(wizard, QWizard::NextButton);
        transfer::FieldsPage* page = wizard.ColumnsPage();
        QTreeWidget* list = page->List();
        for (int row = 0; row < 2; ++row) {
            ModalDriver inner;
            inner.Expect([row](QDialog& d) {
                auto& dialog = static_cast<transfer::FieldAssignDialog&>(d);
                dialog.FieldList()->setFocus();
                // Typing picks the entry, as in any drop-down list.
                QTest::keyClicks(dialog.FieldList(),
                                 row == 0 ? QStringLiteral("Fi") : QStringLiteral("L"));
                QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
            });
            const QRect r = list->visualItemRect(list->topLevelItem(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        }
        EXPECT_EQ(page->Assignment(0), QStringLiteral("FirstName"));
        EXPECT_EQ(page->Assignment(1), QStringLiteral("LastName"));
        Press(wizard, QWizard::FinishButton);
    });
    // Without field names the first line is a person too.
    EXPECT_EQ(boxes.Last().text, QStringLiteral("2 names added to current database."));
}

TEST_F(TransferWizardTest, PopupsAndTheHelpButtonExplainThePages) {
    std::vector<int> popups;
    std::vector<QString> topics;
    help::SetHelpRequestHandler([&](const help::HelpRequest& r) {
        if (r.kind == help::HelpRequest::Popup) {
            popups.push_back(r.popup);
        } else {
            topics.push_back(r.reference);
        }
    });
    const std::string file = book_.Path("h.csv");
    Write(file, "FirstName,LastName\n");
    Import(path_, file, [&](TransferWizard& wizard) {
        wizard.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&wizard));
        auto f1 = [](QWidget* control) {
            control->setFocus();
            QTest::keyClick(control, Qt::Key_F1);
        };
        f1(wizard.StructurePage()->NamesBox());
        f1(wizard.StructurePage()->SeparatorList());
        f1(wizard.StructurePage()->EncloserList());
        Press(wizard, QWizard::NextButton);
        f1(wizard.ColumnsPage()->List());
        QTest::mouseClick(wizard.button(QWizard::HelpButton), Qt::LeftButton);
    });
    EXPECT_EQ(popups, std::vector<int>({4004, 4006, 4008, 4010}));
    ASSERT_EQ(topics.size(), 1u);
    EXPECT_EQ(topics[0], help::TopicReference(QString::fromLatin1(help::kTransferTopic)));
}

}  // namespace

namespace {

TEST_F(TransferWizardTest, AFilteredListOffersOnlyThePersonsItShows) {
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "Bob", "Brown");
    const std::string file = book_.Path("shown.csv");
    bool offered = false;
    {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            TransferWizard& wizard = Wizard(d);
            QCheckBox* only = wizard.DocumentPage()->OnlyShownBox();
            ASSERT_NE(only, nullptr);
            offered = only->isVisible() && only->isChecked();
            EXPECT_EQ(only->text(), QStringLiteral("&Only the persons shown in the list (1)"));
            ChooseFile(wizard, file);
            Press(wizard, QWizard::NextButton);
            wizard.ColumnsPage()
                ->List()
                ->findItems(QStringLiteral("LastName"), Qt::MatchExactly)
                .first()
                ->setCheckState(0, Qt::Checked);
            Press(wizard, QWizard::FinishButton);
        });
        transfer::ExportPersonsCommand(&owner_, path_, {ann});
    }
    EXPECT_TRUE(offered);
    EXPECT_EQ(Bytes(file), QByteArray("\"LastName\"\n\"Adams\"\n"));
    // Unchecked, everyone goes out; without a filter nothing is offered.
    const transfer::CommandOutcome all = ExportPersons([&](TransferWizard& wizard) {
        EXPECT_EQ(wizard.DocumentPage()->OnlyShownBox(), nullptr);
        wizard.reject();
    });
    EXPECT_TRUE(all.status.isEmpty());
    {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            TransferWizard& wizard = Wizard(d);
            wizard.DocumentPage()->OnlyShownBox()->setChecked(false);
            ChooseFile(wizard, file);
            Press(wizard, QWizard::NextButton);
            wizard.ColumnsPage()
                ->List()
                ->findItems(QStringLiteral("LastName"), Qt::MatchExactly)
                .first()
                ->setCheckState(0, Qt::Checked);
            Press(wizard, QWizard::FinishButton);
        });
        transfer::ExportPersonsCommand(&owner_, path_, {ann});
    }
    EXPECT_EQ(Bytes(file).count('\n'), 3);
}

}  // namespace
