// The contact log in the person search: each person's newest contact of each type, and the
// since:, before: and type: words matched against them.

#include <algorithm>

#include "Database.h"
#include "DateTime.h"
#include "PersonSearch.h"
#include "SearchLog.h"
#include "SearchScan.h"
#include "StoredText.h"

namespace {

int Digits(std::string_view text, size_t from, size_t count) {
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<int64_t> ContactDay(std::string_view dtTm) {
    // The stored form read by hand: ten million contacts read through the locale's parser
    // would take seconds.
    if (dtTm.size() >= 10 && dtTm[4] == '-' && dtTm[7] == '-' &&
        (dtTm.size() == 10 || dtTm[10] == ' ')) {
        const int year = Digits(dtTm, 0, 4), month = Digits(dtTm, 5, 2), day = Digits(dtTm, 8, 2);
        if (year >= 0 && month >= 0 && day >= 0) {
            const QDate date(year, month, day);
            if (date.isValid()) {
                return date.toJulianDay();
            }
        }
    }
    const DateTime read = ParseDateTime(std::string(dtTm));
    if (!read.IsValid()) {
        return std::nullopt;
    }
    return read.Date().toJulianDay();
}

void PersonSearchIndex::ReadTypes(cppsqlite3::Statement& st) {
    cppsqlite3::Query& types = st.ExecuteQuery("SELECT ID, Description FROM ContactType");
    while (types.Next()) {
        std::string folded = FoldForSearch(types.GetText(2));
        const auto added = typeOf_.try_emplace(std::string(types.GetText(1)),
                                               static_cast<uint32_t>(typeNames_.size()));
        if (added.second) {
            typeNames_.push_back(std::move(folded));
        } else {
            typeNames_[added.first->second] = std::move(folded);
        }
    }
    st.CloseQuery();
}

void PersonSearchIndex::RefreshTypes(const std::string& path) {
    cppsqlite3::Database db;
    db.Open(path);
    // Read aside first: a failure leaves the index as it was.
    PersonSearchIndex types;
    types.typeOf_ = typeOf_;
    types.typeNames_ = typeNames_;
    types.ReadTypes(db.CreateStatement());
    typeOf_ = std::move(types.typeOf_);
    typeNames_ = std::move(types.typeNames_);
}

uint32_t PersonSearchIndex::TypeOf(std::string_view typeId) const {
    // A file has a handful of types: compared in place, without a string made for each of ten
    // million contacts.
    if (typeOf_.size() <= 32) {
        for (const auto& [id, number] : typeOf_) {
            if (id == typeId) {
                return number;
            }
        }
        return kUnknownType;
    }
    const auto at = typeOf_.find(std::string(typeId));
    return at == typeOf_.end() ? kUnknownType : at->second;
}

std::vector<char> PersonSearchIndex::TypesTaken(const SearchQuery::Log& log) const {
    std::vector<char> taken;
    if (log.types.empty()) {
        return taken;
    }
    taken.resize(typeNames_.size(), 0);
    for (size_t t = 0; t < typeNames_.size(); ++t) {
        taken[t] = std::any_of(log.types.begin(), log.types.end(), [&](const std::string& word) {
            return typeNames_[t].compare(0, word.size(), word) == 0;
        });
    }
    return taken;
}

bool PersonSearchIndex::LogMatches(const Entry& e, const SearchQuery::Log& log,
                                   const std::vector<char>& taken) const {
    bool counted = false;
    int32_t newest = kNoDay;
    for (uint32_t at = e.logBegin; at < e.logEnd; ++at) {
        const LogMark& mark = log_[at];
        if (!log.types.empty() && (mark.type >= taken.size() || !taken[mark.type])) {
            continue;
        }
        counted = true;
        newest = std::max(newest, mark.day);
    }
    if (!log.since && !log.before) {
        return counted;
    }
    const bool dated = newest != kNoDay;
    if (log.since && !(dated && newest >= *log.since)) {
        return false;
    }
    return !(log.before && dated && newest >= *log.before);
}
