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

// Each action reports a refusal in one message box owned by the owner; an empty text does
// nothing.
void Dial(QWidget* owner, const QString& number);
void OpenMail(QWidget* owner, const QString& address);
void OpenWebPage(QWidget* owner, const QString& address);

// Hands a value button's text to its action. False, doing nothing, for any other control.
bool ActOnValue(QWidget* owner, int control, const QString& text);

// The update page kept under the "Settings" subkey (the key given already opened on it).
QString UpdatePageAddress(const QSettings& settingsKey);
void CheckForUpdate(QWidget* owner, const QSettings& settingsKey);

}  // namespace book
