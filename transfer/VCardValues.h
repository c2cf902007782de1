#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "VCardLines.h"

// The text of vCard values both ways: escapes of each version, the components of structured
// values, telephone numbers with their extensions. For VCardMapping, which knows which field
// is which value.
namespace transfer::vcard {

// How backslashes read: in 2.1 a backslash escapes only a semicolon, and itself before one
// ("\\;" is a backslash and then a semicolon that separates), every other stays as it is; 3.0
// and 4.0 have the escapes of their text values.
enum class Escapes { Semicolon, Text };

// The value with its escapes undone and every line break as CR LF, as multi-line fields are
// stored.
void AppendUnescaped(std::string& out, std::string_view in, Escapes escapes);
// The same, blanks at either end trimmed, into field.
void SetText(std::string& field, std::string_view in, Escapes escapes);

// A component of a structured value (N, ADR, ORG): text as the reader takes it, still escaped;
// raw the bytes up to the semicolon after it, to be written back as they were.
struct Component {
    std::string_view text;
    std::string_view raw;
};
// The components split at the semicolons no backslash escapes.
void SplitComponents(std::string_view value, Escapes escapes, std::vector<Component>& components);

// What a value holds: text is escaped (names, organisation, title, address); a number, e-mail
// address or web page is written as it is, on one line.
enum class ValueKind { Text, Plain };

// The text escaped for a value of the version. A component says where it stands: one that a
// semicolon follows (not last) keeps a backslash at its end from escaping it. Line breaks stay
// CR LF in 2.1 (written quoted-printable) and become "\n" in 3.0 and 4.0; a plain value has
// blanks for them.
std::string Escaped(std::string_view text, Escapes escapes, ValueKind kind, bool component = false,
                    bool last = true);
// The export's two: 3.0 text escaped, and a plain value. Into a buffer, with room for twice
// the text, they return the end of what they wrote.
void AppendEscaped(std::string& out, std::string_view text);
void AppendPlain(std::string& out, std::string_view text);
char* EscapeInto(char* out, std::string_view text);
char* PlainInto(char* out, std::string_view text);
// The raw component, which ended the value, before a semicolon: a backslash it ends in must not
// escape that.
std::string FollowedBySemicolon(std::string_view raw, Escapes escapes);

// "555-1234 x12", "555-1234 ext. 12", "555-1234 extension 12": the number before the last such
// mark and the extension after it. The extension starts with a digit, so words that merely
// begin with an x stay whole.
bool SplitExtension(std::string_view phone, std::string_view& number, std::string_view& extension);

// A telephone value: a "tel:" URI loses its prefix and its parameters, ";ext=" giving the
// extension.
struct Phone {
    std::string number;
    std::string extension;
};
Phone ReadPhone(std::string value);
// The value of a telephone line that was old (its text as read), now number and extension: a
// "tel:" URI stays one, its other parameters kept; else the number and " x" and the extension.
std::string PhoneText(std::string_view old, std::string_view number, std::string_view extension);

}  // namespace transfer::vcard
