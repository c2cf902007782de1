#include "CliRun.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

namespace {

QStringList Lines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

}  // namespace

QStringList CliResult::OutLines() const {
    return Lines(out);
}

QStringList CliResult::ErrLines() const {
    return Lines(err);
}

CliRunner::CliRunner() : environment_(QProcessEnvironment::systemEnvironment()) {
    environment_.insert(QStringLiteral("HOME"), home_.path());
    environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
    environment_.remove(QStringLiteral("TIDEMARK_BOOK"));
    environment_.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // No display of any kind: the program needs none.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment_.remove(QLatin1String(name));
    }
    // A bus that is not there: the user's own password store stays out of reach.
    environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                        QStringLiteral("unix:path=%1/no-bus").arg(home_.path()));
}

CliResult CliRunner::Run(const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment_);
    // A session of its own has no controlling terminal: a prompt cannot wait on the tester's.
    process.setChildProcessModifier([] { setsid(); });
    process.start(QStringLiteral(TIDEMARK_CLI), arguments);
    CliResult result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "tidemark-cli did not end normally";
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

CliResult CliRunner::OnBook(const std::string& path, const QStringList& arguments) const {
    return Run(QStringList{QStringLiteral("--book"), Q(path)} + arguments);
}

namespace {

QString ShellQuoted(const QString& word) {
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

}  // namespace

CliResult CliRunner::OnTerminal(const QStringList& arguments, const QString& prompt,
                                const QString& typed) const {
    QStringList words{ShellQuoted(QStringLiteral(TIDEMARK_CLI))};
    for (const QString& argument : arguments) {
        words.append(ShellQuoted(argument));
    }
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.setChildProcessModifier([] { setsid(); });
    process.start(QStringLiteral("script"), {QStringLiteral("-qec"), words.join(QLatin1Char(' ')),
                                             QStringLiteral("/dev/null")});
    CliResult result;
    QByteArray shown;
    QElapsedTimer waited;
    waited.start();
    while (!shown.contains(prompt.toUtf8()) && waited.elapsed() < 30000 &&
           process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        shown += process.readAllStandardOutput();
    }
    if (!shown.contains(prompt.toUtf8())) {
        ADD_FAILURE() << "no prompt on the terminal: " << shown.toStdString();
    }
    process.write((typed + QLatin1Char('\n')).toUtf8());
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "tidemark-cli on a terminal did not end normally";
        process.kill();
        process.waitForFinished();
        return result;
    }
    shown += process.readAllStandardOutput();
    result.status = process.exitCode();
    result.out = QString::fromUtf8(shown).remove(QLatin1Char('\r'));
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}
