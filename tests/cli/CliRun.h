#pragma once

#include <string>

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One run of the built tidemark-cli: its exit status and what it wrote.
struct CliResult {
    int status = -1;
    QString out;
    QString err;
    QStringList OutLines() const;
    QStringList ErrLines() const;
};

// Runs the program in an environment of its own: a fresh HOME and configuration folder (no
// recent files unless the test writes them there), no TIDEMARK_BOOK unless set, no password
// store (no session bus), and no terminal to ask on.
class CliRunner {
public:
    CliRunner();
    QProcessEnvironment& Environment() { return environment_; }
    QString ConfigFolder() const { return config_.path(); }
    CliResult Run(const QStringList& arguments) const;
    // With --book path first.
    CliResult OnBook(const std::string& path, const QStringList& arguments) const;
    // On a terminal of its own (a pseudo-terminal through script(1)): typed is typed once the
    // program has shown prompt. out holds all the terminal showed, errors included.
    CliResult OnTerminal(const QStringList& arguments, const QString& prompt,
                         const QString& typed) const;

private:
    QTemporaryDir home_;
    QTemporaryDir config_;
    QProcessEnvironment environment_;
};

QString Q(const std::string& text);
