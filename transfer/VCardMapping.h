#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "PersonRecord.h"
#include "VCardLines.h"

// Which property and component of a card each of a person's 17 fields is, both ways: reading
// a card's fields, changing a card so that it reads as changed fields (every line no changed
// field comes from left as it was), and writing a new card. No database is needed.
namespace transfer::vcard {

// The version of a card, as its VERSION line says.
enum class Version { V21, V30, V40 };

// Where a field is read from, and so where it is written.
struct FieldSource {
    static constexpr int kWhole = -1;
    // The index of the line in the card; -1 when no line gives the field.
    int line = -1;
    // The component of a structured value: N 0 family, 1 given, 3 prefix (Title); ORG 0;
    // ADR 2 street (Addr, which also takes the extended address 1, the box 0 and the country
    // 6, in that order, on lines of their own), 3 City, 4 State, 5 Zip. kWhole for a value
    // that is not structured, and for a first and last name that the formatted name (FN)
    // gives when N has none, split at its last blank.
    int component = kWhole;

    bool operator==(const FieldSource& other) const {
        return line == other.line && component == other.component;
    }
};

// A card's fields as the import reads them.
struct CardFields {
    // The 17 fields as stored text (UTF-8, CR LF between lines of Addr); id left empty.
    PersonRecord person;
    // The card's UID as written, blanks trimmed (may be empty), and its line (-1 for none).
    std::string uid;
    int uidLine = -1;
    // For each field: where it is read from. A field can be empty where it is read from (an N
    // without a title); a field no line gives has line -1.
    std::array<FieldSource, PersonRecord::FieldCount> sources;

    // Whether the card names a person or an organisation; the import leaves out those that do
    // not.
    bool HasName() const;
};

// The fields of the card, as the import takes them: the first N for the names and title, else
// the formatted name (unless it names the organisation, or the card is one of an organisation
// or group by its KIND or X-ABShowAs); the first ORG and TITLE with a value; the work address,
// else the home one, else the first; telephone numbers by their types, those of no type where
// a home, work or mobile number is missing; the preferred e-mail address and web page. Of two
// of a kind the preferred (TYPE=PREF, PREF=n), else the first.
CardFields ReadFields(const Card& card);

// ReadFields for many cards, its storage used again.
class FieldReader {
public:
    FieldReader();
    ~FieldReader();
    FieldReader(const FieldReader&) = delete;
    FieldReader& operator=(const FieldReader&) = delete;

    void Read(const Card& card, CardFields& fields);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Changes the card so that it reads as the fields given (UTF-8), in its own version (2.1, 3.0
// or 4.0) and the form of each line (quoted-printable, character set, "tel:" and "mailto:"):
// - a field that reads otherwise gets a new value, or component, in the line it is read from;
//   every line no changed field is read from stays byte for byte;
// - a field that was empty gets a line of its own, or its component in the line that is read
//   (a title or name in N, a city in the address, an extension in the work number);
// - a field emptied loses its component, or its line when nothing is left in it (N stays, as
//   3.0 requires it). Where the card holds another value of the kind (a second e-mail address,
//   a number of no type), that one is read next.
// A name the formatted name (FN) gives is written there while FN then gives it back, else in
// N. Where a change would let FN give names it did not (a company changed that FN named, both
// names emptied), FN names the company. The field id is not written; the UID stays.
// Returns the fields the card now reads: those given, but where another value comes forward or
// a value cannot be written so (a 2.1 component holding a backslash before a semicolon).
CardFields ApplyFields(Card& card, const PersonRecord& fields);

// Appends a new card of vCard 3.0 for the person's fields (UTF-8) and identifier: UTF-8, CR LF
// line ends, folded at 75 bytes. N, FN and UID are always there, every other property only
// for a field that is not empty.
void AppendNewCard(std::string& out, std::string_view id,
                   const std::string_view (&fields)[PersonRecord::FieldCount]);
// The same in the version given, 3.0 or 4.0 (2.1 is written as 3.0). In 4.0 the types are in
// lower case and an e-mail address has none; telephone numbers stay text, as 4.0 allows, so
// that a number with words or an extension reads back as it was typed.
void AppendNewCard(std::string& out, std::string_view id,
                   const std::string_view (&fields)[PersonRecord::FieldCount], Version version);

}  // namespace transfer::vcard
