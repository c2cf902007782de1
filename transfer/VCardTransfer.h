#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <QString>

#include "Export.h"
#include "VCard.h"

// File, Import, vCard and File, Export, vCard without their dialogs: the address book's persons
// as a vCard file, and a vCard file's cards as persons.
namespace transfer {

// What becomes of a card whose UID is the identifier of a person already in the file.
enum class KnownCards { Update, Skip, AddAsNew };

// A vCard file read and looked at, before anything is stored.
struct VCardImportPlan {
    enum class Outcome {
        Ready,            // persons and nameless say what the file holds (perhaps nothing)
        NotRead,          // message: the system's reason
        NotVCard,         // the file holds no card at all
        DatabaseFailure,  // message: the failure's
    };
    Outcome outcome = Outcome::Ready;
    std::string message;
    std::vector<VCardPerson> persons;
    int nameless = 0;
    // For each person: their card's UID names a person already in the file.
    std::vector<bool> known;
    int KnownCount() const {
        return static_cast<int>(std::count(known.begin(), known.end(), true));
    }
};

VCardImportPlan PlanVCardImport(const std::string& databasePath, const std::string& filePath);

struct VCardImportResult {
    enum class Outcome {
        Imported,
        DatabaseFailure,  // message: the failure's; nothing was stored
    };
    Outcome outcome = Outcome::Imported;
    int added = 0;
    int updated = 0;
    int skipped = 0;
    std::string message;
};

// Stores the plan's persons in one transaction. A new person keeps their card's UID as
// identifier when it has the form of one and no other person has it, so that the same card
// read again later is known; otherwise they get a new identifier.
VCardImportResult ImportVCards(const std::string& databasePath, const VCardImportPlan& plan,
                               KnownCards known);

// The closing message of a vCard import: how many were added, then each further count on a line
// of its own.
QString VCardImportMessage(const VCardImportResult& result, int nameless);

// The persons of the file as vCard 3.0 text, in the order of the table; only those in only
// when it is given. Empty when there is no such person. Throws cppsqlite3::SQLException.
std::string VCardsText(const std::string& databasePath, const std::vector<RecordId>* only,
                       int& records);

// The export command's work: the text, then the file.
ExportResult ExportVCards(const std::string& databasePath, const std::string& filePath,
                          const std::vector<RecordId>* only = nullptr);

}  // namespace transfer
