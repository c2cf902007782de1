#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "PersonRecord.h"

namespace transfer {

// One card read: the person's 17 fields as stored text (UTF-8, CR LF between lines of Addr),
// person.id left empty; uid: the card's UID value as written (may be empty).
struct VCardPerson {
    PersonRecord person;
    std::string uid;
};

struct VCardReadResult {
    // False when the bytes hold no card at all (no BEGIN:VCARD line): not a vCard file.
    bool isVCard = false;
    // The cards with a name or an organisation, in file order.
    std::vector<VCardPerson> persons;
    // Cards with no name (N, FN) and no organisation (ORG): counted, not in persons.
    int nameless = 0;
};

// The cards of a vCard file of version 2.1, 3.0 or 4.0, given its raw bytes. A UTF-8 mark is
// skipped; a file that starts with a UTF-16 mark is read as UTF-16.
VCardReadResult ReadVCards(std::string_view bytes);

// Appends one card of vCard 3.0 for the person (fields in stored text, possibly Windows-1252),
// UTF-8, CR LF line ends, folded at 75 bytes.
void AppendVCard(std::string& out, const PersonRecord& person);
// The same for a person's identifier and fields as they stand in a query's row, uncopied.
void AppendVCard(std::string& out, std::string_view id,
                 const std::string_view (&fields)[PersonRecord::FieldCount]);

}  // namespace transfer
