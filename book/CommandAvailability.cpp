#include "CommandAvailability.h"

#include "Commands.h"

namespace book {

namespace {

struct Entry {
    int command;
    Needs needs;
};

const Entry kTable[] = {
    {cmd::kAddPerson, Needs::File},         {cmd::kEditUser, Needs::File},
    {cmd::kContactTypes, Needs::File},      {cmd::kImportVCard, Needs::File},
    {cmd::kEditPerson, Needs::Person},      {cmd::kDeletePerson, Needs::Person},
    {cmd::kAddContact, Needs::Person},      {cmd::kAddressBookReport, Needs::Person},
    {cmd::kEnvelopesReport, Needs::Person}, {cmd::kExportPersons, Needs::Person},
    {cmd::kExportVCard, Needs::Person},     {cmd::kEditContact, Needs::Contact},
    {cmd::kDeleteContact, Needs::Contact},  {cmd::kContactsReport, Needs::Contact},
    {cmd::kExportContacts, Needs::Contact}, {cmd::kUndoDelete, Needs::Undo},
    {cmd::kLogLastCall, Needs::LastCall},   {cmd::kFind, Needs::File},
    {cmd::kFindDuplicates, Needs::File},    {cmd::kActivityReport, Needs::Person},
};

}  // namespace

Needs NeedsOf(int command) {
    for (const Entry& entry : kTable) {
        if (entry.command == command) {
            return entry.needs;
        }
    }
    return Needs::Nothing;
}

bool RulesCommand(int command) {
    return NeedsOf(command) != Needs::Nothing;
}

bool IsAvailable(int command, const ViewState& state) {
    switch (NeedsOf(command)) {
        case Needs::Nothing:
            return true;
        case Needs::File:
            return state.file;
        case Needs::Person:
            return state.person;
        case Needs::Contact:
            return state.contact;
        case Needs::Undo:
            return state.undo;
        case Needs::LastCall:
            return state.lastCall && state.file;
    }
    return false;
}

bool ChangesRecords(int command) {
    switch (command) {
        case cmd::kAddContact:
        case cmd::kAddPerson:
        case cmd::kDeleteContact:
        case cmd::kDeletePerson:
        case cmd::kEditPerson:
        case cmd::kEditContact:
        case cmd::kFindDuplicates:
            return true;
        default:
            return false;
    }
}

}  // namespace book
