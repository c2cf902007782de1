#include "CommandLineArgs.h"

#include <initializer_list>

#include "CliError.h"

namespace {

// Each command, its arguments and options as the usage line shows them, and what it does.
struct CommandText {
    const char* name;
    const char* synopsis;
    const char* summary;
    const char* options;  // one "--option  what it does" per line; may be empty
};

const CommandText kCommands[] = {
    {"new", QT_TRANSLATE_NOOP("CommandLineArgs", "[--force] FILE"),
     QT_TRANSLATE_NOOP("CommandLineArgs", "Creates an empty address book in FILE."),
     QT_TRANSLATE_NOOP("CommandLineArgs", "  --force    replaces a file that is already there")},
    {"list", QT_TRANSLATE_NOOP("CommandLineArgs", "[--json] [WORDS...]"),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Lists the persons the search field shows for WORDS (everyone without), "
                       "one a line: record id, name, company, e-mail, work phone, "
                       "tab-separated."),
     QT_TRANSLATE_NOOP("CommandLineArgs", "  --json     writes every field as JSON")},
    {"show", QT_TRANSLATE_NOOP("CommandLineArgs", "[--json] WORDS-OR-ID"),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Shows one person: every field that is filled in and the contact log, "
                       "newest first. When several persons match, lists them."),
     QT_TRANSLATE_NOOP("CommandLineArgs", "  --json     writes the person as JSON")},
    {"query", QT_TRANSLATE_NOOP("CommandLineArgs", "WORDS..."),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Answers a mail program's address query: a first line of text, then "
                       "address, name and company of each e-mail address found, "
                       "tab-separated."),
     ""},
    {"duplicates", QT_TRANSLATE_NOOP("CommandLineArgs", "[--json]"),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Lists the persons that look like one person twice: a line of the reasons "
                       "(same e-mail, same phone, similar name), then record id and name of "
                       "each, tab-separated, a blank line between groups. The book is not "
                       "changed."),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "  --json     writes the groups as JSON: reasons, and record id and name "
                       "of each person")},
    {"import",
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "[--format csv|vcard] [--separator SEP] [--encloser ENC] "
                       "[--encoding NAME] [--no-header] [--existing update|skip|add] FILE"),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Imports the persons of a delimited text file or a vCard file, with the "
                       "columns assigned as the import wizard assigns them, and tells what was "
                       "imported."),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "  --format     csv or vcard (told from the file unless given)\n"
                       "  --separator  , ; | tab or space (the likeliest of the first line "
                       "unless given)\n"
                       "  --encloser   \" ' or none (\" unless given)\n"
                       "  --encoding   the file's encoding, such as UTF-8 or windows-1252 (told "
                       "from the file unless given)\n"
                       "  --no-header  the first line is a record: the columns are taken in the "
                       "import's field order\n"
                       "  --existing   for a card of a person already in the book: update, skip "
                       "(unless given) or add")},
    {"export",
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "[--format csv|vcard] [--separator SEP] [--encloser ENC] [--bom] "
                       "[--contacts] FILE [--only WORDS...]"),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Exports every field of the persons (or of the contact log) to a delimited "
                       "text file, or the persons to a vCard file."),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "  --format     csv (unless given) or vcard\n"
                       "  --separator  , ; | tab or space (, unless given)\n"
                       "  --encloser   \" ' or none (\" unless given)\n"
                       "  --bom        starts the file with the UTF-8 mark spreadsheet programs "
                       "look for\n"
                       "  --contacts   exports the contact log instead of the persons\n"
                       "  --only       only the persons the search field shows for the WORDS "
                       "after it")},
    {"log", QT_TRANSLATE_NOOP("CommandLineArgs", "[--type TYPE] [--when WHEN] WORDS-OR-ID NOTE"),
     QT_TRANSLATE_NOOP("CommandLineArgs", "Adds a contact with NOTE to the one person found."),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "  --type     the contact type (\"Telephone\" unless given)\n"
                       "  --when     \"YYYY-MM-DD HH:MM\" (now unless given)")},
    {"link",
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "URL --user NAME [--addressbook NAME-OR-URL | --create NAME] "
                       "[--password-command CMD] [--remember]"),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Links the book to an address book on a CardDAV server: finds the user's "
                       "address books from URL (a host name is enough) and takes the one named, "
                       "the only one, or a new one. The first sync sends every person."),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "  --user              the user name on the server\n"
                       "  --addressbook       the address book by its name or URL (needed when "
                       "there are several)\n"
                       "  --create            makes a new address book of that name\n"
                       "  --password-command  a command whose first output line is the password "
                       "(else the desktop's password store, else a prompt on the terminal)\n"
                       "  --remember          keeps the password in the desktop's password store")},
    {"sync", QT_TRANSLATE_NOOP("CommandLineArgs", "[--password-command CMD]"),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Brings the book and its address book on the server in step, and tells "
                       "what went each way and how many persons are held in a conflict."),
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "  --password-command  a command whose first output line is the password "
                       "(else the desktop's password store, else a prompt on the terminal)")},
    {"unlink", "",
     QT_TRANSLATE_NOOP("CommandLineArgs",
                       "Forgets the link to the server and what the sync knew; every person "
                       "stays in the book."),
     ""},
};

