#include "Images.h"

#include <QPainter>
#include <QPainterPath>

#include "Commands.h"

namespace {

QPixmap Canvas(int w, int h) {
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A head and shoulders.
void DrawPerson(QPainter& p, const QColor& color) {
    p.setPen(QPen(color.darker(160), 1.2));
    p.setBrush(color);
    p.drawEllipse(QRectF(9, 3, 10, 10));
    QPainterPath body;
    body.moveTo(4, 28);
    body.cubicTo(4, 15, 24, 15, 24, 28);
    body.closeSubpath();
    p.drawPath(body);
}

// An index card with lines: one entry of the contact log.
void DrawCard(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    p.setBrush(QColor(255, 250, 220));
    p.drawRect(QRectF(3, 6, 22, 18));
    p.setPen(QPen(QColor(70, 110, 170), 1.2));
    for (int y : {11, 15, 19}) {
        p.drawLine(QPointF(6, y), QPointF(22, y));
    }
}

void DrawBadge(QPainter& p, int command) {
    const QRectF badge(18, 16, 13, 13);
    switch (command) {
        case cmd::kAddPerson:
        case cmd::kAddContact:
            p.setPen(QPen(QColor(20, 120, 30), 3.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(badge.center() - QPointF(5, 0), badge.center() + QPointF(5, 0));
            p.drawLine(badge.center() - QPointF(0, 5), badge.center() + QPointF(0, 5));
            break;
        case cmd::kDeletePerson:
        case cmd::kDeleteContact:
            p.setPen(QPen(QColor(190, 30, 30), 3.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(badge.topLeft() + QPointF(2, 2), badge.bottomRight() - QPointF(2, 2));
            p.drawLine(badge.topRight() + QPointF(-2, 2), badge.bottomLeft() + QPointF(2, -2));
            break;
        default: {
            // A pencil for the edit commands.
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(QColor(240, 180, 40));
            QPolygonF pencil;
            pencil << QPointF(29, 15) << QPointF(32, 18) << QPointF(21, 29) << QPointF(17, 30)
                   << QPointF(18, 26);
            p.drawPolygon(pencil);
            break;
        }
    }
}

}  // namespace

QIcon CommandIcon(int command) {
    QPixmap pixmap = Canvas(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (command) {
        case cmd::kFileNew: {
            p.setPen(QPen(QColor(80, 80, 80), 1.5));
            p.setBrush(Qt::white);
            QPolygonF page;
            page << QPointF(7, 3) << QPointF(19, 3) << QPointF(26, 10) << QPointF(26, 29)
                 << QPointF(7, 29);
            p.drawPolygon(page);
            p.drawLine(QPointF(19, 3), QPointF(19, 10));
            p.drawLine(QPointF(19, 10), QPointF(26, 10));
            break;
        }
        case cmd::kFileOpen: {
            p.setPen(QPen(QColor(120, 90, 20), 1.5));
            p.setBrush(QColor(240, 200, 90));
            p.drawRect(QRectF(3, 9, 22, 17));
            p.setBrush(QColor(250, 220, 120));
            QPolygonF flap;
            flap << QPointF(3, 26) << QPointF(9, 14) << QPointF(30, 14) << QPointF(25, 26);
            p.drawPolygon(flap);
            break;
        }
        case cmd::kAddPerson:
        case cmd::kDeletePerson:
        case cmd::kEditPerson:
            DrawPerson(p, QColor(110, 150, 210));
            DrawBadge(p, command);
            break;
        case cmd::kAddContact:
        case cmd::kDeleteContact:
        case cmd::kEditContact:
            DrawCard(p);
            DrawBadge(p, command);
            break;
        case cmd::kUndoDelete: {
            // An arrow bending back.
            p.setPen(QPen(QColor(30, 90, 160), 3, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            QPainterPath bend;
            bend.moveTo(9, 12);
            bend.lineTo(19, 12);
            bend.cubicTo(28, 12, 28, 26, 19, 26);
            bend.lineTo(12, 26);
            p.drawPath(bend);
            p.setBrush(QColor(30, 90, 160));
            p.setPen(Qt::NoPen);
            QPolygonF head;
            head << QPointF(3, 12) << QPointF(11, 5) << QPointF(11, 19);
            p.drawPolygon(head);
            break;
        }
        case cmd::kHelpMode: {
            p.setPen(QPen(Qt::black, 1.2));
            p.setBrush(Qt::white);
            QPolygonF arrow;
            arrow << QPointF(3, 3) << QPointF(3, 24) << QPointF(8, 19) << QPointF(12, 28)
                  << QPointF(15, 27) << QPointF(11, 18) << QPointF(18, 18);
            p.drawPolygon(arrow);
            QFont f = p.font();
            f.setBold(true);
            f.setPixelSize(18);
            p.setFont(f);
            p.setPen(QColor(20, 70, 160));
            p.drawText(QRectF(16, 2, 16, 22), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        default:
            return QIcon();
    }
    p.end();
    return QIcon(pixmap);
}
