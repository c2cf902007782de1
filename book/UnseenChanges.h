#pragma once

#include <QString>

#include "RecordEditing.h"

class QWidget;

// The question an editor's OK asks when another program wrote its record since it was loaded.
namespace unseen {

enum class Record { Person, Contact, ContactType, User };

enum class Answer {
    Store,       // what was typed goes over what the other program wrote
    Reload,      // the editor shows the stored values, nothing typed is kept
    Back,        // back to the editor as it was
    StoreAsNew,  // the record was deleted: what was typed becomes a new one
};

// Asks only when the record is not as loaded; Store without a question when it is.
Answer Ask(QWidget* owner, const QString& caption, Record record, editing::StoredState state);

}  // namespace unseen
