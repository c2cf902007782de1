// Times the reports on an address book of 10,000 persons with 10 contacts each: from the report
// dialog's OK (the chosen persons read, the report built) to the first preview page painted, one
// page turn, and the whole address book written to PDF against a floor made of the sqlite3
// shell reading the persons plus a plain QPdfWriter drawing the same number of text lines.
// Then the contact activity chart of every person over the longest span its dialog takes (120
// months), from OK to the first page painted.
// Goals: under 0.5 s to the first page (of the address book and of the chart), a page turn under
// 50 ms, the PDF within 1.5 times the floor.
//
//   report_bench [folder]            (the address book is generated there once)
//   report_bench --pdf BOOK FOLDER   (writes the four reports of BOOK as PDF files, for pictures)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Database.h"
#include "DatabaseFile.h"
#include "PreviewView.h"
#include "PrintController.h"
#include "RecordEditing.h"
#include "ReportData.h"
#include "Spread.h"
#include "Transaction.h"

namespace {

constexpr int kPersons = 10000;
constexpr int kRuns = 5;

void Generate(const std::string& path) {
    CreateDatabaseFile(path);
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    cppsqlite3::Transaction transaction(st);
    std::mt19937 random(7);
    static const char* const types[] = {
        "9DC618A3-8452-4D33-A70BDB1C91FE", "03F6262A-4362-44A9-B770293650BB",
        "787CA2CE-1099-4127-8AED83ECA59B", "B672E21B-848D-430C-98240E6DA171"};
    for (int i = 0; i < kPersons; ++i) {
        PersonRecord p;
        p[PersonRecord::FName] = "First" + std::to_string(random() % 500);
        p[PersonRecord::LName] = "Last" + std::to_string(i);
        p[PersonRecord::Company] = "Company " + std::to_string(random() % 300);
        p[PersonRecord::Position] = "Buyer";
        p[PersonRecord::Addr] = std::to_string(random() % 999) + " High Street\r\nSuite 4";
        p[PersonRecord::City] = "Bath";
        p[PersonRecord::State] = "ST";
        p[PersonRecord::Zip] = "12345";
        p[PersonRecord::HmPhone] = "555-0100";
        p[PersonRecord::WkPhone] = "555-0101";
        p[PersonRecord::Email] = "someone@example.com";
        const RecordId id = NewRecordId();
        st.Execute(editing::InsertPersonSql(id, p));
        for (int c = 0; c < 10; ++c) {
            char when[32];
            std::snprintf(when, sizeof when, "20%02d-%02d-%02d %02d:%02d:00", int(random() % 26),
                          int(random() % 12 + 1), int(random() % 28 + 1), int(random() % 24),
                          int(random() % 60));
            st.Execute(editing::InsertContactSql(NewRecordId(), id, ParseDateTime(when),
                                                 "Talked about the order and the next visit",
                                                 types[random() % 4]));
        }
    }
    transaction.Commit();
}

void Print(const char* what, const Spread& s, const char* goal) {
    std::printf("  %-46s min %8.1f  median %8.1f  max %8.1f ms  %s\n", what, s.min, s.median, s.max,
                goal);
}

double Ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// What the dialog's OK does: the chosen persons read one by one, for the report kind.
reports::ReportRequest Request(const std::string& path, reports::ReportKind kind) {
    std::vector<reports::NameEntry> names;
    reports::LoadNameList(path, names);
    std::vector<RecordId> ids;
    for (const reports::NameEntry& entry : names) {
        ids.push_back(entry.id);
    }
    reports::ReportRequest request;
    request.kind = kind;
    reports::LoadChosenPersons(path, ids, request.persons);
    if (kind == reports::ReportKind::Contacts) {
        reports::LoadAllContacts(path, request.contacts);
        request.beginning = DateTime::FromFields(2000, 1, 1);
        request.ending = DateTime::FromFields(2030, 12, 31, 23, 59, 59);
    }
    if (kind == reports::ReportKind::Envelopes) {
        editing::LoadUserRecord(path, request.user);
    }
    if (kind == reports::ReportKind::Activity) {
        request.span = {reports::MonthNumber(2016, 1), reports::MonthNumber(2025, 12)};
        reports::ActivityRead reading;
        reports::LoadActivity(path, request, reading);
    }
    return request;
}

int WritePictures(const std::string& path, const QString& folder) {
    QWidget window;
    reports::PrintController printing(&window);
    const std::pair<reports::ReportKind, const char*> kinds[] = {
        {reports::ReportKind::AddressBook, "address-book.pdf"},
        {reports::ReportKind::Contacts, "contacts.pdf"},
        {reports::ReportKind::Envelopes, "envelopes.pdf"},
        {reports::ReportKind::Activity, "activity.pdf"}};
    for (const auto& [kind, name] : kinds) {
        reports::ReportRequest request = Request(path, kind);
        request.options.recipientCompany = true;
        request.options.returnCompany = true;
        printing.SetRequest(request);
        QString reason;
        if (!printing.WritePdf(QDir(folder).filePath(QString::fromLatin1(name)), reason)) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(reason));
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--pdf") {
        return WritePictures(argv[2], QString::fromLocal8Bit(argv[3]));
    }
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench-data");
    QDir().mkpath(folder);
    const std::string path =
        QDir(folder).filePath(QStringLiteral("reports-10000.tch")).toStdString();
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        std::printf("generating %s ...\n", path.c_str());
        std::fflush(stdout);
        Generate(path);
    }

    QWidget window;
    window.resize(900, 700);
    reports::PrintController printing(&window);
    printing.View()->resize(900, 650);
    window.show();
    std::vector<double> first, turn, pdf, floor;
    int pages = 0;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        printing.SetRequest(Request(path, reports::ReportKind::AddressBook));
        printing.EnterPreview();
        printing.View()->viewport()->grab();
        first.push_back(Ms(t));
        pages = printing.PageCount();
        for (int k = 0; k < 5; ++k) {
            t.restart();
            printing.NextPage();
            printing.View()->viewport()->grab();
            turn.push_back(Ms(t));
        }
        printing.LeavePreview();

        const QString file = QDir(folder).filePath(QStringLiteral("book.pdf"));
        t.restart();
        printing.SetRequest(Request(path, reports::ReportKind::AddressBook));
        QString reason;
        printing.WritePdf(file, reason);
        pdf.push_back(Ms(t));

        // The floor: the shell reads the same persons, a plain writer draws as many lines.
        t.restart();
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"),
                    {QString::fromStdString(path), QStringLiteral("SELECT * FROM Person")});
        shell.waitForFinished(-1);
        shell.readAllStandardOutput();
        QPdfWriter writer(QDir(folder).filePath(QStringLiteral("floor.pdf")));
        writer.setResolution(printing.Printer().resolution());
        writer.setPageLayout(printing.Printer().pageLayout());
        QPainter painter(&writer);
        QFont font(QStringLiteral("Times New Roman"));
        font.setPixelSize(10 * writer.resolution() / 72);
        painter.setFont(font);
        const int line = painter.fontMetrics().lineSpacing();
        const int perPage = kPersons / std::max(1, pages) + 1;
        const int linesPerPerson = 12;  // the words of an entry, two columns
        for (int p = 0; p < kPersons; ++p) {
            if (p > 0 && p % perPage == 0) {
                writer.newPage();
            }
            for (int l = 0; l < linesPerPerson; ++l) {
                painter.drawText(100 + (l / 7) * 2000, ((p % perPage) * 8 + l % 7) * line + 300,
                                 QStringLiteral("Home Phone: 555-0100 %1").arg(p));
            }
        }
        painter.end();
        floor.push_back(Ms(t));
    }
    std::vector<double> chart;
    int chartPages = 0;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        printing.SetRequest(Request(path, reports::ReportKind::Activity));
        printing.EnterPreview();
        printing.View()->viewport()->grab();
        chart.push_back(Ms(t));
        chartPages = printing.PageCount();
        printing.LeavePreview();
    }
    std::printf("address book of %d persons, %d pages\n", kPersons, pages);
    Print("dialog OK to the first preview page painted", Summary(first), "(goal: under 500)");
    Print("one page turn", Summary(turn), "(goal: under 50)");
    Print("whole address book to PDF", Summary(pdf), "");
    Print("floor: sqlite3 shell + plain QPdfWriter", Summary(floor), "");
    std::printf("  ratio of medians %.2f (goal: at most 1.5)\n",
                Summary(pdf).median / Summary(floor).median);
    std::printf("contact activity of %d persons over 120 months, %d pages\n", kPersons, chartPages);
    Print("dialog OK to the chart's first page painted", Summary(chart), "(goal: under 500)");
    return 0;
}
