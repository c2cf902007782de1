#pragma once

#include <string_view>

#include "PersonRecord.h"
#include "VCardLines.h"
#include "VCardMapping.h"

// What the reading and the writing of fields share: the kinds of lines fields come from, the
// version of a card, and the property a field is written in.
namespace transfer::vcard {

enum class Kind { Other, Version, N, FN, Org, Title, Adr, Tel, Email, Url, Uid, CardKind };

// The kind of a content line of the card's own (a line of an AGENT's card is Other).
Kind KindOf(const Line& line);

// By the card's last VERSION line: 3.0 when it has none, or one of no such version.
Version VersionOf(const Card& card);

// The name and parameters, colon included, of a line that a field gets when the card has none
// for it: "TEL;TYPE=HOME,VOICE:" in 3.0, "TEL;HOME;VOICE:" in 2.1.
const char* HeadOf(PersonRecord::Field field, Version version);

}  // namespace transfer::vcard
