#pragma once

#include <QDialog>
#include <QString>

#include "Converter.h"

class QLineEdit;
class QPushButton;

// The one dialog of tideconv: a file name, Browse, Convert, About and Close. Esc and the close
// box end it as Close does, with 1; Enter in the file name converts it.
class ConverterDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConverterDialog(QWidget* parent = nullptr);

    const QString& FileName() const { return fileName_; }
    // The outcome of the last Convert, for tests.
    ConvertResult LastResult() const { return lastResult_; }

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Browse();
    void Convert();
    void ShowAbout();

    QPushButton* closeButton_ = nullptr;
    QPushButton* aboutButton_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* convertButton_ = nullptr;
    QString fileName_;
    ConvertResult lastResult_ = ConvertResult::NotRead;
};

// The About box: the program's icon, its name and version, and OK.
class ConverterAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConverterAboutDialog(QWidget* parent);
};

// The program's icon, drawn rather than shipped as an image.
QIcon ConverterIcon();
