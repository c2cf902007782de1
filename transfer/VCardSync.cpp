#include "VCardSync.h"

#include "VCardLines.h"
#include "VCardVersion.h"

namespace transfer::vcard {

std::string CardToSend(std::string_view base, const PersonRecord& person, bool vcard4) {
    std::string out;
    Card card;
    CardReader reader(base);
    if (!base.empty() && reader.Next(card)) {
        ToVersion3(card);
        ApplyFields(card, person);
        AppendCard(out, card);
        return out;
    }
    std::string_view fields[PersonRecord::FieldCount];
    for (int i = 0; i < PersonRecord::FieldCount; ++i) {
        fields[i] = person.fields[static_cast<size_t>(i)];
    }
    AppendNewCard(out, person.id, fields, vcard4 ? Version::V40 : Version::V30);
    return out;
}

bool ReadCardFields(std::string_view cardText, CardFields& out) {
    Card card;
    CardReader reader(cardText);
    if (!reader.Next(card)) {
        return false;
    }
    FieldReader().Read(card, out);
    return true;
}

}  // namespace transfer::vcard
