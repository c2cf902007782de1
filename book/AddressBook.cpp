#include "AddressBook.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <functional>
#include <future>
#include <numeric>
#include <unordered_map>

#include "Database.h"
#include "StoredText.h"

using cppsqlite3::Database;
using cppsqlite3::Query;
using cppsqlite3::Statement;

namespace {

// The distinct texts of one field among some rows, and for each of those rows the number of its
// text.
struct FieldTexts {
    std::vector<std::string_view> texts;
    std::vector<uint32_t> ofRow;
};

// Persons share last names, first names and companies: each text is keyed and sorted once,
// however many persons hold it.
template <typename Text>
FieldTexts DistinctTexts(const PersonRowList& rows, const std::vector<bool>& which, Text textOf) {
    FieldTexts result;
    result.ofRow.resize(rows.size());
    std::unordered_map<std::string_view, uint32_t> numbers;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (!which[row]) {
            continue;
        }
        const std::string_view text = textOf(row);
        const auto known = numbers.try_emplace(text, static_cast<uint32_t>(result.texts.size()));
        if (known.second) {
            result.texts.push_back(text);
        }
        result.ofRow[row] = known.first->second;
    }
    return result;
}

// Collation keys of some texts in the order they were made, the order that sorts them, and for
// each in that order whether the collator finds it equal to the one before.
struct SortedPart {
    std::vector<QCollatorSortKey> keys;
    std::vector<uint32_t> order;
    std::vector<bool> equalToPrevious;
    const QCollatorSortKey& Key(size_t i) const { return keys[order[i]]; }
};

// Keys texts[numbers[from]] to texts[numbers[to - 1]] with a collator of its own, so that two
// parts can be keyed at once. The keys stay where they were made and an index is sorted: they
// are freed in the order of their memory, many times faster than in sorted order.
SortedPart SortPart(const std::vector<std::string_view>& texts,
                    const std::vector<uint32_t>& numbers, size_t from, size_t to,
                    const QLocale& locale) {
    QCollator collator(locale);
    collator.setNumericMode(true);
    SortedPart part;
    part.keys.reserve(to - from);
    for (size_t i = from; i < to; ++i) {
        part.keys.push_back(collator.sortKey(FromStoredText(texts[numbers[i]])));
    }
    part.order.resize(to - from);
    std::iota(part.order.begin(), part.order.end(), 0u);
    std::sort(part.order.begin(), part.order.end(),
              [&part](uint32_t a, uint32_t b) { return part.keys[a].compare(part.keys[b]) < 0; });
    part.equalToPrevious.resize(part.order.size());
    for (size_t i = 1; i < part.order.size(); ++i) {
        part.equalToPrevious[i] = part.Key(i - 1).compare(part.Key(i)) == 0;
    }
    return part;
}

}  // namespace

QLocale PersonSortLocale() {
    const QLocale locale = QLocale().collation();
    // A session without a language (LANG=C, C.UTF-8, POSIX) would get the order of the code
    // points: "de Vries" and "\u00C9mond" after "Tanaka". Unicode's default order is what such a
    // user expects, and English collates by it unchanged.
    if (locale.language() == QLocale::C) {
        return QLocale(QLocale::English, QLocale::UnitedStates);
    }
    return locale;
}

