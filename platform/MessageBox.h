#pragma once

#include <functional>

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

// Replaces the real boxes, for tests; an empty handler restores them.
using MessageHandler = std::function<MessageResult(const MessageCall&)>;
void SetMessageHandler(MessageHandler handler);

}  // namespace platform
