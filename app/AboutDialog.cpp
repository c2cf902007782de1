#include "AboutDialog.h"

#include <QLabel>
#include <QPushButton>

#include "DialogUnits.h"
#include "Picture.h"

namespace {

QLabel* AddLine(QWidget* parent, const platform::DialogUnits& units, const QString& text, int y) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    units.Place(label, 64, y, 150, 9);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Tidemark"));
    setFont(platform::DialogFont());
    const platform::DialogUnits units(font());
    setFixedSize(units.X(221), units.Y(62));

    auto* picture = new platform::PictureControl(this);
    platform::SetControlId(picture, 1088);
    units.Place(picture, 7, 7, 48, 36);
    QLabel* name = AddLine(this, units, tr("Tidemark"), 8);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    AddLine(this, units, tr("Version 2.02"), 20);
    AddLine(this, units, tr("Know When and How You Keep In Touch!"), 32);
    QPushButton* ok = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1, 164, 43, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
