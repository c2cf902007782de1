#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    QWidget* owner = nullptr;
    FileDialogKind kind = FileDialogKind::Open;
    QString initialPath;
    // The folder shown first when initialPath names none.
    QString folder;
    // The dialog's caption; empty for the toolkit's own.
    QString title;
    // Each entry as the dialog shows it, "Tidemark Files (*.tch)"; the first is selected.
    QStringList filters;
    // Appended when the user types a name without an extension.
    QString defaultSuffix;
    // Asks before an existing file is replaced (save dialogs).
    bool confirmOverwrite = true;
};

// Every file dialog of the program goes through here. No value means the user cancelled.
std::optional<QString> AskFileName(const FileDialogRequest& request);

// Replaces the real dialogs, for tests; an empty handler restores them.
using FileDialogHandler = std::function<std::optional<QString>(const FileDialogRequest&)>;
void SetFileDialogHandler(FileDialogHandler handler);

}  // namespace platform
