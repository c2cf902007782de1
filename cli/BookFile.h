#pragma once

#include <string>

#include <QCoreApplication>
#include <QString>

// Which book a command works on and whether it can be used.
class BookFile {
    Q_DECLARE_TR_FUNCTIONS(BookFile)

public:
    // The book named by --book, else by $TIDEMARK_BOOK, else the file the desktop opened last.
    // Says on standard error which it took when it was not named; a CliError when none is known.
    static QString Resolve(const QString& named);
    // The path as the engine opens it, once the file has been found to be an address book this
    // program reads. A CliError (Unusable) with the desktop's text otherwise.
    static std::string Check(const QString& path);
};
