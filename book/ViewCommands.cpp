#include "ViewCommands.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>

#include <exception>
#include <functional>
#include <map>
#include <optional>

#include "AddressBook.h"
#include "Commands.h"
#include "DuplicateFinding.h"
#include "DuplicatesDialog.h"
#include "MainView.h"
#include "MessageBox.h"
#include "PersonMerging.h"
#include "RecordCommands.h"
#include "StoredText.h"
#include "ValueActions.h"

namespace book {

namespace {

using record_commands::Context;
using record_commands::Outcome;
using record_commands::ViewUpdate;

// The status-bar texts of the commands.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(book::ViewCommands)
};

// Gives the keyboard focus back to the control that had it when the command began.
class FocusKeeper {
public:
    FocusKeeper() : widget_(QApplication::focusWidget()) {}
    ~FocusKeeper() {
        if (widget_) {
            widget_->setFocus();
        }
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QPointer<QWidget> widget_;
};

Outcome LogLastCall(MainView& view, const Context& context) {
    const Outcome outcome = record_commands::LogContact(context, *view.LastContact());
    if (outcome.update != ViewUpdate::None) {
        // Logged once; the next call is the next to log.
        view.SetLastContact(std::nullopt);
    }
    return outcome;
}

Outcome UndoLastDelete(MainView& view, const Context& context) {
    const editing::DeletedRecords restored = view.Deletes().back();
    if (restored.merge) {
        const Outcome outcome = record_commands::UndoMerge(context, *restored.merge);
        if (outcome.update != ViewUpdate::None) {
            view.Deletes().pop_back();
            view.ShowStatus(Texts::tr("The merge into %1 is undone: every person is back.")
                                .arg(FromStoredText(restored.merge->name)));
        }
        return outcome;
    }
    const Outcome outcome = record_commands::UndoDelete(context, restored);
    if (outcome.update != ViewUpdate::None) {
        view.Deletes().pop_back();
        view.ShowStatus(
            restored.person.empty()
                ? Texts::tr("The contact with %1 is back.").arg(FromStoredText(restored.name))
                : Texts::tr("%1 is back with %2 contacts.")
                      .arg(FromStoredText(restored.name))
                      .arg(restored.contacts.size()));
    }
    return outcome;
}

// The dialog of the groups, each merge or "not duplicates" stored as the user asks for it;
// every merge goes on the undo list.
Outcome Review(MainView& view, const Context& context,
               const std::vector<duplicates::Group>& groups) {
    std::map<RecordId, PersonRecord> persons;
    for (const duplicates::Group& group : groups) {
        for (const RecordId& id : group.persons) {
            LoadPerson(context.path, id, persons[id]);
        }
    }
    DuplicatesDialog dialog(context.view, groups, persons);
    Outcome outcome;
    int merges = 0;
    // A failure is told over the dialog, which stays open with the group.
    const auto guarded = [&dialog](const std::function<void()>& work) {
        try {
            work();
        } catch (const std::exception& e) {
            platform::ShowDatabaseFailure(
                &dialog, e.what(),
                QT_TRANSLATE_NOOP("platform::MessageBox", "Error Merging Persons"),
                platform::MessageIcon::Error);
        }
    };
    QObject::connect(&dialog, &DuplicatesDialog::MergeRequested, &dialog, [&](int group) {
        guarded([&] {
            editing::DeletedRecords undo;
            undo.merge = editing::MergePersons(context.path, dialog.Kept(), dialog.Fields(),
                                               dialog.Others());
            undo.personId = undo.merge->kept;
            undo.name = undo.merge->name;
            view.Deletes().push_back(undo);
            outcome.update = ViewUpdate::Reload;
            outcome.selectPerson = undo.merge->kept;
            outcome.changed.push_back(undo.merge->kept);
            ++merges;
            dialog.Drop(group);
        });
    });
    QObject::connect(&dialog, &DuplicatesDialog::DistinctRequested, &dialog, [&](int group) {
        guarded([&] {
            duplicates::MarkDistinct(context.path, groups[static_cast<size_t>(group)].persons);
            dialog.Drop(group);
        });
    });
    dialog.exec();
    if (merges > 0) {
        view.ShowStatus(
            merges == 1 ? Texts::tr("Merged 1 group. Ctrl+Z puts it back.")
                        : Texts::tr("Merged %1 groups. Ctrl+Z puts the last back.").arg(merges));
    }
    return outcome;
}

// Edit, Find Duplicates: every group of the book.
Outcome FindDuplicates(MainView& view, const Context& context) {
    const std::vector<duplicates::Group> groups = duplicates::FindInBook(context.path);
    if (groups.empty()) {
        platform::ShowMessage(context.view,
                              Texts::tr("No persons in the book look like one person twice."),
                              Texts::tr("Find Duplicates"), platform::MessageIcon::Information);
        return {};
    }
    return Review(view, context, groups);
}

struct ViewCommand {
    int command;
    Outcome (*run)(MainView& view, const Context& context);
    // The focus goes back where the command found it, after the view is up to date.
    bool keepsFocus;
    // What a failure the command did not expect is shown under, marked as
    // ShowDatabaseFailure's.
    const char* caption;
};

template <Outcome (*Run)(const Context&)>
Outcome Plain(MainView&, const Context& context) {
    return Run(context);
}

const ViewCommand kCommands[] = {
    {cmd::kAddPerson, Plain<record_commands::AddPerson>, true,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Adding Person")},
    {cmd::kEditPerson, Plain<record_commands::EditPerson>, true,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Editing Person")},
    {cmd::kDeletePerson, Plain<record_commands::DeletePerson>, true,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Deleting Person")},
    {cmd::kAddContact, Plain<record_commands::AddContact>, true,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Creating Contact")},
    {cmd::kEditContact, Plain<record_commands::EditContact>, true,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Changing Contact")},
    {cmd::kDeleteContact, Plain<record_commands::DeleteContact>, true,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Deleting Contact")},
    {cmd::kEditUser, Plain<record_commands::EditUser>, false,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Updating User Information")},
    {cmd::kContactTypes, Plain<record_commands::EditContactTypes>, false,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Contact Types")},
    {cmd::kUndoDelete, UndoLastDelete, true,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Undoing Delete")},
    {cmd::kLogLastCall, LogLastCall, true,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Creating Contact")},
    {cmd::kFindDuplicates, FindDuplicates, false,
     QT_TRANSLATE_NOOP("platform::MessageBox", "Error Merging Persons")},
};

const ViewCommand* Find(int command) {
    for (const ViewCommand& entry : kCommands) {
        if (entry.command == command) {
            return &entry;
        }
    }
    return nullptr;
}

// What a delete took away goes on the view's undo list, and the status bar says so.
void Remember(MainView& view, const editing::DeletedRecords& deleted) {
    view.Deletes().push_back(deleted);
    view.ShowStatus(deleted.person.empty()
                        ? Texts::tr("Deleted a contact with %1. Ctrl+Z brings it back.")
                              .arg(FromStoredText(deleted.name))
                        : Texts::tr("Deleted %1 and %2 contacts. Ctrl+Z brings them back.")
                              .arg(FromStoredText(deleted.name))
                              .arg(deleted.contacts.size()));
}

}  // namespace

bool IsViewCommand(int command) {
    return command == cmd::kFind || Find(command) != nullptr;
}

bool RunViewCommand(MainView& view, int command) {
    if (command == cmd::kFind) {
        view.FocusSearch();
        return true;
    }
    const ViewCommand* entry = Find(command);
    if (!entry) {
        return false;
    }
    // Keys and menus follow the same availability.
    if (!IsAvailable(command, view.State())) {
        return true;
    }
    std::optional<FocusKeeper> focus;
    if (entry->keepsFocus) {
        focus.emplace();
    }
    try {
        const Outcome outcome = entry->run(view, view.CommandContext());
        if (outcome.deleted) {
            Remember(view, *outcome.deleted);
        }
        view.Apply(outcome);
    } catch (const std::exception& e) {
        // The file is as the command found it or as far as one transaction got: read it again.
        platform::ShowDatabaseFailure(&view, e.what(), entry->caption,
                                      platform::MessageIcon::Error);
        view.Reload();
    }
    return true;
}

void ReviewDuplicates(MainView& view, const std::vector<duplicates::Group>& groups) {
    if (groups.empty()) {
        return;
    }
    try {
        view.Apply(Review(view, view.CommandContext(), groups));
    } catch (const std::exception& e) {
        platform::ShowDatabaseFailure(
            &view, e.what(), QT_TRANSLATE_NOOP("platform::MessageBox", "Error Merging Persons"),
            platform::MessageIcon::Error);
        view.Reload();
    }
}

void NoteValueUsed(MainView& view, int control, const QString& value) {
    if (view.CurrentPersonId().empty() || value.isEmpty()) {
        return;
    }
    record_commands::ContactPreset preset;
    preset.personId = view.CurrentPersonId();
    preset.typeName = IsPhoneButton(control) ? "Telephone" : control == kEmailButton ? "Email" : "";
    preset.when = FromLocalNow();
    preset.description = ToStoredText(value) + ": ";
    view.SetLastContact(preset);
    view.ShowStatus(Texts::tr("Log this contact (Ctrl+L)"));
}

}  // namespace book
