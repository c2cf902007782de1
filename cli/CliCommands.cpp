#include "CliCommands.h"

#include <cstdio>
#include <unordered_map>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "AddressBook.h"
#include "BookFile.h"
#include "CliError.h"
#include "CliSync.h"
#include "CliTransfer.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "DuplicateFinding.h"
#include "PersonOutput.h"
#include "PersonSearch.h"
#include "RecordEditing.h"
#include "StoredText.h"

namespace {

void Write(const QByteArray& bytes, FILE* stream = stdout) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

void WriteLines(const QStringList& lines) {
    for (const QString& line : lines) {
        Write((line + QLatin1Char('\n')).toUtf8());
    }
}

QStringList Words(const QString& text) {
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return text.split(space, Qt::SkipEmptyParts);
}

std::vector<PersonRecord> EveryPerson(const std::string& path) {
    std::vector<PersonRecord> persons;
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& query =
        db.CreateStatement().ExecuteQuery("SELECT * FROM Person ORDER BY rowid");
    while (query.Next()) {
        persons.push_back(ReadPersonRow(query));
    }
    return persons;
}

DateTime ReadWhen(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    const DateTime when = m.hasMatch()
                              ? DateTime::FromFields(m.captured(1).toInt(), m.captured(2).toInt(),
                                                     m.captured(3).toInt(), m.captured(4).toInt(),
                                                     m.captured(5).toInt())
                              : DateTime();
    if (!when.IsValid()) {
        throw CliError{ExitStatus::WrongUse,
                       CliCommands::tr("--when takes a date and time as \"YYYY-MM-DD HH:MM\"."),
                       true};
    }
    return when;
}

}  // namespace

int CliCommands::Run(const Invocation& invocation) {
    if (invocation.help) {
        Write(CommandLineArgs::HelpText(invocation.command).toUtf8());
        return static_cast<int>(ExitStatus::Done);
    }
    if (invocation.command.isEmpty()) {
        throw CliError{ExitStatus::WrongUse, tr("No command is given."), true};
    }
    if (invocation.command == QLatin1String("new")) {
        return New(invocation);
    }
    const QString book = BookFile::Resolve(invocation.book);
    const std::string path = BookFile::Check(book);
    try {
        if (invocation.command == QLatin1String("list")) {
            return List(path, invocation);
        }
        if (invocation.command == QLatin1String("show")) {
            return Show(path, invocation);
        }
        if (invocation.command == QLatin1String("query")) {
            return Query(path, invocation);
        }
        if (invocation.command == QLatin1String("duplicates")) {
            return Duplicates(path, invocation);
        }
        if (invocation.command == QLatin1String("import")) {
            return CliTransfer::Import(path, invocation);
        }
        if (invocation.command == QLatin1String("export")) {
            return CliTransfer::Export(path, invocation);
        }
        if (invocation.command == QLatin1String("link")) {
            return CliSync::Link(path, invocation);
        }
        if (invocation.command == QLatin1String("sync")) {
            return CliSync::Sync(path, invocation);
        }
        if (invocation.command == QLatin1String("unlink")) {
            return CliSync::Unlink(path, invocation);
        }
        return Log(path, invocation);
    } catch (const cppsqlite3::SQLException& e) {
        const QString reason =
            QString::fromLocal8Bit(e.Message().data(), static_cast<qsizetype>(e.Message().size()));
        throw CliError{
            ExitStatus::Unusable,
            QStringLiteral("%1: %2 %3").arg(book, tr("Error loading file."), reason.simplified())};
    }
}

std::vector<PersonRecord> CliCommands::Matching(const std::string& path, const QStringList& words) {
    const SearchQuery query = SearchQuery::Parse(words.join(QLatin1Char(' ')));
    // One search, then the program ends: only what this query needs is read.
    std::vector<PersonRecord> persons =
        query.Empty() ? EveryPerson(path) : PersonSearchIndex::FindPersons(path, query);
    // The list's order; persons alike in it keep the file's.
    SortPersonRecords(persons);
    return persons;
}

