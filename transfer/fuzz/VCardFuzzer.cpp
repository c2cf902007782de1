// libFuzzer entry for the vCard reader: any bytes are read as cards without a fault, and each
// person read, written as this program writes cards and read again, is a person again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "VCard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const transfer::VCardReadResult read =
        transfer::ReadVCards(std::string_view(reinterpret_cast<const char*>(data), size));
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
    return 0;
}
