#include "ValueActions.h"

#include <QCoreApplication>
#include <QSettings>

#include "MessageBox.h"
#include "ShellActions.h"

namespace book {

const char kUpdatePageValue[] = "UpdatePage";
const char kDefaultUpdatePage[] = "https://www.vantorel.com/tidemark/update.htm";

namespace {

// The texts of the dialling, mail and web messages.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(book::ValueActions)
};

QString CallErrorText(int result) {
    switch (result) {
        case platform::kCallNoRequestRecipient:
            // Here the dialler is whatever program the desktop hands tel: links to.
            return Texts::tr(
                "No program on this computer handles telephone (tel:) links, so the number "
                "cannot be dialled. Install a softphone or dialler and make it the handler of "
                "tel: links, for example in your desktop's default applications settings.");
        case platform::kCallRequestQueueFull:
            return Texts::tr("Your calling queue is full. Please try again later");
        case platform::kCallInvalidDestAddress:
            return Texts::tr(
                "The number you have tried to dial is not valid. Please correct it and try "
                "again.");
        default:
            return Texts::tr("Unknown error. The call could not be placed.");
    }
}

void ShowError(QWidget* owner, const QString& text, const QString& caption) {
    platform::ShowMessage(owner, text, caption, platform::MessageIcon::Error,
                          platform::MessageButtons::Ok);
}

bool OpenInBrowser(QWidget* owner, const QString& address) {
    if (!platform::OpenAddress(address)) {
        ShowError(owner, Texts::tr("Error opening web browser"), Texts::tr("Web Browser Error"));
        return false;
    }
    return true;
}

}  // namespace

QString DialledNumber(int control, const QString& text) {
    if (control == kWorkPhoneButton) {
        // The button shows the extension after an "x"; only the number is dialled.
        const int cut = text.indexOf(QLatin1Char('x'));
        if (cut > 0) {
            return text.left(cut);
        }
    }
    return text;
}

bool IsPhoneButton(int control) {
    return control == kHomePhoneButton || control == kWorkPhoneButton || control == kPagerButton ||
           control == kCelPhoneButton;
}

bool Dial(QWidget* owner, const QString& number) {
    if (number.isEmpty()) {
        return false;
    }
    const int result = platform::RequestCall(number);
    if (result != platform::kCallAccepted) {
        ShowError(owner, CallErrorText(result), Texts::tr("Calling Error"));
        return false;
    }
    return true;
}

bool OpenMail(QWidget* owner, const QString& address) {
    if (address.isEmpty()) {
        return false;
    }
    if (!platform::OpenAddress(QStringLiteral("mailto:") + address)) {
        ShowError(owner, Texts::tr("Error opening E-mail client"), Texts::tr("E-Mail Error"));
        return false;
    }
    return true;
}

bool OpenWebPage(QWidget* owner, const QString& address) {
    if (address.isEmpty()) {
        return false;
    }
    return OpenInBrowser(owner, address);
}

bool ActOnValue(QWidget* owner, int control, const QString& text, bool* accepted) {
    bool took = false;
    bool known = true;
    switch (control) {
        case kHomePhoneButton:
        case kWorkPhoneButton:
        case kPagerButton:
        case kCelPhoneButton:
            took = Dial(owner, DialledNumber(control, text));
            break;
        case kEmailButton:
            took = OpenMail(owner, text);
            break;
        case kWebPageButton:
            took = OpenWebPage(owner, text);
            break;
        default:
            known = false;
            break;
    }
    if (accepted) {
        *accepted = took;
    }
    return known;
}

QString UpdatePageAddress(const QSettings& settingsKey) {
    const QString stored = settingsKey.value(QLatin1String(kUpdatePageValue)).toString();
    return stored.trimmed().isEmpty() ? QString::fromLatin1(kDefaultUpdatePage) : stored;
}

void CheckForUpdate(QWidget* owner, const QSettings& settingsKey) {
    const QString address = UpdatePageAddress(settingsKey);
    if (!platform::OpenAddress(address)) {
        // The page is a setting: the user needs to see which address failed to mend it.
        ShowError(owner, Texts::tr("Error opening web browser for the update page %1").arg(address),
                  Texts::tr("Web Browser Error"));
    }
}

}  // namespace book
