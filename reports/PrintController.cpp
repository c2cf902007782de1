#include "PrintController.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>

#include "FileDialog.h"
#include "MessageBox.h"
#include "PreviewView.h"
#include "PrintDialogs.h"

namespace reports {

PrintController::PrintController(QWidget* window)
    : QObject(window),
      window_(window),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    // A machine without a printer still makes its reports, as PDF files.
    if (QPrinterInfo::defaultPrinter().isNull()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
    }
    view_ = new PreviewView(window);
    view_->hide();
}

PrintController::~PrintController() = default;

void PrintController::SetRequest(ReportRequest request) {
    request_ = std::move(request);
    emit StateChanged();
}

DeviceMetrics PrintController::PrinterMetrics() const {
    const QRectF paper = printer_->paperRect(QPrinter::DevicePixel);
    const QRectF page = printer_->pageRect(QPrinter::DevicePixel);
    DeviceMetrics metrics;
    metrics.dpiX = printer_->logicalDpiX();
    metrics.dpiY = printer_->logicalDpiY();
    metrics.physicalWidth = static_cast<int>(paper.width());
    metrics.physicalHeight = static_cast<int>(paper.height());
    metrics.offsetX = static_cast<int>(page.left() - paper.left());
    metrics.offsetY = static_cast<int>(page.top() - paper.top());
    return metrics;
}

std::unique_ptr<Report> PrintController::Build() {
    return BuildReport(request_, measure_, PrinterMetrics(), settings_);
}

bool PrintController::CanZoomIn() const {
    return inPreview_ && zoom_.CanZoomIn();
}

bool PrintController::CanZoomOut() const {
    return inPreview_ && zoom_.CanZoomOut();
}

int PrintController::ZoomLevel() const {
    return zoom_.Level();
}

void PrintController::DrawPageTo(QPainter& painter, Report& report, int index) {
    emit StatusText(tr("Page %1 of %2").arg(index + 1).arg(report.PageCount()));
    PainterCanvas canvas(&painter);
    painter.save();
    // Lines half a point wide: one device pixel would vanish on a fine printer.
    painter.setPen(QPen(Qt::black, std::max(1, report.Device().dpiY / 144)));
    report.DrawPage(canvas, index);
    painter.restore();
}

void PrintController::Render() {
    if (!report_ || page_ < 0 || page_ >= report_->PageCount()) {
        return;
    }
    QPicture picture;
    {
        QPainter painter(&picture);
        DrawPageTo(painter, *report_, page_);
    }
    view_->ShowPage(picture, report_->Device());
    emit StateChanged();
}

bool PrintController::EnterPreview() {
    report_ = Build();
    if (!report_) {
        return false;
    }
    inPreview_ = true;
    page_ = 0;
    zoom_.Reset();
    view_->SetZoom(0);
    view_->show();
    Render();
    return true;
}

void PrintController::LeavePreview() {
    view_->hide();
    inPreview_ = false;
    report_.reset();
    page_ = 0;
    emit StatusText(tr("Ready"));
    emit StateChanged();
}

void PrintController::NextPage() {
    if (CanNextPage()) {
        ++page_;
        Render();
    }
}

void PrintController::PreviousPage() {
    if (CanPreviousPage()) {
        --page_;
        Render();
    }
}

void PrintController::ZoomIn() {
    if (CanZoomIn()) {
        zoom_.ZoomIn();
        view_->SetZoom(zoom_.Level());
        emit StateChanged();
    }
}

void PrintController::ZoomOut() {
    if (CanZoomOut()) {
        zoom_.ZoomOut();
        view_->SetZoom(zoom_.Level());
        emit StateChanged();
    }
}

void PrintController::Failed(const QString& text) {
    platform::ShowMessage(window_, text, tr("Tidemark"), platform::MessageIcon::Error);
}

void PrintController::Print() {
    if (!HasReport() || !platform::AskPrint(window_, *printer_)) {
        return;
    }
    // Printing to a file where there is no printer: the file is asked for like any other.
    if (printer_->outputFormat() == QPrinter::PdfFormat && printer_->outputFileName().isEmpty()) {
        SaveAsPdf();
        return;
    }
    std::unique_ptr<Report> built;
    Report* report = report_.get();
    if (!inPreview_ || !report) {
        built = Build();
        report = built.get();
    }
    if (!report) {
        return;
    }
    // The job is named after its report, as the print queue lists it.
    printer_->setDocName(ReportName(request_.kind));
    QPainter painter;
    if (!painter.begin(printer_.get())) {
        Failed(tr("The print job could not be started on %1.")
                   .arg(printer_->printerName().isEmpty() ? printer_->outputFileName()
                                                          : printer_->printerName()));
        return;
    }
    for (int page = 0; page < report->PageCount(); ++page) {
        if (page > 0) {
            printer_->newPage();
        }
        DrawPageTo(painter, *report, page);
    }
    painter.end();
}

void PrintController::PageSetup() {
    if (!platform::AskPageSetup(window_, *printer_)) {
        return;
    }
    // The margins in the page layout's own unit, turned into thousandths of an inch.
    const QMarginsF margins = printer_->pageLayout().margins(QPageLayout::Inch);
    settings_.marginLeft = qRound(margins.left() * 1000);
    settings_.marginTop = qRound(margins.top() * 1000);
    settings_.marginRight = qRound(margins.right() * 1000);
    settings_.marginBottom = qRound(margins.bottom() * 1000);
    if (inPreview_) {
        report_ = Build();
        page_ = 0;
        Render();
    }
    emit StateChanged();
}

void PrintController::PrintSetup() {
    platform::AskPrint(window_, *printer_);
}

void PrintController::ChooseFont() {
    QFont initial(settings_.faceName);
    initial.setPointSize(settings_.pointSize);
    if (const std::optional<QFont> chosen = platform::AskFont(window_, initial)) {
        settings_.faceName = chosen->family();
        // Whole points: tenths are dropped.
        settings_.pointSize = std::max(1, static_cast<int>(chosen->pointSizeF()));
    }
}

bool PrintController::WritePdf(const QString& path, QString& reason) {
    std::unique_ptr<Report> built;
    Report* report = report_.get();
    if (!report) {
        built = Build();
        report = built.get();
    }
    if (!report) {
        reason = tr("No report was chosen.");
        return false;
    }
    QPdfWriter writer(path);
    writer.setResolution(printer_->resolution());
    writer.setPageLayout(printer_->pageLayout());
    writer.setTitle(ReportName(request_.kind));
    writer.setCreator(QStringLiteral("Tidemark"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        QFile probe(path);
        reason = probe.open(QIODevice::WriteOnly) ? tr("The file could not be written.")
                                                  : probe.errorString();
        return false;
    }
    for (int page = 0; page < report->PageCount(); ++page) {
        if (page > 0) {
            writer.newPage();
        }
        DrawPageTo(painter, *report, page);
    }
    painter.end();
    return true;
}

void PrintController::SaveAsPdf(const QString& suggestion) {
    if (!HasReport()) {
        return;
    }
    platform::FileDialogRequest request;
    request.owner = window_;
    request.initialPath = suggestion;
    request.kind = platform::FileDialogKind::Save;
    request.filters = {tr("PDF Files (*.pdf)"), tr("All files (*)")};
    request.defaultSuffix = QStringLiteral("pdf");
    request.confirmOverwrite = true;
    const std::optional<QString> path = platform::AskFileName(request);
    if (!path) {
        return;
    }
    QString reason;
    if (!WritePdf(*path, reason)) {
        Failed(tr("The PDF file %1 could not be written. %2").arg(*path, reason));
    }
}

}  // namespace reports
