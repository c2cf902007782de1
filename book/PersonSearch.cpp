#include "PersonSearch.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <exception>
#include <iterator>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include <QChar>

#include "Database.h"
#include "PhoneNumbers.h"
#include "RecordId.h"
#include "SearchLog.h"
#include "SearchScan.h"
#include "StoredText.h"

using cppsqlite3::Database;
using cppsqlite3::Query;
using cppsqlite3::Statement;

namespace {

std::string PersonColumns() {
    std::string columns = "ID";
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        columns += ", ";
        columns += PersonRecord::ColumnName(PersonRecord::Field(f));
    }
    return columns;
}

}  // namespace

// ---- PersonSearchIndex ----------------------------------------------------------------------

namespace {

uint32_t CheckedSize(const std::string& text) {
    if (text.size() >= std::numeric_limits<uint32_t>::max()) {
        throw std::length_error(
            QCoreApplication::translate("PersonSearchIndex",
                                        "The search index is limited to 4 GB of text.")
                .toStdString());
    }
    return static_cast<uint32_t>(text.size());
}

}  // namespace

PersonSearchIndex::PersonSearchIndex() = default;
PersonSearchIndex::~PersonSearchIndex() = default;
PersonSearchIndex::PersonSearchIndex(PersonSearchIndex&&) noexcept = default;
PersonSearchIndex& PersonSearchIndex::operator=(PersonSearchIndex&&) noexcept = default;

PersonSearchIndex::Entry PersonSearchIndex::AppendFields(const Fields& fields) {
    using F = PersonRecord::Field;
    Entry e;
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        if (f == F::Email) {
            // A phone typed with spaces, brackets or dashes is also found by its digits.
            const uint32_t phonesEnd = CheckedSize(text_);
            for (int phone = F::HmPhone; phone <= F::WkFax; ++phone) {
                // The phone's text, before its separator.
                const uint32_t begin = e.start[phone];
                const uint32_t end = (phone == F::WkFax ? phonesEnd : e.start[phone + 1]) - 1;
                std::string digits;
                for (uint32_t at = begin; at < end; ++at) {
                    if (text_[at] >= '0' && text_[at] <= '9') {
                        digits += text_[at];
                    }
                }
                if (!digits.empty() && digits.size() < end - begin) {
                    text_ += digits;
                    text_ += kSearchSeparator;
                }
            }
            // A number written with its country code is also found as dialled at home.
            e.national = CheckedSize(text_);
            for (int phone = F::HmPhone; phone <= F::WkFax; ++phone) {
                if (phone == F::WkExt) {
                    continue;
                }
                const uint32_t begin = e.start[phone];
                const uint32_t end = (phone == F::WkFax ? phonesEnd : e.start[phone + 1]) - 1;
                const std::string national =
                    NationalDigits(std::string_view(text_).substr(begin, end - begin));
                if (!national.empty()) {
                    text_ += national;
                    text_ += kSearchSeparator;
                }
            }
        }
        e.start[f] = CheckedSize(text_);
        AppendFolded(text_, fields[static_cast<size_t>(f)]);
        text_ += kSearchSeparator;
    }
    e.start[PersonRecord::FieldCount] = CheckedSize(text_);
    return e;
}

uint32_t PersonSearchIndex::InternNote(const std::string& folded) {
    const auto known = noteNumbers_.find(folded);
    if (known != noteNumbers_.end()) {
        return known->second;
    }
    const auto added = noteNumbers_.emplace(folded, static_cast<uint32_t>(notes_.size())).first;
    notes_.push_back(&added->first);
    return added->second;
}

