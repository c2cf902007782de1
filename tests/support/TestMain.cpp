#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "FileDialogRecorder.h"
#include "MessageRecorder.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Keeps the user's real settings out of reach of every test.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vantorel"));
    QApplication::setApplicationName(QStringLiteral("Tidemark"));
    ::testing::InitGoogleTest(&argc, argv);
    InstallMessageGuard();
    InstallFileDialogGuard();
    return RUN_ALL_TESTS();
}