const CommandText* Find(const QString& name) {
    for (const CommandText& c : kCommands) {
        if (name == QLatin1String(c.name)) {
            return &c;
        }
    }
    return nullptr;
}

QString Tr(const char* text) {
    return QCoreApplication::translate("CommandLineArgs", text);
}

bool IsOneOf(const QString& option, std::initializer_list<const char*> options) {
    for (const char* each : options) {
        if (option == QLatin1String(each)) {
            return true;
        }
    }
    return false;
}

bool IsCommandOption(const QString& option) {
    return IsOneOf(
        option, {"--json", "--force", "--type", "--when", "--format", "--separator", "--encloser",
                 "--encoding", "--no-header", "--existing", "--bom", "--contacts", "--only",
                 "--user", "--addressbook", "--create", "--password-command", "--remember"});
}

bool TakesValue(const QString& option) {
    return IsOneOf(option, {"--book", "--type", "--when", "--format", "--separator", "--encloser",
                            "--encoding", "--existing", "--user", "--addressbook", "--create",
                            "--password-command"});
}

// Whether the command takes the option.
bool Takes(const QString& command, const QString& option) {
    if (option == QLatin1String("--json")) {
        return command == QLatin1String("list") || command == QLatin1String("show") ||
               command == QLatin1String("duplicates");
    }
    if (option == QLatin1String("--force")) {
        return command == QLatin1String("new");
    }
    if (option == QLatin1String("--type") || option == QLatin1String("--when")) {
        return command == QLatin1String("log");
    }
    if (IsOneOf(option, {"--format", "--separator", "--encloser"})) {
        return command == QLatin1String("import") || command == QLatin1String("export");
    }
    if (IsOneOf(option, {"--encoding", "--no-header", "--existing"})) {
        return command == QLatin1String("import");
    }
    if (IsOneOf(option, {"--bom", "--contacts", "--only"})) {
        return command == QLatin1String("export");
    }
    if (IsOneOf(option, {"--user", "--addressbook", "--create", "--remember"})) {
        return command == QLatin1String("link");
    }
    if (option == QLatin1String("--password-command")) {
        return command == QLatin1String("link") || command == QLatin1String("sync");
    }
    return false;
}

}  // namespace

bool CommandLineArgs::IsCommand(const QString& name) {
    return Find(name) != nullptr;
}

