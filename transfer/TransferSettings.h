#pragma once

#include <string>
#include <vector>

#include "PersonRecord.h"

namespace transfer {

enum class TransferKind { ExportPersons, ExportContacts, ImportPersons };

// What the transfer wizard's pages fill in for one export or import, and what the export or
// import then reads. Texts are UTF-8; the file path is in the local 8-bit encoding.
struct TransferSettings {
    TransferKind kind = TransferKind::ExportPersons;
    // The fields offered on the Fields page, in this order.
    std::vector<std::string> availableFields;
    // Export: the names of the checked fields in list order. Import: one entry per column of
    // the file, the person field assigned to it or empty when the column is not imported.
    std::vector<std::string> selectedFields;
    // Import: the fields of the file's first line.
    std::vector<std::string> columnLabels;
    // Import: the fields that must be assigned before the wizard may finish.
    std::vector<std::string> requiredFields;
    // Export: the fields ticked when the Fields page comes up.
    std::vector<std::string> checkedAtStart;
    bool firstLineHasNames = true;
    std::string encloser;   // "\"", "'" or empty
    std::string separator;  // ",", ";", "|", " " or "\t"
    std::string filePath;
    int availableCount = 0;
    int columnCount = 0;
    // The heading of the Fields page's list ("Persons Fields"), in English; the page translates
    // it in the "transfer::FieldsPage" context.
    std::string listHeading;
    // Import: the first line of the file that is not blank, read in the encoding.
    std::string firstLine;
    // Import: the encoding the file is read in (a name Qt's converters know); empty to tell it
    // from the file's bytes.
    std::string encoding;
    // Import: the start of the file as it is, for the Document Structure page to read again
    // when another encoding is chosen.
    std::string fileStart;
    // Export: the file starts with the UTF-8 byte-order mark that spreadsheet programs look for.
    bool utf8Mark = false;
    // Person export while the list is filtered: the persons it shows, offered as the only ones
    // to export; onlyShown when the user takes the offer.
    std::vector<RecordId> shownPersons;
    bool onlyShown = false;

    bool IsImport() const { return kind == TransferKind::ImportPersons; }
    char Separator() const { return separator.empty() ? ',' : separator[0]; }
    // 0 when the fields are not enclosed.
    char Encloser() const { return encloser.empty() ? '\0' : encloser[0]; }

    // Import: the column labels and their count, as the separator and encloser split the first
    // line.
    void TakeColumnsFromFirstLine();

    static TransferSettings ForPersonExport();
    static TransferSettings ForContactExport();
    static TransferSettings ForPersonImport();
};

// A name of the person lists and the field of PersonRecord it stands for.
struct PersonFieldName {
    const char* name;
    PersonRecord::Field field;
};

// The person export's fields, in the order of its list and its lines.
extern const PersonFieldName kPersonExportFields[PersonRecord::FieldCount];
// The person import's fields, in the order of its list (that of the Person table).
extern const PersonFieldName kPersonImportFields[PersonRecord::FieldCount];

// The person field an import field name stands for; FieldCount for any other name.
PersonRecord::Field ImportField(const std::string& name);

}  // namespace transfer
