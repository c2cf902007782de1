#include "PasswordDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DialogUnits.h"

namespace syncui {

PasswordDialog::PasswordDialog(QWidget* owner, const QString& user, const QString& server,
                               bool hasStore)
    : QDialog(owner, platform::kDialogFlags) {
    setWindowTitle(tr("Sync Password"));
    setFont(platform::DialogFont());
    const platform::DialogUnits units(font());
    setFixedSize(units.X(250), units.Y(hasStore ? 84 : 104));

    auto* text = new QLabel(tr("The password of %1 on %2:").arg(user, server), this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    units.Place(text, 7, 7, 236, 16);
    auto* label = new QLabel(tr("&Password:"), this);
    units.Place(label, 7, 29, 45, 8);
    password_ = new QLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    units.Place(password_, 54, 27, 189, 12);
    label->setBuddy(password_);
    remember_ = new QCheckBox(tr("&Remember in the desktop's password store"), this);
    units.Place(remember_, 54, 43, 189, 10);
    // Without a store the choice is there, greyed, and the dialog says why.
    remember_->setEnabled(hasStore);
    if (!hasStore) {
        auto* note = new QLabel(tr("This desktop has no password store: the password is asked "
                                   "for once each time Tidemark runs."),
                                this);
        note->setObjectName(QStringLiteral("storeNote"));
        note->setWordWrap(true);
        note->setTextFormat(Qt::PlainText);
        units.Place(note, 64, 55, 179, 24);
    }

    const int buttons = hasStore ? 63 : 83;
    ok_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                139, buttons, 50, 14);
    ok_->setDefault(true);
    QPushButton* cancel =
        platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Cancel"), 2,
                              193, buttons, 50, 14);
    connect(ok_, &QPushButton::clicked, this, &PasswordDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &PasswordDialog::reject);
}

QString PasswordDialog::Password() const {
    return password_->text();
}

bool PasswordDialog::Remember() const {
    return remember_->isEnabled() && remember_->isChecked();
}

}  // namespace syncui
