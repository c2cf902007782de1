#include "TransferCommands.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "Export.h"
#include "FileDialog.h"
#include "Import.h"
#include "MessageBox.h"
#include "TransferWizard.h"
#include "VCardTransfer.h"

namespace transfer {

namespace {

using platform::MessageIcon;

// The texts of the commands. A caption that may also reach ShowDatabaseFailure is marked in its
// context, and translated in it wherever it is shown.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(transfer::TransferCommands)
};

QString Caption(const char* caption) {
    return QCoreApplication::translate("platform::MessageBox", caption);
}

QWidget* WizardOwner(QWidget* owner) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : owner;
}

QString ShownPath(const std::string& path) {
    return QDir::toNativeSeparators(QFile::decodeName(path.c_str()));
}

// The title comes marked in this file's context.
bool RunWizard(QWidget* owner, TransferSettings& settings, const char* title) {
    TransferWizard wizard(WizardOwner(owner), settings, Texts::tr(title));
    return wizard.exec() == QDialog::Accepted;
}

// What an export came to: the status-bar text when written, else a message. The texts come
// marked, the caption as ShowDatabaseFailure's.
CommandOutcome Reported(const ExportResult& result, const std::string& filePath,
                        const char* caption, const char* nothingText, const char* doneText) {
    switch (result.outcome) {
        case ExportResult::Outcome::Written:
            return {false, Texts::tr(doneText).arg(result.records).arg(ShownPath(filePath))};
        case ExportResult::Outcome::NothingToExport:
            platform::ShowMessage(nullptr, Texts::tr(nothingText), Caption(caption),
                                  MessageIcon::Information);
            break;
        case ExportResult::Outcome::DatabaseFailure:
            platform::ShowDatabaseFailure(nullptr, result.message, caption, MessageIcon::Error);
            break;
        case ExportResult::Outcome::FileFailure:
            platform::ShowMessage(
                nullptr,
                Texts::tr("The file %1 could not be written: %2")
                    .arg(ShownPath(filePath), QString::fromStdString(result.message)),
                Caption(caption), MessageIcon::Error);
            break;
    }
    return {};
}

CommandOutcome Export(QWidget* owner, const std::string& databasePath, TransferSettings settings,
                      const char* title, const char* caption, const char* nothingText,
                      const char* doneText) {
    if (!RunWizard(owner, settings, title)) {
        return {};
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportResult result = settings.kind == TransferKind::ExportContacts
                                    ? ExportContacts(databasePath, settings)
                                    : ExportPersons(databasePath, settings);
    QApplication::restoreOverrideCursor();
    return Reported(result, settings.filePath, caption, nothingText, doneText);
}

// The person exports' texts, delimited or vCard.
const char kPersonExportCaption[] =
    QT_TRANSLATE_NOOP("platform::MessageBox", "Error Exporting Address Book");
const char kNoPersonsText[] =
    QT_TRANSLATE_NOOP("transfer::TransferCommands", "There are no persons to export.");
const char kPersonsExportedText[] =
    QT_TRANSLATE_NOOP("transfer::TransferCommands", "%1 persons exported to %2.");

// The folder of the open address book, where its files are likely kept.
QString BookFolder(const std::string& databasePath) {
    return QFileInfo(QFile::decodeName(databasePath.c_str())).absolutePath();
}

const char kVCardImportCaption[] = QT_TRANSLATE_NOOP("transfer::TransferCommands", "Import vCard");
const char kVCardExportCaption[] = QT_TRANSLATE_NOOP("transfer::TransferCommands", "Export vCard");

}  // namespace

CommandOutcome ExportPersonsCommand(QWidget* owner, const std::string& databasePath,
                                    const std::vector<RecordId>& shown) {
    TransferSettings settings = TransferSettings::ForPersonExport();
    settings.shownPersons = shown;
    settings.onlyShown = !shown.empty();
    return Export(
        owner, databasePath, std::move(settings),
        QT_TRANSLATE_NOOP("transfer::TransferCommands", "Export Person Information To Text File"),
        kPersonExportCaption, kNoPersonsText, kPersonsExportedText);
}

CommandOutcome ExportContactsCommand(QWidget* owner, const std::string& databasePath) {
    return Export(
        owner, databasePath, TransferSettings::ForContactExport(),
        QT_TRANSLATE_NOOP("transfer::TransferCommands", "Export Contact Information To Text File"),
        QT_TRANSLATE_NOOP("platform::MessageBox", "Error Exporting Contacts"),
        QT_TRANSLATE_NOOP("transfer::TransferCommands", "There are no contacts to export."),
        QT_TRANSLATE_NOOP("transfer::TransferCommands", "%1 contacts exported to %2."));
}

