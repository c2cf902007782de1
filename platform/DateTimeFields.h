#pragma once

#include <QDateEdit>
#include <QTimeEdit>

namespace platform {

// A date or time field as the rest of the dialog expects it: Tab goes on to the next control
// (not to the next part of the date), Left and Right step between day, month and year or hour,
// minute and second, Up and Down change the part that is selected.
template <typename Edit>
class SectionField : public Edit {
public:
    explicit SectionField(QWidget* parent = nullptr) : Edit(parent) {}

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
    void keyPressEvent(QKeyEvent* event) override;
};

using DateField = SectionField<QDateEdit>;
using TimeField = SectionField<QTimeEdit>;

// Selects the part of the field at the index, held to the parts there are.
void SelectSection(QDateTimeEdit* field, int index);

}  // namespace platform
