#include "DuplicateFinding.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include <QtGlobal>

#include "Database.h"
#include "DatabaseFile.h"
#include "PhoneNumbers.h"
#include "SearchFolding.h"
#include "Transaction.h"

namespace duplicates {

using cppsqlite3::Database;
using cppsqlite3::Query;
using cppsqlite3::Statement;

std::vector<const char*> ReasonWords(unsigned reasons) {
    std::vector<const char*> words;
    if (reasons & kSameEmail) {
        words.push_back(QT_TRANSLATE_NOOP("duplicates", "same e-mail"));
    }
    if (reasons & kSamePhone) {
        words.push_back(QT_TRANSLATE_NOOP("duplicates", "same phone"));
    }
    if (reasons & kSimilarName) {
        words.push_back(QT_TRANSLATE_NOOP("duplicates", "similar name"));
    }
    return words;
}

std::pair<RecordId, RecordId> Pair(const RecordId& a, const RecordId& b) {
    return a < b ? std::pair{a, b} : std::pair{b, a};
}

std::string EmailKey(std::string_view stored) {
    std::string key = FoldForSearch(stored);
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!key.empty() && blank(key.back())) {
        key.pop_back();
    }
    size_t start = 0;
    while (start < key.size() && blank(key[start])) {
        ++start;
    }
    key.erase(0, start);
    const size_t at = key.find('@');
    return at == std::string::npos || at == 0 || at + 1 == key.size() ? std::string() : key;
}

std::string PhoneKey(std::string_view stored, std::string_view extension) {
    // A country code in front: the national digits, with their trunk 0.
    std::string digits = NationalDigits(stored);
    if (digits.empty()) {
        for (char c : stored) {
            if (c >= '0' && c <= '9') {
                digits += c;
            }
        }
    }
    if (!digits.empty() && digits[0] == '0') {
        digits.erase(0, 1);
    }
    if (digits.size() < 5) {
        return std::string();
    }
    if (digits.size() > 8) {
        digits.erase(0, digits.size() - 8);
    }
    std::string ext;
    for (char c : extension) {
        if (c >= '0' && c <= '9') {
            ext += c;
        }
    }
    return ext.empty() ? digits : digits + 'x' + ext;
}

std::string NameKey(std::string_view stored) {
    const std::string folded = FoldForSearch(stored);
    // Letters and digits; a hyphen or blank between words as one blank; dots and apostrophes
    // dropped ("O'Brien", "H.").
    std::string plain;
    for (char c : folded) {
        if (c == ' ' || c == '-' || c == '\t') {
            if (!plain.empty() && plain.back() != ' ') {
                plain += ' ';
            }
        } else if (c != '.' && c != '\'' && c != ',') {
            plain += c;
        }
    }
    while (!plain.empty() && plain.back() == ' ') {
        plain.pop_back();
    }
    // "Mueller" as "Müller", "Groesse" as "Größe": both spellings read as one.
    std::string key;
    key.reserve(plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        const char c = plain[i];
        if (i + 1 < plain.size() && plain[i + 1] == 'e' && (c == 'a' || c == 'o' || c == 'u')) {
            key += c;
            ++i;
        } else if (c == 'a' && i + 1 < plain.size() && plain[i + 1] == 'a') {
            key += c;
            ++i;
        } else {
            key += c;
        }
    }
    return key;
}

namespace {

// At most one typing slip between a and b: an insertion, a deletion, a substitution or two
// neighbours swapped.
bool OneSlip(std::string_view a, std::string_view b) {
    if (a.size() > b.size()) {
        std::swap(a, b);
    }
    if (b.size() - a.size() > 1) {
        return false;
    }
    size_t i = 0;
    while (i < a.size() && a[i] == b[i]) {
        ++i;
    }
    if (i == a.size()) {
        return true;  // equal, or one letter more at the end
    }
    if (a.size() == b.size()) {
        return a.substr(i + 1) == b.substr(i + 1) ||
               (i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] &&
                a.substr(i + 2) == b.substr(i + 2));
    }
    return a.substr(i) == b.substr(i + 1);
}

