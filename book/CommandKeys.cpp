#include "CommandKeys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>

#include "CommandAvailability.h"
#include "Commands.h"
#include "MainView.h"

void CommandKeys::Install(MainView& view, Run run) {
    new CommandKeys(view, std::move(run));
}

CommandKeys::CommandKeys(MainView& view, Run run)
    : QObject(&view),
      view_(view),
      run_(std::move(run)),
      search_(view.SearchField()),
      persons_(view.PersonList()),
      contacts_(view.ContactList()) {
    QTreeView* persons = view.PersonList();
    QTreeView* contacts = view.ContactList();
    for (QObject* watched :
         {static_cast<QObject*>(persons), static_cast<QObject*>(contacts),
          static_cast<QObject*>(persons->viewport()), static_cast<QObject*>(contacts->viewport()),
          static_cast<QObject*>(view.SearchField())}) {
        watched->installEventFilter(this);
    }
    connect(persons, &QTreeView::doubleClicked, this, [this] {
        if (view_.SelectedPersonRow() >= 0) {
            Send(cmd::kEditPerson);
        }
    });
    connect(contacts, &QTreeView::doubleClicked, this, [this] {
        if (view_.SelectedContactRow() >= 0) {
            Send(cmd::kEditContact);
        }
    });
}

void CommandKeys::Send(int command) {
    if (book::IsAvailable(command, view_.State())) {
        run_(command);
    }
}

bool CommandKeys::ListKey(bool persons, QEvent* event) {
    const bool selected =
        persons ? view_.SelectedPersonRow() >= 0 : view_.SelectedContactRow() >= 0;
    const int edit = persons ? cmd::kEditPerson : cmd::kEditContact;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        // Ctrl pressed and released alone opens the editor; Ctrl as part of a shortcut does not.
        if (key->key() == Qt::Key_Control && ctrlAlone_ && !key->isAutoRepeat()) {
            ctrlAlone_ = false;
            if (selected) {
                Send(edit);
            }
            return true;
        }
        return false;
    }
    if (key->key() == Qt::Key_Control) {
        ctrlAlone_ = !key->isAutoRepeat() || ctrlAlone_;
        return false;
    }
    ctrlAlone_ = false;
    switch (key->key()) {
        case Qt::Key_Delete:
            // A key held down deletes once: its repeats do not run through the book.
            if (selected && !key->isAutoRepeat()) {
                Send(persons ? cmd::kDeletePerson : cmd::kDeleteContact);
            }
            return true;
        case Qt::Key_Insert:
            Send(persons ? cmd::kAddPerson : cmd::kAddContact);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F2:
            if (selected && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                Send(edit);
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool CommandKeys::SearchKey(QEvent* event) {
    QLineEdit* search = view_.SearchField();
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Escape:
            if (search->text().isEmpty()) {
                return false;
            }
            search->clear();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Opens the person found, as Enter in the list does.
            if (view_.SelectedPersonRow() >= 0) {
                Send(cmd::kEditPerson);
            }
            return true;
        case Qt::Key_Down:
            view_.PersonList()->setFocus();
            return true;
        default:
            return false;
    }
}

bool CommandKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Compared with the pointers kept, not asked of the view: the lists send their last events
    // while the view is being destroyed.
    if (watched == search_) {
        return type == QEvent::KeyPress && SearchKey(event);
    }
    const bool persons = watched == persons_;
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
        (persons || watched == contacts_)) {
        return ListKey(persons, event);
    }
    // A click while Ctrl is down is a selection, not the lone Ctrl that opens the editor; nor
    // is Ctrl alone when a shortcut such as Ctrl+Z took the key before the list saw it.
    if (type == QEvent::MouseButtonPress || type == QEvent::FocusOut ||
        (type == QEvent::ShortcutOverride &&
         static_cast<QKeyEvent*>(event)->key() != Qt::Key_Control)) {
        ctrlAlone_ = false;
    }
    return false;
}
