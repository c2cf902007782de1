#include "TransferCommands.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include "Export.h"
#include "Import.h"
#include "MessageBox.h"
#include "TransferWizard.h"

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
    switch (result.outcome) {
        case ExportResult::Outcome::Written:
            return {
                false,
                QString::fromUtf8(doneText).arg(result.records).arg(ShownPath(settings.filePath))};
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
                    .arg(ShownPath(settings.filePath), QString::fromStdString(result.message)),
                QString::fromUtf8(caption), MessageIcon::Error);
            break;
    }
    return {};
}

}  // namespace

CommandOutcome ExportPersonsCommand(QWidget* owner, const std::string& databasePath,
                                    const std::vector<RecordId>& shown) {
    TransferSettings settings = TransferSettings::ForPersonExport();
    settings.shownPersons = shown;
    settings.onlyShown = !shown.empty();
    return Export(owner, databasePath, std::move(settings),
                  "Export Person Information To Text File", "Error Exporting Address Book",
                  "There are no persons to export.", "%1 persons exported to %2.");
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
    if (result.outcome == ImportResult::Outcome::DatabaseFailure) {
        // Nothing was stored, so no count is claimed.
        platform::ShowDatabaseFailure(nullptr, result.message, "Error importing person",
                                      MessageIcon::Error);
        return {};
    }
    platform::ShowMessage(view,
                          QStringLiteral("%1 names added to current database.").arg(result.persons),
                          QStringLiteral("Imported Names"), MessageIcon::Information);
    return {true, QString()};
}

}  // namespace transfer
