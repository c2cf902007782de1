#include "FileDialog.h"

#include <QFileDialog>

#include <utility>

namespace platform {

namespace {

FileDialogHandler& Handler() {
    static FileDialogHandler handler;
    return handler;
}

}  // namespace

std::optional<QString> AskFileName(const FileDialogRequest& request) {
    if (Handler()) {
        return Handler()(request);
    }
    QFileDialog dialog(request.owner);
    dialog.setAcceptMode(request.kind == FileDialogKind::Save ? QFileDialog::AcceptSave
                                                              : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.kind == FileDialogKind::Save ? QFileDialog::AnyFile
                                                            : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (!request.filters.isEmpty()) {
        dialog.selectNameFilter(request.filters.first());
    }
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.title.isEmpty()) {
        dialog.setWindowTitle(request.title);
    }
    if (!request.folder.isEmpty()) {
        dialog.setDirectory(request.folder);
    }
    if (!request.initialPath.isEmpty()) {
        dialog.selectFile(request.initialPath);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first();
}

void SetFileDialogHandler(FileDialogHandler handler) {
    Handler() = std::move(handler);
}

}  // namespace platform
