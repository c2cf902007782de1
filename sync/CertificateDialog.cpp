#include "CertificateDialog.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSslCertificate>
#include <QStyle>
#include <QVBoxLayout>

#include "DavClient.h"
#include "DialogUnits.h"

namespace syncui {

namespace {

// "CN=dav.example.com, O=Example": the parts a person reads, in the usual order.
QString Names(const QSslCertificate& certificate, bool issuer) {
    QStringList parts;
    for (const auto& [attribute, key] : {std::pair{QSslCertificate::CommonName, "CN"},
                                         std::pair{QSslCertificate::Organization, "O"},
                                         std::pair{QSslCertificate::OrganizationalUnitName, "OU"},
                                         std::pair{QSslCertificate::LocalityName, "L"},
                                         std::pair{QSslCertificate::CountryName, "C"}}) {
        const QStringList values =
            issuer ? certificate.issuerInfo(attribute) : certificate.subjectInfo(attribute);
        for (const QString& value : values) {
            parts << QStringLiteral("%1=%2").arg(QLatin1String(key), value);
        }
    }
    return parts.isEmpty() ? CertificateDialog::tr("(none given)")
                           : parts.join(QStringLiteral(", "));
}

QLabel* Value(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

}  // namespace

QString CertificateDialog::Fingerprint(const QByteArray& der) {
    const QString hex = carddav::CertificateSha256(der).toUpper();
    QStringList pairs;
    for (int i = 0; i + 1 < hex.size(); i += 2) {
        pairs << hex.mid(i, 2);
    }
    return pairs.join(QLatin1Char(':'));
}

CertificateDialog::CertificateDialog(QWidget* owner, const QString& host, const QByteArray& der)
    : QDialog(owner, platform::kDialogFlags) {
    setWindowTitle(tr("Server Certificate"));
    setFont(platform::DialogFont());
    const platform::DialogUnits units(font());
    const QList<QSslCertificate> read = QSslCertificate::fromData(der, QSsl::Der);
    const QSslCertificate certificate = read.isEmpty() ? QSslCertificate() : read.first();

    auto* main = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    main->addLayout(top);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
    auto* text = new QLabel(
        tr("The certificate of %1 is not one this system trusts: it may be the server's own "
           "(one it signed itself, say), or another computer's that stands between you and the "
           "server.\n\nTrust it only when its fingerprint is the one the server's owner gives "
           "you. Tidemark then takes this certificate for this account, and refuses any "
           "other.")
            .arg(host),
        this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setMinimumWidth(units.X(240));
    top->addWidget(text, 1);

    const QLocale locale;
    const QString from =
        locale.toString(certificate.effectiveDate().toLocalTime(), QLocale::ShortFormat);
    const QString until =
        locale.toString(certificate.expiryDate().toLocalTime(), QLocale::ShortFormat);
    const std::pair<QString, QString> rows[] = {
        {tr("Server:"), host},
        {tr("Issued to:"), Names(certificate, false)},
        {tr("Issued by:"), Names(certificate, true)},
        {tr("Valid:"), tr("from %1 until %2").arg(from, until)},
        {tr("SHA-256 fingerprint:"), Fingerprint(der)},
    };
    auto* form = new QFormLayout;
    main->addLayout(form);
    for (const auto& [label, value] : rows) {
        QLabel* shown = Value(value, this);
        shown->setAccessibleName(QString(label).remove(QLatin1Char(':')));
        if (label == rows[4].first) {
            shown->setFont(QFont(QStringLiteral("monospace"), font().pointSize()));
        }
        form->addRow(label, shown);
        lines_ << label + QLatin1Char(' ') + value;
    }
    if (QDateTime::currentDateTime() > certificate.expiryDate() ||
        QDateTime::currentDateTime() < certificate.effectiveDate()) {
        QLabel* expired = Value(tr("The certificate is not valid at this time."), this);
        form->addRow(QString(), expired);
        lines_ << expired->text();
    }

    auto* buttons = new QHBoxLayout;
    main->addLayout(buttons);
    buttons->addStretch(1);
    trust_ = new QPushButton(tr("&Trust This Certificate"), this);
    auto* cancel =
        new QPushButton(QCoreApplication::translate("platform::DialogButton", "Cancel"), this);
    // Nothing is trusted by a press of Enter.
    cancel->setDefault(true);
    trust_->setAutoDefault(false);
    buttons->addWidget(trust_);
    buttons->addWidget(cancel);
    connect(trust_, &QPushButton::clicked, this, &CertificateDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CertificateDialog::reject);
    cancel->setFocus();
}

}  // namespace syncui
