#include "TransferSettings.h"

#include <QtGlobal>

#include <string_view>

#include "LineTokenizer.h"

namespace transfer {

using P = PersonRecord;

const PersonFieldName kPersonExportFields[P::FieldCount] = {
    {"Title", P::Title},       {"FirstName", P::FName},   {"LastName", P::LName},
    {"Company", P::Company},   {"Position", P::Position}, {"Address", P::Addr},
    {"City", P::City},         {"State", P::State},       {"ZipCode", P::Zip},
    {"HomePhone", P::HmPhone}, {"WorkPhone", P::WkPhone}, {"WorkExtension", P::WkExt},
    {"Fax", P::WkFax},         {"Pager", P::Pager},       {"CelPhone", P::CelPhone},
    {"E-Mail", P::Email},      {"WebPage", P::WebPage},
};

const PersonFieldName kPersonImportFields[P::FieldCount] = {
    {"Title", P::Title},       {"FirstName", P::FName},   {"LastName", P::LName},
    {"Company", P::Company},   {"Position", P::Position}, {"Address", P::Addr},
    {"City", P::City},         {"State", P::State},       {"ZipCode", P::Zip},
    {"HomePhone", P::HmPhone}, {"WorkPhone", P::WkPhone}, {"WorkExtension", P::WkExt},
    {"CelPhone", P::CelPhone}, {"Pager", P::Pager},       {"Fax", P::WkFax},
    {"Email", P::Email},       {"WebPage", P::WebPage},
};

namespace {

TransferSettings Make(TransferKind kind, std::vector<std::string> fields, const char* heading) {
    TransferSettings settings;
    settings.kind = kind;
    settings.availableCount = static_cast<int>(fields.size());
    settings.selectedFields.assign(fields.size(), std::string());
    settings.availableFields = std::move(fields);
    settings.listHeading = heading;
    return settings;
}

template <size_t N>
std::vector<std::string> Names(const PersonFieldName (&table)[N]) {
    std::vector<std::string> names;
    for (const PersonFieldName& entry : table) {
        names.emplace_back(entry.name);
    }
    return names;
}

}  // namespace

TransferSettings TransferSettings::ForPersonExport() {
    TransferSettings settings = Make(TransferKind::ExportPersons, Names(kPersonExportFields),
                                     QT_TRANSLATE_NOOP("transfer::FieldsPage", "Persons Fields"));
    settings.requiredFields = {"LastName"};
    return settings;
}

TransferSettings TransferSettings::ForContactExport() {
    TransferSettings settings =
        Make(TransferKind::ExportContacts,
             {"FirstName", "LastName", "Company", "Date", "Time", "Description", "ContactType"},
             QT_TRANSLATE_NOOP("transfer::FieldsPage", "Contacts Fields"));
    settings.requiredFields = {"LastName", "Description"};
    // Whose a contact is, also for a company without a person's name.
    settings.checkedAtStart = {"Company"};
    return settings;
}

TransferSettings TransferSettings::ForPersonImport() {
    TransferSettings settings = Make(TransferKind::ImportPersons, Names(kPersonImportFields),
                                     QT_TRANSLATE_NOOP("transfer::FieldsPage", "Persons Fields"));
    settings.requiredFields = {"LastName"};
    return settings;
}

PersonRecord::Field ImportField(const std::string& name) {
    for (const PersonFieldName& entry : kPersonImportFields) {
        if (name == entry.name) {
            return entry.field;
        }
    }
    return P::FieldCount;
}

void TransferSettings::TakeColumnsFromFirstLine() {
    columnLabels.clear();
    const LineTokenizer tokenizer(Separator(), Encloser());
    std::string_view rest = firstLine;
    std::string field;
    while (tokenizer.NextField(rest, field)) {
        columnLabels.push_back(field);
    }
    columnCount = static_cast<int>(columnLabels.size());
}

}  // namespace transfer
