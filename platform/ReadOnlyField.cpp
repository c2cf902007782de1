#include "ReadOnlyField.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

namespace platform {

namespace {

// Keeps the field's background and text on the window's roles of the palette around it.
class ReadOnlyLook : public QObject {
public:
    explicit ReadOnlyLook(QWidget* field) : QObject(field), field_(field) {
        field->installEventFilter(this);
        Apply();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == field_ &&
            (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)) {
            // After the palette around has changed as well: the desktop hands a new palette to
            // the widgets one by one.
            QMetaObject::invokeMethod(
                this, [this] { Apply(); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Apply() {
        if (applying_) {
            return;
        }
        const QWidget* around = field_->parentWidget();
        const QPalette from = around ? around->palette() : QApplication::palette(field_);
        // Only these two roles are the field's own; every other follows the palette around.
        QPalette look;
        bool same = true;
        for (QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QBrush& base = from.brush(group, QPalette::Window);
            const QBrush& text = from.brush(group, QPalette::WindowText);
            same = same && field_->palette().brush(group, QPalette::Base) == base &&
                   field_->palette().brush(group, QPalette::Text) == text;
            look.setBrush(group, QPalette::Base, base);
            look.setBrush(group, QPalette::Text, text);
        }
        if (same) {
            return;
        }
        applying_ = true;
        field_->setPalette(look);
        applying_ = false;
    }

    QWidget* field_;
    bool applying_ = false;
};

}  // namespace

void ShowAsReadOnly(QLineEdit* field) {
    field->setReadOnly(true);
    field->setFrame(false);
    field->setFocusPolicy(Qt::ClickFocus);
    new ReadOnlyLook(field);
}

void ShowAsReadOnly(QPlainTextEdit* field, bool inTabChain) {
    field->setReadOnly(true);
    field->setFrameShape(QFrame::NoFrame);
    // The keyboard can still select and scroll where Tab stops.
    field->setTextInteractionFlags(
        Qt::TextSelectableByMouse |
        (inTabChain ? Qt::TextSelectableByKeyboard : Qt::NoTextInteraction));
    field->setFocusPolicy(inTabChain ? Qt::StrongFocus : Qt::ClickFocus);
    new ReadOnlyLook(field);
}

}  // namespace platform
