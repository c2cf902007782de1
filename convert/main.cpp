#include <QApplication>

#include "ConverterDialog.h"
#include "StartupCheck.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ConverterDialog dialog;
    dialog.show();
    platform::QuitAfterStartIfAsked();
    return QApplication::exec();
}
