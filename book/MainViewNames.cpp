#include "MainViewNames.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include "MainViewForm.h"

namespace {

// Its texts are the main view's.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(MainView)
};

// Each read-only field after the label that says what it holds; the label's text is the name.
constexpr int kLabelled[][2] = {
    {1045, 1027}, {1036, 1028}, {1041, 1031}, {1037, 1023},
    {1042, 1024}, {1043, 1161}, {1078, 1162}, {1044, 1163},
};

// The value controls with their label and value in one text.
struct ValueName {
    int control;
    const char* format;
};
constexpr ValueName kValueNames[] = {
    {1009, QT_TRANSLATE_NOOP("MainView", "Home Phone: %1")},
    {1012, QT_TRANSLATE_NOOP("MainView", "Work Phone: %1")},
    {1015, QT_TRANSLATE_NOOP("MainView", "Pager: %1")},
    {1016, QT_TRANSLATE_NOOP("MainView", "Fax: %1")},
    {1018, QT_TRANSLATE_NOOP("MainView", "Cel Phone: %1")},
    {1017, QT_TRANSLATE_NOOP("MainView", "E-Mail: %1")},
    {1019, QT_TRANSLATE_NOOP("MainView", "Web Page: %1")},
};

}  // namespace

namespace view_names {

void NameControls(const MainViewForm& form) {
    for (const auto& [label, field] : kLabelled) {
        if (auto* text = qobject_cast<QLabel*>(form.Control(label))) {
            text->setBuddy(form.Control(field));
        }
    }
    form.notes->setAccessibleName(Texts::tr("Notes"));
    form.personList->setAccessibleName(Texts::tr("Persons"));
    form.personList->setAccessibleDescription(
        Texts::tr("The persons of the address book; the one selected is shown beside the list."));
    form.contactList->setAccessibleName(Texts::tr("Contacts"));
    form.contactList->setAccessibleDescription(
        Texts::tr("The contacts with the selected person; the notes of the one selected are "
                  "shown above the list."));
}

void NameValues(const MainViewForm& form) {
    for (const ValueName& entry : kValueNames) {
        QWidget* control = form.Control(entry.control);
        if (!control) {
            continue;
        }
        // The button keeps its value apart from the text it shows, which doubles any "&".
        QString value = control->property("value").toString();
        if (auto* label = qobject_cast<QLabel*>(control)) {
            value = label->text();
        } else if (value.isEmpty()) {
            value = Texts::tr(kNotAvailable);
        }
        control->setAccessibleName(Texts::tr(entry.format).arg(value));
    }
}

}  // namespace view_names