Invocation CommandLineArgs::Parse(const QStringList& arguments) {
    Invocation invocation;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool isOption =
            !optionsEnd && argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-");
        if (!isOption) {
            if (invocation.command.isEmpty()) {
                if (!IsCommand(argument)) {
                    throw CliError{ExitStatus::WrongUse,
                                   tr("Unknown command \"%1\".").arg(argument), true};
                }
                invocation.command = argument;
            } else {
                invocation.arguments.append(argument);
            }
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        // "--option=value" reads as "--option value".
        QString option = argument;
        QString value;
        bool hasValue = false;
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (argument.startsWith(QLatin1String("--")) && equals > 2) {
            option = argument.left(equals);
            value = argument.mid(equals + 1);
            hasValue = true;
        }
        const bool takesValue = TakesValue(option);
        if (takesValue && !hasValue) {
            if (i + 1 >= arguments.size()) {
                throw CliError{ExitStatus::WrongUse, tr("%1 needs a value.").arg(option), true};
            }
            value = arguments.at(++i);
        } else if (!takesValue && hasValue) {
            throw CliError{ExitStatus::WrongUse, tr("%1 takes no value.").arg(option), true};
        }
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            invocation.help = true;
        } else if (option == QLatin1String("--book")) {
            invocation.book = value;
        } else if (!Takes(invocation.command, option)) {
            throw CliError{ExitStatus::WrongUse,
                           IsCommandOption(option) && !invocation.command.isEmpty()
                               ? tr("%1 takes no option %2.").arg(invocation.command, option)
                               : tr("Unknown option %1.").arg(option),
                           true};
        } else if (option == QLatin1String("--json")) {
            invocation.json = true;
        } else if (option == QLatin1String("--force")) {
            invocation.force = true;
        } else if (option == QLatin1String("--type")) {
            invocation.type = value;
        } else if (option == QLatin1String("--when")) {
            invocation.when = value;
        } else if (option == QLatin1String("--format")) {
            invocation.format = value;
        } else if (option == QLatin1String("--separator")) {
            invocation.separator = value;
        } else if (option == QLatin1String("--encloser")) {
            invocation.encloser = value;
            invocation.encloserGiven = true;
        } else if (option == QLatin1String("--encoding")) {
            invocation.encoding = value;
        } else if (option == QLatin1String("--existing")) {
            invocation.existing = value;
        } else if (option == QLatin1String("--no-header")) {
            invocation.noHeader = true;
        } else if (option == QLatin1String("--bom")) {
            invocation.bom = true;
        } else if (option == QLatin1String("--contacts")) {
            invocation.contacts = true;
        } else if (option == QLatin1String("--user")) {
            invocation.user = value;
        } else if (option == QLatin1String("--addressbook")) {
            invocation.addressBook = value;
        } else if (option == QLatin1String("--create")) {
            invocation.create = value;
            invocation.createGiven = true;
        } else if (option == QLatin1String("--password-command")) {
            invocation.passwordCommand = value;
        } else if (option == QLatin1String("--remember")) {
            invocation.remember = true;
        } else {
            invocation.only = true;
        }
    }
    return invocation;
}

QString CommandLineArgs::UsageLine(const QString& command) {
    const CommandText* c = Find(command);
    if (c == nullptr) {
        return tr("Usage: tidemark-cli [--book FILE] COMMAND [OPTIONS] [ARGUMENTS]");
    }
    if (*c->synopsis == '\0') {
        return tr("Usage: tidemark-cli [--book FILE] %1").arg(command);
    }
    return tr("Usage: tidemark-cli [--book FILE] %1 %2").arg(command, Tr(c->synopsis));
}

QString CommandLineArgs::HelpText(const QString& command) {
    QString text = UsageLine(command) + QLatin1Char('\n');
    const CommandText* c = Find(command);
    if (c != nullptr) {
        text += QLatin1Char('\n') + Tr(c->summary) + QLatin1Char('\n');
        if (*c->options != '\0') {
            text += QLatin1Char('\n') + tr("Options:") + QLatin1Char('\n') + Tr(c->options) +
                    QLatin1Char('\n');
        }
        return text;
    }
    text += QLatin1Char('\n') +
            tr("The address book from the shell: reads, adds to, imports into and exports a "
               "Tidemark book, and keeps it in step with a CardDAV server.") +
            QLatin1String("\n\n") + tr("Commands:") + QLatin1Char('\n');
    for (const CommandText& each : kCommands) {
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(each.name).leftJustified(6), Tr(each.summary));
    }
    text += QLatin1Char('\n') +
            tr("The book is the FILE of --book, else $TIDEMARK_BOOK, else the file Tidemark "
               "opened last.") +
            QLatin1Char('\n') + tr("tidemark-cli COMMAND --help tells more of a command.") +
            QLatin1Char('\n') +
            tr("Exit status: 0 done, 1 nothing found or several found where one is needed, "
               "2 wrong use, 3 the book, the file or the server cannot be used, 4 the sync "
               "holds persons in a conflict.") +
            QLatin1Char('\n');
    return text;
}
