// libFuzzer entry for the delimited-text import: any bytes are told an encoding, read as text,
// split into columns that are assigned from their names, and read as persons, without a fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ColumnNames.h"
#include "ColumnPlan.h"
#include "Import.h"
#include "TextEncoding.h"
#include "TransferSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the separator, the encloser, whether the first line names the
    // columns and the encoding; the rest is the file.
    const std::uint8_t choice = data[0];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const char separators[] = {',', ';', '|', ' ', '\t'};
    const char* enclosers[] = {"\"", "'", ""};
    transfer::TransferSettings settings = transfer::TransferSettings::ForPersonImport();
    settings.separator = std::string(1, separators[choice % 5]);
    settings.encloser = enclosers[(choice / 5) % 3];
    settings.firstLineHasNames = (choice / 15) % 2 == 0;
    const std::vector<transfer::EncodingName>& known = transfer::KnownEncodings();
    settings.encoding = (choice / 30) % 2 == 0 ? transfer::DetectEncoding(bytes).name
                                               : known[(choice / 60) % known.size()].name;
    const std::string text = transfer::DecodedText(bytes, settings.encoding);
    settings.firstLine = transfer::FirstLine(text);
    transfer::LikeliestSeparator(settings.firstLine, settings.Encloser());
    settings.TakeColumnsFromFirstLine();
    settings.selectedFields = transfer::AssignColumns(settings.columnLabels);
    if (settings.selectedFields.size() != settings.columnLabels.size()) {
        __builtin_trap();
    }
    const transfer::ColumnPlan plan(settings.columnLabels, settings.selectedFields,
                                    settings.firstLineHasNames);
    for (int column = 0; column < plan.ColumnCount(); ++column) {
        plan.Describe(column);
    }
    transfer::LeftOut leftOut;
    const std::vector<PersonRecord> persons = transfer::ReadPersons(text, settings, &leftOut);
    for (const PersonRecord& person : persons) {
        if (person[PersonRecord::FName].empty() && person[PersonRecord::LName].empty() &&
            person[PersonRecord::Company].empty()) {
            __builtin_trap();
        }
    }
    transfer::ImportMessage(static_cast<int>(persons.size()), leftOut);
    transfer::EncodingsByLikelihood(bytes.substr(0, 4096), settings.encoding);
    return 0;
}
