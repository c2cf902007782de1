#include "MessageRecorder.h"

#include <gtest/gtest.h>

void InstallMessageGuard() {
    platform::SetMessageHandler([](const platform::MessageCall& call) {
        ADD_FAILURE() << "Message box with no recorder \"" << call.caption.toStdString()
                      << "\": " << call.text.toStdString();
        return platform::MessageResult::Cancel;
    });
}

MessageRecorder::MessageRecorder() {
    platform::SetMessageHandler([this](const platform::MessageCall& call) {
        calls_.push_back(call);
        if (answers_.empty()) {
            ADD_FAILURE() << "Unexpected message box \"" << call.caption.toStdString()
                          << "\": " << call.text.toStdString();
            return platform::MessageResult::Cancel;
        }
        const platform::MessageResult answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

MessageRecorder::~MessageRecorder() {
    InstallMessageGuard();
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected message box(es) did not appear";
}

void MessageRecorder::Expect(platform::MessageResult answer) {
    answers_.push_back(answer);
}

const platform::MessageCall& MessageRecorder::Last() const {
    static const platform::MessageCall none;
    return calls_.empty() ? none : calls_.back();
}
