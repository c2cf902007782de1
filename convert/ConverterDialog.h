#pragma once

#include <QDialog>

// The one dialog of tideconv.
class ConverterDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConverterDialog(QWidget* parent = nullptr);
};
