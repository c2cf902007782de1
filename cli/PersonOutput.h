#pragma once

#include <string>

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "AddressBook.h"
#include "PersonRecord.h"

// How tidemark-cli writes persons and their contacts: lines for the shell, JSON for scripts.
class PersonOutput {
    Q_DECLARE_TR_FUNCTIONS(PersonOutput)

public:
    // A stored field on one line of tab-separated text: tabs and line breaks become spaces.
    static QString OneLine(const std::string& stored);
    // Record id, display name, company, e-mail and work phone, tab-separated.
    static QString ListLine(const PersonRecord& person);
    // The identifier, the display name and every field by its column name.
    static QJsonObject Json(const PersonRecord& person);
    // The same with the contacts, as the list gives them.
    static QJsonObject Json(const PersonRecord& person, const ContactRowList& contacts);
    // Every field that is filled in, under its caption, then the contacts as the list gives them.
    static QString Text(const PersonRecord& person, const ContactRowList& contacts);
    // The addresses of an e-mail field: one, or several separated by commas, semicolons or
    // spaces.
    static QStringList EmailAddresses(const std::string& stored);
    // The caption of a field.
    static QString Caption(PersonRecord::Field field);
};
