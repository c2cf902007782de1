#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QLocale>

#include "DateTime.h"
#include "PersonRecord.h"

// The reads behind the main view, with no window: each opens the given database file, runs its
// query and closes it again. Failures are SQLExceptions; what was read before a failure stays
// in the output.

enum class PersonOrder { ByName, ByCompany };
enum class ContactOrder { ByDate, ByType };

// One row of the person list as the view shows it, made when asked for.
struct PersonRow {
    std::string name;  // the display name
    std::string company;
    RecordId id;
};

// One row of the contact list, made when asked for.
struct ContactRow {
    std::string date;  // empty when DtTm is not a date
    std::string time;
    std::string type;
    std::string notes;
    RecordId id;
    DateTime when;  // invalid when DtTm is not a date
};

// Rows of Fields text fields each, with the text of all rows in one buffer: a load makes a few
// allocations, not one per field, and a row takes its bytes and a few numbers.
template <size_t Fields>
class PackedRows {
public:
    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    std::string_view Field(size_t row, size_t field) const {
        const Entry& e = rows_[row];
        size_t start = e.start;
        for (size_t f = 0; f < field; ++f) {
            start += e.length[f];
        }
        return std::string_view(text_.data() + start, e.length[field]);
    }
    void Append(const std::array<std::string_view, Fields>& fields) {
        Entry e;
        e.start = text_.size();
        for (size_t f = 0; f < Fields; ++f) {
            e.length[f] = static_cast<uint32_t>(fields[f].size());
            text_.append(fields[f]);
        }
        rows_.push_back(e);
    }
    // The row goes from the list; its bytes stay in the buffer until the next load.
    void Erase(size_t row) { rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row)); }
    void Reserve(size_t rows, size_t bytes) {
        rows_.reserve(rows);
        text_.reserve(bytes);
    }
    // Puts the rows in a new order: row i becomes the row that was order[i]. Only the small
    // entries move; the text stays where it is.
    void Reorder(const std::vector<uint32_t>& order) {
        std::vector<Entry> reordered;
        reordered.reserve(order.size());
        for (uint32_t row : order) {
            reordered.push_back(rows_[row]);
        }
        rows_.swap(reordered);
    }

private:
    struct Entry {
        size_t start;
        uint32_t length[Fields];
    };
    std::string text_;
    std::vector<Entry> rows_;
};

// Iterates a list of rows by value, for loops over the rows as the view shows them.
template <typename List, typename Row>
class RowIterator {
public:
    RowIterator(const List* list, size_t at) : list_(list), at_(at) {}
    Row operator*() const { return (*list_)[at_]; }
    RowIterator& operator++() {
        ++at_;
        return *this;
    }
    bool operator!=(const RowIterator& other) const { return at_ != other.at_; }
    bool operator==(const RowIterator& other) const { return at_ == other.at_; }

private:
    const List* list_;
    size_t at_;
};

