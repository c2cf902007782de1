#include "RecordCommands.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <QApplication>
#include <QCoreApplication>

#include "AddressBook.h"
#include "ContactDialog.h"
#include "ContactTypesDialog.h"
#include "HelpViewer.h"
#include "MessageBox.h"
#include "PersonMerging.h"
#include "PersonSheet.h"
#include "RecordEditing.h"
#include "SQLException.h"
#include "StoredText.h"
#include "UnseenChanges.h"

namespace record_commands {

namespace {

using platform::MessageIcon;
using platform::ShowDatabaseFailure;

// Editors are owned by the active window, which is the main window unless a test runs alone.
QWidget* EditorOwner(const Context& context) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : context.view->window();
}

// A save of an editor: runs the write and shows its failure under the caption (marked as
// ShowDatabaseFailure's), owned by the view; false keeps the editor open.
template <typename Write>
bool Saved(const Context& context, const char* caption, Write write) {
    try {
        write();
    } catch (const std::exception& e) {
        ShowDatabaseFailure(context.view, e.what(), caption, MessageIcon::Error);
        return false;
    }
    return true;
}

// The record an editor loaded, as its row was then: OK checks it against the row stored now.
struct Loaded {
    unseen::Record record;
    editing::RowTable table;
    RecordId id;
    editing::StoredRow row;

    void Read(const std::string& path) { row = editing::ReadStoredRow(path, table, id); }
};

// What OK may do with the editor's values: store them without a question while the record is
// as loaded, else as the user answers. Nothing loaded (a new record) always stores.
unseen::Answer Check(const Context& context, QWidget* editor, Loaded* loaded) {
    if (!loaded) {
        return unseen::Answer::Store;
    }
    return unseen::Ask(
        editor, editor->windowTitle(), loaded->record,
        editing::CompareStored(context.path, loaded->table, loaded->id, loaded->row));
}

// How the sheet stores: over the record, as a new one when it went meanwhile, and what a
// reload reads.
struct SheetStore {
    std::function<void(const PersonRecord&)> save;
    std::function<void(const PersonRecord&)> saveAsNew;
    std::function<PersonRecord()> reload;
};

// Runs the sheet, which stores its values through the store before it closes; true after OK.
// The title comes marked QT_TRANSLATE_NOOP("record_commands", ...).
bool RunSheet(const Context& context, const char* title, const char* topic,
              const PersonRecord& values, const SheetStore& store, Loaded* loaded = nullptr) {
    PersonSheet sheet(EditorOwner(context), QCoreApplication::translate("record_commands", title),
                      values, topic);
    sheet.SetSaver([&](const PersonRecord& edited) {
        bool stored = false;
        return Saved(context,
                     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Updating User Information"),
                     [&] {
                         switch (Check(context, &sheet, loaded)) {
                             case unseen::Answer::Store:
                                 store.save(edited);
                                 stored = true;
                                 break;
                             case unseen::Answer::StoreAsNew:
                                 store.saveAsNew(edited);
                                 stored = true;
                                 break;
                             case unseen::Answer::Reload: {
                                 const PersonRecord fresh = store.reload();
                                 loaded->Read(context.path);
                                 sheet.Reload(fresh);
                                 break;
                             }
                             case unseen::Answer::Back:
                                 break;
                         }
                     }) &&
               stored;
    });
    return sheet.exec() == QDialog::Accepted;
}

// The contact dialog over the file's contact types; a failure to read them is shown and the
// dialog goes on with those read.
// The contact types to choose from; none after a failure shown over the dialog.
std::vector<editing::TypeChoice> TypeChoices(const Context& context, ContactDialog& dialog) {
    std::vector<editing::TypeChoice> choices;
    try {
        editing::LoadTypeChoices(context.path, choices);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(
            &dialog, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Contact Types"),
            MessageIcon::Error);
    }
    return choices;
}

// Shows the dialog in add mode and stores its contact with the person at OK: the new
// contact's identifier, empty when the user cancelled.
RecordId RunAddContact(const Context& context, ContactDialog& dialog, const RecordId& personId) {
    RecordId added;
    dialog.SetSaver([&](const ContactDialog& values) {
        return Saved(context, QT_TRANSLATE_NOOP("platform::MessageBox", "Error Creating Contact"),
                     [&] {
                         added = editing::AddContact(context.path, personId, values.When(),
                                                     values.Description(), values.TypeId());
                     });
    });
    dialog.Start();
    if (dialog.exec() != ContactDialog::Ok) {
        return {};
    }
    return added;
}

}  // namespace

Outcome AddPerson(const Context& context) {
    RecordId added;
    const bool stored = RunSheet(
        context, QT_TRANSLATE_NOOP("record_commands", "Add Address Entry"), help::kPersonTopic,
        PersonRecord(),
        {[&](const PersonRecord& person) { added = editing::AddPerson(context.path, person); },
         {},
         {}});
    if (!stored) {
        return {};
    }
    Outcome outcome;
    outcome.update = ViewUpdate::Reload;
    outcome.selectPerson = added;
    return outcome;
}

