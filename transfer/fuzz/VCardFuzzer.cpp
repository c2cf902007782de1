// libFuzzer entry for the vCard reader: any bytes are read as cards without a fault, and each
// person read, written as this program writes cards and read again, is a person again. The
// cards' lines, written and read again, are written the same; a card given its own fields back
// stays as it was, and one given other fields reads as one card still.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "TextEncoding.h"
#include "VCard.h"
#include "VCardLines.h"
#include "VCardMapping.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const transfer::VCardReadResult read = transfer::ReadVCards(bytes);
    if (!read.isVCard && (!read.persons.empty() || read.nameless != 0)) {
        __builtin_trap();
    }
    std::string written;
    for (const transfer::VCardPerson& card : read.persons) {
        PersonRecord person = card.person;
        person.id = "0A1B2C3D-0A1B-0A1B-0A1B2C3D4E5F";
        transfer::AppendVCard(written, person);
    }
    const transfer::VCardReadResult again = transfer::ReadVCards(written);
    if (again.persons.size() != read.persons.size()) {
        __builtin_trap();
    }

    namespace vcard = transfer::vcard;
    const std::vector<vcard::Card> cards = vcard::ReadCards(bytes);
    if (cards.size() != read.persons.size() + static_cast<size_t>(read.nameless)) {
        __builtin_trap();
    }
    const std::string once = vcard::WriteCards(cards);
    // Zero bytes in values can make the text written pass for UTF-16, which it then is read as.
    bool littleEndian = false;
    if (!transfer::LooksLikeUtf16(once, littleEndian) &&
        vcard::WriteCards(vcard::ReadCards(once)) != once) {
        __builtin_trap();
    }
    for (vcard::Card card : cards) {
        std::string before;
        vcard::AppendCard(before, card);
        PersonRecord fields = vcard::ReadFields(card).person;
        vcard::ApplyFields(card, fields);
        std::string after;
        vcard::AppendCard(after, card);
        if (after != before) {
            __builtin_trap();
        }
        for (std::string& field : fields.fields) {
            field = field.empty() ? "New value" : "";
        }
        vcard::ApplyFields(card, fields);
        after.clear();
        vcard::AppendCard(after, card);
        if (!transfer::LooksLikeUtf16(after, littleEndian) && vcard::ReadCards(after).size() != 1) {
            __builtin_trap();
        }
    }
    return 0;
}
