#pragma once

#include <QStringList>

#include "ShellActions.h"

// Takes the place of the desktop's dialler and address opener while it lives, and records
// what was asked of them; every request is taken.
class ShellRecorder : public platform::ShellActions {
public:
    ShellRecorder() { platform::SetShellActions(this); }
    ~ShellRecorder() override { platform::SetShellActions(nullptr); }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    int RequestCall(const QString& number) override {
        calls << number;
        return platform::kCallAccepted;
    }
    bool OpenAddress(const QString& address) override {
        addresses << address;
        return true;
    }
    QStringList calls, addresses;
};