Outcome EditPerson(const Context& context) {
    if (context.personId.empty()) {
        return {};
    }
    PersonRecord person;
    try {
        if (!LoadPerson(context.path, context.personId, person)) {
            // Gone since the list was read: the list is brought up to date instead.
            return {ViewUpdate::Reload, {}, {}, std::nullopt, {}};
        }
    } catch (const std::exception& e) {
        // An empty sheet would overwrite the person with nothing at OK.
        ShowDatabaseFailure(context.view, e.what(),
                            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Person"),
                            MessageIcon::Error);
        return {};
    }
    person.id = context.personId;
    Loaded loaded{unseen::Record::Person, editing::RowTable::Person, context.personId, {}};
    RecordId added;
    SheetStore store;
    store.save = [&](const PersonRecord& edited) { editing::UpdatePerson(context.path, edited); };
    // Under a new identifier: the old one may be in another program's undo or sync.
    store.saveAsNew = [&](const PersonRecord& edited) {
        added = editing::AddPerson(context.path, edited);
    };
    store.reload = [&] {
        PersonRecord stored;
        LoadPerson(context.path, context.personId, stored);
        stored.id = context.personId;
        return stored;
    };
    try {
        loaded.Read(context.path);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(context.view, e.what(),
                            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Person"),
                            MessageIcon::Error);
        return {};
    }
    const bool changed =
        RunSheet(context, QT_TRANSLATE_NOOP("record_commands", "Edit Address Entry"),
                 help::kPersonTopic, person, store, &loaded);
    return {changed ? ViewUpdate::Reload : ViewUpdate::None, added, {}, std::nullopt, {}};
}

Outcome DeletePerson(const Context& context) {
    if (context.personRow < 0) {
        return {};
    }
    Outcome outcome;
    try {
        outcome.deleted = editing::DeletePerson(context.path, context.personId);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(nullptr, e.what(),
                            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Deleting Person"),
                            MessageIcon::None);
        return {};
    }
    outcome.update = ViewUpdate::DropPersonAndReload;
    return outcome;
}

Outcome AddContact(const Context& context) {
    if (context.personId.empty()) {
        return {};
    }
    ContactDialog dialog(EditorOwner(context), true);
    dialog.SetTypes(TypeChoices(context, dialog));
    const RecordId added = RunAddContact(context, dialog, context.personId);
    if (added.empty()) {
        return {};
    }
    Outcome outcome;
    outcome.update = ViewUpdate::ReloadContacts;
    outcome.selectContact = added;
    return outcome;
}

Outcome LogContact(const Context& context, const ContactPreset& preset) {
    if (preset.personId.empty()) {
        return {};
    }
    ContactDialog dialog(EditorOwner(context), true);
    const std::vector<editing::TypeChoice> choices = TypeChoices(context, dialog);
    for (const editing::TypeChoice& choice : choices) {
        if (!preset.typeName.empty() &&
            FromStoredText(choice.description)
                    .compare(QString::fromStdString(preset.typeName), Qt::CaseInsensitive) == 0) {
            dialog.SetTypeId(choice.id);
            break;
        }
    }
    dialog.SetTypes(choices);
    dialog.SetWhen(preset.when);
    dialog.SetDescription(preset.description);
    dialog.StartInDescription();
    const RecordId added = RunAddContact(context, dialog, preset.personId);
    if (added.empty()) {
        return {};
    }
    Outcome outcome;
    outcome.update = ViewUpdate::Reload;
    outcome.selectPerson = preset.personId;
    outcome.selectContact = added;
    return outcome;
}

