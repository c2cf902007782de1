#pragma once

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RecordId.h"

// Finding the same person entered twice: by e-mail address, by phone number, or by a name read
// as people read it together with the same company or city. Never all pairs: each person goes
// into a few blocks by key, and only persons of one block are compared. No widgets.
namespace duplicates {

enum Reason : unsigned { kSameEmail = 1, kSamePhone = 2, kSimilarName = 4 };
// The reasons in words, in that order: "same e-mail", "same phone", "similar name". As they
// stand for scripts; translated in the context "duplicates" for the user.
std::vector<const char*> ReasonWords(unsigned reasons);

// The fields of a person the finding reads, as stored.
struct Person {
    RecordId id;
    std::string first, last, company, city, email;
    std::string home, work, extension, cel;
};

// Persons that look like one person, and why (Reason bits, any pair of them).
struct Group {
    std::vector<RecordId> persons;
    unsigned reasons = 0;
};

// Pairs the user said are distinct persons, the smaller record id first.
using Distinct = std::set<std::pair<RecordId, RecordId>>;
std::pair<RecordId, RecordId> Pair(const RecordId& a, const RecordId& b);

// The keys persons are compared by.
// An address with an '@', trimmed and in lower case; empty for anything else.
std::string EmailKey(std::string_view stored);
// The national number's last 8 digits (all when shorter): everything but digits dropped, and a
// country code ("+49", "0049") or a trunk 0 in front; empty below 5 digits. A work number
// carries its extension after an 'x'.
std::string PhoneKey(std::string_view stored, std::string_view extension = {});
// A name as it is read: case and accents aside, "ue" for "ü" (and "ae", "oe"), ß as ss.
std::string NameKey(std::string_view stored);
// Whether two names (NameKey) are the same name: equal, or of 5 letters or more one typing
// slip apart (a letter more, less, other, or two swapped).
bool SameName(std::string_view a, std::string_view b);
// The same for first names, word by word as far as both go, where an initial ("H", "H.")
// matches a name it begins: "Hans" is "Hans Peter" and "H. P.", not "Hans Karl".
bool SameFirstName(std::string_view a, std::string_view b);

// The groups among the persons, in the order of their first person's name; each group's persons
// in the order given. Pairs in distinct are never joined by themselves.
std::vector<Group> Find(const std::vector<Person>& persons, const Distinct& distinct = {});

// Every person of the book, as the finding reads them. Throws SQLException.
std::vector<Person> ReadPersons(const std::string& path);
// The pairs the user said are distinct (a table of the finding's own in the book).
Distinct ReadDistinct(const std::string& path);
// Remembers that these persons are distinct, every pair of them. One transaction.
void MarkDistinct(const std::string& path, const std::vector<RecordId>& persons);
// Of the groups, those that hold a person not in before (an import's) and one in it; count
// tells how many of the new persons are in them.
std::vector<Group> JoiningNew(const std::vector<Group>& groups, const std::set<RecordId>& before,
                              int& count);
// Find over the book, what the user said distinct left apart.
std::vector<Group> FindInBook(const std::string& path);

}  // namespace duplicates
