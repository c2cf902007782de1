#include "AddressBook.h"

#include "Database.h"

using cppsqlite3::Database;
using cppsqlite3::Query;

std::string PersonListQuery(PersonOrder order, bool reversed) {
    if (reversed) {
        return order == PersonOrder::ByName
                   ? "SELECT ID, FName, LName, Company FROM Person ORDER BY LName DESC, FName DESC"
                   : "SELECT ID, FName, LName, Company FROM Person ORDER BY Company DESC";
    }
    return order == PersonOrder::ByName
               ? "SELECT ID, FName, LName, Company FROM Person ORDER BY LName, FName"
               : "SELECT ID, FName, LName, Company FROM Person ORDER BY Company";
}

std::string ContactListQuery(const RecordId& personId, ContactOrder order, bool reversed) {
    if (reversed) {
        return "SELECT Contact.DtTm, Contact.Description, Contact.ID, ContactType.Description AS "
               "TypeDescription FROM Contact, ContactType WHERE PersonID = '" +
               QuoteSqlText(personId) + "' AND Contact.ContactTypeID = ContactType.ID" +
               (order == ContactOrder::ByDate ? " ORDER BY +DtTm"
                                              : " ORDER BY TypeDescription DESC, +DtTm DESC");
    }
    return "SELECT Contact.DtTm, Contact.Description, Contact.ID, ContactType.Description AS "
           "TypeDescription FROM Contact, ContactType WHERE PersonID = '" +
           QuoteSqlText(personId) + "' AND Contact.ContactTypeID = ContactType.ID" +
           // The unary plus keeps the engine from walking the whole date index to find one
           // person's few contacts; the order is the same.
           (order == ContactOrder::ByDate ? " ORDER BY +DtTm DESC"
                                          : " ORDER BY TypeDescription, +DtTm DESC");
}

std::string PersonRowList::Name(size_t row) const {
    return PersonDisplayName(Field(row, FNameField), Field(row, LNameField),
                             Field(row, CompanyField));
}

PersonRow PersonRowList::operator[](size_t row) const {
    return {Name(row), std::string(Company(row)), std::string(Id(row))};
}

int PersonRowList::Find(const RecordId& id) const {
    for (size_t row = 0; row < size(); ++row) {
        if (Id(row) == id) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

DateTime ContactRowList::When(size_t row) const {
    return ParseDateTime(std::string(Field(row, DtTmField)));
}

ContactRow ContactRowList::operator[](size_t row) const {
    const DateTime when = When(row);
    return {FormatDisplayDate(when), FormatDisplayTime(when), std::string(Type(row)),
            std::string(Notes(row)), std::string(Id(row)),    when};
}

int ContactRowList::Find(const RecordId& id) const {
    for (size_t row = 0; row < size(); ++row) {
        if (Id(row) == id) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

void LoadPersonList(const std::string& path, PersonOrder order, PersonRowList& rows,
                    bool reversed) {
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery(PersonListQuery(order, reversed));
    while (q.Next()) {
        rows.Append({q.GetText(1), q.GetText(2), q.GetText(3), q.GetText(4)});
    }
}

bool LoadPerson(const std::string& path, const RecordId& id, PersonRecord& person) {
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery("SELECT * FROM Person WHERE ID = '" +
                                                 QuoteSqlText(id) + "'");
    bool found = false;
    while (q.Next()) {
        person = ReadPersonRow(q);
        found = true;
    }
    return found;
}

void LoadContactList(const std::string& path, const RecordId& personId, ContactOrder order,
                     ContactRowList& rows, bool reversed) {
    if (personId.empty()) {
        return;
    }
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery(ContactListQuery(personId, order, reversed));
    while (q.Next()) {
        rows.Append({q.GetText(1), q.GetText(2), q.GetText(3), q.GetText(4)});
    }
}

std::string WorkPhoneText(const std::string& phone, const std::string& extension) {
    if (phone.empty()) {
        return std::string();
    }
    return extension.empty() ? phone : phone + "x" + extension;
}
