#pragma once

#include <QCoreApplication>
#include <QString>

// Where link and sync get the account's password from, in this order: the first output line
// of --password-command, the desktop's secret store, a prompt on the terminal. The password is
// held in memory only.
class PasswordSource {
    Q_DECLARE_TR_FUNCTIONS(PasswordSource)

public:
    // A CliError (Unusable) when the command fails or prints nothing, or when no source gives
    // one (no command, nothing in the store, no terminal).
    static QString Obtain(const QString& command, const QString& user, const QString& server);

    // The first line the command prints through /bin/sh -c, without its line end. Its standard
    // error and input stay the user's, so that a password manager may ask there.
    static QString FromCommand(const QString& command);
    // Asks on /dev/tty without echo; false when there is no terminal. An empty password when
    // the input ended or nothing was typed.
    static bool FromTerminal(const QString& prompt, QString& password);
};
