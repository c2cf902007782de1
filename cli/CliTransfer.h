#pragma once

#include <string>

#include <QCoreApplication>

#include "CommandLineArgs.h"

// import and export on the transfer core, with the settings the desktop's wizard starts with.
class CliTransfer {
    Q_DECLARE_TR_FUNCTIONS(CliTransfer)

public:
    static int Import(const std::string& path, const Invocation& invocation);
    static int Export(const std::string& path, const Invocation& invocation);
};
