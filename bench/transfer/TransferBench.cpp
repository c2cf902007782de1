// Times the delimited export and import of 100,000 persons against the sqlite3 shell on the same
// file in the same run, and the peak memory of one export. Goals: the export at or below the
// shell's "sqlite3 -csv" of the same columns, with a peak memory of at most 3 times the file
// written; the import at most 1.2 times the shell running the same INSERT statements in one
// transaction on an empty copy, of which telling the file's encoding takes under 5%. Then the
// vCard export and import of the same persons against the delimited export and import,
// alternating in the same run (goal: at most 1.5 times each).
//
//   transfer_bench [folder]     (the address book is generated there once; default ./bench-data)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ColumnNames.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Export.h"
#include "Import.h"
#include "LineTokenizer.h"
#include "RecordEditing.h"
#include "RecordId.h"
#include "Spread.h"
#include "TextEncoding.h"
#include "Transaction.h"
#include "TransferSettings.h"
#include "VCardTransfer.h"

namespace {

constexpr int kPersons = 100000;
constexpr int kRuns = 5;

std::string Pick(std::mt19937& random, std::initializer_list<const char*> words) {
    return *(words.begin() + random() % words.size());
}

void Generate(const std::string& path) {
    CreateDatabaseFile(path);
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    cppsqlite3::Transaction transaction(st);
    std::mt19937 random(42);
    for (int i = 0; i < kPersons; ++i) {
        PersonRecord p;
        const std::string n = std::to_string(i);
        p[PersonRecord::Title] = Pick(random, {"Mr.", "Ms.", "Dr.", "", "Prof."});
        p[PersonRecord::FName] = Pick(random, {"Ann", "Bob", "Chloé", "Dee \"DJ\"", "Eve", "Finn"});
        p[PersonRecord::LName] = Pick(random, {"O'Brien", "Smith", "Müller", "García", "Lee"}) + n;
        p[PersonRecord::Company] =
            Pick(random, {"Acme, Inc.", "Harbour Lights", "", "Blue Tide \"BT\" Travel"});
        p[PersonRecord::Position] = Pick(random, {"Buyer", "Head of Sales", "", "Skipper"});
        p[PersonRecord::Addr] = std::to_string(random() % 999) + " High Street\r\nFlat " +
                                std::to_string(random() % 40);
        p[PersonRecord::City] = Pick(random, {"Bath", "Lyon", "Göteborg", "Cork"});
        p[PersonRecord::State] = Pick(random, {"CA", "NY", "", "QC"});
        p[PersonRecord::Zip] = std::to_string(10000 + random() % 89999);
        p[PersonRecord::HmPhone] = "+44 1225 " + std::to_string(100000 + random() % 899999);
        p[PersonRecord::WkPhone] = "555-" + std::to_string(1000 + random() % 8999);
        p[PersonRecord::WkExt] = random() % 3 == 0 ? std::to_string(random() % 99) : "";
        p[PersonRecord::CelPhone] = "07" + std::to_string(100000000 + random() % 899999999);
        p[PersonRecord::Pager] = random() % 10 == 0 ? "555-0199" : "";
        p[PersonRecord::WkFax] = random() % 4 == 0 ? "555-0100" : "";
        p[PersonRecord::Email] = "person" + n + "@example.com";
        p[PersonRecord::WebPage] = "www.example" + n + ".com";
        st.Execute(editing::InsertPersonSql(NewRecordId(), p));
    }
    transaction.Commit();
}

void Print(const char* what, const Spread& s) {
    std::printf("  %-44s min %8.1f  median %8.1f  max %8.1f ms\n", what, s.min, s.median, s.max);
}

transfer::TransferSettings AllFields(const std::string& file) {
    transfer::TransferSettings settings = transfer::TransferSettings::ForPersonExport();
    settings.selectedFields = settings.availableFields;
    settings.separator = ",";
    settings.encloser = "\"";
    settings.filePath = file;
    return settings;
}

double Elapsed(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

double RunShell(const QStringList& arguments, const QString& input, const QString& output) {
    QProcess shell;
    if (!input.isEmpty()) {
        shell.setStandardInputFile(input);
    }
    if (!output.isEmpty()) {
        shell.setStandardOutputFile(output);
    }
    QElapsedTimer t;
    t.start();
    shell.start(QStringLiteral("sqlite3"), arguments);
    shell.waitForFinished(-1);
    return Elapsed(t);
}

// The peak resident memory of one export in a process of its own, in kilobytes.
long PeakOfOneExport(const char* self, const std::string& db, const std::string& file) {
    const pid_t child = fork();
    if (child == 0) {
        execl(self, self, "--export-once", db.c_str(), file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

// Import settings for the export's file: all 17 columns assigned by name.
transfer::TransferSettings ImportSettings(const std::string& file, const std::string& text) {
    transfer::TransferSettings settings = transfer::TransferSettings::ForPersonImport();
    settings.filePath = file;
    settings.separator = ",";
    settings.encloser = "\"";
    settings.firstLine = transfer::FirstLine(text);
    settings.TakeColumnsFromFirstLine();
    settings.selectedFields = transfer::AssignColumns(settings.columnLabels);
    return settings;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::string(argv[1]) == "--import-once") {
        const std::string text = *transfer::ReadTextFile(argv[3]);
        CreateDatabaseFile(argv[2]);
        return transfer::ImportPersons(argv[2], ImportSettings(argv[3], text)).persons == kPersons
                   ? 0
                   : 1;
    }
    if (argc == 4 && std::string(argv[1]) == "--export-once") {
        return transfer::ExportPersons(argv[2], AllFields(argv[3])).records == kPersons ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench-data");
    QDir().mkpath(folder);
    const std::string db =
        QDir(folder).filePath(QStringLiteral("transfer-100000.tch")).toStdString();
    if (!QFileInfo::exists(QString::fromStdString(db))) {
        std::printf("generating %s ...\n", db.c_str());
        std::fflush(stdout);
        Generate(db);
    }
    const std::string file = QDir(folder).filePath(QStringLiteral("export.csv")).toStdString();
    const QString shellFile = QDir(folder).filePath(QStringLiteral("shell.csv"));
    const std::string columns =
        "SELECT Title, FName, LName, Company, Position, Addr, City, State, Zip, HmPhone, WkPhone, "
        "WkExt, WkFax, Pager, CelPhone, Email, WebPage FROM Person";

    // Export, alternating with the shell so that both meet the same machine.
    std::vector<double> ours, shell;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        const transfer::ExportResult result = transfer::ExportPersons(db, AllFields(file));
        ours.push_back(Elapsed(t));
        if (result.records != kPersons) {
            std::fprintf(stderr, "export failed: %s\n", result.message.c_str());
            return 1;
        }
        shell.push_back(RunShell(
            {QStringLiteral("-csv"), QString::fromStdString(db), QString::fromStdString(columns)},
            QString(), shellFile));
    }
    const qint64 written = QFileInfo(QString::fromStdString(file)).size();
    std::printf("export of %d persons, all 17 fields, %.1f MB written\n", kPersons,
                written / 1048576.0);
    Print("ExportPersons", Summary(ours));
    Print("sqlite3 -csv of the same columns", Summary(shell));
    std::printf("  ratio of medians %.2f (goal: at most 1.0)\n",
                Summary(ours).median / Summary(shell).median);
    const long peak = PeakOfOneExport(argv[0], db, file);
    std::printf("  peak memory of one export %.1f MB = %.2f x the file (goal: at most 3)\n",
                peak / 1024.0, peak * 1024.0 / written);

    // Import of that file.
    const std::string text = *transfer::ReadTextFile(file);
    const transfer::TransferSettings settings = ImportSettings(file, text);
    // The shell gets the very statements the import sends.
    const QString script = QDir(folder).filePath(QStringLiteral("import.sql"));
    {
        QFile out(script);
        out.open(QIODevice::WriteOnly);
        out.write("BEGIN TRANSACTION;\n");
        for (const PersonRecord& p : transfer::ReadPersons(text, settings)) {
            out.write((editing::InsertPersonSql(NewRecordId(), p, "2026-01-01 00:00:00") + ";\n")
                          .c_str());
        }
        out.write("COMMIT TRANSACTION;\n");
    }
    const std::string target = QDir(folder).filePath(QStringLiteral("import.tch")).toStdString();
    std::vector<double> imports, shellImports;
    for (int i = 0; i < kRuns; ++i) {
        CreateDatabaseFile(target);
        QElapsedTimer t;
        t.start();
        const transfer::ImportResult result = transfer::ImportPersons(target, settings);
        imports.push_back(Elapsed(t));
        if (result.persons != kPersons) {
            std::fprintf(stderr, "import gave %d persons: %s\n", result.persons,
                         result.message.c_str());
            return 1;
        }
        CreateDatabaseFile(target);
        shellImports.push_back(RunShell({QString::fromStdString(target)}, script, QString()));
    }
    std::printf("import of that file, %d persons\n", kPersons);
    Print("ImportPersons (read, split, insert)", Summary(imports));
    Print("sqlite3 shell on the same INSERTs", Summary(shellImports));
    std::printf("  ratio of medians %.2f (goal: at most 1.2)\n",
                Summary(imports).median / Summary(shellImports).median);

    // What telling the file's encoding from its bytes adds to that import: the marks, the zero
    // bytes of UTF-16 and the whole file's UTF-8, looked at as the import does.
    const std::string bytes = *transfer::ReadFileBytes(file);
    std::vector<double> detections;
    for (int i = 0; i < kRuns * 4; ++i) {
        QElapsedTimer t;
        t.start();
        const transfer::DetectedEncoding detected = transfer::DetectEncoding(bytes);
        detections.push_back(Elapsed(t));
        if (detected.name != "UTF-8" || !detected.certain) {
            std::fprintf(stderr, "the export was told as %s\n", detected.name.c_str());
            return 1;
        }
    }
    Print("DetectEncoding of the file", Summary(detections));
    std::printf("  share of the import %.1f%% (goal: under 5%%)\n",
                100.0 * Summary(detections).median / Summary(imports).median);

    // vCard against delimited text, turn about.
    const std::string cards = QDir(folder).filePath(QStringLiteral("export.vcf")).toStdString();
    std::vector<double> delimitedOut, vcardOut, delimitedIn, vcardIn;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        transfer::ExportPersons(db, AllFields(file));
        delimitedOut.push_back(Elapsed(t));
        t.start();
        const transfer::ExportResult exported = transfer::ExportVCards(db, cards);
        vcardOut.push_back(Elapsed(t));
        if (exported.records != kPersons) {
            std::fprintf(stderr, "vCard export failed: %s\n", exported.message.c_str());
            return 1;
        }
    }
    for (int i = 0; i < kRuns; ++i) {
        CreateDatabaseFile(target);
        QElapsedTimer t;
        t.start();
        transfer::ImportPersons(target, settings);
        delimitedIn.push_back(Elapsed(t));
        CreateDatabaseFile(target);
        t.start();
        const transfer::VCardImportPlan plan = transfer::PlanVCardImport(target, cards);
        const transfer::VCardImportResult result =
            transfer::ImportVCards(target, plan, transfer::KnownCards::AddAsNew);
        vcardIn.push_back(Elapsed(t));
        if (result.added != kPersons) {
            std::fprintf(stderr, "vCard import gave %d persons: %s\n", result.added,
                         result.message.c_str());
            return 1;
        }
    }
    std::printf("vCard 3.0 of the same %d persons, %.1f MB written\n", kPersons,
                QFileInfo(QString::fromStdString(cards)).size() / 1048576.0);
    Print("ExportVCards", Summary(vcardOut));
    Print("ExportPersons (delimited, same run)", Summary(delimitedOut));
    std::printf("  ratio of medians %.2f (goal: at most 1.5)\n",
                Summary(vcardOut).median / Summary(delimitedOut).median);
    Print("PlanVCardImport + ImportVCards", Summary(vcardIn));
    Print("ImportPersons (delimited, same run)", Summary(delimitedIn));
    std::printf("  ratio of medians %.2f (goal: at most 1.5)\n",
                Summary(vcardIn).median / Summary(delimitedIn).median);
    return 0;
}
