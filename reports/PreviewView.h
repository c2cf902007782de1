#pragma once

#include <QAbstractScrollArea>
#include <QPicture>
#include <QSize>

#include "PageGeometry.h"
#include "PreviewZoom.h"

namespace reports {

// The print preview's window: one page, recorded against the printer's metrics, painted scaled
// as a white sheet with a shadow on a grey ground. Fitted to the window, or larger with scroll
// bars at the zoom levels.
class PreviewView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PreviewView(QWidget* parent = nullptr);

    // The page to show, drawn in device units whose origin is the printable area's corner.
    void ShowPage(const QPicture& page, const DeviceMetrics& device);
    void SetZoom(int level);
    int Zoom() const { return zoom_; }
    // Where the sheet lies in the viewport.
    QRect SheetRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateScrollBars(bool fromFitted);
    // The sheet with the area scrolled by the offset.
    QRect SheetAt(const QPoint& scrolled) const;
    QSize AreaSize() const;

    QPicture page_;
    DeviceMetrics device_;
    int zoom_ = 0;
};

}  // namespace reports
