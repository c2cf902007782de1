#include "ShellActions.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

namespace platform {

namespace {

class DesktopActions : public ShellActions {
public:
    int RequestCall(const QString& number) override {
        const QUrl address = TelAddress(number);
        if (!address.isValid()) {
            return kCallInvalidDestAddress;
        }
        if (!HasTelHandler() || !QDesktopServices::openUrl(address)) {
            return kCallNoRequestRecipient;
        }
        return kCallAccepted;
    }

    bool OpenAddress(const QString& text) override {
        const QUrl address = ShellAddress(text);
        return address.isValid() && QDesktopServices::openUrl(address);
    }
};

ShellActions*& Installed() {
    static ShellActions* actions = nullptr;
    return actions;
}

ShellActions& Current() {
    static DesktopActions desktop;
    return Installed() ? *Installed() : desktop;
}

bool IsVisualSeparator(QChar c) {
    return c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('(') ||
           c == QLatin1Char(')');
}

// Digits with separators, at least one digit; "*" and "#" only where a keypad may send them.
bool IsDialString(const QString& text, bool keypad) {
    bool digit = false;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digit = true;
        } else if (!IsVisualSeparator(c) &&
                   !(keypad && (c == QLatin1Char('*') || c == QLatin1Char('#')))) {
            return false;
        }
    }
    return digit;
}

}  // namespace

int RequestCall(const QString& number) {
    return Current().RequestCall(number);
}

bool OpenAddress(const QString& address) {
    return Current().OpenAddress(address);
}

void SetShellActions(ShellActions* actions) {
    Installed() = actions;
}

QUrl TelAddress(const QString& number) {
    QString compact;
    for (const QChar c : number) {
        if (!c.isSpace()) {
            compact.append(c);
        }
    }
    QString extension;
    int cut = compact.indexOf(QLatin1String("ext"), 0, Qt::CaseInsensitive);
    int mark = 3;
    if (cut < 0) {
        cut = compact.indexOf(QLatin1Char('x'), 0, Qt::CaseInsensitive);
        mark = 1;
    }
    if (cut >= 0) {
        extension = compact.mid(cut + mark);
        compact.truncate(cut);
        if (!IsDialString(extension, false)) {
            return QUrl();
        }
    }
    const bool global = compact.startsWith(QLatin1Char('+'));
    if (!IsDialString(global ? compact.mid(1) : compact, !global)) {
        return QUrl();
    }
    QString path = compact;
    if (!extension.isEmpty()) {
        path += QStringLiteral(";ext=") + extension;
    }
    QUrl address;
    address.setScheme(QStringLiteral("tel"));
    // Decoded, so that a "#" is escaped instead of starting a fragment.
    address.setPath(path, QUrl::DecodedMode);
    return address;
}

QUrl ShellAddress(const QString& text) {
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        return QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
    }
    if (text.startsWith(QLatin1String("ftp."), Qt::CaseInsensitive)) {
        return QUrl(QStringLiteral("ftp://") + text, QUrl::TolerantMode);
    }
    if (!text.isEmpty()) {
        const QFileInfo file(text);
        if (file.exists()) {
            return QUrl::fromLocalFile(file.absoluteFilePath());
        }
    }
    const QUrl address(text, QUrl::TolerantMode);
    // A one-letter scheme is a drive letter, not an address.
    if (address.isValid() && address.scheme().size() > 1) {
        return address;
    }
    return QUrl();
}

bool HasTelHandler() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/tel")});
    if (!query.waitForStarted(5000) || !query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
#else
    // Elsewhere the desktop only says whether it found a handler when asked to open the address.
    return true;
#endif
}

}  // namespace platform
