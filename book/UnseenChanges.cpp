#include "UnseenChanges.h"

#include <QCoreApplication>

#include "MessageBox.h"

namespace unseen {

namespace {

QString ChangedText(Record record) {
    switch (record) {
        case Record::Person:
            return QCoreApplication::translate(
                "unseen", "This person was changed by another program while you edited it.");
        case Record::Contact:
            return QCoreApplication::translate(
                "unseen", "This contact was changed by another program while you edited it.");
        case Record::ContactType:
            return QCoreApplication::translate(
                "unseen", "This contact type was changed by another program while you edited it.");
        case Record::User:
            break;
    }
    return QCoreApplication::translate(
        "unseen", "Your own record was changed by another program while you edited it.");
}

QString DeletedText(Record record) {
    switch (record) {
        case Record::Person:
            return QCoreApplication::translate(
                "unseen",
                "This person was deleted by another program while you edited it. Store "
                "it again as a new record?");
        case Record::Contact:
            return QCoreApplication::translate(
                "unseen",
                "This contact was deleted by another program while you edited it. Store "
                "it again as a new record?");
        case Record::ContactType:
            return QCoreApplication::translate(
                "unseen",
                "This contact type was deleted by another program while you edited it. "
                "Store it again as a new record?");
        case Record::User:
            break;
    }
    return QCoreApplication::translate(
        "unseen",
        "Your own record was deleted by another program while you edited it. Store it "
        "again as a new record?");
}

}  // namespace

Answer Ask(QWidget* owner, const QString& caption, Record record, editing::StoredState state) {
    using platform::MessageResult;
    switch (state) {
        case editing::StoredState::AsLoaded:
            return Answer::Store;
        case editing::StoredState::Deleted:
            return platform::ShowMessage(owner, DeletedText(record), caption,
                                         platform::MessageIcon::Question,
                                         platform::MessageButtons::YesNo) == MessageResult::Yes
                       ? Answer::StoreAsNew
                       : Answer::Back;
        case editing::StoredState::Changed:
            break;
    }
    const MessageResult result =
        platform::AskChoice(owner, ChangedText(record), caption, platform::MessageIcon::Warning,
                            {QCoreApplication::translate("unseen", "&Overwrite"),
                             QCoreApplication::translate("unseen", "&Reload")});
    if (result == MessageResult::FirstChoice) {
        return Answer::Store;
    }
    return result == MessageResult::SecondChoice ? Answer::Reload : Answer::Back;
}

}  // namespace unseen
