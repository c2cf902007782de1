#include "TransferCommands.h"

#include <QApplication>
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

QWidget* WizardOwner(QWidget* owner) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : owner;
}

QString ShownPath(const std::string& path) {
    return QDir::toNativeSeparators(QFile::decodeName(path.c_str()));
}

bool RunWizard(QWidget* owner, TransferSettings& settings, const char* title) {
    TransferWizard wizard(WizardOwner(owner), settings, QString::fromUtf8(title));
    return wizard.exec() == QDialog::Accepted;
}

// What an export came to: the status-bar text when written, else a message.
CommandOutcome Reported(const ExportResult& result, const std::string& filePath,
                        const char* caption, const char* nothingText, const char* doneText) {
    switch (result.outcome) {
        case ExportResult::Outcome::Written:
            return {false,
                    QString::fromUtf8(doneText).arg(result.records).arg(ShownPath(filePath))};
        case ExportResult::Outcome::NothingToExport:
            platform::ShowMessage(nullptr, QString::fromUtf8(nothingText),
                                  QString::fromUtf8(caption), MessageIcon::Information);
            break;
        case ExportResult::Outcome::DatabaseFailure:
            platform::ShowDatabaseFailure(nullptr, result.message, caption, MessageIcon::Error);
            break;
        case ExportResult::Outcome::FileFailure:
            platform::ShowMessage(
                nullptr,
                QStringLiteral("The file %1 could not be written: %2")
                    .arg(ShownPath(filePath), QString::fromStdString(result.message)),
                QString::fromUtf8(caption), MessageIcon::Error);
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
const char kPersonExportCaption[] = "Error Exporting Address Book";
const char kNoPersonsText[] = "There are no persons to export.";
const char kPersonsExportedText[] = "%1 persons exported to %2.";

// The folder of the open address book, where its files are likely kept.
QString BookFolder(const std::string& databasePath) {
    return QFileInfo(QFile::decodeName(databasePath.c_str())).absolutePath();
}

const char kVCardImportCaption[] = "Import vCard";
const char kVCardExportCaption[] = "Export vCard";

}  // namespace

CommandOutcome ExportPersonsCommand(QWidget* owner, const std::string& databasePath,
                                    const std::vector<RecordId>& shown) {
    TransferSettings settings = TransferSettings::ForPersonExport();
    settings.shownPersons = shown;
    settings.onlyShown = !shown.empty();
    return Export(owner, databasePath, std::move(settings),
                  "Export Person Information To Text File", kPersonExportCaption, kNoPersonsText,
                  kPersonsExportedText);
}

CommandOutcome ExportContactsCommand(QWidget* owner, const std::string& databasePath) {
    return Export(owner, databasePath, TransferSettings::ForContactExport(),
                  "Export Contact Information To Text File", "Error Exporting Contacts",
                  "There are no contacts to export.", "%1 contacts exported to %2.");
}

CommandOutcome ImportPersonsCommand(QWidget* owner, QWidget* view,
                                    const std::string& databasePath) {
    TransferSettings settings = TransferSettings::ForPersonImport();
    if (!RunWizard(owner, settings, "Import Person Information From Text File")) {
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
            platform::ShowDatabaseFailure(nullptr, result.message, "Error importing person",
                                          MessageIcon::Error);
            return {};
        case ImportResult::Outcome::NotRead:
            platform::ShowMessage(
                nullptr,
                QObject::tr("The file %1 could not be read. Nothing was imported.")
                    .arg(ShownPath(settings.filePath)),
                QStringLiteral("Imported Names"), MessageIcon::Error);
            return {};
    }
    platform::ShowMessage(view, ImportMessage(result.persons, result.leftOut),
                          QStringLiteral("Imported Names"),
                          result.persons > 0 ? MessageIcon::Information : MessageIcon::Warning);
    return {result.persons > 0, QString()};
}

CommandOutcome ImportVCardCommand(QWidget* owner, QWidget* view, const std::string& databasePath) {
    platform::FileDialogRequest request;
    request.owner = WizardOwner(owner);
    request.kind = platform::FileDialogKind::Open;
    request.folder = BookFolder(databasePath);
    request.title = QString::fromLatin1(kVCardImportCaption);
    request.filters = {QStringLiteral("vCard files (*.vcf *.vcard)"),
                       QStringLiteral("All files (*)")};
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
                QStringLiteral("The file %1 could not be read: %2")
                    .arg(ShownPath(filePath), QString::fromStdString(plan.message)),
                QString::fromLatin1(kVCardImportCaption), MessageIcon::Error);
            return {};
        case VCardImportPlan::Outcome::NotVCard:
            platform::ShowMessage(nullptr,
                                  QStringLiteral("The file %1 is not a vCard file: no card begins "
                                                 "in it. Nothing was imported.")
                                      .arg(ShownPath(filePath)),
                                  QString::fromLatin1(kVCardImportCaption), MessageIcon::Warning);
            return {};
        case VCardImportPlan::Outcome::DatabaseFailure:
            platform::ShowDatabaseFailure(nullptr, plan.message, "Error importing person",
                                          MessageIcon::Error);
            return {};
    }
    KnownCards known = KnownCards::AddAsNew;
    const int knownCount = plan.KnownCount();
    if (knownCount > 0) {
        const QString text =
            knownCount == 1 ? QStringLiteral(
                                  "One card of this file is a person already in the address "
                                  "book. Update that person with the card, skip the card, or "
                                  "add it as a new person?")
                            : QStringLiteral(
                                  "%1 cards of this file are persons already in the address "
                                  "book. Update those persons with their cards, skip the cards, "
                                  "or add them as new persons?")
                                  .arg(knownCount);
        switch (platform::AskChoice(
            WizardOwner(owner), text, QString::fromLatin1(kVCardImportCaption),
            MessageIcon::Question,
            {QStringLiteral("&Update"), QStringLiteral("&Skip"), QStringLiteral("&Add as New")})) {
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
        platform::ShowDatabaseFailure(nullptr, result.message, "Error importing person",
                                      MessageIcon::Error);
        return {};
    }
    QString text = result.added > 0
                       ? QStringLiteral("%1 names added to current database.").arg(result.added)
                       : QObject::tr("No person was added to the current database.");
    if (result.updated > 0) {
        text += QStringLiteral("\n%1 persons already in it updated.").arg(result.updated);
    }
    if (result.skipped > 0) {
        text += QStringLiteral("\n%1 persons already in it skipped.").arg(result.skipped);
    }
    if (plan.nameless > 0) {
        text += QStringLiteral("\n%1 cards without a name or organisation left out.")
                    .arg(plan.nameless);
    }
    platform::ShowMessage(view, text, QStringLiteral("Imported Names"), MessageIcon::Information);
    return {result.added + result.updated > 0, QString()};
}

CommandOutcome ExportVCardCommand(QWidget* owner, const std::string& databasePath,
                                  const std::vector<RecordId>& shown) {
    bool onlyShown = false;
    if (!shown.empty()) {
        switch (platform::AskChoice(
            WizardOwner(owner),
            QStringLiteral("The search shows %1 of the persons. Which persons do you want to "
                           "export?")
                .arg(shown.size()),
            QString::fromLatin1(kVCardExportCaption), MessageIcon::Question,
            {QStringLiteral("&Only the %1 Shown").arg(shown.size()),
             QStringLiteral("&All Persons")})) {
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
    request.title = QString::fromLatin1(kVCardExportCaption);
    request.filters = {QStringLiteral("vCard files (*.vcf)"), QStringLiteral("All files (*)")};
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
