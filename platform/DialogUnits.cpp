#include "DialogUnits.h"

#include <QPushButton>

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QVariant>
#include <QWidget>

namespace platform {

namespace {
const char kControlIdProperty[] = "tidemarkControlId";
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the Latin letters, as the classic dialog base unit measures it.
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (metrics.horizontalAdvance(sample) / 26 + 1) / 2;
    baseY_ = metrics.height();
}

int DialogUnits::X(int units) const {
    return (units * baseX_ + 2) / 4;
}

int DialogUnits::Y(int units) const {
    return (units * baseY_ + 4) / 8;
}

int DialogUnits::UnitsX(int pixels) const {
    int units = (pixels * 4) / baseX_;
    while (X(units) < pixels) {
        ++units;
    }
    return units;
}

int DialogUnits::UnitsY(int pixels) const {
    int units = (pixels * 8) / baseY_;
    while (Y(units) < pixels) {
        ++units;
    }
    return units;
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

void DialogUnits::Place(QWidget* control, int x, int y, int width, int height) const {
    control->setGeometry(Rect(x, y, width, height));
}

QFont DialogFont() {
    // Forms drawn in the old face ask for it by name; it has a stand-in where it is missing.
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        return true;
    }();
    (void)substituted;
    // The desktop's font, as the user chose it: forms grow and shrink with it.
    return QApplication::font();
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(kControlIdProperty, id);
}

int ControlId(const QWidget* control) {
    return control ? control->property(kControlIdProperty).toInt() : 0;
}

QPushButton* PlaceButton(QWidget* parent, const DialogUnits& units, const char* text, int id, int x,
                         int y, int width, int height) {
    auto* button =
        new QPushButton(QCoreApplication::translate("platform::DialogButton", text), parent);
    button->setAutoDefault(false);
    SetControlId(button, id);
    units.Place(button, x, y, width, height);
    return button;
}

}  // namespace platform
