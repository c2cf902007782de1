#pragma once

#include <deque>
#include <vector>

#include "MessageBox.h"

// Makes every message box outside a recorder's life fail the test instead of blocking it.
void InstallMessageGuard();

// Stands in for the message boxes while it lives. Each box takes the next expected answer; a box
// that nobody expected fails the test, and so does an expected box that never came.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void Expect(platform::MessageResult answer = platform::MessageResult::Ok);

    const std::vector<platform::MessageCall>& Calls() const { return calls_; }
    const platform::MessageCall& Last() const;

private:
    std::deque<platform::MessageResult> answers_;
    std::vector<platform::MessageCall> calls_;
};
