#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What the command line asks for: the command, its options and its arguments.
struct Invocation {
    QString command;  // empty for the program's own --help
    QString book;     // --book FILE
    bool help = false;
    bool json = false;
    bool force = false;
    QString type;  // --type; empty when not given
    QString when;  // --when; empty when not given
    // import and export
    QString format;     // --format csv|vcard; empty when not given
    QString separator;  // --separator; empty when not given
    QString encloser;   // --encloser; empty when not given
    bool encloserGiven = false;
    QString encoding;  // --encoding; empty when not given
    QString existing;  // --existing update|skip|add; empty when not given
    bool noHeader = false;
    bool bom = false;
    bool contacts = false;
    bool only = false;  // the arguments after FILE are the words of --only
    // link and sync
    QString user;             // --user
    QString addressBook;      // --addressbook NAME-OR-URL
    QString create;           // --create NAME
    QString passwordCommand;  // --password-command CMD
    bool createGiven = false;
    bool remember = false;
    QStringList arguments;
};

class CommandLineArgs {
    Q_DECLARE_TR_FUNCTIONS(CommandLineArgs)

public:
    // Reads the arguments after the program's name. A CliError (WrongUse) for an unknown
    // command or option, an option the command does not take or a missing option value.
    static Invocation Parse(const QStringList& arguments);
    // "Usage: tidemark-cli ..." for the command, or for the program when command is empty.
    static QString UsageLine(const QString& command);
    // The whole --help text of the command or of the program.
    static QString HelpText(const QString& command);
    static bool IsCommand(const QString& name);
};
