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

void LoadPersonList(const std::string& path, PersonOrder order, std::vector<PersonRow>& rows,
                    bool reversed) {
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery(PersonListQuery(order, reversed));
    while (q.Next()) {
        PersonRow row;
        row.id = q.GetString(1);
        row.company = q.GetString(4);
        row.name = PersonDisplayName(q.GetString(2), q.GetString(3), row.company);
        rows.push_back(std::move(row));
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
                     std::vector<ContactRow>& rows, bool reversed) {
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery(ContactListQuery(personId, order, reversed));
    while (q.Next()) {
        const DateTime when = ParseDateTime(q.GetString(1));
        rows.push_back({FormatDisplayDate(when), FormatDisplayTime(when), q.GetString(4),
                        q.GetString(2), q.GetString(3)});
    }
}

bool LoadContact(const std::string& path, const RecordId& id, ContactDetails& contact) {
    Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    st.Execute("BEGIN");
    const std::string blanks(21, ' ');
    Query& q = st.ExecuteQuery("SELECT Contact.Description, Contact.DtTm, " + blanks +
                               "ContactType.Description AS TypeDesc, Contact.ID, " + blanks +
                               "Contact.ContactTypeID FROM Contact, ContactType " + blanks +
                               "WHERE Contact.ID = '" + QuoteSqlText(id) + "' AND " + blanks +
                               "Contact.ContactTypeID = ContactType.ID");
    bool found = false;
    while (q.Next()) {
        contact = {q.GetString(1), ParseDateTime(q.GetString(2)), q.GetString(3), q.GetString(4),
                   q.GetString(5)};
        found = true;
    }
    st.CloseQuery();
    st.Execute("END");
    return found;
}

std::string WorkPhoneText(const std::string& phone, const std::string& extension) {
    if (phone.empty()) {
        return std::string();
    }
    return extension.empty() ? phone : phone + "x" + extension;
}
