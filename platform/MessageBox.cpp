#include "MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace platform {

namespace {

MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return QMessageBox::Ok;
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case MessageButtons::Choices:
            return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageResult FromQt(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageResult::Ok;
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        case QMessageBox::Retry:
            return MessageResult::Retry;
        default:
            return MessageResult::Cancel;
    }
}

}  // namespace

MessageResult ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                          MessageIcon icon, MessageButtons buttons) {
    if (Handler()) {
        return Handler()(MessageCall{owner, text, caption, icon, buttons, {}});
    }
    QMessageBox box(ToQt(icon), caption, text, ToQt(buttons), owner);
    return FromQt(box.exec());
}

MessageResult AskChoice(QWidget* owner, const QString& text, const QString& caption,
                        MessageIcon icon, const QStringList& choices) {
    if (Handler()) {
        return Handler()(
            MessageCall{owner, text, caption, icon, MessageButtons::Choices, choices.mid(0, 3)});
    }
    QMessageBox box(ToQt(icon), caption, text, QMessageBox::Cancel, owner);
    std::vector<QPushButton*> buttons;
    for (const QString& choice : choices.mid(0, 3)) {
        buttons.push_back(box.addButton(choice, QMessageBox::AcceptRole));
    }
    if (!buttons.empty()) {
        box.setDefaultButton(buttons.front());
    }
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    const MessageResult answers[] = {MessageResult::FirstChoice, MessageResult::SecondChoice,
                                     MessageResult::ThirdChoice};
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) {
            return answers[i];
        }
    }
    return MessageResult::Cancel;
}

void ShowDatabaseFailure(QWidget* owner, const std::string& message, const char* caption,
                         MessageIcon icon) {
    ShowMessage(owner,
                QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size())),
                QCoreApplication::translate("platform::MessageBox", caption), icon);
}

void SetMessageHandler(MessageHandler handler) {
    Handler() = std::move(handler);
}

}  // namespace platform
