#pragma once

#include <functional>
#include <string>

#include <QString>

class QWidget;

namespace platform {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageResult { Ok, Cancel, Yes, No, Retry };

struct MessageCall {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// Every message box of the program goes through here. The owner may be null.
MessageResult ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                          MessageIcon icon, MessageButtons buttons = MessageButtons::Ok);

// The one way a failed database operation is shown: the failure's message (local 8-bit text)
// under the caption of the operation.
void ShowDatabaseFailure(QWidget* owner, const std::string& message, const char* caption,
                         MessageIcon icon);

// Replaces the real boxes, for tests; an empty handler restores them.
using MessageHandler = std::function<MessageResult(const MessageCall&)>;
void SetMessageHandler(MessageHandler handler);

}  // namespace platform