void PersonSearchIndex::Build(const std::string& path) {
    PersonSearchIndex fresh;
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    // Every page of the file is read once: through a mapping they would all count as this
    // process's memory for as long as the connection is open, through the engine's small cache
    // they do not (and the reads are no slower).
    st.Execute("PRAGMA mmap_size=0");
    Query& persons = st.ExecuteQuery("SELECT " + PersonColumns() + " FROM Person");
    Fields fields;
    while (persons.Next()) {
        // A second row with the same identifier cannot be told apart by it: the first stays.
        const auto added = fresh.entryOf_.try_emplace(std::string(persons.GetText(1)),
                                                      static_cast<uint32_t>(fresh.entries_.size()));
        if (!added.second) {
            continue;
        }
        for (size_t f = 0; f < fields.size(); ++f) {
            fields[f] = persons.GetText(static_cast<int>(f) + 2);
        }
        fresh.entries_.push_back(fresh.AppendFields(fields));
    }
    // Each person's distinct descriptions (one logged more than once needs searching once),
    // the persons in the order of their text.
    std::vector<std::pair<uint32_t, uint32_t>> refs;  // entry, note
    fresh.ReadTypes(st);
    LogReader log(fresh.entries_.size());
    Query& contacts =
        st.ExecuteQuery("SELECT PersonID, Description, DtTm, ContactTypeID FROM Contact");
    std::string personId, note;
    while (contacts.Next()) {
        personId.assign(contacts.GetText(1));
        const auto person = fresh.entryOf_.find(personId);
        if (person == fresh.entryOf_.end()) {
            continue;
        }
        log.Add(person->second, fresh.TypeOf(contacts.GetText(4)), ContactDay(contacts.GetText(3)));
        note.clear();
        AppendFolded(note, contacts.GetText(2));
        if (!note.empty()) {
            refs.emplace_back(person->second, fresh.InternNote(note));
        }
    }
    log.Lay(fresh.entries_, fresh.log_);
    std::sort(refs.begin(), refs.end());
    refs.erase(std::unique(refs.begin(), refs.end()), refs.end());
    fresh.noteRefs_.reserve(refs.size());
    for (const auto& [entry, number] : refs) {
        Entry& e = fresh.entries_[entry];
        if (e.notesBegin == e.notesEnd) {
            e.notesBegin = e.notesEnd = static_cast<uint32_t>(fresh.noteRefs_.size());
        }
        fresh.noteRefs_.push_back(number);
        ++e.notesEnd;
    }
    *this = std::move(fresh);
}

void PersonSearchIndex::Refresh(const std::string& path, const RecordId& id) {
    std::array<std::string, PersonRecord::FieldCount> stored;
    std::vector<std::string> notes;
    struct Contact {
        std::string typeId;
        std::optional<int64_t> day;
    };
    std::vector<Contact> logged;
    bool found = false;
    {
        Database db;
        db.Open(path);
        Statement& st = db.CreateStatement();
        const std::string quoted = QuoteSqlText(id);
        Query& q = st.ExecuteQuery("SELECT " + PersonColumns() + " FROM Person WHERE ID = '" +
                                   quoted + "'");
        if (q.Next()) {
            found = true;
            for (size_t f = 0; f < stored.size(); ++f) {
                stored[f] = q.GetString(static_cast<int>(f) + 2);
            }
        }
        if (found) {
            Query& c = st.ExecuteQuery(
                "SELECT Description, DtTm, ContactTypeID FROM Contact WHERE PersonID = '" + quoted +
                "'");
            while (c.Next()) {
                std::string folded = FoldForSearch(c.GetText(1));
                if (!folded.empty()) {
                    notes.push_back(std::move(folded));
                }
                logged.push_back({std::string(c.GetText(3)), ContactDay(c.GetText(2))});
            }
        }
        // Last: the person's contacts may be of a type added with them.
        ReadTypes(st);
    }
    rowCache_ = RowCache();
    const auto old = entryOf_.find(id);
    if (old != entryOf_.end()) {
        Entry& e = entries_[old->second];
        garbage_ += (e.start[PersonRecord::FieldCount] - e.start[0]) +
                    (e.notesEnd - e.notesBegin) * sizeof(uint32_t) +
                    (e.logEnd - e.logBegin) * sizeof(LogMark);
        e.live = false;
        entryOf_.erase(old);
    }
    if (found) {
        Fields fields;
        for (size_t f = 0; f < fields.size(); ++f) {
            fields[f] = stored[f];
        }
        Entry e = AppendFields(fields);
        std::vector<uint32_t> numbers;
        for (const std::string& note : notes) {
            numbers.push_back(InternNote(note));
        }
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        e.notesBegin = static_cast<uint32_t>(noteRefs_.size());
        noteRefs_.insert(noteRefs_.end(), numbers.begin(), numbers.end());
        e.notesEnd = static_cast<uint32_t>(noteRefs_.size());
        std::vector<Entry> one(1, e);
        LogReader log(1);
        for (const Contact& contact : logged) {
            log.Add(0, TypeOf(contact.typeId), contact.day);
        }
        log.Lay(one, log_);
        entryOf_.emplace(id, static_cast<uint32_t>(entries_.size()));
        entries_.push_back(one.front());
    }
    // Each edit leaves the person's old text behind: kept below half of what is held.
    const size_t held =
        text_.size() + noteRefs_.size() * sizeof(uint32_t) + log_.size() * sizeof(LogMark);
    if (garbage_ > (1u << 20) && garbage_ * 2 > held) {
        Compact();
    }
}

