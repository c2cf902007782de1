#include "ConverterDialog.h"

ConverterDialog::ConverterDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tidemark Converter"));
}
