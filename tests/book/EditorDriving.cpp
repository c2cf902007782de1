#include "EditorDriving.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include "ContactDialog.h"
#include "ListModels.h"
#include "MainView.h"
#include "PersonSheet.h"

using F = PersonRecord::Field;

PersonSheet& Sheet(QDialog& dialog) {
    auto* sheet = qobject_cast<PersonSheet*>(&dialog);
    EXPECT_NE(sheet, nullptr) << dialog.windowTitle().toStdString();
    return *sheet;
}

ContactDialog& Contact(QDialog& dialog) {
    auto* contact = qobject_cast<ContactDialog*>(&dialog);
    EXPECT_NE(contact, nullptr) << dialog.windowTitle().toStdString();
    return *contact;
}

// Builds the sheet's pages up to the one that holds the field and brings that page to the front.
QWidget* Reveal(PersonSheet& sheet, F field) {
    for (int page = PersonSheet::General; page <= PersonSheet::Phone && !sheet.Field(field);
         ++page) {
        sheet.Tabs()->setCurrentIndex(page);
    }
    EXPECT_NE(sheet.Field(field), nullptr);
    sheet.Tabs()->setCurrentWidget(sheet.Field(field)->parentWidget());
    return sheet.Field(field);
}

void TypeInto(PersonSheet& sheet, F field, const QString& text) {
    QTest::keyClicks(Reveal(sheet, field), text);
}

QString ShownText(PersonSheet& sheet, F field) {
    QWidget* control = Reveal(sheet, field);
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        return line->text();
    }
    return static_cast<QPlainTextEdit*>(control)->toPlainText();
}

void PressOk(QDialog& dialog, QPushButton* ok) {
    ASSERT_TRUE(ok->isEnabled()) << dialog.windowTitle().toStdString();
    QTest::mouseClick(ok, Qt::LeftButton);
}

void ClickPerson(MainView& view, const RecordId& id) {
    QTreeView* list = view.PersonList();
    const int row = view.PersonRows().Find(id);
    ASSERT_GE(row, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(row, 0)).center());
    ASSERT_EQ(view.CurrentPersonId(), id);
}

void ClickContact(MainView& view, const RecordId& id) {
    QTreeView* list = view.ContactList();
    const int row = view.ContactRows().Find(id);
    ASSERT_GE(row, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(row, 0)).center());
    ASSERT_EQ(view.CurrentContactId(), id);
}