CommandOutcome ImportPersonsCommand(QWidget* owner, QWidget* view,
                                    const std::string& databasePath) {
    TransferSettings settings = TransferSettings::ForPersonImport();
    if (!RunWizard(owner, settings,
                   QT_TRANSLATE_NOOP("transfer::TransferCommands",
                                     "Import Person Information From Text File"))) {
        return {};
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ImportResult result = ImportPersons(databasePath, settings);
    QApplication::restoreOverrideCursor();
    switch (result.outcome) {
        case ImportResult::Outcome::Imported:
            break;
        case ImportResult::Outcome::DatabaseFailure:
            // Nothing was stored, so no count is claimed.
            platform::ShowDatabaseFailure(
                nullptr, result.message,
                QT_TRANSLATE_NOOP("platform::MessageBox", "Error importing person"),
                MessageIcon::Error);
            return {};
        case ImportResult::Outcome::NotRead:
            platform::ShowMessage(nullptr,
                                  Texts::tr("The file %1 could not be read. Nothing was imported.")
                                      .arg(ShownPath(settings.filePath)),
                                  Texts::tr("Imported Names"), MessageIcon::Error);
            return {};
    }
    platform::ShowMessage(view, ImportMessage(result.persons, result.leftOut),
                          Texts::tr("Imported Names"),
                          result.persons > 0 ? MessageIcon::Information : MessageIcon::Warning);
    return {result.persons > 0, QString()};
}

CommandOutcome ImportVCardCommand(QWidget* owner, QWidget* view, const std::string& databasePath) {
    platform::FileDialogRequest request;
    request.owner = WizardOwner(owner);
    request.kind = platform::FileDialogKind::Open;
    request.folder = BookFolder(databasePath);
    request.title = Texts::tr(kVCardImportCaption);
    request.filters = {Texts::tr("vCard files (*.vcf *.vcard)"), Texts::tr("All files (*)")};
    const std::optional<QString> chosen = platform::AskFileName(request);
    if (!chosen) {
        return {};
    }
    const std::string filePath = QFile::encodeName(*chosen).toStdString();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const VCardImportPlan plan = PlanVCardImport(databasePath, filePath);
    QApplication::restoreOverrideCursor();
    switch (plan.outcome) {
        case VCardImportPlan::Outcome::Ready:
            break;
        case VCardImportPlan::Outcome::NotRead:
            platform::ShowMessage(
                nullptr,
                Texts::tr("The file %1 could not be read: %2")
                    .arg(ShownPath(filePath), QString::fromStdString(plan.message)),
                Texts::tr(kVCardImportCaption), MessageIcon::Error);
            return {};
        case VCardImportPlan::Outcome::NotVCard:
            platform::ShowMessage(nullptr,
                                  Texts::tr("The file %1 is not a vCard file: no card begins "
                                            "in it. Nothing was imported.")
                                      .arg(ShownPath(filePath)),
                                  Texts::tr(kVCardImportCaption), MessageIcon::Warning);
            return {};
        case VCardImportPlan::Outcome::DatabaseFailure:
            platform::ShowDatabaseFailure(
                nullptr, plan.message,
                QT_TRANSLATE_NOOP("platform::MessageBox", "Error importing person"),
                MessageIcon::Error);
            return {};
    }
    KnownCards known = KnownCards::AddAsNew;
    const int knownCount = plan.KnownCount();
    if (knownCount > 0) {
        const QString text = knownCount == 1
                                 ? Texts::tr(
                                       "One card of this file is a person already in the address "
                                       "book. Update that person with the card, skip the card, or "
                                       "add it as a new person?")
                                 : Texts::tr(
                                       "%1 cards of this file are persons already in the address "
                                       "book. Update those persons with their cards, skip the "
                                       "cards, or add them as new persons?")
                                       .arg(knownCount);
        switch (platform::AskChoice(
            WizardOwner(owner), text, Texts::tr(kVCardImportCaption), MessageIcon::Question,
            {Texts::tr("&Update"), Texts::tr("&Skip"), Texts::tr("&Add as New")})) {
            case platform::MessageResult::FirstChoice:
                known = KnownCards::Update;
                break;
            case platform::MessageResult::SecondChoice:
                known = KnownCards::Skip;
                break;
            case platform::MessageResult::ThirdChoice:
                known = KnownCards::AddAsNew;
                break;
            default:
                return {};
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const VCardImportResult result = ImportVCards(databasePath, plan, known);
    QApplication::restoreOverrideCursor();
    if (result.outcome == VCardImportResult::Outcome::DatabaseFailure) {
        platform::ShowDatabaseFailure(
            nullptr, result.message,
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error importing person"),
            MessageIcon::Error);
        return {};
    }
    const QString text = VCardImportMessage(result, plan.nameless);
    platform::ShowMessage(view, text, Texts::tr("Imported Names"), MessageIcon::Information);
    return {result.added + result.updated > 0, QString()};
}

CommandOutcome ExportVCardCommand(QWidget* owner, const std::string& databasePath,
                                  const std::vector<RecordId>& shown) {
    bool onlyShown = false;
    if (!shown.empty()) {
        switch (platform::AskChoice(
            WizardOwner(owner),
            Texts::tr("The search shows %1 of the persons. Which persons do you want to "
                      "export?")
                .arg(shown.size()),
            Texts::tr(kVCardExportCaption), MessageIcon::Question,
            {Texts::tr("&Only the %1 Shown").arg(shown.size()), Texts::tr("&All Persons")})) {
            case platform::MessageResult::FirstChoice:
                onlyShown = true;
                break;
            case platform::MessageResult::SecondChoice:
                break;
            default:
                return {};
        }
    }
    platform::FileDialogRequest request;
    request.owner = WizardOwner(owner);
    request.kind = platform::FileDialogKind::Save;
    // The address book's own name, as a card file beside it.
    const QFileInfo book(QFile::decodeName(databasePath.c_str()));
    request.initialPath = book.dir().filePath(book.completeBaseName() + QStringLiteral(".vcf"));
    request.title = Texts::tr(kVCardExportCaption);
    request.filters = {Texts::tr("vCard files (*.vcf)"), Texts::tr("All files (*)")};
    request.defaultSuffix = QStringLiteral("vcf");
    const std::optional<QString> chosen = platform::AskFileName(request);
    if (!chosen) {
        return {};
    }
    const std::string filePath = QFile::encodeName(*chosen).toStdString();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportResult result = ExportVCards(databasePath, filePath, onlyShown ? &shown : nullptr);
    QApplication::restoreOverrideCursor();
    return Reported(result, filePath, kPersonExportCaption, kNoPersonsText, kPersonsExportedText);
}

}  // namespace transfer
