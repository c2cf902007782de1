#include <QApplication>
#include <QTimer>

#include "ConverterDialog.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(ConverterIcon());
    ConverterDialog dialog;
    // The start-up check (platform::QuitAfterStartIfAsked) quits the application's own event
    // loop, which never runs here: the dialog's does. So the dialog ends itself, with 0, the
    // status the check waits for (Close, Esc and the close box end it with 1).
    if (qEnvironmentVariableIsSet("TIDEMARK_QUIT_AFTER_START")) {
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(0); });
    }
    return dialog.exec();
}