Outcome EditContact(const Context& context) {
    if (context.contactId.empty()) {
        return {};
    }
    const RecordId id = context.contactId;
    ContactDialog dialog(EditorOwner(context), false);
    editing::StoredContact stored;
    Loaded loaded{unseen::Record::Contact, editing::RowTable::Contact, id, {}};
    try {
        if (editing::LoadStoredContact(context.path, id, stored)) {
            dialog.SetWhen(stored.when);
            dialog.SetDescription(stored.description);
            dialog.SetTypeId(stored.typeId);
        }
        loaded.Read(context.path);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(context.view, e.what(),
                            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Contact"),
                            MessageIcon::Error);
        return {};
    }
    dialog.SetTypes(TypeChoices(context, dialog));
    RecordId added;
    dialog.SetSaver([&](const ContactDialog& values) {
        // A date the user did not touch stays as stored, even one that does not read as a date.
        const std::string dtTm = values.WhenChanged() || stored.dtTm.empty()
                                     ? FormatStoredTimeStamp(values.When())
                                     : stored.dtTm;
        bool saved = false;
        return Saved(context, QT_TRANSLATE_NOOP("platform::MessageBox", "Error Changing Contact"),
                     [&] {
                         switch (Check(context, &dialog, &loaded)) {
                             case unseen::Answer::Store:
                                 editing::UpdateContact(context.path, id, dtTm,
                                                        values.Description(), values.TypeId());
                                 saved = true;
                                 break;
                             case unseen::Answer::StoreAsNew:
                                 // A new identifier, as for a person stored again.
                                 added = editing::AddContact(context.path, context.personId,
                                                             values.When(), values.Description(),
                                                             values.TypeId());
                                 saved = true;
                                 break;
                             case unseen::Answer::Reload: {
                                 editing::StoredContact fresh;
                                 editing::LoadStoredContact(context.path, id, fresh);
                                 loaded.Read(context.path);
                                 stored = fresh;
                                 dialog.Reload(fresh.when, fresh.description, fresh.typeId);
                                 break;
                             }
                             case unseen::Answer::Back:
                                 break;
                         }
                     }) &&
               saved;
    });
    dialog.Start();
    return {dialog.exec() == ContactDialog::Ok ? ViewUpdate::ReloadContacts : ViewUpdate::None,
            {},
            added,
            std::nullopt,
            {}};
}

Outcome DeleteContact(const Context& context) {
    if (context.contactRow < 0) {
        return {ViewUpdate::Reload, {}, {}, std::nullopt, {}};
    }
    Outcome outcome;
    try {
        outcome.deleted = editing::DeleteContact(context.path, context.contactId);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(nullptr, e.what(),
                            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Deleting Contact"),
                            MessageIcon::None);
        return {};
    }
    outcome.update = ViewUpdate::DropContactAndReload;
    return outcome;
}

bool LoadUserInformation(const std::string& path, PersonRecord& user) {
    try {
        editing::LoadUserRecord(path, user);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(
            nullptr, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading User Information"),
            MessageIcon::Error);
        return false;
    }
    return true;
}

Outcome EditUser(const Context& context) {
    PersonRecord user;
    if (!LoadUserInformation(context.path, user)) {
        return {};
    }
    // The user table has no Pager; the sheet's greyed field hands back nothing, and nothing is
    // ever written for it.
    user[PersonRecord::Pager].clear();
    Loaded loaded{unseen::Record::User, editing::RowTable::User, user.id, {}};
    SheetStore store;
    store.save = [&](const PersonRecord& edited) { editing::UpdateUser(context.path, edited); };
    // A fresh row is made as on a first load, then takes what was typed.
    store.saveAsNew = [&](const PersonRecord& edited) {
        PersonRecord fresh;
        editing::LoadUserRecord(context.path, fresh);
        PersonRecord typed = edited;
        typed.id = fresh.id;
        editing::UpdateUser(context.path, typed);
    };
    store.reload = [&] {
        PersonRecord fresh;
        editing::LoadUserRecord(context.path, fresh);
        fresh[PersonRecord::Pager].clear();
        loaded.id = fresh.id;
        return fresh;
    };
    try {
        loaded.Read(context.path);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(
            nullptr, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading User Information"),
            MessageIcon::Error);
        return {};
    }
    const bool changed = RunSheet(context, QT_TRANSLATE_NOOP("record_commands", "Edit User"),
                                  help::kUserTopic, user, store, &loaded);
    return {changed ? ViewUpdate::Reload : ViewUpdate::None, {}, {}, std::nullopt, {}};
}

Outcome EditContactTypes(const Context& context) {
    return {RunContactTypes(context.view, context.path) ? ViewUpdate::Reload : ViewUpdate::None,
            {},
            {},
            std::nullopt,
            {}};
}

Outcome UndoDelete(const Context& context, const editing::DeletedRecords& deleted) {
    try {
        editing::RestoreDeleted(context.path, deleted);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(context.view, e.what(),
                            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Undoing Delete"),
                            MessageIcon::Error);
        return {};
    }
    Outcome outcome;
    outcome.update = ViewUpdate::Reload;
    outcome.selectPerson = deleted.personId;
    outcome.selectContact = deleted.contactId;
    return outcome;
}

Outcome UndoMerge(const Context& context, const editing::MergedRecords& merged) {
    try {
        editing::UndoMerge(context.path, merged);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(context.view, e.what(),
                            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Undoing Merge"),
                            MessageIcon::Error);
        return {};
    }
    Outcome outcome;
    outcome.update = ViewUpdate::Reload;
    outcome.selectPerson = merged.kept;
    // The persons the contacts went back to.
    for (const auto& [contact, person] : merged.moved) {
        if (std::find(outcome.changed.begin(), outcome.changed.end(), person) ==
            outcome.changed.end()) {
            outcome.changed.push_back(person);
        }
    }
    return outcome;
}

}  // namespace record_commands
