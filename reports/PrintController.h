#pragma once

#include <memory>

#include <QObject>
#include <QString>

#include "PageCanvas.h"
#include "PreviewZoom.h"
#include "Report.h"
#include "ReportData.h"

class QPrinter;
class QWidget;

namespace reports {

class PreviewView;

// The main window's print settings and print preview: the printer (the system's default, or PDF
// output where the machine has none), the margins and the report font for the run; the report
// chosen last, shown first in the preview and printed from there.
class PrintController : public QObject {
    Q_OBJECT
public:
    // window: owns the preview view and the dialogs.
    explicit PrintController(QWidget* window);
    ~PrintController() override;

    // The report a report dialog chose: the next preview or print shows it.
    void SetRequest(ReportRequest request);
    ReportKind Kind() const { return request_.kind; }
    bool HasReport() const { return request_.kind != ReportKind::None; }

    bool InPreview() const { return inPreview_; }
    PreviewView* View() const { return view_; }
    Report* CurrentReport() const { return report_.get(); }
    int CurrentPage() const { return page_; }
    int PageCount() const { return report_ ? report_->PageCount() : 0; }
    bool CanNextPage() const { return inPreview_ && page_ < PageCount() - 1; }
    bool CanPreviousPage() const { return inPreview_ && page_ > 0; }
    bool CanZoomIn() const;
    bool CanZoomOut() const;
    int ZoomLevel() const;

    // The preview: built anew from the chosen records, page 1 fitted to the window. False when
    // no report was chosen yet.
    bool EnterPreview();
    void LeavePreview();
    void NextPage();
    void PreviousPage();
    void ZoomIn();
    void ZoomOut();

    // Print (whole document, through the print dialog), Page Setup, Print Setup, the report
    // font, and every page written to a PDF file at the printer's paper size and margins.
    void Print();
    void PageSetup();
    void PrintSetup();
    void ChooseFont();
    // suggestion: the file the dialog starts on.
    void SaveAsPdf(const QString& suggestion = QString());
    // The PDF without a dialog; false with the reason when the file could not be written.
    bool WritePdf(const QString& path, QString& reason);

    QPrinter& Printer() { return *printer_; }
    const ReportSettings& Settings() const { return settings_; }
    // The device the reports are laid out for: the printer's resolution, paper and printable
    // area.
    DeviceMetrics PrinterMetrics() const;

signals:
    // "Page %d of %d" as a page is drawn, "Ready" when the preview ends.
    void StatusText(const QString& text);
    // The preview came or went, or its page or zoom changed: the commands' availability too.
    void StateChanged();

private:
    std::unique_ptr<Report> Build();
    void Render();
    void DrawPageTo(class QPainter& painter, Report& report, int index);
    void Failed(const QString& text);

    QWidget* window_;
    std::unique_ptr<QPrinter> printer_;
    ReportSettings settings_;
    ReportRequest request_;
    PainterCanvas measure_;
    std::unique_ptr<Report> report_;
    PreviewView* view_;
    PreviewZoom zoom_;
    bool inPreview_ = false;
    int page_ = 0;
};

}  // namespace reports
