#pragma once

#include <exception>
#include <string>

namespace cppsqlite3 {

// The one failure type of all database work. The message is what the user sees; the code is
// the engine's result code, or 0 for failures of the access layer itself. A std::exception, so
// that a handler of every failure catches it as well.
class SQLException : public std::exception {
public:
    explicit SQLException(std::string message);
    explicit SQLException(int code);

    const std::string& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }
    int Code() const { return code_; }

    // The fixed text shown for an engine result code, in English; never the engine's own
    // message. The exception made for a code holds it translated.
    static const char* MessageForCode(int code);

private:
    std::string message_;
    int code_ = 0;
};

}  // namespace cppsqlite3
