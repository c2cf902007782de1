#include "MainFrame.h"

MainFrame::MainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Untitled - Tidemark"));
    resize(800, 600);
}
