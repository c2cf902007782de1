// One order for the list, the report dialogs and the reports; the preview's zoom about its
// centre; the written PDF named after its report.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QLocale>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWidget>

#include "ActivityReport.h"
#include "AddressBook.h"
#include "PreviewView.h"
#include "PrintController.h"
#include "ReportDialogs.h"
#include "TestBook.h"

namespace {

using namespace reports;

TEST(ReportOutput, TheListTheDialogAndTheReportsReadOneOrder) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TestBook book;
    const std::string path = book.Create();
    TestBook::AddPerson(path, "Wes", "Walker");
    TestBook::AddPerson(path, "", "", "Harbour Ltd");
    TestBook::AddPerson(path, "Eli", "\xC3\x89mond");
    TestBook::AddPerson(path, "Jan", "de Vries");
    TestBook::AddPerson(path, "Bea", "Baker");
    const std::vector<std::string> expected = {"Baker, Bea", "de Vries, Jan", "\xC3\x89mond, Eli",
                                               "Harbour Ltd", "Walker, Wes"};

    PersonRowList rows;
    LoadPersonList(path, PersonOrder::ByName, rows);
    std::vector<std::string> listed;
    for (const PersonRow& row : rows) {
        listed.push_back(row.name);
    }
    EXPECT_EQ(listed, expected);

    AddressBookDialog dialog(nullptr, path);
    std::vector<std::string> offered;
    std::vector<RecordId> ids;
    for (int i = 0; i < dialog.List()->count(); ++i) {
        offered.push_back(dialog.List()->item(i)->text().toStdString());
        ids.push_back(dialog.List()->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    }
    EXPECT_EQ(offered, expected);

    // The reports sort what they are given, whatever order it comes in.
    std::reverse(ids.begin(), ids.end());
    std::vector<PersonRecord> chosen;
    LoadChosenPersons(path, ids, chosen);
    PainterCanvas measure;
    const DeviceMetrics device{600, 600, 5100, 6600, 75, 75};
    for (ReportKind kind : {ReportKind::AddressBook, ReportKind::Contacts, ReportKind::Envelopes,
                            ReportKind::Activity}) {
        ReportRequest request;
        request.kind = kind;
        request.persons = chosen;
        const std::unique_ptr<Report> report =
            BuildReport(request, measure, device, ReportSettings());
        const std::vector<PersonRecord>* persons = nullptr;
        if (auto* a = dynamic_cast<AddressBookReport*>(report.get())) {
            persons = &a->Persons();
        } else if (auto* c = dynamic_cast<ContactsReport*>(report.get())) {
            persons = &c->Persons();
        } else if (auto* e = dynamic_cast<EnvelopeReport*>(report.get())) {
            persons = &e->Persons();
        } else if (auto* activity = dynamic_cast<ContactActivityReport*>(report.get())) {
            persons = &activity->Persons();
        }
        ASSERT_NE(persons, nullptr);
        std::vector<std::string> printed;
        for (const PersonRecord& p : *persons) {
            printed.push_back(ListedName(p).toStdString());
        }
        EXPECT_EQ(printed, expected) << static_cast<int>(kind);
    }
    QLocale::setDefault(before);
}

// The point of the page under the view's centre, as a share of the sheet.
QPointF CentreOnSheet(const PreviewView& view) {
    const QRect sheet = view.SheetRect();
    const QPointF centre(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0);
    return {(centre.x() - sheet.left()) / sheet.width(),
            (centre.y() - sheet.top()) / sheet.height()};
}

TEST(ReportOutput, ZoomKeepsThePointUnderTheCentre) {
    PreviewView view;
    view.resize(600, 500);
    view.show();
    view.ShowPage(QPicture(), {600, 600, 5100, 6600, 75, 75});
    // From the fitted page the middle of the sheet stays in the middle.
    view.SetZoom(200);
    EXPECT_NEAR(CentreOnSheet(view).x(), 0.5, 0.01);
    EXPECT_NEAR(CentreOnSheet(view).y(), 0.5, 0.01);
    // Scrolled to a point near the top left, each step in and out keeps it there.
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 4);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 5);
    const QPointF point = CentreOnSheet(view);
    ASSERT_LT(point.y(), 0.45);
    for (int level : {400, 800, 400, 200}) {
        view.SetZoom(level);
        EXPECT_NEAR(CentreOnSheet(view).x(), point.x(), 0.01) << level;
        EXPECT_NEAR(CentreOnSheet(view).y(), point.y(), 0.01) << level;
    }
    // Back to the fitted page there is nothing to scroll.
    view.SetZoom(0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
}

