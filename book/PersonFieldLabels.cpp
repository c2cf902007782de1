#include "PersonFieldLabels.h"

#include <QCoreApplication>

#include "PersonRecord.h"

namespace {

constexpr const char* kLabels[PersonRecord::FieldCount] = {
    QT_TRANSLATE_NOOP("PersonFields", "Title"),
    QT_TRANSLATE_NOOP("PersonFields", "First Name"),
    QT_TRANSLATE_NOOP("PersonFields", "Last Name"),
    QT_TRANSLATE_NOOP("PersonFields", "Company"),
    QT_TRANSLATE_NOOP("PersonFields", "Position"),
    QT_TRANSLATE_NOOP("PersonFields", "Address"),
    QT_TRANSLATE_NOOP("PersonFields", "City"),
    QT_TRANSLATE_NOOP("PersonFields", "State"),
    QT_TRANSLATE_NOOP("PersonFields", "Zip Code"),
    QT_TRANSLATE_NOOP("PersonFields", "Home Phone"),
    QT_TRANSLATE_NOOP("PersonFields", "Work Phone"),
    QT_TRANSLATE_NOOP("PersonFields", "Extension"),
    QT_TRANSLATE_NOOP("PersonFields", "Cel Phone"),
    QT_TRANSLATE_NOOP("PersonFields", "Pager"),
    QT_TRANSLATE_NOOP("PersonFields", "Fax"),
    QT_TRANSLATE_NOOP("PersonFields", "E-Mail"),
    QT_TRANSLATE_NOOP("PersonFields", "Web Page"),
};

}  // namespace

QString PersonFieldLabel(int field) {
    return field >= 0 && field < PersonRecord::FieldCount
               ? QCoreApplication::translate("PersonFields", kLabels[field])
               : QString();
}
