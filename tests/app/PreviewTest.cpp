// The print preview and printing through the real main window: a report chosen in its dialog,
// shown page by page, zoomed, set up, printed and saved as PDF.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QListWidget>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <memory>

#include "ActivityDialog.h"
#include "Commands.h"
#include "CurrentDatabase.h"
#include "FileDialogRecorder.h"
#include "MainFrame.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "PreviewView.h"
#include "PrintController.h"
#include "PrintDialogRecorder.h"
#include "ReportDialogs.h"
#include "SettingsSandbox.h"
#include "TestBook.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// What poppler's tools say of a PDF file.
QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPages(const QString& file) {
    const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
    for (const QString& line : info.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:"))) {
            return line.mid(6).trimmed().toInt();
        }
    }
    return -1;
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        CurrentDatabasePath.clear();
        path_ = book_.Create();
        frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
        files_.Answer(Q(path_));
        frame_->Action(cmd::kFileOpen)->trigger();
        frame_->resize(900, 700);
        frame_->show();
    }
    void TearDown() override {
        frame_.reset();
        CurrentDatabasePath.clear();
    }

    void AddPersons(int count) {
        for (int i = 0; i < count; ++i) {
            TestBook::AddPerson(path_, "First" + std::to_string(i),
                                "Last" + std::string(i < 10 ? "0" : "") + std::to_string(i),
                                "Company " + std::to_string(i));
        }
        frame_->View()->Reload();
    }

    // Chooses a report through its dialog: every person, then OK.
    void Choose(int command, const std::function<void(reports::PersonPickDialog&)>& more = {}) {
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& d) {
            auto& dialog = static_cast<reports::PersonPickDialog&>(d);
            dialog.SelectAllBox()->setChecked(true);
            if (more) {
                more(dialog);
            }
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        });
        frame_->OnCommand(command);
    }

    reports::PrintController& Printing() { return frame_->Printing(); }
    bool Enabled(int command) { return frame_->Action(command)->isEnabled(); }
    QString Status() { return frame_->statusBar()->currentMessage(); }

    SettingsSandbox sandbox_;
    TestBook book_;
    std::string path_;
    FileDialogRecorder files_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(PreviewTest, PrintingWaitsForAReportAndThePreviewTakesTheWindow) {
    AddPersons(20);
    EXPECT_FALSE(Enabled(cmd::kPrint));
    EXPECT_FALSE(Enabled(cmd::kPrintPreview));
    Choose(cmd::kAddressBookReport);
    ASSERT_TRUE(Printing().InPreview());
    EXPECT_TRUE(Enabled(cmd::kPrint));
    EXPECT_TRUE(Enabled(cmd::kPrintPreview));
    EXPECT_TRUE(frame_->PreviewToolBar()->isVisible());
    EXPECT_FALSE(frame_->MainToolBar()->isVisible());
    EXPECT_FALSE(frame_->View()->isVisible());
    EXPECT_TRUE(Printing().View()->isVisible());
    const int pages = Printing().PageCount();
    ASSERT_GE(pages, 2);
    EXPECT_EQ(Status(), QStringLiteral("Page 1 of %1").arg(pages));
    // The editing commands wait while the report is shown.
    for (int command : {cmd::kAddPerson, cmd::kEditPerson, cmd::kDeletePerson, cmd::kAddContact,
                        cmd::kEditContact, cmd::kDeleteContact}) {
        EXPECT_FALSE(Enabled(command)) << command;
    }
    EXPECT_TRUE(frame_->Action(cmd::kSaveAsPdf)->isVisible());

    EXPECT_FALSE(Enabled(cmd::kPreviousPage));
    EXPECT_TRUE(Enabled(cmd::kNextPage));
    for (int page = 2; page <= pages; ++page) {
        frame_->Action(cmd::kNextPage)->trigger();
        EXPECT_EQ(Status(), QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    }
    EXPECT_FALSE(Enabled(cmd::kNextPage));
    EXPECT_TRUE(Enabled(cmd::kPreviousPage));
    frame_->Action(cmd::kPreviousPage)->trigger();
    EXPECT_EQ(Printing().CurrentPage(), pages - 2);

    frame_->Action(cmd::kClosePreview)->trigger();
    EXPECT_FALSE(Printing().InPreview());
    EXPECT_TRUE(frame_->View()->isVisible());
    EXPECT_TRUE(frame_->MainToolBar()->isVisible());
    EXPECT_FALSE(frame_->PreviewToolBar()->isVisible());
    EXPECT_EQ(Status(), QStringLiteral("Ready"));
    EXPECT_TRUE(Enabled(cmd::kAddPerson));
    EXPECT_FALSE(frame_->Action(cmd::kSaveAsPdf)->isVisible());
    // The report chosen stays for Print and Print Preview.
    EXPECT_TRUE(Enabled(cmd::kPrintPreview));
    frame_->Action(cmd::kPrintPreview)->trigger();
    EXPECT_TRUE(Printing().InPreview());
    frame_->Action(cmd::kPrintPreview)->trigger();
    EXPECT_FALSE(Printing().InPreview());
}

TEST_F(PreviewTest, ZoomStepsInAndOutWithScrollBars) {
    AddPersons(3);
    Choose(cmd::kAddressBookReport);
    reports::PreviewView* view = Printing().View();
    EXPECT_EQ(Printing().ZoomLevel(), 0);
    EXPECT_TRUE(Enabled(cmd::kZoomIn));
    EXPECT_FALSE(Enabled(cmd::kZoomOut));
    const QRect fitted = view->SheetRect();
    EXPECT_TRUE(view->viewport()->rect().contains(fitted));
    for (int level : {200, 400, 800}) {
        frame_->Action(cmd::kZoomIn)->trigger();
        EXPECT_EQ(Printing().ZoomLevel(), level);
        EXPECT_TRUE(Enabled(cmd::kZoomOut));
    }
    EXPECT_FALSE(Enabled(cmd::kZoomIn));
    EXPECT_GT(view->SheetRect().height(), fitted.height());
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    for (int level : {400, 200, 0}) {
        frame_->Action(cmd::kZoomOut)->trigger();
        EXPECT_EQ(Printing().ZoomLevel(), level);
    }
    EXPECT_FALSE(Enabled(cmd::kZoomOut));
    EXPECT_TRUE(Enabled(cmd::kZoomIn));
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->SheetRect(), fitted);
}

