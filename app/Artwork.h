#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>

// The application's picture, drawn by the program: a tide line over the sea.
QPixmap AppPicture(const QSize& size);

// The main toolbar's images, by command number; a null icon for a command without one.
QIcon CommandIcon(int command);

// The start-up screen: the picture, the tagline, the name and the version. It closes itself
// after three seconds, or at once on any key or mouse button.
class StartupScreen : public QDialog {
    Q_OBJECT
public:
    explicit StartupScreen(QWidget* parent = nullptr, int milliseconds = 3000);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// "About Tidemark".
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

// Draws the picture stretched over its whole rectangle on every paint.
class PictureControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