void PersonSearchIndex::Compact() {
    std::string text;
    std::vector<uint32_t> refs;
    std::vector<LogMark> log;
    for (Entry& e : entries_) {
        const uint32_t begin = e.start[0];
        const uint32_t moved = CheckedSize(text);
        if (e.live) {
            text.append(text_, begin, e.start[PersonRecord::FieldCount] - begin);
            for (uint32_t& start : e.start) {
                start = moved + (start - begin);
            }
            e.national = moved + (e.national - begin);
            const uint32_t notes = static_cast<uint32_t>(refs.size());
            refs.insert(refs.end(), noteRefs_.begin() + e.notesBegin,
                        noteRefs_.begin() + e.notesEnd);
            e.notesBegin = notes;
            e.notesEnd = static_cast<uint32_t>(refs.size());
            const uint32_t marks = static_cast<uint32_t>(log.size());
            log.insert(log.end(), log_.begin() + e.logBegin, log_.begin() + e.logEnd);
            e.logBegin = marks;
            e.logEnd = static_cast<uint32_t>(log.size());
        } else {
            e = Entry();
            e.live = false;
        }
    }
    text_ = std::move(text);
    noteRefs_ = std::move(refs);
    log_ = std::move(log);
    garbage_ = 0;
}

bool PersonSearchIndex::PersonMatches(const Entry& e, Needle& needle) const {
    using Scope = SearchQuery::Scope;
    using F = PersonRecord::Field;
    // The person's text from the start of one field to the start of another.
    const auto within = [&](int from, int to) {
        return needle.In(
            std::string_view(text_).substr(e.start[from], e.start[to] - e.start[from]));
    };
    // "+49170": the digits after the plus among the phones, and "0170" among the numbers
    // written as dialled at home (the national forms themselves would find other countries').
    const auto fromAbroad = [&] {
        const std::string_view phones = std::string_view(text_).substr(
            e.start[F::HmPhone], e.start[F::Email] - e.start[F::HmPhone]);
        return Needle::In(phones, needle.word.international) ||
               (!needle.word.national.empty() &&
                Needle::In(phones.substr(0, e.national - e.start[F::HmPhone]),
                           needle.word.national));
    };
    const auto inNotes = [&] {
        if (needle.notes.empty() && e.notesBegin != e.notesEnd) {
            needle.notes.assign(notes_.size(), 0);
        }
        const auto begin = noteRefs_.begin() + e.notesBegin;
        return std::any_of(begin, begin + (e.notesEnd - e.notesBegin), [&](uint32_t note) {
            char& state = needle.notes[note];
            if (state == 0) {
                state = needle.In(*notes_[note]) ? 1 : 2;
            }
            return state == 1;
        });
    };
    switch (needle.word.scope) {
        case Scope::Any:
            return within(0, PersonRecord::FieldCount) || inNotes() ||
                   (needle.abroad && fromAbroad());
        case Scope::Company:
            return within(F::Company, F::Company + 1);
        case Scope::City:
            return within(F::City, F::City + 1);
        case Scope::Email:
            return within(F::Email, F::Email + 1);
        case Scope::Phone:
            // The phones' digits lie between the last phone and the email address.
            return within(F::HmPhone, F::Email) || (needle.abroad && fromAbroad());
        case Scope::Note:
            return inNotes();
    }
    return false;
}

bool PersonSearchIndex::Matches(const RecordId& id, const SearchQuery& query) const {
    if (query.Empty()) {
        return true;
    }
    const auto at = entryOf_.find(id);
    if (at == entryOf_.end()) {
        return false;
    }
    const SearchQuery::Log& log = query.LogWords();
    if (log.Any() && !LogMatches(entries_[at->second], log, TypesTaken(log))) {
        return false;
    }
    return std::all_of(query.Words().begin(), query.Words().end(),
                       [&](const SearchQuery::Word& word) {
                           Needle needle(word);
                           return PersonMatches(entries_[at->second], needle);
                       });
}

