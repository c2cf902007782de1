#include "LastContacts.h"

#include <algorithm>
#include <functional>
#include <numeric>

#include "ContactTimes.h"
#include "Database.h"
#include "StoredText.h"

using cppsqlite3::Database;
using cppsqlite3::Query;

void LastContacts::Clear() {
    *this = LastContacts();
}

void LastContacts::Read(const std::string& path) {
    LastContacts fresh;
    Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    st.Execute("PRAGMA mmap_size=0");
    Query& q = st.ExecuteQuery("SELECT PersonID, MAX(DtTm) FROM Contact GROUP BY PersonID");
    while (q.Next()) {
        fresh.Set(q.GetText(1), ReadContactTime(q.GetText(2)));
    }
    *this = std::move(fresh);
    ready_ = true;
}

void LastContacts::Refresh(const std::string& path, const std::vector<RecordId>& ids) {
    if (!ready_) {
        return;
    }
    try {
        Database db;
        db.Open(path);
        cppsqlite3::Statement& st = db.CreateStatement();
        for (const RecordId& id : ids) {
            if (id.empty()) {
                continue;
            }
            Query& q = st.ExecuteQuery("SELECT MAX(DtTm) FROM Contact WHERE PersonID = '" +
                                       QuoteSqlText(id) + "'");
            const DateTime when = q.Next() ? ReadContactTime(q.GetText(1)) : DateTime();
            st.CloseQuery();
            Set(id, when);
        }
    } catch (const std::exception&) {
        ready_ = false;
    }
}

std::string_view LastContacts::IdAt(uint32_t entry) const {
    const uint32_t begin = entry == 0 ? 0 : idEnd_[entry - 1];
    return std::string_view(ids_).substr(begin, idEnd_[entry] - begin);
}

size_t LastContacts::Slot(std::string_view id) const {
    const size_t mask = slots_.size() - 1;
    size_t at = std::hash<std::string_view>()(id) & mask;
    while (slots_[at] != 0 && IdAt(slots_[at] - 1) != id) {
        at = (at + 1) & mask;
    }
    return at;
}

void LastContacts::Grow() {
    std::vector<uint32_t> old(std::max<size_t>(slots_.size() * 2, 1024), 0);
    old.swap(slots_);
    for (uint32_t entry = 0; entry < when_.size(); ++entry) {
        slots_[Slot(IdAt(entry))] = entry + 1;
    }
}

void LastContacts::Set(std::string_view id, DateTime when) {
    // At most half full, so that a search stops soon.
    if ((when_.size() + 1) * 2 > slots_.size()) {
        Grow();
    }
    const size_t at = Slot(id);
    if (slots_[at] != 0) {
        when_[slots_[at] - 1] = when;
        return;
    }
    ids_.append(id);
    idEnd_.push_back(static_cast<uint32_t>(ids_.size()));
    when_.push_back(when);
    slots_[at] = static_cast<uint32_t>(when_.size());
}

DateTime LastContacts::Of(std::string_view id) const {
    if (slots_.empty()) {
        return DateTime();
    }
    const uint32_t entry = slots_[Slot(id)];
    return entry == 0 ? DateTime() : when_[entry - 1];
}

bool LastContacts::SameOrder(const PersonRowList& rows) const {
    if (when_.size() != rows.size()) {
        return false;
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        if (IdAt(static_cast<uint32_t>(row)) != rows.Id(row)) {
            return false;
        }
    }
    return true;
}

void LastContacts::Fill(PersonRowList& rows) {
    if (SameOrder(rows)) {
        rows.SetLastContacts(when_);
        return;
    }
    std::vector<DateTime> last;
    last.reserve(rows.size());
    for (size_t row = 0; row < rows.size(); ++row) {
        last.push_back(Of(rows.Id(row)));
    }
    // Laid out again in the rows' order; a person without a row has no date to show (one who
    // comes back is read again, by a command or as the file changed).
    LastContacts laid;
    laid.ids_.reserve(ids_.size());
    laid.idEnd_.reserve(rows.size());
    size_t capacity = 1024;
    while (capacity < rows.size() * 2 + 2) {
        capacity *= 2;
    }
    laid.slots_.assign(capacity, 0);
    for (size_t row = 0; row < rows.size(); ++row) {
        laid.Set(rows.Id(row), last[row]);
    }
    laid.ready_ = ready_;
    if (laid.when_.size() == rows.size()) {
        *this = std::move(laid);
    }
    rows.SetLastContacts(std::move(last));
}

void SortByLastContact(PersonRowList& rows, bool newestFirst) {
    std::vector<uint32_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const DateTime x = rows.LastContact(a), y = rows.LastContact(b);
        if (x.IsValid() != y.IsValid()) {
            return x.IsValid();
        }
        return x.IsValid() && (newestFirst ? x.Value() > y.Value() : x.Value() < y.Value());
    });
    rows.Reorder(order);
}
