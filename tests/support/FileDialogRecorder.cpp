#include "FileDialogRecorder.h"

#include <gtest/gtest.h>

FileDialogRecorder::FileDialogRecorder() {
    platform::SetFileDialogHandler([this](const platform::FileDialogRequest& request) {
        requests_.push_back(request);
        if (answers_.empty()) {
            ADD_FAILURE() << "Unexpected file dialog";
            return std::optional<QString>();
        }
        const Answer_ answer = answers_.front();
        answers_.pop_front();
        return answer.cancel ? std::optional<QString>() : std::optional<QString>(answer.path);
    });
}

void InstallFileDialogGuard() {
    platform::SetFileDialogHandler([](const platform::FileDialogRequest&) {
        ADD_FAILURE() << "File dialog with no recorder";
        return std::optional<QString>();
    });
}

FileDialogRecorder::~FileDialogRecorder() {
    InstallFileDialogGuard();
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected file dialog(s) did not appear";
}
