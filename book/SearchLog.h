#pragma once

// How the person search's index gathers the contact log: each person's newest contact of each
// type.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "ContactTimes.h"
#include "PersonSearch.h"

// Gathers the marks of many persons' contacts as they come, in any order: each entry's marks in
// a chain of their own (a person has few types), laid out entry after entry at the end.
class PersonSearchIndex::LogReader {
public:
    explicit LogReader(size_t entries) : head_(entries, kNone) {}

    void Add(uint32_t entry, uint32_t type, std::optional<int64_t> day) {
        const int32_t value = day ? static_cast<int32_t>(*day) : kNoDay;
        for (uint32_t at = head_[entry]; at != kNone; at = next_[at]) {
            if (marks_[at].type == type) {
                marks_[at].day = std::max(marks_[at].day, value);
                return;
            }
        }
        marks_.push_back({type, value});
        next_.push_back(head_[entry]);
        head_[entry] = static_cast<uint32_t>(marks_.size() - 1);
    }

    // The marks of each entry into log, their ranges into the entries.
    void Lay(std::vector<Entry>& entries, std::vector<LogMark>& log) const {
        log.reserve(log.size() + marks_.size());
        for (size_t e = 0; e < head_.size(); ++e) {
            entries[e].logBegin = static_cast<uint32_t>(log.size());
            for (uint32_t at = head_[e]; at != kNone; at = next_[at]) {
                log.push_back(marks_[at]);
            }
            entries[e].logEnd = static_cast<uint32_t>(log.size());
        }
    }

private:
    static constexpr uint32_t kNone = UINT32_MAX;
    std::vector<uint32_t> head_;
    std::vector<uint32_t> next_;
    std::vector<LogMark> marks_;
};