TEST_F(PreviewTest, PageSetupWhilePreviewingLaysTheReportOutAgain) {
    AddPersons(12);
    Choose(cmd::kAddressBookReport);
    frame_->Action(cmd::kNextPage)->trigger();
    const int before = Printing().PageCount();
    PrintDialogRecorder printing;
    printing.pageSetup = [](QPrinter& printer) {
        printer.setPageMargins(QMarginsF(1, 2.5, 1, 2.5), QPageLayout::Inch);
        return true;
    };
    frame_->OnCommand(cmd::kPageSetup);
    EXPECT_EQ(Printing().Settings().marginTop, 2500);
    EXPECT_EQ(Printing().Settings().marginLeft, 1000);
    EXPECT_GT(Printing().PageCount(), before);
    EXPECT_EQ(Printing().CurrentPage(), 0);
    EXPECT_EQ(Status(), QStringLiteral("Page 1 of %1").arg(Printing().PageCount()));
}

TEST_F(PreviewTest, MetricMarginsArriveAsThousandthsOfAnInch) {
    AddPersons(1);
    Choose(cmd::kAddressBookReport);
    PrintDialogRecorder printing;
    printing.pageSetup = [](QPrinter& printer) {
        printer.setPageMargins(QMarginsF(25.4, 12.7, 25.4, 12.7), QPageLayout::Millimeter);
        return true;
    };
    frame_->OnCommand(cmd::kPageSetup);
    EXPECT_EQ(Printing().Settings().marginLeft, 1000);
    EXPECT_EQ(Printing().Settings().marginTop, 500);
}

TEST_F(PreviewTest, AContactsReportWithNothingInRangeHasOnePage) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "1990-01-01 10:00:00", "long ago");
    frame_->View()->Reload();
    Choose(cmd::kContactsReport);
    ASSERT_TRUE(Printing().InPreview());
    EXPECT_EQ(Printing().PageCount(), 1);
    EXPECT_EQ(Status(), QStringLiteral("Page 1 of 1"));
    EXPECT_FALSE(Enabled(cmd::kNextPage));
}

TEST_F(PreviewTest, EnvelopeOptionsComeBackAtTheNextOpen) {
    AddPersons(2);
    Choose(cmd::kEnvelopesReport, [](reports::PersonPickDialog& d) {
        auto& dialog = static_cast<reports::EnvelopeDialog&>(d);
        for (int i = 0; i < 6; ++i) {
            EXPECT_FALSE(dialog.OptionBox(i)->isChecked()) << i;
        }
        dialog.OptionBox(1)->setChecked(true);
        dialog.OptionBox(5)->setChecked(true);
    });
    ASSERT_TRUE(Printing().InPreview());
    EXPECT_EQ(Printing().PageCount(), 2);
    Choose(cmd::kEnvelopesReport, [](reports::PersonPickDialog& d) {
        auto& dialog = static_cast<reports::EnvelopeDialog&>(d);
        const bool expected[6] = {false, true, false, false, false, true};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(dialog.OptionBox(i)->isChecked(), expected[i]) << i;
        }
    });
}