int CliCommands::New(const Invocation& invocation) {
    if (invocation.arguments.size() != 1) {
        throw CliError{ExitStatus::WrongUse, tr("new takes one FILE."), true};
    }
    const QString file = invocation.arguments.front();
    if (QFileInfo::exists(file) && !invocation.force) {
        throw CliError{ExitStatus::Unusable,
                       tr("%1 is already there; --force replaces it.").arg(file)};
    }
    try {
        CreateDatabaseFile(QFile::encodeName(file).toStdString());
    } catch (const cppsqlite3::SQLException& e) {
        throw CliError{ExitStatus::Unusable,
                       tr("Error Creating Database") + QStringLiteral(": ") +
                           QString::fromLocal8Bit(e.Message().data(),
                                                  static_cast<qsizetype>(e.Message().size()))
                               .simplified()};
    }
    return static_cast<int>(ExitStatus::Done);
}

int CliCommands::List(const std::string& path, const Invocation& invocation) {
    const std::vector<PersonRecord> persons = Matching(path, invocation.arguments);
    if (invocation.json) {
        QJsonArray array;
        for (const PersonRecord& person : persons) {
            array.append(PersonOutput::Json(person));
        }
        Write(QJsonDocument(array).toJson(QJsonDocument::Indented));
    } else {
        QStringList lines;
        for (const PersonRecord& person : persons) {
            lines.append(PersonOutput::ListLine(person));
        }
        WriteLines(lines);
    }
    if (persons.empty() && !invocation.arguments.isEmpty()) {
        return static_cast<int>(ExitStatus::NotFound);
    }
    return static_cast<int>(ExitStatus::Done);
}

PersonRecord CliCommands::OnePerson(const std::string& path, const QString& wordsOrId, bool json) {
    PersonRecord person;
    if (LoadPerson(path, wordsOrId.trimmed().toStdString(), person)) {
        return person;
    }
    std::vector<PersonRecord> found = Matching(path, Words(wordsOrId));
    if (Words(wordsOrId).isEmpty() || found.empty()) {
        throw CliError{ExitStatus::NotFound, tr("No person matches \"%1\".").arg(wordsOrId)};
    }
    if (found.size() > 1) {
        if (json) {
            QJsonArray array;
            for (const PersonRecord& each : found) {
                array.append(PersonOutput::Json(each));
            }
            Write(QJsonDocument(array).toJson(QJsonDocument::Indented));
        } else {
            QStringList lines;
            for (const PersonRecord& each : found) {
                lines.append(PersonOutput::ListLine(each));
            }
            WriteLines(lines);
        }
        throw CliError{ExitStatus::NotFound,
                       tr("%n persons match \"%1\"; name one by its record id.", nullptr,
                          static_cast<int>(found.size()))
                           .arg(wordsOrId)};
    }
    return found.front();
}

int CliCommands::Show(const std::string& path, const Invocation& invocation) {
    if (invocation.arguments.isEmpty()) {
        throw CliError{ExitStatus::WrongUse,
                       tr("show needs the words or the record id of a person."), true};
    }
    const PersonRecord person =
        OnePerson(path, invocation.arguments.join(QLatin1Char(' ')), invocation.json);
    ContactRowList contacts;
    LoadContactList(path, person.id, ContactOrder::ByDate, contacts);
    if (invocation.json) {
        Write(QJsonDocument(PersonOutput::Json(person, contacts)).toJson(QJsonDocument::Indented));
    } else {
        Write(PersonOutput::Text(person, contacts).toUtf8());
    }
    return static_cast<int>(ExitStatus::Done);
}

