#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "FileDialogRecorder.h"
#include "MessageRecorder.h"
#include "PrintDialogRecorder.h"
#include "ShellActions.h"

namespace {

// No test may reach the real dialler, browser or mail program: before each test the desktop's
// actions are replaced by one that fails the test; tests that expect a request install their own.
class ShellGuard : public platform::ShellActions, public ::testing::EmptyTestEventListener {
public:
    int RequestCall(const QString& number) override {
        ADD_FAILURE() << "Call request with no fake: " << number.toStdString();
        return platform::kCallNoRequestRecipient;
    }
    bool OpenAddress(const QString& address) override {
        ADD_FAILURE() << "Address opened with no fake: " << address.toStdString();
        return false;
    }
    void OnTestStart(const ::testing::TestInfo&) override { platform::SetShellActions(this); }
};

}  // namespace

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
    InstallPrintDialogGuard();
    // Owned by the listener list from here on.
    ::testing::UnitTest::GetInstance()->listeners().Append(new ShellGuard);
    return RUN_ALL_TESTS();
}
