#pragma once

#include <QString>

class QSettings;
class QWidget;

namespace book {

// The value buttons of the details panel that hand their text to the desktop.
constexpr int kHomePhoneButton = 1009;
constexpr int kWorkPhoneButton = 1012;
constexpr int kPagerButton = 1015;
constexpr int kEmailButton = 1017;
constexpr int kCelPhoneButton = 1018;
constexpr int kWebPageButton = 1019;

// The value under the "Settings" subkey that holds the update page, and the page used without it.
extern const char kUpdatePageValue[];    // "UpdatePage"
extern const char kDefaultUpdatePage[];  // "https://www.vantorel.com/tidemark/update.htm"

// The number a phone button dials: the work phone without its extension, others as shown.
QString DialledNumber(int control, const QString& text);
// Whether the control is one of the phone buttons.
bool IsPhoneButton(int control);

// Each action reports a refusal in one message box owned by the owner; an empty text does
// nothing. True when the desktop took the request.
bool Dial(QWidget* owner, const QString& number);
bool OpenMail(QWidget* owner, const QString& address);
bool OpenWebPage(QWidget* owner, const QString& address);

// Hands a value button's text to its action. False, doing nothing, for any other control;
// accepted, when given, tells whether the desktop took the request.
bool ActOnValue(QWidget* owner, int control, const QString& text, bool* accepted = nullptr);

// The update page kept under the "Settings" subkey (the key given already opened on it).
QString UpdatePageAddress(const QSettings& settingsKey);
void CheckForUpdate(QWidget* owner, const QSettings& settingsKey);

}  // namespace book