int CliCommands::Duplicates(const std::string& path, const Invocation& invocation) {
    if (!invocation.arguments.isEmpty()) {
        throw CliError{ExitStatus::WrongUse, tr("duplicates takes no words."), true};
    }
    const std::vector<duplicates::Group> groups = duplicates::FindInBook(path);
    std::unordered_map<std::string, std::string> names;
    for (const duplicates::Person& p : duplicates::ReadPersons(path)) {
        names[p.id] = PersonDisplayName(p.first, p.last, p.company);
    }
    // The words as they stand, for scripts.
    const auto reasons = [](unsigned bits) {
        QStringList words;
        for (const char* word : duplicates::ReasonWords(bits)) {
            words << QString::fromLatin1(word);
        }
        return words;
    };
    if (invocation.json) {
        QJsonArray array;
        for (const duplicates::Group& group : groups) {
            QJsonArray persons;
            for (const RecordId& id : group.persons) {
                persons.append(
                    QJsonObject{{QStringLiteral("id"), QString::fromStdString(id)},
                                {QStringLiteral("name"), PersonOutput::OneLine(names[id])}});
            }
            array.append(QJsonObject{
                {QStringLiteral("reasons"), QJsonArray::fromStringList(reasons(group.reasons))},
                {QStringLiteral("persons"), persons}});
        }
        Write(QJsonDocument(array).toJson(QJsonDocument::Indented));
    } else {
        QStringList lines;
        for (const duplicates::Group& group : groups) {
            if (!lines.isEmpty()) {
                lines.append(QString());
            }
            lines.append(reasons(group.reasons).join(QStringLiteral(", ")));
            for (const RecordId& id : group.persons) {
                lines.append(QStringLiteral("%1\t%2").arg(QString::fromStdString(id),
                                                          PersonOutput::OneLine(names[id])));
            }
        }
        WriteLines(lines);
    }
    return static_cast<int>(groups.empty() ? ExitStatus::NotFound : ExitStatus::Done);
}

int CliCommands::Query(const std::string& path, const Invocation& invocation) {
    if (invocation.arguments.isEmpty()) {
        throw CliError{ExitStatus::WrongUse, tr("query needs the words to look for."), true};
    }
    QStringList lines;
    for (const PersonRecord& person : Matching(path, invocation.arguments)) {
        const QString name = PersonOutput::OneLine(person.DisplayName());
        const QString company = PersonOutput::OneLine(person[PersonRecord::Company]);
        for (const QString& address : PersonOutput::EmailAddresses(person[PersonRecord::Email])) {
            lines.append(QStringLiteral("%1\t%2\t%3").arg(address, name, company));
        }
    }
    if (lines.isEmpty()) {
        throw CliError{ExitStatus::NotFound, tr("No e-mail address found for \"%1\".")
                                                 .arg(invocation.arguments.join(QLatin1Char(' ')))};
    }
    lines.prepend(
        tr("Tidemark, e-mail addresses found: %n", nullptr, static_cast<int>(lines.size())));
    WriteLines(lines);
    return static_cast<int>(ExitStatus::Done);
}

int CliCommands::Log(const std::string& path, const Invocation& invocation) {
    if (invocation.arguments.size() != 2) {
        throw CliError{ExitStatus::WrongUse,
                       tr("log needs the person (words or record id) and the note."), true};
    }
    const DateTime when = invocation.when.isEmpty() ? FromLocalNow() : ReadWhen(invocation.when);
    // The default is the seeded type by its stored name, which no translation changes.
    const QString typeName = invocation.type.isEmpty()
                                 ? QString::fromUtf8(schema::kDefaultContactTypes[0].description)
                                 : invocation.type.trimmed();
    std::vector<editing::TypeChoice> choices;
    editing::LoadTypeChoices(path, choices);
    const editing::TypeChoice* type = nullptr;
    for (const editing::TypeChoice& choice : choices) {
        if (FromStoredText(choice.description).compare(typeName, Qt::CaseInsensitive) == 0) {
            type = &choice;
            break;
        }
    }
    if (type == nullptr) {
        throw CliError{ExitStatus::NotFound, tr("There is no contact type \"%1\".").arg(typeName)};
    }
    const PersonRecord person = OnePerson(path, invocation.arguments.at(0), false);
    QString note = invocation.arguments.at(1);
    // Stored as the contact editor stores the lines of a note.
    note.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    note.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    editing::AddContact(path, person.id, when, ToStoredText(note), type->id);
    Write(
        (tr("Added a contact to %1.").arg(FromStoredText(person.DisplayName())) + QLatin1Char('\n'))
            .toUtf8());
    return static_cast<int>(ExitStatus::Done);
}