TEST_F(PreviewTest, PrintingToAFileThroughThePrintDialogWritesEveryPage) {
    AddPersons(15);
    Choose(cmd::kAddressBookReport);
    const int pages = Printing().PageCount();
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("printed.pdf"));
    PrintDialogRecorder printing;
    printing.print = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    };
    frame_->OnCommand(cmd::kPrint);
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(PdfPages(file), pages);
    const QString text =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("ADDRESS BOOK")));
    // Pages separated by form feeds, each with its number.
    const QStringList sheets = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(sheets.size(), pages);
    for (int page = 1; page <= pages; ++page) {
        EXPECT_TRUE(sheets[page - 1].contains(QStringLiteral("Page %1").arg(page))) << page;
    }
    // In sorted order, under the list's names: Last00 before Last01 ... before Last14.
    int previous = -1;
    for (int i = 0; i < 15; ++i) {
        const int at =
            text.indexOf(QStringLiteral("Last%1, First%2").arg(i, 2, 10, QLatin1Char('0')).arg(i));
        EXPECT_GT(at, previous) << i;
        previous = at;
    }
}

TEST_F(PreviewTest, SaveAsPdfWritesTheReportAtThePrintersPaper) {
    AddPersons(9);
    Choose(cmd::kAddressBookReport);
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("book.pdf"));
    files_.Answer(file);
    frame_->Action(cmd::kSaveAsPdf)->trigger();
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(PdfPages(file), Printing().PageCount());
    const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
    const QSizeF paper = Printing().Printer().pageLayout().fullRect(QPageLayout::Point).size();
    EXPECT_TRUE(info.contains(QStringLiteral("%1 x %2 pts").arg(paper.width()).arg(paper.height())))
        << info.toStdString();
    const QString text = RunTool(QStringLiteral("pdftotext"), {file, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("Last00, First0")));
    EXPECT_TRUE(text.contains(QStringLiteral("Company: Company 8")));
    const platform::FileDialogRequest& request = files_.Requests().back();
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("pdf"));
    EXPECT_EQ(request.kind, platform::FileDialogKind::Save);
}

TEST_F(PreviewTest, TheActivityChartFromTheMenuToItsPdf) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddContact(path_, a, "2026-03-10 10:00:00", "call");
    TestBook::AddContact(path_, a, "2026-03-20 10:00:00", "letter",
                         "787CA2CE-1099-4127-8AED83ECA59B");
    TestBook::AddContact(path_, a, "2025-03-20 10:00:00", "outside the months");
    frame_->View()->Reload();
    Choose(cmd::kActivityReport, [](reports::PersonPickDialog& d) {
        auto& dialog = static_cast<reports::ActivityDialog&>(d);
        dialog.FromPicker()->setDate(QDate(2026, 1, 1));
        dialog.ToPicker()->setDate(QDate(2026, 6, 1));
    });
    ASSERT_TRUE(Printing().InPreview());
    EXPECT_EQ(Printing().Kind(), reports::ReportKind::Activity);
    EXPECT_EQ(Printing().PageCount(), 1);
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("activity.pdf"));
    files_.Answer(file);
    frame_->Action(cmd::kSaveAsPdf)->trigger();
    ASSERT_TRUE(QFile::exists(file));
    const QString text = RunTool(QStringLiteral("pdftotext"), {file, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("CONTACT ACTIVITY"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Telephone")));
    EXPECT_TRUE(text.contains(QStringLiteral("Correspondence")));
    EXPECT_TRUE(text.contains(QStringLiteral("Adams, Ann")));
    EXPECT_TRUE(
        RunTool(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("Contact Activity")));
}

TEST_F(PreviewTest, APdfThatCannotBeWrittenIsReported) {
    AddPersons(1);
    Choose(cmd::kAddressBookReport);
    files_.Answer(Q(book_.Path("no/such/folder/book.pdf")));
    MessageRecorder boxes;
    boxes.Expect();
    frame_->Action(cmd::kSaveAsPdf)->trigger();
    EXPECT_EQ(boxes.Last().caption, QStringLiteral("Tidemark"));
    EXPECT_EQ(boxes.Last().icon, platform::MessageIcon::Error);
}

TEST_F(PreviewTest, TheReportFontTakesWholePointsForTheNextReport) {
    AddPersons(30);
    Choose(cmd::kAddressBookReport);
    const int pages = Printing().PageCount();
    PrintDialogRecorder printing;
    printing.font = [](const QFont& initial) {
        EXPECT_EQ(initial.pointSize(), 10);
        QFont chosen(QStringLiteral("Liberation Sans"));
        chosen.setPointSizeF(14.5);
        return std::optional<QFont>(chosen);
    };
    frame_->OnCommand(cmd::kReportFont);
    EXPECT_EQ(Printing().Settings().pointSize, 14);
    EXPECT_EQ(Printing().Settings().faceName, QStringLiteral("Liberation Sans"));
    // The preview shown keeps its font until the report is built again.
    EXPECT_EQ(Printing().PageCount(), pages);
    frame_->OnCommand(cmd::kClosePreview);
    frame_->OnCommand(cmd::kPrintPreview);
    EXPECT_GT(Printing().PageCount(), pages);
}

}  // namespace
