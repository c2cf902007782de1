#include <QApplication>

#include "MainFrame.h"
#include "StartupCheck.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vantorel"));
    QApplication::setApplicationName(QStringLiteral("Tidemark"));
    MainFrame frame;
    frame.show();
    platform::QuitAfterStartIfAsked();
    return QApplication::exec();
}
