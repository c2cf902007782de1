#pragma once

#include <string>
#include <vector>

#include "DateTime.h"
#include "PersonRecord.h"

// The reads behind the main view, with no window: each opens the given database file, runs its
// query and closes it again. Failures are SQLExceptions; what was read before a failure stays
// in the output.

enum class PersonOrder { ByName, ByCompany };
enum class ContactOrder { ByDate, ByType };

struct PersonRow {
    std::string name;  // the display name
    std::string company;
    RecordId id;
};

struct ContactRow {
    std::string date;  // empty when DtTm is not a date
    std::string time;
    std::string type;
    std::string notes;
    RecordId id;
};

struct ContactDetails {
    std::string notes;
    DateTime when;
    std::string type;
    RecordId id;
    RecordId typeId;
};

// reversed: the other way round (a second click on the list's column).
std::string PersonListQuery(PersonOrder order, bool reversed = false);
std::string ContactListQuery(const RecordId& personId, ContactOrder order, bool reversed = false);

void LoadPersonList(const std::string& path, PersonOrder order, std::vector<PersonRow>& rows,
                    bool reversed = false);
// False when no person has the identifier.
bool LoadPerson(const std::string& path, const RecordId& id, PersonRecord& person);
void LoadContactList(const std::string& path, const RecordId& personId, ContactOrder order,
                     std::vector<ContactRow>& rows, bool reversed = false);
bool LoadContact(const std::string& path, const RecordId& id, ContactDetails& contact);

// The work phone as the details panel shows and dials it: "555-1234x12" with an extension;
// empty when there is no work phone, even with an extension.
std::string WorkPhoneText(const std::string& phone, const std::string& extension);
