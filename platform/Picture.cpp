#include "Picture.h"

#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace platform {

namespace {

void DrawWave(QPainter& p, const QRectF& r, double level, double amplitude, const QColor& color) {
    QPainterPath path;
    path.moveTo(r.left(), r.bottom());
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const double x = r.left() + r.width() * i / steps;
        const double y = r.top() + r.height() * level +
                         amplitude * r.height() * std::sin(i * 3.14159265 * 4 / steps);
        path.lineTo(x, y);
    }
    path.lineTo(r.right(), r.bottom());
    path.closeSubpath();
    p.fillPath(path, color);
}

}  // namespace

QPixmap AppPicture(const QSize& size) {
    QPixmap pixmap(size.isValid() ? size : QSize(160, 120));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = pixmap.rect();
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(250, 236, 200));
    sky.setColorAt(0.55, QColor(190, 220, 240));
    p.fillRect(r, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 205, 90));
    p.drawEllipse(QPointF(r.width() * 0.72, r.height() * 0.3), r.height() * 0.13,
                  r.height() * 0.13);
    DrawWave(p, r, 0.52, 0.035, QColor(90, 150, 200));
    DrawWave(p, r, 0.64, 0.03, QColor(40, 100, 160));
    DrawWave(p, r, 0.78, 0.025, QColor(20, 60, 120));
    // The tide mark: the highest line the water reached.
    p.setPen(QPen(QColor(120, 70, 30), std::max(1.5, r.height() / 60), Qt::DashLine));
    p.drawLine(QPointF(0, r.height() * 0.45), QPointF(r.width(), r.height() * 0.45));
    return pixmap;
}

void PictureControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(rect(), AppPicture(size()));
}

}  // namespace platform
