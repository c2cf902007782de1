#include "DateTimeFields.h"

#include <algorithm>

#include <QKeyEvent>

namespace platform {

void SelectSection(QDateTimeEdit* field, int index) {
    const int last = field->sectionCount() - 1;
    if (last < 0) {
        return;
    }
    field->setCurrentSectionIndex(std::clamp(index, 0, last));
    field->setSelectedSection(field->currentSection());
}

template <typename Edit>
void SectionField<Edit>::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) &&
        modifiers == Qt::NoModifier) {
        SelectSection(this, this->currentSectionIndex() + (event->key() == Qt::Key_Left ? -1 : 1));
        event->accept();
        return;
    }
    Edit::keyPressEvent(event);
}

template class SectionField<QDateEdit>;
template class SectionField<QTimeEdit>;

}  // namespace platform
