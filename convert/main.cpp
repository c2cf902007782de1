#include <QApplication>

#include "ConverterDialog.h"
#include "StartupCheck.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(ConverterIcon());
    ConverterDialog dialog;
    platform::QuitAfterStartIfAsked();
    return dialog.exec();
}