// The person list: identifier, first and last name and company of each person in list order,
// and, once given, the time of each person's newest contact.
class PersonRowList : public PackedRows<4> {
public:
    enum { IdField, FNameField, LNameField, CompanyField };
    // The newest contacts, one per row in row order (invalid for a person without contacts);
    // until given, every row's is invalid.
    void SetLastContacts(std::vector<DateTime> last) { last_ = std::move(last); }
    bool HasLastContacts() const { return !last_.empty(); }
    DateTime LastContact(size_t row) const { return row < last_.size() ? last_[row] : DateTime(); }
    void SetLastContact(size_t row, DateTime when) {
        if (row < size()) {
            last_.resize(size());
            last_[row] = when;
        }
    }
    void Append(const std::array<std::string_view, 4>& fields, DateTime last = DateTime()) {
        PackedRows<4>::Append(fields);
        if (last.IsValid() || !last_.empty()) {
            last_.resize(size() - 1);
            last_.push_back(last);
        }
    }
    void Erase(size_t row) {
        PackedRows<4>::Erase(row);
        if (row < last_.size()) {
            last_.erase(last_.begin() + static_cast<std::ptrdiff_t>(row));
        }
    }
    void Reorder(const std::vector<uint32_t>& order) {
        PackedRows<4>::Reorder(order);
        if (!last_.empty()) {
            std::vector<DateTime> reordered;
            reordered.reserve(order.size());
            for (uint32_t row : order) {
                reordered.push_back(LastContact(row));
            }
            last_.swap(reordered);
        }
    }
    std::string_view Id(size_t row) const { return Field(row, IdField); }
    std::string_view Company(size_t row) const { return Field(row, CompanyField); }
    std::string Name(size_t row) const;
    PersonRow operator[](size_t row) const;
    PersonRow front() const { return (*this)[0]; }
    // The row of the person with the identifier; -1 when none.
    int Find(const RecordId& id) const;
    RowIterator<PersonRowList, PersonRow> begin() const { return {this, 0}; }
    RowIterator<PersonRowList, PersonRow> end() const { return {this, size()}; }

private:
    std::vector<DateTime> last_;
};

// A person's contact list: DtTm as stored, description, identifier and type of each contact.
class ContactRowList : public PackedRows<4> {
public:
    enum { DtTmField, DescriptionField, IdField, TypeField };
    std::string_view Id(size_t row) const { return Field(row, IdField); }
    std::string_view Notes(size_t row) const { return Field(row, DescriptionField); }
    std::string_view Type(size_t row) const { return Field(row, TypeField); }
    DateTime When(size_t row) const;
    ContactRow operator[](size_t row) const;
    ContactRow front() const { return (*this)[0]; }
    int Find(const RecordId& id) const;
    RowIterator<ContactRowList, ContactRow> begin() const { return {this, 0}; }
    RowIterator<ContactRowList, ContactRow> end() const { return {this, size()}; }
};

// reversed: the other way round (a second click on the list's column). The person list's query
// orders by the stored bytes; LoadPersonList reads in file order and sorts as people read.
std::string PersonListQuery(PersonOrder order, bool reversed = false);
std::string ContactListQuery(const RecordId& personId, ContactOrder order, bool reversed = false);

// The person list in the order people read names, by the collation of the default locale
// (QLocale()): letters before accents and case, numbers by value ("Unit 2" before "Unit 10").
// ByName: by the display name as people read it, the last name (or the first name where
// there is no last name, or the company where there is no name), then the first name;
// ByCompany: by company, then last and first name. Persons alike in all of these keep the
// file's order. A person without the first key comes first. reversed turns the whole list
// round.
void LoadPersonList(const std::string& path, PersonOrder order, PersonRowList& rows,
                    bool reversed = false);
// The locale whose collation the person list follows: the default locale's, or, when that has
// no language (the C locale), the Unicode default order.
QLocale PersonSortLocale();
// The rows of LoadPersonList before its sort: in the file's order.
void ReadPersonRows(const std::string& path, PersonRowList& rows);
// The sort of LoadPersonList, on rows read in any order.
void SortPersonRows(PersonRowList& rows, PersonOrder order, bool reversed = false);
// The same order as positions: entry i is the row that comes i-th.
std::vector<uint32_t> PersonRowOrder(const PersonRowList& rows, PersonOrder order,
                                     bool reversed = false);
// Persons in the list's name order (ByName), wherever they are listed or printed.
void SortPersonRecords(std::vector<PersonRecord>& persons);
// False when no person has the identifier.
bool LoadPerson(const std::string& path, const RecordId& id, PersonRecord& person);
// An empty identifier names no person: no query is run.
void LoadContactList(const std::string& path, const RecordId& personId, ContactOrder order,
                     ContactRowList& rows, bool reversed = false);

// The work phone as the details panel shows and dials it: "555-1234x12" with an extension;
// empty when there is no work phone, even with an extension.
std::string WorkPhoneText(const std::string& phone, const std::string& extension);