constexpr size_t kSlipLength = 5;

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    return a == b || (std::min(a.size(), b.size()) >= kSlipLength && OneSlip(a, b));
}

namespace {

bool SameFirstWord(std::string_view a, std::string_view b) {
    if (a.size() == 1 || b.size() == 1) {
        return !a.empty() && !b.empty() && a[0] == b[0];
    }
    return SameName(a, b);
}

}  // namespace

bool SameFirstName(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    // Word by word as far as both go: "Hans" is "Hans Peter" and "H. P.", not "Hans Karl".
    while (!a.empty() && !b.empty()) {
        const size_t endA = std::min(a.find(' '), a.size());
        const size_t endB = std::min(b.find(' '), b.size());
        if (!SameFirstWord(a.substr(0, endA), b.substr(0, endB))) {
            return false;
        }
        a.remove_prefix(std::min(a.size(), endA + 1));
        b.remove_prefix(std::min(b.size(), endB + 1));
    }
    return true;
}

namespace {

// A person as compared: the keys of each field.
struct Keys {
    std::string given, family;  // NameKey
    std::string company, city;  // folded
    std::string email;
    std::string phones[3];
};

Keys KeysOf(const Person& p) {
    Keys k;
    k.given = NameKey(p.first);
    k.family = NameKey(p.last);
    // "Hans Mueller" typed whole into one field.
    if (k.given.empty()) {
        const size_t blank = k.family.rfind(' ');
        if (blank != std::string::npos) {
            k.given = k.family.substr(0, blank);
            k.family.erase(0, blank + 1);
        }
    } else if (k.family.empty()) {
        const size_t blank = k.given.rfind(' ');
        if (blank != std::string::npos) {
            k.family = k.given.substr(blank + 1);
            k.given.erase(blank);
        }
    }
    k.company = NameKey(p.company);
    k.city = NameKey(p.city);
    k.email = EmailKey(p.email);
    k.phones[0] = PhoneKey(p.home);
    k.phones[1] = PhoneKey(p.work, p.extension);
    k.phones[2] = PhoneKey(p.cel);
    return k;
}

bool SimilarName(const Keys& a, const Keys& b) {
    if (a.family.empty() || b.family.empty() || a.given.empty() || b.given.empty()) {
        return false;
    }
    const bool names = (SameName(a.family, b.family) && SameFirstName(a.given, b.given)) ||
                       // The other way round: which of the two is turned round is not known.
                       (SameName(a.family, b.given) && SameFirstName(a.given, b.family)) ||
                       (SameName(a.given, b.family) && SameFirstName(a.family, b.given));
    if (!names) {
        return false;
    }
    // The same name alone is not enough: the same company or city too, or a company missing.
    return a.company.empty() || b.company.empty() || a.company == b.company ||
           (!a.city.empty() && a.city == b.city);
}

class Groups {
public:
    explicit Groups(size_t count) : parent_(count), reasons_(count, 0) {
        std::iota(parent_.begin(), parent_.end(), 0);
    }
    uint32_t Root(uint32_t i) {
        while (parent_[i] != i) {
            parent_[i] = parent_[parent_[i]];
            i = parent_[i];
        }
        return i;
    }
    void Join(uint32_t a, uint32_t b, unsigned reason) {
        a = Root(a);
        b = Root(b);
        if (a != b) {
            parent_[b] = a;
            reasons_[a] |= reasons_[b];
        }
        reasons_[a] |= reason;
    }
    unsigned Reasons(uint32_t i) { return reasons_[Root(i)]; }

private:
    std::vector<uint32_t> parent_;
    std::vector<unsigned> reasons_;
};

// A key of a block: FNV-1a over the text, less the byte at skip, then the tag and the initial.
// Two texts share a key only by chance when they differ, and every block is checked for that.
uint64_t KeyHash(char tag, std::string_view text, size_t skip = std::string_view::npos,
                 char initial = 0) {
    uint64_t h = 1469598103934665603ull;
    const auto add = [&h](unsigned char c) {
        h ^= c;
        h *= 1099511628211ull;
    };
    add(static_cast<unsigned char>(tag));
    for (size_t i = 0; i < text.size(); ++i) {
        if (i != skip) {
            add(static_cast<unsigned char>(text[i]));
        }
    }
    add('|');
    add(static_cast<unsigned char>(initial));
    return h;
}

enum Kind : uint8_t { kEmail, kPhone, kName, kSwapped };

struct Filed {
    uint64_t key;
    uint32_t person;
    uint8_t kind;
    uint8_t phone;  // which of the person's numbers
    bool operator<(const Filed& o) const {
        return key != o.key ? key < o.key : kind != o.kind ? kind < o.kind : person < o.person;
    }
};

}  // namespace

