#include <QApplication>
#include <QTimer>

#include "ConverterDialog.h"
#include "StartupCheck.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(ConverterIcon());
    ConverterDialog dialog;
    platform::QuitAfterStartIfAsked();
    // The dialog refuses every close but its own button, and so the quit of the start-up check
    // too; it ends itself instead.
    if (qEnvironmentVariableIsSet("TIDEMARK_QUIT_AFTER_START")) {
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(0); });
    }
    return dialog.exec();
}
