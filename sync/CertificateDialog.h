#pragma once

#include <QByteArray>
#include <QDialog>

class QPushButton;

namespace syncui {

// A server's certificate that the system does not trust: the host, whom it names (subject),
// who signed it (issuer), when it is valid and its SHA-256 fingerprint, for the user to compare
// with what the server's owner gives. "Trust This Certificate" trusts that certificate for the
// account; Cancel refuses it.
class CertificateDialog : public QDialog {
    Q_OBJECT
public:
    CertificateDialog(QWidget* owner, const QString& host, const QByteArray& der);

    // "AB:CD:..." of the certificate's SHA-256.
    static QString Fingerprint(const QByteArray& der);
    // What the dialog shows, line by line ("Subject: ..."), for tests and screen readers.
    QStringList Lines() const { return lines_; }
    QPushButton* TrustButton() const { return trust_; }

private:
    QStringList lines_;
    QPushButton* trust_ = nullptr;
};

}  // namespace syncui
