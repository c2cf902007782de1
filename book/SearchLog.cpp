// The contact log in the person search: each person's newest contact of each type, and the
// since:, before: and type: words matched against them.

#include <algorithm>

#include "ContactTimes.h"
#include "Database.h"
#include "PersonSearch.h"
#include "SearchLog.h"
#include "SearchScan.h"
#include "StoredText.h"

void PersonSearchIndex::ReadTypes(cppsqlite3::Statement& st) {
    // Read aside first: a failure leaves the index as it was.
    auto typeOf = typeOf_;
    auto typeNames = typeNames_;
    cppsqlite3::Query& types = st.ExecuteQuery("SELECT ID, Description FROM ContactType");
    while (types.Next()) {
        std::string folded = FoldForSearch(types.GetText(2));
        const auto added = typeOf.try_emplace(std::string(types.GetText(1)),
                                              static_cast<uint32_t>(typeNames.size()));
        if (added.second) {
            typeNames.push_back(std::move(folded));
        } else {
            typeNames[added.first->second] = std::move(folded);
        }
    }
    st.CloseQuery();
    typeOf_ = std::move(typeOf);
    typeNames_ = std::move(typeNames);
}

void PersonSearchIndex::RefreshTypes(const std::string& path) {
    cppsqlite3::Database db;
    db.Open(path);
    ReadTypes(db.CreateStatement());
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
