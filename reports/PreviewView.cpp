#include "PreviewView.h"

#include <QPainter>
#include <QScrollBar>

namespace reports {

namespace {

constexpr int kGap = 12;
constexpr int kShadow = 5;

}  // namespace

PreviewView::PreviewView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
}

void PreviewView::ShowPage(const QPicture& page, const DeviceMetrics& device) {
    page_ = page;
    device_ = device;
    viewport()->update();
}

QSize PreviewView::AreaSize() const {
    return viewport()->size() + QSize(zoom_, zoom_);
}

void PreviewView::SetZoom(int level) {
    const QRect before = SheetRect();
    zoom_ = level;
    UpdateScrollBars(false);
    // The point under the view's centre stays where it is.
    const QRect after = SheetAt(QPoint());
    const QSize view = viewport()->size();
    QScrollBar* across = horizontalScrollBar();
    QScrollBar* down = verticalScrollBar();
    across->setValue(PreviewZoom::CentreKept(view.width(), before.left(), before.width(),
                                             after.left(), after.width(), across->maximum()));
    down->setValue(PreviewZoom::CentreKept(view.height(), before.top(), before.height(),
                                           after.top(), after.height(), down->maximum()));
    viewport()->update();
}

void PreviewView::UpdateScrollBars(bool fromFitted) {
    const QSize area = AreaSize();
    const QSize view = viewport()->size();
    for (auto [bar, range, page] :
         {std::tuple{horizontalScrollBar(), area.width() - view.width(), view.width()},
          std::tuple{verticalScrollBar(), area.height() - view.height(), view.height()}}) {
        const int newMaximum = zoom_ == 0 ? 0 : std::max(0, range);
        const int value =
            PreviewZoom::ScrollPosition(bar->value(), bar->maximum(), newMaximum, fromFitted);
        bar->setRange(0, newMaximum);
        bar->setPageStep(page);
        bar->setValue(value);
    }
}

void PreviewView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars(false);
}

QRect PreviewView::SheetRect() const {
    return SheetAt(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

QRect PreviewView::SheetAt(const QPoint& scrolled) const {
    // The sheet as large as the area allows, its proportions kept, in the area's middle.
    const QSize area = AreaSize() - QSize(2 * kGap, 2 * kGap);
    QSize sheet(std::max(1, device_.physicalWidth), std::max(1, device_.physicalHeight));
    sheet.scale(area.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio);
    const QPoint origin((AreaSize().width() - sheet.width()) / 2 - scrolled.x(),
                        (AreaSize().height() - sheet.height()) / 2 - scrolled.y());
    return QRect(origin, sheet);
}

void PreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(128, 128, 128));
    if (device_.physicalWidth <= 0 || device_.physicalHeight <= 0) {
        return;
    }
    const QRect sheet = SheetRect();
    painter.fillRect(sheet.translated(kShadow, kShadow), QColor(60, 60, 60));
    painter.fillRect(sheet, Qt::white);
    painter.setPen(QColor(40, 40, 40));
    painter.drawRect(sheet.adjusted(0, 0, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setClipRect(sheet);
    const double scale = double(sheet.width()) / device_.physicalWidth;
    painter.translate(sheet.topLeft());
    painter.scale(scale, scale);
    // The page was drawn from the printable area's corner.
    painter.translate(device_.offsetX, device_.offsetY);
    painter.setPen(Qt::black);
    painter.drawPicture(0, 0, page_);
}

}  // namespace reports
