#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "FileDialog.h"

// Makes every file dialog outside a recorder's life fail the test instead of blocking it.
void InstallFileDialogGuard();

// Answers the file dialogs while it lives: each dialog takes the next answer, a path or a
// cancel. A dialog that nobody expected fails the test, as does an answer never asked for.
class FileDialogRecorder {
public:
    FileDialogRecorder();
    ~FileDialogRecorder();
    FileDialogRecorder(const FileDialogRecorder&) = delete;
    FileDialogRecorder& operator=(const FileDialogRecorder&) = delete;

    void Answer(const QString& path) { answers_.push_back({false, path}); }
    void Cancel() { answers_.push_back({true, QString()}); }

    const std::vector<platform::FileDialogRequest>& Requests() const { return requests_; }

private:
    struct Answer_ {
        bool cancel;
        QString path;
    };
    std::deque<Answer_> answers_;
    std::vector<platform::FileDialogRequest> requests_;
};
