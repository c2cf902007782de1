#pragma once

#include "VCardLines.h"

// A card of vCard 2.1 turned into one of 3.0, for servers that take no quoted-printable nor
// another character set than UTF-8.
namespace transfer::vcard {

// Turns a 2.1 card into 3.0 in UTF-8, every property kept, in its place and with its group:
// - quoted-printable and character sets decoded into UTF-8, their parameters gone; a line
//   break in a value written as "\n";
// - the parameter words of 2.1 on their own (HOME, PREF, X-...) written as TYPE=, BASE64 as
//   ENCODING=b with the value on one line, VALUE=URL as VALUE=uri;
// - text values escaped as 3.0 escapes them (a comma, a backslash), the components of N, ADR
//   and ORG each on its own; an AGENT's card nested in the card becomes the AGENT's value;
// - VERSION:2.1 becomes 3.0; blank lines go; a card without a formatted name (FN) gets one, of
//   the names in N, else of the company, else empty.
// Every other byte stays, values of properties it does not know (X-...) included, so that the
// card reads as the same fields. Returns false, leaving it as it is, for a card of another
// version.
bool ToVersion3(Card& card);

}  // namespace transfer::vcard
