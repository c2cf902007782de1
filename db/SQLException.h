#pragma once

#include <string>

namespace cppsqlite3 {

// The one failure type of all database work. The message is what the user sees; the code is
// the engine's result code, or 0 for failures of the access layer itself.
class SQLException {
public:
    explicit SQLException(std::string message);
    explicit SQLException(int code);

    const std::string& Message() const { return message_; }
    int Code() const { return code_; }

    // The fixed text shown for an engine result code; never the engine's own message.
    static const char* MessageForCode(int code);

private:
    std::string message_;
    int code_ = 0;
};

}  // namespace cppsqlite3