TEST(ReportOutput, CentreKeptArithmetic) {
    // A sheet of 400 from 100 in a view of 600: the centre is at 200 of it, half-way; on a
    // sheet of 800 from 12 that is 412, so the scroll puts it at 300.
    EXPECT_EQ(PreviewZoom::CentreKept(600, 100, 400, 12, 800, 1000), 112);
    // Within the scroll range.
    EXPECT_EQ(PreviewZoom::CentreKept(600, 300, 400, 0, 800, 1000), 0);
    EXPECT_EQ(PreviewZoom::CentreKept(600, -2000, 400, 0, 8000, 500), 500);
}

std::string PdfTitle(const QString& path) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(20000)) {
        return "pdfinfo did not run";
    }
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(QStringLiteral("Title:"))) {
            return line.mid(6).trimmed().toStdString();
        }
    }
    return std::string();
}

TEST(ReportOutput, APdfIsTitledWithItsReportsName) {
    TestBook book;
    const std::string path = book.Create();
    TestBook::AddPerson(path, "", "", "Harbour Ltd");
    std::vector<PersonRecord> persons;
    PersonRecord harbour;
    harbour[PersonRecord::Company] = "Harbour Ltd";
    persons.push_back(harbour);
    QWidget window;
    PrintController printing(&window);
    QTemporaryDir folder;
    const std::pair<ReportKind, const char*> reports[] = {
        {ReportKind::AddressBook, "Address Book"},
        {ReportKind::Contacts, "Contacts"},
        {ReportKind::Envelopes, "Envelopes"},
        {ReportKind::Activity, "Contact Activity"}};
    for (const auto& [kind, title] : reports) {
        ReportRequest request;
        request.kind = kind;
        request.persons = persons;
        printing.SetRequest(request);
        const QString file = folder.filePath(QString::fromLatin1(title) + ".pdf");
        QString reason;
        ASSERT_TRUE(printing.WritePdf(file, reason)) << reason.toStdString();
        EXPECT_EQ(PdfTitle(file), title);
    }
}

std::string PdfText(const QString& path) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!text.waitForFinished(20000)) {
        return "pdftotext did not run";
    }
    return QString::fromUtf8(text.readAllStandardOutput()).toStdString();
}

TEST(ReportOutput, TheActivityChartWritesItsPagesToPdf) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ReportRequest request;
    request.kind = ReportKind::Activity;
    PersonRecord ann;
    ann.id = "A";
    ann[PersonRecord::FName] = "Ann";
    ann[PersonRecord::LName] = "Lee";
    request.persons = {ann};
    request.types = {{"T", "Telephone"}};
    request.contacts = {{"c1", "A", DateTime::FromFields(2024, 3, 5, 10, 0, 0), "call", "T"},
                        {"c2", "A", DateTime::FromFields(2025, 3, 5, 10, 0, 0), "call", "T"}};
    // Two years: more months than a page holds.
    request.span = {MonthNumber(2023, 6), MonthNumber(2025, 5)};
    QWidget window;
    PrintController printing(&window);
    printing.SetRequest(request);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("activity.pdf"));
    QString reason;
    ASSERT_TRUE(printing.WritePdf(file, reason)) << reason.toStdString();
    EXPECT_EQ(PdfTitle(file), "Contact Activity");
    const std::string text = PdfText(file);
    EXPECT_NE(text.find("CONTACT ACTIVITY June 2023 - May 2025"), std::string::npos) << text;
    EXPECT_NE(text.find("Telephone"), std::string::npos);
    EXPECT_NE(text.find("Busiest months"), std::string::npos);
    EXPECT_NE(text.find("Lee, Ann"), std::string::npos);
    EXPECT_NE(text.find("Page 2"), std::string::npos);
    QLocale::setDefault(QLocale::system());
}

}  // namespace
