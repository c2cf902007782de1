#pragma once

#include <functional>
#include <vector>

#include <QCoreApplication>
#include <QString>

#include "DateTime.h"

class QWidget;
class DocumentView;

// The current database file. Nothing is ever unsaved: every edit is committed by the operation
// that makes it, so the document only knows which file is current and tells its views.
class Document {
    Q_DECLARE_TR_FUNCTIONS(Document)

public:
    explicit Document(QWidget* dialogOwner = nullptr) : owner_(dialogOwner) {}

    // Asks for a name and creates the file there; true when the new file is current. A failure
    // has been shown ("Error Creating Database") and the current file stays current.
    bool New();
    // True when a file was opened; false with failed = false when the user cancelled.
    bool OpenWithDialog(bool& failed);
    // The file last chosen in the open dialog, opened or not.
    const QString& LastAsked() const { return lastAsked_; }
    // Opens the file and rewrites its Globals row. False on any failure, not reported here,
    // and for a database whose tables are not those of an address book.
    bool Open(const QString& path);
    // Why the last Open failed, when there is more to tell the user than that it did (a file
    // holding code of its own); empty otherwise.
    const QString& FailureReason() const { return failureReason_; }
    // Copies the current file under a new name and makes the copy current.
    bool SaveAs(bool& failed);

    // The one place the current file changes: the path, CurrentDatabasePath and the views.
    void SetPath(const QString& path);
    void NotifyReload();
    void AttachView(DocumentView* view) { views_.push_back(view); }
    // Told true before and false after long work at open, such as indexing an older file.
    void SetBusyNotice(std::function<void(bool)> notice) { busyNotice_ = std::move(notice); }
    const std::function<void(bool)>& BusyNotice() const { return busyNotice_; }

    const QString& Path() const { return path_; }
    // The path as the title and messages show it, "Untitled" when there is none.
    QString DisplayName() const;
    // Where File, New and File, Open start: the current file's folder, else the user's documents.
    QString StartFolder() const;
    int Version() const { return version_; }
    DateTime Created() const { return created_; }
    DateTime Saved() const { return saved_; }
    bool IsModified() const { return false; }

private:
    QWidget* owner_;
    QString path_;
    QString lastAsked_;
    QString failureReason_;
    int version_ = -1;
    DateTime created_;
    DateTime saved_;
    std::vector<DocumentView*> views_;
    std::function<void(bool)> busyNotice_;
};
