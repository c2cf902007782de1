#pragma once

#include <map>
#include <string>
#include <vector>

#include "DateTime.h"
#include "PersonRecord.h"

namespace reports {

// A contact as the contacts report prints it.
struct ContactRecord {
    RecordId id;
    RecordId personId;
    DateTime when;  // invalid when DtTm does not read as a date
    std::string description;
    RecordId typeId;
};

// A person of a report dialog's list: the name it shows and the identifier behind it.
struct NameEntry {
    std::string name;
    RecordId id;
};

// What the report dialogs and the report commands read, each on a connection of its own.
// Failures are cppsqlite3::SQLExceptions; what was read before a failure stays in the output.

// "SELECT ID, FName, LName, Company FROM Person": every person's display name, in the order of
// the main list.
void LoadNameList(const std::string& path, std::vector<NameEntry>& names);
// The persons with these identifiers, in this order, each by "SELECT * FROM Person WHERE ID".
void LoadChosenPersons(const std::string& path, const std::vector<RecordId>& ids,
                       std::vector<PersonRecord>& persons);
// "SELECT * FROM Contact ORDER BY DtTm DESC": every contact, newest first.
void LoadAllContacts(const std::string& path, std::vector<ContactRecord>& contacts);

// Which report a dialog chose, and what it prints.
enum class ReportKind { None = 0, AddressBook = 1, Contacts = 2, Envelopes = 3, Activity = 4 };

// Months numbered year × 12 + month − 1, so that they count and subtract as numbers.
int MonthNumber(int year, int month);
int YearOf(int monthNumber);
int MonthOf(int monthNumber);  // 1 to 12
// The month a date falls in; -1 for the invalid date.
int MonthOfDate(DateTime when);

// The months from first to last, both included.
struct MonthSpan {
    int first = 0;
    int last = -1;
    int Count() const { return last >= first ? last - first + 1 : 0; }
    bool Holds(int month) const { return month >= first && month <= last; }
};

struct EnvelopeOptions {
    bool recipientTitle = false;
    bool recipientCompany = false;
    bool recipientPosition = false;
    bool returnTitle = false;
    bool returnCompany = false;
    bool returnPosition = false;
};

struct ReportRequest {
    ReportKind kind = ReportKind::None;
    std::vector<PersonRecord> persons;
    // Contacts report.
    std::vector<ContactRecord> contacts;
    DateTime beginning;
    DateTime ending;
    // Envelopes.
    PersonRecord user;
    EnvelopeOptions options;
    // Contact activity: the months charted, and the contact types by identifier (the contacts
    // above are those of the persons within the months).
    MonthSpan span;
    std::map<RecordId, std::string> types;
};

// The chart's contacts and types for the persons and months of the request: every contact read,
// those of the persons within the months kept, and every contact type. Failures are
// SQLExceptions; reading tells which read was under way, the contacts or their types.
enum class ActivityRead { Contacts, Types };
void LoadActivity(const std::string& path, ReportRequest& request, ActivityRead& reading);

}  // namespace reports
