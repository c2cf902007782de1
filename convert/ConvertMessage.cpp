#include "ConvertMessage.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

platform::MessageIcon ShownIcon(ConvertIcon icon) {
    switch (icon) {
        case ConvertIcon::None:
            return platform::MessageIcon::None;
        case ConvertIcon::Information:
            return platform::MessageIcon::Information;
        case ConvertIcon::Warning:
            return platform::MessageIcon::Warning;
        case ConvertIcon::Error:
            return platform::MessageIcon::Error;
    }
    return platform::MessageIcon::None;
}

}  // namespace

platform::MessageResult ShowConvertMessage(QWidget* owner, const QString& text,
                                           const QString& caption, platform::MessageIcon icon) {
    const QCursor* waiting = QGuiApplication::overrideCursor();
    const Qt::CursorShape shape = waiting ? waiting->shape() : Qt::ArrowCursor;
    if (waiting) {
        QGuiApplication::restoreOverrideCursor();
    }
    const platform::MessageResult result = platform::ShowMessage(owner, text, caption, icon);
    if (waiting) {
        QGuiApplication::setOverrideCursor(shape);
    }
    return result;
}

void ShowConvertMessages(QWidget* window, const std::vector<ConvertMessage>& messages) {
    for (const ConvertMessage& message : messages) {
        ShowConvertMessage(message.owner == ConvertMessageOwner::Window ? window : nullptr,
                           message.text, message.caption, ShownIcon(message.icon));
    }
}
