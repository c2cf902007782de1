#include "StartupCheck.h"

#include <QCoreApplication>
#include <QTimer>

namespace platform {

void QuitAfterStartIfAsked() {
    if (qEnvironmentVariableIsSet("TIDEMARK_QUIT_AFTER_START")) {
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    }
}

}  // namespace platform
