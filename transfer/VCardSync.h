#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "PersonRecord.h"
#include "VCardMapping.h"

// The cards that go to an address book server and come from it, each as one text.
namespace transfer::vcard {

// The card to send for the person (its 17 fields and id): the base card, the one last agreed
// with the server, with only the lines of changed fields changed and its UID kept (a 2.1 card
// turned into 3.0 first); without a base (empty, or no card in it), a new card with the
// person's id as UID, in 4.0 when the address book takes it, else 3.0. UTF-8, CR LF.
std::string CardToSend(std::string_view base, const PersonRecord& person, bool vcard4);

// The fields of the first card in the text; false when the text holds no card.
bool ReadCardFields(std::string_view cardText, CardFields& out);

// What a card holds beyond the 17 fields, to be shown (read-only) with the person.
struct CardExtra {
    enum class Kind { Email, Phone, Birthday, Nickname, Note, Categories };
    Kind kind = Kind::Note;
    std::string types;  // the TYPE words in lower case, "work, cell" (PREF and VOICE left out)
    std::string value;  // UTF-8, escapes undone, "mailto:" and "tel:" taken off
};
// Of the first card in the text: the e-mail addresses and telephone numbers no field is read
// from, the birthday, nicknames, notes and categories, in the card's order; empty values are
// left out.
std::vector<CardExtra> ReadCardExtras(std::string_view cardText);

}  // namespace transfer::vcard