namespace {

// From this many distinct texts, keying and sorting them on two threads pays.
constexpr size_t kTwoThreadsFrom = 8192;

// The rank of each text in the user's collation, from 1; texts the collator finds equal share
// a rank. The empty text, a person without the field, has rank 0: before every other text,
// even one of characters the collator ignores.
std::vector<uint32_t> CollationRanks(const std::vector<std::string_view>& texts,
                                     uint32_t& rankCount) {
    const QLocale locale = PersonSortLocale();
    std::vector<uint32_t> numbers;
    numbers.reserve(texts.size());
    for (uint32_t n = 0; n < texts.size(); ++n) {
        if (!texts[n].empty()) {
            numbers.push_back(n);
        }
    }
    const size_t half = numbers.size() >= kTwoThreadsFrom ? numbers.size() / 2 : numbers.size();
    std::future<SortedPart> other;
    if (half < numbers.size()) {
        other = std::async(std::launch::async, SortPart, std::cref(texts), std::cref(numbers), half,
                           numbers.size(), std::cref(locale));
    }
    const SortedPart first = SortPart(texts, numbers, 0, half, locale);
    const SortedPart second = other.valid() ? other.get() : SortedPart();
    // The two parts merged. Equal neighbours within a part are known; across the parts the
    // merge's own comparison tells.
    std::vector<uint32_t> ranks(texts.size(), 0);
    uint32_t rank = 0;
    size_t a = 0, b = 0;
    bool previousFromFirst = true;
    int lastComparison = -1;
    while (a < first.order.size() || b < second.order.size()) {
        const int comparison = a == first.order.size()    ? 1
                               : b == second.order.size() ? -1
                                                          : first.Key(a).compare(second.Key(b));
        const bool fromFirst = comparison <= 0;
        bool equal = false;
        if (rank > 0 && fromFirst == previousFromFirst) {
            equal = fromFirst ? first.equalToPrevious[a] : second.equalToPrevious[b];
        } else if (rank > 0) {
            // The previous text was taken from the first part against this very text.
            equal = !fromFirst && lastComparison == 0;
        }
        if (!equal) {
            ++rank;
        }
        const uint32_t text =
            fromFirst ? numbers[first.order[a++]] : numbers[half + second.order[b++]];
        ranks[text] = rank;
        previousFromFirst = fromFirst;
        lastComparison = comparison;
    }
    rankCount = rank + 1;
    return ranks;
}

// The items in the order of their keys, below keyCount; items of equal keys keep their order.
template <typename Key>
std::vector<uint32_t> CountingSort(const std::vector<uint32_t>& items, uint32_t keyCount, Key key) {
    std::vector<uint32_t> start(size_t(keyCount) + 1, 0);
    for (uint32_t item : items) {
        ++start[key(item) + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<uint32_t> sorted(items.size());
    for (uint32_t item : items) {
        sorted[start[key(item)]++] = item;
    }
    return sorted;
}

}  // namespace

std::string PersonListQuery(PersonOrder order, bool reversed) {
    if (reversed) {
        return order == PersonOrder::ByName
                   ? "SELECT ID, FName, LName, Company FROM Person ORDER BY LName DESC, FName DESC"
                   : "SELECT ID, FName, LName, Company FROM Person ORDER BY Company DESC";
    }
    return order == PersonOrder::ByName
               ? "SELECT ID, FName, LName, Company FROM Person ORDER BY LName, FName"
               : "SELECT ID, FName, LName, Company FROM Person ORDER BY Company";
}

std::string ContactListQuery(const RecordId& personId, ContactOrder order, bool reversed) {
    if (reversed) {
        return "SELECT Contact.DtTm, Contact.Description, Contact.ID, ContactType.Description AS "
               "TypeDescription FROM Contact, ContactType WHERE PersonID = '" +
               QuoteSqlText(personId) + "' AND Contact.ContactTypeID = ContactType.ID" +
               (order == ContactOrder::ByDate ? " ORDER BY +DtTm"
                                              : " ORDER BY TypeDescription DESC, +DtTm DESC");
    }
    return "SELECT Contact.DtTm, Contact.Description, Contact.ID, ContactType.Description AS "
           "TypeDescription FROM Contact, ContactType WHERE PersonID = '" +
           QuoteSqlText(personId) + "' AND Contact.ContactTypeID = ContactType.ID" +
           // The unary plus keeps the engine from walking the whole date index to find one
           // person's few contacts; the order is the same.
           (order == ContactOrder::ByDate ? " ORDER BY +DtTm DESC"
                                          : " ORDER BY TypeDescription, +DtTm DESC");
}

std::string PersonRowList::Name(size_t row) const {
    return PersonDisplayName(Field(row, FNameField), Field(row, LNameField),
                             Field(row, CompanyField));
}

PersonRow PersonRowList::operator[](size_t row) const {
    return {Name(row), std::string(Company(row)), std::string(Id(row))};
}

int PersonRowList::Find(const RecordId& id) const {
    for (size_t row = 0; row < size(); ++row) {
        if (Id(row) == id) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

DateTime ContactRowList::When(size_t row) const {
    return ParseDateTime(std::string(Field(row, DtTmField)));
}

ContactRow ContactRowList::operator[](size_t row) const {
    const DateTime when = When(row);
    return {FormatDisplayDate(when), FormatDisplayTime(when), std::string(Type(row)),
            std::string(Notes(row)), std::string(Id(row)),    when};
}

int ContactRowList::Find(const RecordId& id) const {
    for (size_t row = 0; row < size(); ++row) {
        if (Id(row) == id) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

namespace {

// The texts a person is sorted by, in turn.
enum class SortKey { ListName, ListFirstName, Company, LName, FName };

// The list's name as people read it: the last name, or where there is none the first name, or
// for a person without a name the company, so that "Harbour Ltd" sorts under H.
std::string_view ListName(const PersonRowList& rows, size_t row) {
    const std::string_view last = rows.Field(row, PersonRowList::LNameField);
    if (!last.empty()) {
        return last;
    }
    const std::string_view first = rows.Field(row, PersonRowList::FNameField);
    return first.empty() ? rows.Company(row) : first;
}

std::string_view KeyText(const PersonRowList& rows, size_t row, SortKey key) {
    switch (key) {
        case SortKey::ListName:
            return ListName(rows, row);
        case SortKey::ListFirstName:
            // The first name follows a last name; alone it is the list name already.
            return rows.Field(row, PersonRowList::LNameField).empty()
                       ? std::string_view()
                       : rows.Field(row, PersonRowList::FNameField);
        case SortKey::Company:
            return rows.Company(row);
        case SortKey::LName:
            return rows.Field(row, PersonRowList::LNameField);
        case SortKey::FName:
            return rows.Field(row, PersonRowList::FNameField);
    }
    return std::string_view();
}

}  // namespace

std::vector<uint32_t> PersonRowOrder(const PersonRowList& rows, PersonOrder order, bool reversed) {
    const std::vector<SortKey> keys =
        order == PersonOrder::ByName
            ? std::vector<SortKey>{SortKey::ListName, SortKey::ListFirstName}
            : std::vector<SortKey>{SortKey::Company, SortKey::LName, SortKey::FName};
    const uint32_t count = static_cast<uint32_t>(rows.size());
    std::vector<uint32_t> permutation(count);
    std::iota(permutation.begin(), permutation.end(), 0u);
    // Runs of rows alike in the keys sorted by so far, numbered in list order; within a run
    // the rows keep the file's order. A key sorts only the runs of more than one row: a last
    // name of its own needs no first name read.
    std::vector<uint32_t> runOf(count, 0);
    std::vector<uint32_t> runSize = {count};
    for (SortKey key : keys) {
        std::vector<uint32_t> positions;
        std::vector<bool> toSort(count, false);
        for (uint32_t p = 0; p < count; ++p) {
            if (runSize[runOf[p]] > 1) {
                positions.push_back(p);
                toSort[permutation[p]] = true;
            }
        }
        if (positions.empty()) {
            break;
        }
        const FieldTexts distinct =
            DistinctTexts(rows, toSort, [&](size_t row) { return KeyText(rows, row, key); });
        uint32_t rankCount = 0;
        const std::vector<uint32_t> ranks = CollationRanks(distinct.texts, rankCount);
        auto rankOfRow = [&](uint32_t row) { return ranks[distinct.ofRow[row]]; };
        // By run, then rank, then the order so far: the last key sorted first.
        std::vector<uint32_t> items(positions.size());
        std::iota(items.begin(), items.end(), 0u);
        items = CountingSort(items, rankCount,
                             [&](uint32_t i) { return rankOfRow(permutation[positions[i]]); });
        items = CountingSort(items, static_cast<uint32_t>(runSize.size()),
                             [&](uint32_t i) { return runOf[positions[i]]; });
        std::vector<uint32_t> reordered = permutation;
        for (size_t k = 0; k < items.size(); ++k) {
            reordered[positions[k]] = permutation[positions[items[k]]];
        }
        permutation.swap(reordered);
        // A run splits where the rank changes.
        std::vector<uint32_t> newRunOf(count);
        std::vector<uint32_t> newRunSize;
        for (uint32_t p = 0; p < count; ++p) {
            const bool continues = p > 0 && runOf[p] == runOf[p - 1] &&
                                   rankOfRow(permutation[p]) == rankOfRow(permutation[p - 1]);
            if (continues) {
                ++newRunSize.back();
            } else {
                newRunSize.push_back(1);
            }
            newRunOf[p] = static_cast<uint32_t>(newRunSize.size() - 1);
        }
        runOf.swap(newRunOf);
        runSize.swap(newRunSize);
    }
    if (reversed) {
        std::reverse(permutation.begin(), permutation.end());
    }
    return permutation;
}

void SortPersonRows(PersonRowList& rows, PersonOrder order, bool reversed) {
    rows.Reorder(PersonRowOrder(rows, order, reversed));
}

void SortPersonRecords(std::vector<PersonRecord>& persons) {
    PersonRowList rows;
    rows.Reserve(persons.size(), 0);
    for (const PersonRecord& p : persons) {
        rows.Append({std::string_view(), p[PersonRecord::FName], p[PersonRecord::LName],
                     p[PersonRecord::Company]});
    }
    std::vector<PersonRecord> sorted;
    sorted.reserve(persons.size());
    for (uint32_t row : PersonRowOrder(rows, PersonOrder::ByName)) {
        sorted.push_back(std::move(persons[row]));
    }
    persons.swap(sorted);
}

void LoadPersonList(const std::string& path, PersonOrder order, PersonRowList& rows,
                    bool reversed) {
    ReadPersonRows(path, rows);
    SortPersonRows(rows, order, reversed);
}

void ReadPersonRows(const std::string& path, PersonRowList& rows) {
    {
        Database db;
        db.Open(path);
        // The table read straight through is much faster than through the name index, which
        // fetches each row from elsewhere in the file.
        Statement& st = db.CreateStatement();
        // Through a mapping every page read would count as this process's memory until the
        // connection closes: a million persons' pages, more than the list itself.
        st.Execute("PRAGMA mmap_size=0");
        Query& q = st.ExecuteQuery("SELECT ID, FName, LName, Company FROM Person ORDER BY rowid");
        while (q.Next()) {
            rows.Append({q.GetText(1), q.GetText(2), q.GetText(3), q.GetText(4)});
        }
    }
}

bool LoadPerson(const std::string& path, const RecordId& id, PersonRecord& person) {
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery("SELECT * FROM Person WHERE ID = '" +
                                                 QuoteSqlText(id) + "'");
    bool found = false;
    while (q.Next()) {
        person = ReadPersonRow(q);
        found = true;
    }
    return found;
}

void LoadContactList(const std::string& path, const RecordId& personId, ContactOrder order,
                     ContactRowList& rows, bool reversed) {
    if (personId.empty()) {
        return;
    }
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery(ContactListQuery(personId, order, reversed));
    while (q.Next()) {
        rows.Append({q.GetText(1), q.GetText(2), q.GetText(3), q.GetText(4)});
    }
}

std::string WorkPhoneText(const std::string& phone, const std::string& extension) {
    if (phone.empty()) {
        return std::string();
    }
    return extension.empty() ? phone : phone + "x" + extension;
}
