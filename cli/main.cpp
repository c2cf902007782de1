#include <cstdio>
#include <exception>

#include <QCoreApplication>

#include "CliCommands.h"
#include "CliError.h"
#include "CommandLineArgs.h"

namespace {

void Complain(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tidemark-cli"));
    QString command;
    try {
        const QStringList arguments = QCoreApplication::arguments().mid(1);
        // A wrong option is told with the usage of the command it was given to.
        for (const QString& argument : arguments) {
            if (CommandLineArgs::IsCommand(argument)) {
                command = argument;
                break;
            }
        }
        const Invocation invocation = CommandLineArgs::Parse(arguments);
        command = invocation.command;
        return CliCommands::Run(invocation);
    } catch (const CliError& error) {
        Complain(QStringLiteral("tidemark-cli: ") + error.message);
        if (error.usage) {
            Complain(CommandLineArgs::UsageLine(command));
        }
        return static_cast<int>(error.status);
    } catch (const std::exception& e) {
        Complain(QStringLiteral("tidemark-cli: ") + QString::fromLocal8Bit(e.what()).simplified());
        return static_cast<int>(ExitStatus::Unusable);
    }
}
