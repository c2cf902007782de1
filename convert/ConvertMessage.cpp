#include "ConvertMessage.h"

#include <QCursor>
#include <QGuiApplication>

platform::MessageResult ShowConvertMessage(QWidget* owner, const QString& text,
                                           const QString& caption, platform::MessageIcon icon) {
    // The conversion also runs without any application object (the benchmark).
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    const QCursor* waiting = gui ? QGuiApplication::overrideCursor() : nullptr;
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
