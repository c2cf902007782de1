#pragma once

#include <vector>

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include "CommandLineArgs.h"
#include "PersonRecord.h"

// The commands of tidemark-cli on the cores: each writes its output and returns the exit status;
// what stops it is a CliError.
class CliCommands {
    Q_DECLARE_TR_FUNCTIONS(CliCommands)

public:
    static int Run(const Invocation& invocation);

    // The persons the search field shows for the words (everyone without), in the list's order.
    static std::vector<PersonRecord> Matching(const std::string& path, const QStringList& words);

private:
    static int New(const Invocation& invocation);
    static int List(const std::string& path, const Invocation& invocation);
    static int Show(const std::string& path, const Invocation& invocation);
    static int Query(const std::string& path, const Invocation& invocation);
    static int Duplicates(const std::string& path, const Invocation& invocation);
    static int Log(const std::string& path, const Invocation& invocation);
    // The one person the argument names by record id or finds by its words. Several found are
    // listed (as JSON with json) before the CliError.
    static PersonRecord OnePerson(const std::string& path, const QString& wordsOrId, bool json);
};