std::vector<uint32_t> PersonSearchIndex::Filter(const PersonRowList& rows, const SearchQuery& query,
                                                const std::vector<uint32_t>* within) const {
    std::vector<uint32_t> result;
    const size_t considered = within ? within->size() : rows.size();
    const auto rowAt = [&](size_t i) { return within ? (*within)[i] : static_cast<uint32_t>(i); };
    if (query.Empty()) {
        for (size_t i = 0; i < considered; ++i) {
            if (rowAt(i) < rows.size()) {
                result.push_back(rowAt(i));
            }
        }
        return result;
    }
    // Row and entry of each person still in the running.
    std::vector<std::pair<uint32_t, uint32_t>> candidates;
    Candidates(rows, within, candidates);
    // The log first: a few marks per person, where a word reads all their text.
    if (const SearchQuery::Log& log = query.LogWords(); log.Any()) {
        const std::vector<char> taken = TypesTaken(log);
        candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                        [&](const std::pair<uint32_t, uint32_t>& c) {
                                            return !LogMatches(entries_[c.second], log, taken);
                                        }),
                         candidates.end());
    }
    // Longer words first: they leave fewer persons for the others.
    std::vector<const SearchQuery::Word*> words;
    for (const SearchQuery::Word& w : query.Words()) {
        words.push_back(&w);
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const auto* a, const auto* b) { return a->text.size() > b->text.size(); });
    for (const SearchQuery::Word* word : words) {
        Needle needle(*word);
        std::vector<char> matched;
        // Many candidates: every person's text read in the order it lies is quicker than each
        // candidate's read where it lies, in the order of the rows.
        if (candidates.size() * 8 > entries_.size()) {
            matched.resize(entries_.size());
            for (size_t e = 0; e < entries_.size(); ++e) {
                matched[e] = entries_[e].live && PersonMatches(entries_[e], needle);
            }
        }
        const auto gone = [&](const std::pair<uint32_t, uint32_t>& c) {
            return matched.empty() ? !PersonMatches(entries_[c.second], needle)
                                   : !matched[c.second];
        };
        candidates.erase(std::remove_if(candidates.begin(), candidates.end(), gone),
                         candidates.end());
    }
    for (const auto& c : candidates) {
        result.push_back(c.first);
    }
    return result;
}

void PersonSearchIndex::Candidates(const PersonRowList& rows, const std::vector<uint32_t>* within,
                                   std::vector<std::pair<uint32_t, uint32_t>>& candidates) const {
    const size_t considered = within ? within->size() : rows.size();
    const auto rowAt = [&](size_t i) { return within ? (*within)[i] : static_cast<uint32_t>(i); };
    RowCache& cache = rowCache_;
    const auto cachedId = [&cache](size_t row) {
        const uint32_t begin = row == 0 ? 0 : cache.idEnd[row - 1];
        return std::string_view(cache.ids).substr(begin, cache.idEnd[row] - begin);
    };
    bool same = cache.entry.size() == rows.size();
    for (size_t i = 0; same && i < considered; ++i) {
        const uint32_t row = rowAt(i);
        if (row >= rows.size()) {
            continue;
        }
        same = rows.Id(row) == cachedId(row);
        if (same && cache.entry[row] >= 0) {
            candidates.emplace_back(row, static_cast<uint32_t>(cache.entry[row]));
        }
    }
    if (same) {
        return;
    }
    // Other rows than last time: every row is looked up once.
    candidates.clear();
    cache = RowCache();
    cache.idEnd.reserve(rows.size());
    cache.entry.reserve(rows.size());
    std::string id;
    for (size_t row = 0; row < rows.size(); ++row) {
        id.assign(rows.Id(row));
        cache.ids += id;
        cache.idEnd.push_back(CheckedSize(cache.ids));
        const auto at = entryOf_.find(id);
        cache.entry.push_back(at == entryOf_.end() ? -1 : static_cast<int>(at->second));
    }
    for (size_t i = 0; i < considered; ++i) {
        const uint32_t row = rowAt(i);
        if (row < rows.size() && cache.entry[row] >= 0) {
            candidates.emplace_back(row, static_cast<uint32_t>(cache.entry[row]));
        }
    }
}

size_t PersonSearchIndex::MemoryBytes() const {
    // A string's own buffer once it outgrows the one inside it; each element of a hash table in
    // a node of its own, with the next node's address and the hash, beside the buckets.
    const auto heap = [](const std::string& s) {
        return s.capacity() > std::string().capacity() ? s.capacity() + 1 : 0;
    };
    size_t bytes = sizeof(*this) + text_.capacity() + entries_.capacity() * sizeof(Entry) +
                   noteRefs_.capacity() * sizeof(uint32_t) + log_.capacity() * sizeof(LogMark) +
                   (entryOf_.bucket_count() + noteNumbers_.bucket_count() + notes_.capacity()) *
                       sizeof(void*) +
                   rowCache_.ids.capacity() +
                   (rowCache_.idEnd.capacity() + rowCache_.entry.capacity()) * sizeof(uint32_t);
    for (const auto& entry : entryOf_) {
        bytes += sizeof(entry) + 2 * sizeof(void*) + heap(entry.first);
    }
    for (const auto& note : noteNumbers_) {
        bytes += sizeof(note) + 2 * sizeof(void*) + heap(note.first);
    }
    for (const auto& type : typeOf_) {
        bytes += sizeof(type) + 2 * sizeof(void*) + heap(type.first) +
                 heap(typeNames_[type.second]) + sizeof(std::string);
    }
    return bytes;
}
