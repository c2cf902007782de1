#pragma once

#include <QMainWindow>

// The main window of tidemark.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit MainFrame(QWidget* parent = nullptr);
};
