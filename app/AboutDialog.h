#pragma once

#include <QDialog>

// "About Tidemark": the picture, the name, the version, the tagline and OK.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