std::vector<Group> Find(const std::vector<Person>& persons, const Distinct& distinct) {
    const size_t count = persons.size();
    std::vector<Keys> keys;
    keys.reserve(count);
    for (const Person& p : persons) {
        keys.push_back(KeysOf(p));
    }
    const auto apart = [&](uint32_t a, uint32_t b) {
        return !distinct.empty() && distinct.count(Pair(persons[a].id, persons[b].id)) > 0;
    };
    Groups groups(count);

    // Each person filed under its e-mail, its numbers, its family name (and, from 5 letters,
    // the name less each of its letters in turn, so that names one slip apart meet) with the
    // first initial, and its first name with the family initial (for a name entered the other
    // way round). Sorted, the entries of one key stand together: a block.
    std::vector<Filed> filed;
    filed.reserve(count * 10);
    for (uint32_t i = 0; i < count; ++i) {
        const Keys& k = keys[i];
        if (!k.email.empty()) {
            filed.push_back({KeyHash('@', k.email), i, kEmail, 0});
        }
        for (uint8_t n = 0; n < 3; ++n) {
            if (!k.phones[n].empty()) {
                filed.push_back({KeyHash('#', k.phones[n]), i, kPhone, n});
            }
        }
        if (k.family.empty() || k.given.empty()) {
            continue;
        }
        filed.push_back({KeyHash('n', k.family, std::string_view::npos, k.given[0]), i, kName, 0});
        if (k.family.size() >= kSlipLength) {
            for (size_t skip = 0; skip < k.family.size(); ++skip) {
                // A doubled letter gives the same name twice: filed once.
                if (skip > 0 && k.family[skip] == k.family[skip - 1]) {
                    continue;
                }
                filed.push_back({KeyHash('n', k.family, skip, k.given[0]), i, kName, 0});
            }
        }
        filed.push_back(
            {KeyHash('n', k.given, std::string_view::npos, k.family[0]), i, kSwapped, 0});
    }
    std::sort(filed.begin(), filed.end());

    const auto sameKey = [&](const Filed& a, const Filed& b) {
        return a.kind == kEmail ? keys[a.person].email == keys[b.person].email
                                : keys[a.person].phones[a.phone] == keys[b.person].phones[b.phone];
    };
    const auto compare = [&](uint32_t a, uint32_t b) {
        // A pair already in one group that says "similar name" adds nothing to it.
        if (a == b || (groups.Root(a) == groups.Root(b) && (groups.Reasons(a) & kSimilarName))) {
            return;
        }
        if (SimilarName(keys[a], keys[b]) && !apart(a, b)) {
            groups.Join(a, b, kSimilarName);
        }
    };
    for (size_t from = 0; from < filed.size();) {
        size_t to = from + 1;
        while (to < filed.size() && filed[to].key == filed[from].key) {
            ++to;
        }
        // Kinds in their order within the block: e-mail, phone, name, swapped.
        for (size_t j = from + 1; j < to; ++j) {
            const Filed& b = filed[j];
            if (b.kind == kEmail || b.kind == kPhone) {
                // The same address or number: joined to the first it is not told apart from.
                const unsigned reason = b.kind == kEmail ? kSameEmail : kSamePhone;
                for (size_t i = from; i < j; ++i) {
                    const Filed& a = filed[i];
                    if (a.kind == b.kind && a.person != b.person && sameKey(a, b) &&
                        !apart(a.person, b.person)) {
                        groups.Join(a.person, b.person, reason);
                        break;
                    }
                }
            } else {
                for (size_t i = from; i < j; ++i) {
                    const Filed& a = filed[i];
                    // Name with name, and name with a name the other way round.
                    if (a.kind == kName) {
                        compare(a.person, b.person);
                    }
                }
            }
        }
        from = to;
    }

    // The groups, their persons in the order given.
    std::vector<std::vector<uint32_t>> members;
    std::vector<int32_t> index(count, -1);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t root = groups.Root(i);
        if (index[root] < 0) {
            index[root] = static_cast<int32_t>(members.size());
            members.emplace_back();
        }
        members[static_cast<size_t>(index[root])].push_back(i);
    }
    // In the order of their first person's name.
    std::vector<std::pair<std::string, Group>> found;
    for (const std::vector<uint32_t>& group : members) {
        if (group.size() < 2) {
            continue;
        }
        Group g;
        g.reasons = groups.Reasons(group.front());
        for (uint32_t i : group) {
            g.persons.push_back(persons[i].id);
        }
        const Keys& k = keys[group.front()];
        found.emplace_back(k.family + ' ' + k.given + ' ' + persons[group.front()].id,
                           std::move(g));
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Group> sorted;
    sorted.reserve(found.size());
    for (auto& [name, group] : found) {
        sorted.push_back(std::move(group));
    }
    return sorted;
}

