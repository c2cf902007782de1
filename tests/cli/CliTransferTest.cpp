// import and export: the same core calls with the settings the wizard starts with, compared with
// what those calls store or write on a second book.
#include <gtest/gtest.h>

#include <algorithm>

#include <QFile>

#include "CliRun.h"
#include "ColumnNames.h"
#include "Database.h"
#include "Export.h"
#include "Import.h"
#include "LineTokenizer.h"
#include "TestBook.h"
#include "TextEncoding.h"
#include "TransferSettings.h"
#include "VCard.h"
#include "VCardTransfer.h"

namespace {

// Every person of the book as their fields without the identifier, sorted: two books that
// imported the same file alike hold the same.
std::vector<std::string> StoredPersons(const std::string& path) {
    std::vector<std::string> persons;
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& query = db.CreateStatement().ExecuteQuery("SELECT * FROM Person");
    while (query.Next()) {
        const PersonRecord person = ReadPersonRow(query);
        std::string fields;
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            fields += person[static_cast<PersonRecord::Field>(f)] + '\x1f';
        }
        persons.push_back(fields);
    }
    std::sort(persons.begin(), persons.end());
    return persons;
}

std::string ReadBytes(const std::string& path) {
    QFile file(Q(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    QFile file(Q(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// What the wizard holds when its pages are left as they come up for the file.
transfer::TransferSettings WizardImportSettings(const std::string& file) {
    const std::string bytes = ReadBytes(file);
    transfer::TransferSettings settings = transfer::TransferSettings::ForPersonImport();
    settings.filePath = file;
    settings.fileStart = bytes;
    settings.encoding = transfer::DetectEncoding(bytes).name;
    settings.firstLine = transfer::FirstLine(transfer::DecodedText(bytes, settings.encoding));
    settings.separator = std::string(1, transfer::LikeliestSeparator(settings.firstLine, '"'));
    settings.encloser = "\"";
    settings.TakeColumnsFromFirstLine();
    settings.selectedFields = transfer::AssignColumns(settings.columnLabels);
    return settings;
}

// The wizard's export settings with every field ticked.
transfer::TransferSettings WizardExportSettings(bool contacts, const std::string& file) {
    transfer::TransferSettings settings = contacts ? transfer::TransferSettings::ForContactExport()
                                                   : transfer::TransferSettings::ForPersonExport();
    settings.selectedFields = settings.availableFields;
    settings.separator = ",";
    settings.encloser = "\"";
    settings.filePath = file;
    return settings;
}

const char kCards[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lind;Ola;;;\r\nFN:Ola Lind\r\nORG:Lind & Son\r\n"
    "EMAIL;TYPE=INTERNET:ola@lind.test\r\nTEL;TYPE=CELL:+46 70 123\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ek;Eva;;;\r\nFN:Eva Ek\r\nADR;TYPE=WORK:;;Gata 2;Lund;;22100;"
    "\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:no name at all\r\nEND:VCARD\r\n";

class CliTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        desktop_ = book_.Create("desktop.tch");
    }

    std::string File(const char* name) const { return book_.Path(name); }

    TestBook book_;
    CliRunner cli_;
    std::string path_;
    std::string desktop_;
};

TEST_F(CliTransfer, DelimitedImportStoresWhatTheWizardsAssignmentStores) {
    // Semicolons, a column for no field, a kind of number named beside it, Windows-1252 bytes.
    const std::string file = File("people.csv");
    WriteBytes(file,
               "First Name;Last Name;Company;E-mail Address;Phone 1 - Type;Phone 1 - Value;Shoe\n"
               "J\xfcrgen;M\xfcller;\"Acme; Ltd\";jm@acme.test;Mobile;0171 55;44\n"
               "Ann;Berg;;ann@berg.test ::: a.berg@home.test;Work;040 12;\n"
               ";;;;;;38\n");
    const CliResult result = cli_.OnBook(path_, {QStringLiteral("import"), Q(file)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();

    const transfer::ImportResult desktop =
        transfer::ImportPersons(desktop_, WizardImportSettings(file));
    ASSERT_EQ(desktop.outcome, transfer::ImportResult::Outcome::Imported);
    EXPECT_EQ(desktop.persons, 2);
    EXPECT_EQ(result.out,
              transfer::ImportMessage(desktop.persons, desktop.leftOut) + QLatin1Char('\n'));
    const std::vector<std::string> stored = StoredPersons(path_);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored, StoredPersons(desktop_));
    EXPECT_NE(stored[0].find("040 12"), std::string::npos);
}

TEST_F(CliTransfer, DelimitedImportTakesTheGivenStructure) {
    const std::string file = File("plain.txt");
    WriteBytes(file, "Dr|'Eva'|'Ek'|'Ek|Co'\nMs|'Ola'|'Lind'|\n");
    const CliResult result = cli_.OnBook(
        path_, {QStringLiteral("import"), QStringLiteral("--no-header"),
                QStringLiteral("--separator=|"), QStringLiteral("--encloser"), QStringLiteral("'"),
                QStringLiteral("--encoding"), QStringLiteral("utf-8"), Q(file)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.OutLines().value(0), QStringLiteral("2 names added to current database."));
    EXPECT_EQ(TestBook::QueryText(path_,
                                  "SELECT Title || '/' || FName || '/' || Company FROM "
                                  "Person WHERE LName = 'Ek'"),
              "Dr/Eva/Ek|Co");
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Person"), "2");
}

TEST_F(CliTransfer, VCardImportIsToldFromTheContent) {
    const std::string file = File("cards.txt");
    WriteBytes(file, kCards);
    const CliResult result = cli_.OnBook(path_, {QStringLiteral("import"), Q(file)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();

    const transfer::VCardImportPlan plan = transfer::PlanVCardImport(desktop_, file);
    ASSERT_EQ(plan.outcome, transfer::VCardImportPlan::Outcome::Ready);
    const transfer::VCardImportResult desktop =
        transfer::ImportVCards(desktop_, plan, transfer::KnownCards::Skip);
    EXPECT_EQ(desktop.added, 2);
    EXPECT_EQ(result.out, transfer::VCardImportMessage(desktop, plan.nameless) + QLatin1Char('\n'));
    EXPECT_EQ(result.OutLines().value(1),
              QStringLiteral("1 cards without a name or organisation left out."));
    EXPECT_EQ(StoredPersons(path_).size(), 2u);
    EXPECT_EQ(StoredPersons(path_), StoredPersons(desktop_));

    // The same file forced to be read as delimited text is not read as cards.
    const CliResult asText =
        cli_.OnBook(desktop_, {QStringLiteral("import"), QStringLiteral("--format=csv"), Q(file)});
    EXPECT_EQ(asText.status, 3);
    EXPECT_EQ(asText.ErrLines(),
              QStringList({QStringLiteral("tidemark-cli: No column of %1 goes to LastName. "
                                          "Nothing was imported.")
                               .arg(Q(file))}));
    EXPECT_EQ(StoredPersons(desktop_), StoredPersons(path_));
}

TEST_F(CliTransfer, KnownCardsAreSkippedUpdatedOrAdded) {
    const RecordId known = TestBook::AddPerson(path_, "Ola", "Lind", "Old Co");
    const std::string file = File("known.vcf");
    WriteBytes(file,
               "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lind;Ola;;;\r\nFN:Ola Lind\r\nORG:New Co\r\n"
               "UID:" +
                   std::string(known) + "\r\nEND:VCARD\r\n");
    const auto company = [&] {
        return TestBook::QueryText(path_,
                                   "SELECT group_concat(Company, '+') FROM (SELECT "
                                   "Company FROM Person ORDER BY Company)");
    };

    CliResult result = cli_.OnBook(path_, {QStringLiteral("import"), Q(file)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.OutLines(),
              QStringList({QStringLiteral("No person was added to the current database."),
                           QStringLiteral("1 persons already in it skipped.")}));
    EXPECT_EQ(company(), "Old Co");

    result = cli_.OnBook(path_, {QStringLiteral("import"), QStringLiteral("--existing"),
                                 QStringLiteral("update"), Q(file)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.OutLines().value(1), QStringLiteral("1 persons already in it updated."));
    EXPECT_EQ(company(), "New Co");

    result =
        cli_.OnBook(path_, {QStringLiteral("import"), QStringLiteral("--existing=add"), Q(file)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.OutLines(),
              QStringList({QStringLiteral("1 names added to current database.")}));
    EXPECT_EQ(company(), "New Co+New Co");
}

class CliExport : public CliTransfer {
protected:
    void SetUp() override {
        CliTransfer::SetUp();
        PersonRecord moss;
        moss[PersonRecord::FName] = "Mia";
        moss[PersonRecord::LName] = "Moss";
        moss[PersonRecord::Company] = "Moss, \"Quoted\" & Co";
        moss[PersonRecord::Addr] = "Storgatan 1\r\nBox 7";
        moss_ = TestBook::AddPerson(path_, moss);
        TestBook::AddPerson(path_, "Zoë", "Ångström", "Fjord AB");
        TestBook::AddContact(path_, moss_, "2026-03-04 10:30", "Called about the offer");
    }

    RecordId moss_;
};

TEST_F(CliExport, DelimitedExportEqualsTheCoresWithTheWizardsDefaults) {
    const std::string out = File("out.csv");
    const std::string core = File("core.csv");
    CliResult result = cli_.OnBook(path_, {QStringLiteral("export"), Q(out)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("2 persons exported to %1.\n").arg(Q(out)));
    ASSERT_EQ(transfer::ExportPersons(path_, WizardExportSettings(false, core)).outcome,
              transfer::ExportResult::Outcome::Written);
    EXPECT_EQ(ReadBytes(out), ReadBytes(core));
    EXPECT_NE(ReadBytes(out).find("\"Moss, \"\"Quoted\"\" & Co\""), std::string::npos);

    result = cli_.OnBook(
        path_, {QStringLiteral("export"), QStringLiteral("--bom"), QStringLiteral("--separator"),
                QStringLiteral("tab"), QStringLiteral("--encloser=none"), Q(out)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    transfer::TransferSettings settings = WizardExportSettings(false, core);
    settings.utf8Mark = true;
    settings.separator = "\t";
    settings.encloser.clear();
    ASSERT_EQ(transfer::ExportPersons(path_, settings).outcome,
              transfer::ExportResult::Outcome::Written);
    EXPECT_EQ(ReadBytes(out), ReadBytes(core));
    EXPECT_EQ(ReadBytes(out).substr(0, 3), "\xef\xbb\xbf");
}

TEST_F(CliExport, ContactsExportTheContactLog) {
    const std::string out = File("contacts.csv");
    const std::string core = File("core-contacts.csv");
    const CliResult result =
        cli_.OnBook(path_, {QStringLiteral("export"), QStringLiteral("--contacts"), Q(out)});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("1 contacts exported to %1.\n").arg(Q(out)));
    ASSERT_EQ(transfer::ExportContacts(path_, WizardExportSettings(true, core)).outcome,
              transfer::ExportResult::Outcome::Written);
    EXPECT_EQ(ReadBytes(out), ReadBytes(core));
    EXPECT_NE(ReadBytes(out).find("Called about the offer"), std::string::npos);

    // A book without contacts has nothing to export and no file is made.
    const CliResult none = cli_.OnBook(
        desktop_, {QStringLiteral("export"), QStringLiteral("--contacts"), Q(File("none.csv"))});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.ErrLines(),
              QStringList({QStringLiteral("tidemark-cli: There are no contacts to export.")}));
    EXPECT_FALSE(QFile::exists(Q(File("none.csv"))));
}

TEST_F(CliExport, OnlyLimitsTheExportToThePersonsFound) {
    const std::string out = File("only.csv");
    const std::string core = File("core-only.csv");
    CliResult result = cli_.OnBook(path_, {QStringLiteral("export"), Q(out),
                                           QStringLiteral("--only"), QStringLiteral("quoted")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("1 persons exported to %1.\n").arg(Q(out)));
    transfer::TransferSettings settings = WizardExportSettings(false, core);
    settings.shownPersons = {moss_};
    settings.onlyShown = true;
    ASSERT_EQ(transfer::ExportPersons(path_, settings).outcome,
              transfer::ExportResult::Outcome::Written);
    EXPECT_EQ(ReadBytes(out), ReadBytes(core));
    EXPECT_EQ(ReadBytes(out).find("Fjord"), std::string::npos);

    const std::string cards = File("only.vcf");
    result = cli_.OnBook(path_, {QStringLiteral("export"), QStringLiteral("--format=vcard"),
                                 Q(cards), QStringLiteral("--only"), QStringLiteral("fjord")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    int records = 0;
    const std::vector<RecordId> only = {
        RecordId(TestBook::QueryText(path_, "SELECT ID FROM Person WHERE Company = 'Fjord AB'"))};
    EXPECT_EQ(ReadBytes(cards), transfer::VCardsText(path_, &only, records));
    EXPECT_EQ(records, 1);

    result = cli_.OnBook(path_, {QStringLiteral("export"), Q(File("no.csv")),
                                 QStringLiteral("--only"), QStringLiteral("nobody")});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(QFile::exists(Q(File("no.csv"))));
}

TEST_F(CliExport, WrongOptionsExitTwoWithTheUsageLine) {
    const std::string cards = File("cards.vcf");
    WriteBytes(cards, kCards);
    const QString out = Q(File("x.csv"));
    const std::vector<QStringList> wrong = {
        {QStringLiteral("export"), QStringLiteral("--format=xml"), out},
        {QStringLiteral("export"), QStringLiteral("--separator=x"), out},
        {QStringLiteral("export"), QStringLiteral("--encloser=*"), out},
        {QStringLiteral("export"), QStringLiteral("--format=vcard"), QStringLiteral("--bom"), out},
        {QStringLiteral("export"), QStringLiteral("--contacts"), out, QStringLiteral("--only"),
         QStringLiteral("moss")},
        {QStringLiteral("export"), out, QStringLiteral("moss")},
        {QStringLiteral("export"), QStringLiteral("--encoding=utf-8"), out},
        {QStringLiteral("export")},
        {QStringLiteral("import"), QStringLiteral("--bom"), Q(cards)},
        {QStringLiteral("import"), QStringLiteral("--existing=merge"), Q(cards)},
        {QStringLiteral("import"), QStringLiteral("--separator=;"), Q(cards)},
        {QStringLiteral("import"), QStringLiteral("--encoding=klingon"),
         QStringLiteral("--format=csv"), Q(cards)},
        {QStringLiteral("import"), Q(cards), Q(cards)},
        {QStringLiteral("import")},
    };
    for (const QStringList& arguments : wrong) {
        const CliResult result = cli_.OnBook(path_, arguments);
        const QString command = arguments.front();
        EXPECT_EQ(result.status, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        ASSERT_EQ(result.ErrLines().size(), 2) << result.err.toStdString();
        EXPECT_TRUE(result.ErrLines().at(1).startsWith(
            QStringLiteral("Usage: tidemark-cli [--book FILE] %1 ").arg(command)))
            << result.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Person"), "2");
}

TEST_F(CliExport, UnreadableOrUnwritableFilesExitThree) {
    const std::string missing = File("missing.csv");
    CliResult result = cli_.OnBook(path_, {QStringLiteral("import"), Q(missing)});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.ErrLines(),
              QStringList({QStringLiteral("tidemark-cli: The file %1 could not be read: No such "
                                          "file or directory")
                               .arg(Q(missing))}));

    const std::string text = File("text.csv");
    WriteBytes(text, "First Name,Last Name\nAnn,Berg\n");
    result = cli_.OnBook(path_, {QStringLiteral("import"), QStringLiteral("--format"),
                                 QStringLiteral("vcard"), Q(text)});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.ErrLines(),
              QStringList({QStringLiteral("tidemark-cli: The file %1 is not a vCard file: no "
                                          "card begins in it. Nothing was imported.")
                               .arg(Q(text))}));

    const std::string nowhere = File("no-such-folder/out.csv");
    result = cli_.OnBook(path_, {QStringLiteral("export"), Q(nowhere)});
    EXPECT_EQ(result.status, 3);
    EXPECT_TRUE(result.err.startsWith(
        QStringLiteral("tidemark-cli: The file %1 could not be written: ").arg(Q(nowhere))))
        << result.err.toStdString();
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Person"), "2");
}

}  // namespace
