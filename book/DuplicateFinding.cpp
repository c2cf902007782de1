#include "DuplicateFinding.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "Database.h"
#include "PhoneNumbers.h"
#include "SearchFolding.h"
#include "Transaction.h"

namespace duplicates {

using cppsqlite3::Database;
using cppsqlite3::Query;
using cppsqlite3::Statement;

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

bool SameFirstName(std::string_view a, std::string_view b) {
    if (a.size() == 1 || b.size() == 1) {
        return !a.empty() && !b.empty() && a[0] == b[0];
    }
    return SameName(a, b);
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
    // A middle name or second initial after the first: the first name is what is compared.
    if (const size_t blank = k.given.find(' '); blank != std::string::npos) {
        k.given.erase(blank);
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
                       (SameName(a.family, b.given) && SameFirstName(a.given, b.family));
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

// The words a name is filed under: the name itself and, from 5 letters, the name less each of
// its letters in turn, so that names one slip apart share a word.
void Variants(const std::string& name, std::vector<std::string>& out) {
    out.clear();
    out.push_back(name);
    if (name.size() >= kSlipLength) {
        for (size_t i = 0; i < name.size(); ++i) {
            std::string less = name;
            less.erase(i, 1);
            if (std::find(out.begin(), out.end(), less) == out.end()) {
                out.push_back(std::move(less));
            }
        }
    }
}

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

    // The same e-mail or number: every person of a block is the same, no need to compare.
    std::unordered_map<std::string, std::vector<uint32_t>> exact;
    exact.reserve(count * 2);
    for (uint32_t i = 0; i < count; ++i) {
        if (!keys[i].email.empty()) {
            exact["@" + keys[i].email].push_back(i);
        }
        for (const std::string& phone : keys[i].phones) {
            if (!phone.empty()) {
                std::vector<uint32_t>& block = exact["#" + phone];
                // One person with the same number twice (home and mobile) is once in its block.
                if (block.empty() || block.back() != i) {
                    block.push_back(i);
                }
            }
        }
    }
    for (const auto& [key, block] : exact) {
        const unsigned reason = key[0] == '@' ? kSameEmail : kSamePhone;
        for (size_t j = 1; j < block.size(); ++j) {
            // Joined to the first it is not told apart from.
            for (size_t k = 0; k < j; ++k) {
                if (!apart(block[k], block[j])) {
                    groups.Join(block[k], block[j], reason);
                    break;
                }
            }
        }
    }

    // Names: filed under the family name (and its one-slip variants) with the first initial,
    // and the other way round for a name entered first name last.
    std::unordered_map<std::string, std::vector<uint32_t>> byName;
    byName.reserve(count * 8);
    std::vector<std::string> variants;
    for (uint32_t i = 0; i < count; ++i) {
        const Keys& k = keys[i];
        if (k.family.empty() || k.given.empty()) {
            continue;
        }
        for (const auto& [family, given] :
             {std::pair{&k.family, &k.given}, std::pair{&k.given, &k.family}}) {
            Variants(*family, variants);
            for (const std::string& v : variants) {
                std::vector<uint32_t>& block = byName[v + '|' + (*given)[0]];
                if (block.empty() || block.back() != i) {
                    block.push_back(i);
                }
            }
        }
    }
    std::unordered_set<uint64_t> compared;
    for (const auto& [key, block] : byName) {
        for (size_t j = 1; j < block.size(); ++j) {
            for (size_t k = 0; k < j; ++k) {
                const uint32_t a = block[k], b = block[j];
                const uint64_t pair = (uint64_t{std::min(a, b)} << 32) | std::max(a, b);
                if (!compared.insert(pair).second) {
                    continue;
                }
                if (SimilarName(keys[a], keys[b]) && !apart(a, b)) {
                    groups.Join(a, b, kSimilarName);
                }
            }
        }
    }

    // The groups, their persons in the order given.
    std::unordered_map<uint32_t, size_t> index;
    std::vector<Group> out;
    std::vector<std::vector<uint32_t>> members;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t root = groups.Root(i);
        auto [it, added] = index.try_emplace(root, out.size());
        if (added) {
            out.emplace_back();
            members.emplace_back();
        }
        members[it->second].push_back(i);
    }
    std::vector<Group> found;
    std::vector<std::string> firstName;
    for (size_t g = 0; g < out.size(); ++g) {
        if (members[g].size() < 2) {
            continue;
        }
        Group group;
        group.reasons = groups.Reasons(members[g].front());
        for (uint32_t i : members[g]) {
            group.persons.push_back(persons[i].id);
        }
        const Keys& k = keys[members[g].front()];
        firstName.push_back(k.family + ' ' + k.given + ' ' + persons[members[g].front()].id);
        found.push_back(std::move(group));
    }
    std::vector<size_t> order(found.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return firstName[a] < firstName[b]; });
    std::vector<Group> sorted;
    sorted.reserve(found.size());
    for (size_t i : order) {
        sorted.push_back(std::move(found[i]));
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

bool HasDistinct(Statement& st) {
    Query& q = st.ExecuteQuery(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'NotDuplicate'");
    const bool has = q.Next() && q.GetInt(1) == 1;
    st.CloseQuery();
    return has;
}

}  // namespace

Distinct ReadDistinct(const std::string& path) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Distinct distinct;
    if (!HasDistinct(st)) {
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

std::vector<Group> FindInBook(const std::string& path) {
    return Find(ReadPersons(path), ReadDistinct(path));
}

}  // namespace duplicates
