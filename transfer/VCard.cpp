#include "VCard.h"

#include "DelimitedText.h"
#include "VCardLines.h"
#include "VCardMapping.h"

namespace transfer {

VCardReadResult ReadVCards(std::string_view bytes) {
    VCardReadResult result;
    vcard::CardReader reader(bytes);
    vcard::FieldReader fieldReader;
    vcard::Card card;
    vcard::CardFields fields;
    while (reader.Next(card)) {
        fieldReader.Read(card, fields);
        if (fields.HasName()) {
            result.persons.push_back(VCardPerson{std::move(fields.person), std::move(fields.uid)});
        } else {
            ++result.nameless;
        }
    }
    result.isVCard = reader.SawCard();
    return result;
}

void AppendVCard(std::string& out, const PersonRecord& person) {
    std::string_view fields[PersonRecord::FieldCount];
    for (int i = 0; i < PersonRecord::FieldCount; ++i) {
        fields[i] = person.fields[i];
    }
    AppendVCard(out, person.id, fields);
}

void AppendVCard(std::string& out, std::string_view id,
                 const std::string_view (&stored)[PersonRecord::FieldCount]) {
    // Stored text that is not UTF-8 is Windows-1252.
    std::string converted[PersonRecord::FieldCount];
    std::string_view fields[PersonRecord::FieldCount];
    for (int i = 0; i < PersonRecord::FieldCount; ++i) {
        fields[i] = vcard::IsAscii(stored[i]) ? stored[i] : AsUtf8(stored[i], converted[i]);
    }
    vcard::AppendNewCard(out, id, fields);
}

}  // namespace transfer
