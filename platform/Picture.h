#pragma once

#include <QPixmap>
#include <QWidget>

namespace platform {

// The application's picture, drawn by the program: a tide line over the sea. The start-up
// screen, the About box and the wizard pages show it.
QPixmap AppPicture(const QSize& size);

// Draws the picture stretched over its whole rectangle on every paint.
class PictureControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform
