#include "PasswordSource.h"

#include <csignal>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QProcess>

#include "CliError.h"
#include "PasswordStore.h"

namespace {

// The terminal as it was before the echo was turned off, put back should a signal end the run.
int gTerminal = -1;
struct termios gSaved;

void RestoreAndRaise(int signal) {
    if (gTerminal >= 0) {
        tcsetattr(gTerminal, TCSAFLUSH, &gSaved);
        const char newline = '\n';
        (void)!write(gTerminal, &newline, 1);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0) {
            return;
        }
        done += n;
    }
}

// A line of the terminal up to its end, without it; false at its end of input.
bool ReadLine(int fd, std::string& line) {
    char c = 0;
    for (;;) {
        const ssize_t n = read(fd, &c, 1);
        if (n <= 0) {
            return !line.empty();
        }
        if (c == '\n' || c == '\r') {
            return true;
        }
        line.push_back(c);
    }
}

}  // namespace

QString PasswordSource::Obtain(const QString& command, const QString& user, const QString& server) {
    if (!command.isEmpty()) {
        return FromCommand(command);
    }
    const secrets::StoreAnswer stored =
        secrets::PasswordStore::ReadNow(secrets::PasswordStore::Key(user, server));
    if (stored.Ok() && !stored.password.isEmpty()) {
        return stored.password;
    }
    QString typed;
    if (FromTerminal(tr("Password for %1 at %2: ").arg(user, server), typed)) {
        if (typed.isEmpty()) {
            throw CliError{ExitStatus::Unusable, tr("No password was typed.")};
        }
        return typed;
    }
    throw CliError{ExitStatus::Unusable,
                   tr("No password for %1 at %2: give --password-command CMD, keep it in the "
                      "desktop's password store (link --remember), or run on a terminal.")
                       .arg(user, server)};
}

// The command itself stays out of the messages: it may hold the password.
QString PasswordSource::FromCommand(const QString& command) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    const bool ended = process.waitForFinished(-1);
    const QByteArray out = process.readAllStandardOutput();
    if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        throw CliError{
            ExitStatus::Unusable,
            ended && process.exitStatus() == QProcess::NormalExit
                ? tr("The password command failed (exit status %1).").arg(process.exitCode())
                : tr("The password command could not be run.")};
    }
    // A store's lookup tool may print the password without a line end.
    const qsizetype end = out.indexOf('\n');
    QByteArray line = end < 0 ? out : out.left(end);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.isEmpty()) {
        throw CliError{ExitStatus::Unusable, tr("The password command printed no password.")};
    }
    return QString::fromUtf8(line);
}

bool PasswordSource::FromTerminal(const QString& prompt, QString& password) {
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct termios quiet;
    if (tcgetattr(fd, &gSaved) != 0) {
        close(fd);
        return false;
    }
    quiet = gSaved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    quiet.c_lflag |= ICANON;
    gTerminal = fd;
    auto oldInt = std::signal(SIGINT, RestoreAndRaise);
    auto oldTerm = std::signal(SIGTERM, RestoreAndRaise);
    auto oldHup = std::signal(SIGHUP, RestoreAndRaise);
    // Quiet before the prompt shows: what is typed once it is there is never echoed.
    tcsetattr(fd, TCSAFLUSH, &quiet);
    WriteAll(fd, prompt.toLocal8Bit());
    std::string line;
    const bool read = ReadLine(fd, line);
    tcsetattr(fd, TCSAFLUSH, &gSaved);
    WriteAll(fd, QByteArrayLiteral("\n"));
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    std::signal(SIGHUP, oldHup);
    gTerminal = -1;
    close(fd);
    password = QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));
    // Not left in freed memory longer than needed.
    line.assign(line.size(), '\0');
    if (!read) {
        password.clear();
    }
    return true;
}
