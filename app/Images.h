#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

// The pictures the program draws itself.

// The application's picture: a tide line over the sea.
QPixmap AppPicture(const QSize& size);

// The main toolbar's images, by command number; a null icon for a command without one.
QIcon CommandIcon(int command);

// Draws the picture stretched over its whole rectangle on every paint.
class PictureControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
