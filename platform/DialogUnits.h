#pragma once

#include <QFont>
#include <QRect>
#include <Qt>

class QPushButton;
class QWidget;

namespace platform {

// Converts the dialog units of a form's layout table into pixels of the given dialog font: a
// horizontal unit is the average character width / 4, a vertical unit the character height / 8.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;
    // The fewest units that cover the pixels, for a control whose size Qt decides.
    int UnitsX(int pixels) const;
    int UnitsY(int pixels) const;

    // Places the control as a row of the layout table reads: x, y, width, height.
    void Place(QWidget* control, int x, int y, int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

// The font of the program's forms and dialogs: the application's font, so that dialog units, and
// with them every form, follow the desktop's font and its size.
QFont DialogFont();

// The frame of the program's dialogs: caption, close box and the caption's "?" button.
inline constexpr Qt::WindowFlags kDialogFlags =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
    Qt::WindowContextHelpButtonHint;

// A push button of a dialog form, numbered and placed; Enter goes to the default button only.
// The text comes as its English text, marked QT_TRANSLATE_NOOP("platform::DialogButton", ...)
// where it is written, and is translated here.
QPushButton* PlaceButton(QWidget* parent, const DialogUnits& units, const char* text, int id, int x,
                         int y, int width, int height);

// The number a control carries for help requests ("control 1006" of a form).
void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control);  // 0 when it has none

}  // namespace platform
