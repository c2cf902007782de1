#pragma once

#include <QDialog>

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
