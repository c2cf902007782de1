#include <QApplication>
#include <QDir>
#include <QLockFile>

#include "MainFrame.h"
#include "StartupCheck.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vantorel"));
    QApplication::setApplicationName(QStringLiteral("Tidemark"));

    // Held for the program's life; a second copy starts and runs all the same.
    QLockFile mutex(QDir::temp().filePath(QStringLiteral("TidemarkMutex")));
    mutex.tryLock(0);

    MainFrame frame;
    if (!frame.Start(QApplication::arguments().mid(1).join(QLatin1Char(' ')))) {
        return 0;
    }
    platform::QuitAfterStartIfAsked();
    return QApplication::exec();
}
