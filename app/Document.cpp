#include "Document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "CurrentDatabase.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "DocumentView.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "Transaction.h"

namespace {

platform::FileDialogRequest TidemarkFileRequest(QWidget* owner, platform::FileDialogKind kind,
                                                const QString& initialPath) {
    platform::FileDialogRequest request;
    request.owner = owner;
    request.kind = kind;
    request.initialPath = initialPath;
    request.filters = {Document::tr("Tidemark Files (*.tch)"), Document::tr("All Files (*.*)")};
    request.defaultSuffix = QStringLiteral("tch");
    request.confirmOverwrite = true;
    return request;
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool IsSameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

// Copies through a temporary file beside the target, so that a failed copy leaves an existing
// target as it was.
bool CopyReplacing(const QString& source, const QString& target) {
    if (!QFileInfo(source).isFile()) {
        return false;
    }
    const QString temporary = target + QStringLiteral(".tmp-copy");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary)) {
        QFile::remove(temporary);
        return false;
    }
    if (QFileInfo::exists(target) && !QFile::remove(target)) {
        QFile::remove(temporary);
        return false;
    }
    if (!QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

}  // namespace

QString Document::DisplayName() const {
    return path_.isEmpty() ? tr("Untitled") : QDir::toNativeSeparators(path_);
}

QString Document::StartFolder() const {
    if (!path_.isEmpty()) {
        const QFileInfo current(path_);
        if (current.dir().exists()) {
            return current.absolutePath();
        }
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

bool Document::New() {
    platform::FileDialogRequest request =
        TidemarkFileRequest(owner_, platform::FileDialogKind::Save, QString());
    request.title = tr("New Address Book");
    request.folder = StartFolder();
    const std::optional<QString> chosen = platform::AskFileName(request);
    if (!chosen) {
        return false;
    }
    try {
        CreateDatabaseFile(LocalPath(*chosen));
    } catch (const cppsqlite3::SQLException& e) {
        platform::ShowDatabaseFailure(
            nullptr, e.Message(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Creating Database"),
            platform::MessageIcon::Error);
        return false;
    }
    SetPath(*chosen);
    version_ = kDatabaseVersion;
    created_ = saved_ = FromLocalNow();
    return true;
}

bool Document::OpenWithDialog(bool& failed) {
    failed = false;
    platform::FileDialogRequest request =
        TidemarkFileRequest(owner_, platform::FileDialogKind::Open, QString());
    request.folder = StartFolder();
    const std::optional<QString> chosen = platform::AskFileName(request);
    if (!chosen) {
        return false;
    }
    lastAsked_ = *chosen;
    if (!Open(*chosen)) {
        failed = true;
        return false;
    }
    return true;
}

bool Document::Open(const QString& path) {
    failureReason_.clear();
    // The engine would create a missing file as an empty database; a mistyped name should not
    // leave a stray file behind.
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    const std::string local = LocalPath(QFileInfo(path).absoluteFilePath());
    try {
        cppsqlite3::Database db;
        db.Open(local);
        cppsqlite3::Statement& statement = db.CreateStatement();
        // A database of another shape would be read by position into the wrong fields.
        if (!HasAddressBookTables(statement)) {
            return false;
        }
        // A file from before the lookup indexes gets them now, with the stamp of this open: on
        // a large file that takes a moment, and the user is told.
        const bool indexing = !HasLookupIndexes(statement);
        struct Busy {
            const std::function<void(bool)>& notice;
            bool on;
            ~Busy() {
                if (on && notice) {
                    notice(false);
                }
            }
        } busy{busyNotice_, indexing};
        if (indexing && busyNotice_) {
            busyNotice_(true);
        }
        cppsqlite3::Transaction open(statement);
        if (indexing) {
            CreateLookupIndexes(statement);
        }
        // The open writes Globals itself, S among them.
        const GlobalsAtOpen globals = RewriteGlobalsAtOpen(statement);
        open.CommitUnstamped();
        version_ = globals.version;
        created_ = globals.created;
        saved_ = globals.saved;
        SetPath(QFileInfo(path).absoluteFilePath());
        return true;
    } catch (const StoredCodeRefused& e) {
        failureReason_ =
            QString::fromLocal8Bit(e.Message().data(), static_cast<qsizetype>(e.Message().size()));
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

bool Document::SaveAs(bool& failed) {
    failed = false;
    const QString before = DisplayName();
    const std::optional<QString> chosen =
        platform::AskFileName(TidemarkFileRequest(owner_, platform::FileDialogKind::Save, before));
    if (!chosen) {
        return false;
    }
    // Saving onto the current file itself keeps it as it is.
    const bool copied =
        !path_.isEmpty() && (IsSameFile(path_, *chosen) || CopyReplacing(path_, *chosen));
    if (!copied) {
        platform::ShowMessage(owner_, tr("Error saving %1.").arg(before), tr("Tidemark"),
                              platform::MessageIcon::Error, platform::MessageButtons::RetryCancel);
        failed = true;
        return false;
    }
    SetPath(QFileInfo(*chosen).absoluteFilePath());
    return true;
}

void Document::SetPath(const QString& path) {
    path_ = path;
    CurrentDatabasePath = LocalPath(path);
    for (DocumentView* view : views_) {
        view->OnPathChanged(CurrentDatabasePath);
    }
}

void Document::NotifyReload() {
    for (DocumentView* view : views_) {
        view->OnReload();
    }
}
