#include "CliRun.h"

#include <gtest/gtest.h>

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
}

CliResult CliRunner::Run(const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment_);
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
