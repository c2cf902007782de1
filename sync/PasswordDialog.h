#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace syncui {

// Asks for the password of the account a sync is to use, when this run of the program does not
// know it yet and the desktop's password store does not hold it.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    PasswordDialog(QWidget* owner, const QString& user, const QString& server, bool hasStore);

    QString Password() const;
    bool Remember() const;

    QLineEdit* PasswordField() const { return password_; }
    QCheckBox* RememberBox() const { return remember_; }
    QPushButton* OkButton() const { return ok_; }

private:
    QLineEdit* password_ = nullptr;
    QCheckBox* remember_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace syncui
