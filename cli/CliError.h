#pragma once

#include <QString>

// The exit status of tidemark-cli.
enum class ExitStatus : int {
    Done = 0,
    NotFound = 1,   // nothing found, or several where one is needed
    WrongUse = 2,   // the usage line follows the message
    Unusable = 3,   // the book, the file to import or export, or the server cannot be used
    Conflicts = 4,  // the sync ran, and persons are held because both sides changed them
};

// What ends a command early: a one-line message for standard error and the status. With usage,
// the command's usage line follows the message.
struct CliError {
    ExitStatus status;
    QString message;
    bool usage = false;
};
