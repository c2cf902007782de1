#pragma once

#include <functional>
#include <string>

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

enum class MessageIcon { None, Information, Warning, Error, Question };
// Choices: the buttons named in the call's choices, then Cancel.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, Choices };
// FirstChoice and on: the button of that choice.
enum class MessageResult { Ok, Cancel, Yes, No, Retry, FirstChoice, SecondChoice, ThirdChoice };

struct MessageCall {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    QStringList choices;
};

// Every message box of the program goes through here. The owner may be null.
MessageResult ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                          MessageIcon icon, MessageButtons buttons = MessageButtons::Ok);

// A question with up to three answers of its own (button texts, with their Alt letters) and
// Cancel, which Esc also gives. The first choice is the default.
MessageResult AskChoice(QWidget* owner, const QString& text, const QString& caption,
                        MessageIcon icon, const QStringList& choices);

// The one way a failed database operation is shown: the failure's message (local 8-bit text,
// translated where it was made) under the caption of the operation. The caption comes as its
// English text, marked QT_TRANSLATE_NOOP("platform::MessageBox", ...) where it is written, and
// is translated here.
void ShowDatabaseFailure(QWidget* owner, const std::string& message, const char* caption,
                         MessageIcon icon);

// Replaces the real boxes, for tests; an empty handler restores them.
using MessageHandler = std::function<MessageResult(const MessageCall&)>;
void SetMessageHandler(MessageHandler handler);

}  // namespace platform
