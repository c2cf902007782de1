#include "CliTransfer.h"

#include <algorithm>
#include <cstdio>

#include <QFile>

#include "CliCommands.h"
#include "CliError.h"
#include "ColumnNames.h"
#include "Export.h"
#include "Import.h"
#include "LineTokenizer.h"
#include "TextEncoding.h"
#include "TransferSettings.h"
#include "VCard.h"
#include "VCardTransfer.h"

namespace {

// As much of the file as the wizard reads to show its first lines and guess the separator.
constexpr size_t kFileStartBytes = 256 * 1024;

// The desktop's texts, in the context they are translated in there.
QString DesktopText(const char* text) {
    return QCoreApplication::translate("transfer::TransferCommands", text);
}

void WriteLine(const QString& text) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

QString Shown(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

[[noreturn]] void WrongUse(const QString& message) {
    throw CliError{ExitStatus::WrongUse, message, true};
}

bool IsVCardFormat(const Invocation& invocation, const std::string& bytes) {
    if (invocation.format.isEmpty()) {
        return transfer::ReadVCards(bytes).isVCard;
    }
    if (invocation.format == QLatin1String("vcard")) {
        return true;
    }
    if (invocation.format != QLatin1String("csv")) {
        WrongUse(CliTransfer::tr("--format takes csv or vcard."));
    }
    return false;
}

std::string Separator(const QString& given) {
    if (given == QLatin1String("tab") || given == QLatin1String("\t")) {
        return "\t";
    }
    if (given == QLatin1String("space") || given == QLatin1String(" ")) {
        return " ";
    }
    if (given == QLatin1String(",") || given == QLatin1String(";") || given == QLatin1String("|")) {
        return given.toStdString();
    }
    WrongUse(CliTransfer::tr("--separator takes , ; | tab or space."));
}

std::string Encloser(const QString& given) {
    if (given == QLatin1String("\"") || given == QLatin1String("'")) {
        return given.toStdString();
    }
    if (given == QLatin1String("none") || given.isEmpty()) {
        return std::string();
    }
    WrongUse(CliTransfer::tr("--encloser takes \" ' or none."));
}

std::string Encoding(const QString& given) {
    for (const transfer::EncodingName& known : transfer::KnownEncodings()) {
        if (given.compare(QLatin1String(known.name), Qt::CaseInsensitive) == 0) {
            return known.name;
        }
    }
    WrongUse(CliTransfer::tr("There is no encoding \"%1\" here.").arg(given));
}

transfer::KnownCards Existing(const QString& given) {
    if (given.isEmpty() || given == QLatin1String("skip")) {
        return transfer::KnownCards::Skip;
    }
    if (given == QLatin1String("update")) {
        return transfer::KnownCards::Update;
    }
    if (given == QLatin1String("add")) {
        return transfer::KnownCards::AddAsNew;
    }
    WrongUse(CliTransfer::tr("--existing takes update, skip or add."));
}

int ImportVCardFile(const std::string& path, const std::string& file, transfer::KnownCards known) {
    using transfer::VCardImportPlan;
    const VCardImportPlan plan = transfer::PlanVCardImport(path, file);
    switch (plan.outcome) {
        case VCardImportPlan::Outcome::Ready:
            break;
        case VCardImportPlan::Outcome::NotRead:
            throw CliError{ExitStatus::Unusable,
                           DesktopText("The file %1 could not be read: %2")
                               .arg(Shown(file), QString::fromStdString(plan.message))};
        case VCardImportPlan::Outcome::NotVCard:
            throw CliError{ExitStatus::Unusable,
                           DesktopText("The file %1 is not a vCard file: no card begins in it. "
                                       "Nothing was imported.")
                               .arg(Shown(file))};
        case VCardImportPlan::Outcome::DatabaseFailure:
            throw CliError{ExitStatus::Unusable, QString::fromStdString(plan.message).simplified()};
    }
    const transfer::VCardImportResult result = transfer::ImportVCards(path, plan, known);
    if (result.outcome == transfer::VCardImportResult::Outcome::DatabaseFailure) {
        throw CliError{ExitStatus::Unusable, QString::fromStdString(result.message).simplified()};
    }
    WriteLine(transfer::VCardImportMessage(result, plan.nameless));
    return static_cast<int>(ExitStatus::Done);
}

// The settings the wizard finishes with when the user changes nothing but what is given.
transfer::TransferSettings DelimitedSettings(const std::string& file, const std::string& bytes,
                                             const Invocation& invocation) {
    transfer::TransferSettings settings = transfer::TransferSettings::ForPersonImport();
    settings.filePath = file;
    settings.fileStart = std::string(transfer::SampleOf(bytes, kFileStartBytes));
    settings.encoding = invocation.encoding.isEmpty() ? transfer::DetectEncoding(bytes).name
                                                      : Encoding(invocation.encoding);
    settings.firstLine =
        transfer::FirstLine(transfer::DecodedText(settings.fileStart, settings.encoding));
    settings.encloser = invocation.encloserGiven ? Encloser(invocation.encloser) : "\"";
    settings.separator = invocation.separator.isEmpty()
                             ? std::string(1, transfer::LikeliestSeparator(settings.firstLine, '"'))
                             : Separator(invocation.separator);
    settings.firstLineHasNames = !invocation.noHeader;
    settings.TakeColumnsFromFirstLine();
    if (settings.firstLineHasNames) {
        settings.selectedFields = transfer::AssignColumns(settings.columnLabels);
    } else {
        // Nothing names the columns: they are read in the order of the import's fields.
        settings.selectedFields.assign(settings.columnLabels.size(), std::string());
        for (size_t i = 0;
             i < settings.selectedFields.size() && i < settings.availableFields.size(); ++i) {
            settings.selectedFields[i] = settings.availableFields[i];
        }
    }
    return settings;
}

int ImportDelimitedFile(const std::string& path, const transfer::TransferSettings& settings) {
    for (const std::string& required : settings.requiredFields) {
        if (std::find(settings.selectedFields.begin(), settings.selectedFields.end(), required) ==
            settings.selectedFields.end()) {
            throw CliError{ExitStatus::Unusable,
                           CliTransfer::tr("No column of %1 goes to %2. Nothing was imported.")
                               .arg(Shown(settings.filePath), QString::fromStdString(required))};
        }
    }
    const transfer::ImportResult result = transfer::ImportPersons(path, settings);
    switch (result.outcome) {
        case transfer::ImportResult::Outcome::Imported:
            break;
        case transfer::ImportResult::Outcome::NotRead:
            throw CliError{ExitStatus::Unusable,
                           DesktopText("The file %1 could not be read. Nothing was imported.")
                               .arg(Shown(settings.filePath))};
        case transfer::ImportResult::Outcome::DatabaseFailure:
            throw CliError{ExitStatus::Unusable,
                           QString::fromStdString(result.message).simplified()};
    }
    WriteLine(transfer::ImportMessage(result.persons, result.leftOut));
    return static_cast<int>(ExitStatus::Done);
}

}  // namespace

int CliTransfer::Import(const std::string& path, const Invocation& invocation) {
    if (invocation.arguments.size() != 1) {
        WrongUse(tr("import takes one FILE."));
    }
    const std::string file = QFile::encodeName(invocation.arguments.front()).toStdString();
    std::string reason;
    const std::optional<std::string> bytes = transfer::ReadFileBytes(file, SIZE_MAX, &reason);
    if (!bytes) {
        throw CliError{ExitStatus::Unusable, DesktopText("The file %1 could not be read: %2")
                                                 .arg(Shown(file), QString::fromStdString(reason))};
    }
    if (IsVCardFormat(invocation, *bytes)) {
        if (!invocation.separator.isEmpty() || invocation.encloserGiven ||
            !invocation.encoding.isEmpty() || invocation.noHeader) {
            WrongUse(
                tr("--separator, --encloser, --encoding and --no-header are for "
                   "delimited text files."));
        }
        return ImportVCardFile(path, file, Existing(invocation.existing));
    }
    if (!invocation.existing.isEmpty()) {
        WrongUse(tr("--existing is for vCard files."));
    }
    return ImportDelimitedFile(path, DelimitedSettings(file, *bytes, invocation));
}

int CliTransfer::Export(const std::string& path, const Invocation& invocation) {
    if (invocation.arguments.isEmpty() || (invocation.arguments.size() > 1 && !invocation.only)) {
        WrongUse(tr("export takes one FILE, then the WORDS of --only."));
    }
    const bool vcard = invocation.format == QLatin1String("vcard");
    if (!vcard && !invocation.format.isEmpty() && invocation.format != QLatin1String("csv")) {
        WrongUse(tr("--format takes csv or vcard."));
    }
    if (vcard && (!invocation.separator.isEmpty() || invocation.encloserGiven || invocation.bom ||
                  invocation.contacts)) {
        WrongUse(tr("--separator, --encloser, --bom and --contacts are for delimited text files."));
    }
    if (invocation.contacts && invocation.only) {
        WrongUse(tr("--only chooses persons, not contacts."));
    }
    const std::string file = QFile::encodeName(invocation.arguments.front()).toStdString();
    std::vector<RecordId> only;
    if (invocation.only) {
        for (const PersonRecord& person :
             CliCommands::Matching(path, invocation.arguments.mid(1))) {
            only.push_back(person.id);
        }
        if (only.empty()) {
            throw CliError{ExitStatus::NotFound,
                           tr("No person matches \"%1\".")
                               .arg(invocation.arguments.mid(1).join(QLatin1Char(' ')))};
        }
    }
    transfer::ExportResult result;
    if (vcard) {
        result = transfer::ExportVCards(path, file, invocation.only ? &only : nullptr);
    } else {
        transfer::TransferSettings settings = invocation.contacts
                                                  ? transfer::TransferSettings::ForContactExport()
                                                  : transfer::TransferSettings::ForPersonExport();
        settings.selectedFields = settings.availableFields;
        settings.filePath = file;
        settings.separator = invocation.separator.isEmpty() ? "," : Separator(invocation.separator);
        settings.encloser = invocation.encloserGiven ? Encloser(invocation.encloser) : "\"";
        settings.utf8Mark = invocation.bom;
        settings.shownPersons = only;
        settings.onlyShown = invocation.only;
        result = invocation.contacts ? transfer::ExportContacts(path, settings)
                                     : transfer::ExportPersons(path, settings);
    }
    switch (result.outcome) {
        case transfer::ExportResult::Outcome::Written:
            WriteLine(invocation.contacts ? DesktopText("%1 contacts exported to %2.")
                                                .arg(result.records)
                                                .arg(Shown(file))
                                          : DesktopText("%1 persons exported to %2.")
                                                .arg(result.records)
                                                .arg(Shown(file)));
            return static_cast<int>(ExitStatus::Done);
        case transfer::ExportResult::Outcome::NothingToExport:
            throw CliError{ExitStatus::NotFound,
                           invocation.contacts ? DesktopText("There are no contacts to export.")
                                               : DesktopText("There are no persons to export.")};
        case transfer::ExportResult::Outcome::FileFailure:
            throw CliError{ExitStatus::Unusable,
                           DesktopText("The file %1 could not be written: %2")
                               .arg(Shown(file), QString::fromStdString(result.message))};
        case transfer::ExportResult::Outcome::DatabaseFailure:
            break;
    }
    throw CliError{ExitStatus::Unusable, QString::fromStdString(result.message).simplified()};
}
