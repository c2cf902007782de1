#pragma once

#include <string>

#include <QCoreApplication>

#include "CommandLineArgs.h"

// link, sync and unlink on the sync core, run on the program's event loop.
class CliSync {
    Q_DECLARE_TR_FUNCTIONS(CliSync)

public:
    static int Link(const std::string& path, const Invocation& invocation);
    static int Sync(const std::string& path, const Invocation& invocation);
    static int Unlink(const std::string& path, const Invocation& invocation);
};