std::vector<Person> ReadPersons(const std::string& path) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Query& q = st.ExecuteQuery(
        "SELECT ID, FName, LName, Company, City, Email, HmPhone, WkPhone, WkExt, CelPhone FROM "
        "Person");
    std::vector<Person> persons;
    while (q.Next()) {
        Person p;
        p.id = q.GetString(1);
        p.first = q.GetString(2);
        p.last = q.GetString(3);
        p.company = q.GetString(4);
        p.city = q.GetString(5);
        p.email = q.GetString(6);
        p.home = q.GetString(7);
        p.work = q.GetString(8);
        p.extension = q.GetString(9);
        p.cel = q.GetString(10);
        persons.push_back(std::move(p));
    }
    st.CloseQuery();
    return persons;
}

namespace {

constexpr char kCreateDistinct[] =
    "CREATE TABLE IF NOT EXISTS NotDuplicate(PersonA TEXT NOT NULL, PersonB TEXT NOT NULL, "
    "PRIMARY KEY(PersonA, PersonB))";

}  // namespace

Distinct ReadDistinct(const std::string& path) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Distinct distinct;
    if (!HasTable(st, "NotDuplicate")) {
        return distinct;
    }
    Query& q = st.ExecuteQuery("SELECT PersonA, PersonB FROM NotDuplicate");
    while (q.Next()) {
        distinct.insert(Pair(q.GetString(1), q.GetString(2)));
    }
    st.CloseQuery();
    return distinct;
}

void MarkDistinct(const std::string& path, const std::vector<RecordId>& persons) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    cppsqlite3::Transaction transaction(st);
    st.Execute(kCreateDistinct);
    for (size_t i = 0; i < persons.size(); ++i) {
        for (size_t j = i + 1; j < persons.size(); ++j) {
            const auto [a, b] = Pair(persons[i], persons[j]);
            st.Execute("INSERT OR IGNORE INTO NotDuplicate VALUES('" + QuoteSqlText(a) + "', '" +
                       QuoteSqlText(b) + "')");
        }
    }
    transaction.CommitUnstamped();
}

std::vector<Group> JoiningNew(const std::vector<Group>& groups, const std::set<RecordId>& before,
                              int& count) {
    count = 0;
    std::vector<Group> joining;
    for (const Group& group : groups) {
        int fresh = 0;
        for (const RecordId& id : group.persons) {
            fresh += before.count(id) == 0 ? 1 : 0;
        }
        if (fresh > 0 && fresh < static_cast<int>(group.persons.size())) {
            count += fresh;
            joining.push_back(group);
        }
    }
    return joining;
}

std::vector<Group> FindInBook(const std::string& path) {
    return Find(ReadPersons(path), ReadDistinct(path));
}

}  // namespace duplicates
