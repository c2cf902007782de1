#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// Results of a call request, numbered as the telephony request service numbers them. A dialler
// may answer with any other number too.
constexpr int kCallAccepted = 0;
constexpr int kCallNoRequestRecipient = -2;
constexpr int kCallRequestQueueFull = -3;
constexpr int kCallInvalidDestAddress = -4;

// The requests the program hands to the desktop: a number to the dialler, an address (a web
// page, a "mailto:" address, a file) to whatever opens it. Neither waits for the outcome.
class ShellActions {
public:
    virtual ~ShellActions() = default;
    // Asks the dialler to call the number; one of the results above, or another number.
    virtual int RequestCall(const QString& number) = 0;
    // Opens the address; false when nothing could open it.
    virtual bool OpenAddress(const QString& address) = 0;
};

// The requests go to the installed actions, or to the desktop's when none is installed.
int RequestCall(const QString& number);
bool OpenAddress(const QString& address);

// Replaces the desktop's actions, for tests; null restores them. The caller keeps ownership.
void SetShellActions(ShellActions* actions);

// The "tel:" address of a number, or an invalid address when the number cannot form one. Blanks
// are dropped, and an extension after "x" or "ext" becomes the address's extension.
QUrl TelAddress(const QString& number);

// What the desktop opens for an address text: "www." opens as http, "ftp." as ftp, an existing
// file as that file, any other text only when it is an address with a scheme. An invalid address
// when the text is none of these.
QUrl ShellAddress(const QString& text);

// Whether the desktop names a program for "tel:" addresses.
bool HasTelHandler();

}  // namespace platform
