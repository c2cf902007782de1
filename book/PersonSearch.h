#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>

#include "AddressBook.h"
#include "PersonRecord.h"
#include "SearchFolding.h"

namespace cppsqlite3 {
class Statement;
}

// The search behind the main window's search field: what the user typed, read as words, and an
// index of every person's searchable text, folded once when the file is read so that a keystroke
// only scans memory.

// What the user typed in the search field: words separated by white space. A person matches when
// every word is found, ignoring case and accents, inside one field of theirs: any person field or
// the description of any of their contacts. A word of digits alone also matches the phone fields
// by their digits ("301234567" finds "+49 (0)30 123-4567"), and a number written with a country
// code also by its digits as dialled at home ("0170" finds "+49 170 1234567"); a word of a plus
// and digits also matches a number written at home ("+49170" finds "0170 1234567"). A word may
// start with a prefix that limits it to some fields: "company:", "city:", "email:", "phone:" (the
// six phone fields) and "note:" (contact descriptions), in any case; a prefix alone adds nothing,
// and an unknown "xyz:" is part of the word.
//
// Three words ask the contact log: "since:DATE", a contact on or after the day; "before:DATE",
// no contact on or after the day (a person never contacted too); "type:WORD", a contact of a
// type whose description starts with the word. With type words, the dates count only the
// contacts of those types (of any of them), so "type:tel before:6m" finds whom the user has not
// phoned for six months; without dates, a type word asks for one contact of the type. DATE is
// as ReadSearchDate reads it, from the day the query is read.
class SearchQuery {
public:
    enum class Scope : uint8_t { Any, Company, City, Email, Phone, Note };
    struct Word {
        std::string text;  // folded
        Scope scope = Scope::Any;
        bool digits = false;  // only ASCII digits: also compared with the phones' digits
        // For "+49170": "49170", also compared with the phones' digits, and "0170", compared
        // with the numbers written without a country code.
        std::string international, national;
        bool operator==(const Word& other) const {
            return text == other.text && scope == other.scope;
        }
    };

    // What the contact log words ask, the days as Julian day numbers.
    struct Log {
        std::optional<int64_t> since;    // the latest of the since: days
        std::optional<int64_t> before;   // the earliest of the before: days
        std::vector<std::string> types;  // folded, in the order typed
        bool Any() const { return since || before || !types.empty(); }
        bool operator==(const Log& other) const {
            return since == other.since && before == other.before && types == other.types;
        }
    };

    static SearchQuery Parse(const QString& typed, const QDate& today = QDate::currentDate());

    // No word: every person is shown.
    bool Empty() const { return words_.empty() && !log_.Any(); }
    const std::vector<Word>& Words() const { return words_; }
    const Log& LogWords() const { return log_; }
    // The since: and before: words whose date does not read, as typed: they ask nothing.
    const QStringList& Unread() const { return unread_; }
    // True when every person this query matches is also matched by the previous one, so that
    // filtering may start from the previous matches: each previous word is contained in a word
    // of this query with the same prefix (or any prefix, for a previous word without one).
    // Holds only while the index and the rows are unchanged.
    bool Narrows(const SearchQuery& previous) const;

private:
    std::vector<Word> words_;
    Log log_;
    QStringList unread_;
};

// Every person's fields and contact descriptions, folded, keyed by the person's identifier.
// Filter keeps what it learnt of the rows for the next call: no member may be called from two
// threads at once.
class PersonSearchIndex {
public:
    PersonSearchIndex();
    ~PersonSearchIndex();
    PersonSearchIndex(PersonSearchIndex&&) noexcept;
    PersonSearchIndex& operator=(PersonSearchIndex&&) noexcept;
    PersonSearchIndex(const PersonSearchIndex&) = delete;
    PersonSearchIndex& operator=(const PersonSearchIndex&) = delete;

    // Reads every person, every contact's description, day and type, and the contact types. On
    // failure (an SQLException) the index is as it was.
    void Build(const std::string& path);
    // Reads one person again after an edit, with their contacts: a person no longer in the file
    // is dropped, a new one is added. On failure the index is as it was.
    void Refresh(const std::string& path, const RecordId& id);
    // Reads the contact types' descriptions again, after they were edited.
    void RefreshTypes(const std::string& path);

    // A person the index does not know matches no word (refresh or build again); every person
    // matches the empty query.
    bool Matches(const RecordId& id, const SearchQuery& query) const;
    // The numbers of the rows whose person matches, in ascending order. With within, only those
    // rows are considered, in its order (for a query that narrows the previous one: the
    // previous result); numbers past the end of the rows are skipped. The empty query keeps
    // every row considered.
    std::vector<uint32_t> Filter(const PersonRowList& rows, const SearchQuery& query,
                                 const std::vector<uint32_t>* within = nullptr) const;

    // The persons one search finds, as Build and Filter would, in the order of the file: for a
    // program that runs one search and ends. Nothing is kept of a person who cannot match, the
    // contact descriptions are read on a second thread while the persons are read, and only
    // those holding a word of the query count.
    static std::vector<PersonRecord> FindPersons(const std::string& path, const SearchQuery& query);

    // The number of persons known.
    size_t size() const { return entryOf_.size(); }
    bool Empty() const { return entryOf_.empty(); }
    // About how much memory the index holds, in bytes.
    size_t MemoryBytes() const;

private:
    // Where each of one person's folded fields begins in text_, and where their text ends. Each
    // field is followed by a separator byte that no UTF-8 text holds, so that no word matches
    // across two fields; before Email come the digits of each phone written with other
    // characters, so that it is also found by its digits, and from national on the digits of
    // each number written with a country code as dialled at home.
    struct Entry {
        uint32_t start[PersonRecord::FieldCount + 1] = {};
        uint32_t national = 0;
        uint32_t notesBegin = 0, notesEnd = 0;  // their distinct descriptions in noteRefs_
        uint32_t logBegin = 0, logEnd = 0;      // their marks in log_
        bool live = true;                       // false once the person is gone or read again
    };
    // A person's newest contact of one type: the day as a Julian day number, kNoDay when no
    // contact of the type has a date that reads.
    struct LogMark {
        uint32_t type;  // into typeNames_; kUnknownType for a type the file does not list
        int32_t day;
    };
    static constexpr int32_t kNoDay = INT32_MIN;
    static constexpr uint32_t kUnknownType = UINT32_MAX;
    class LogReader;
    // The entry of each row last filtered, and the rows' identifiers one after the other to tell
    // that the rows are still those: looking every person up again at each keystroke would take
    // longer than the search itself.
    struct RowCache {
        std::string ids;
        std::vector<uint32_t> idEnd;
        std::vector<int> entry;  // -1 for a person the index does not know
    };
    struct Needle;
    using Fields = std::array<std::string_view, PersonRecord::FieldCount>;

    Entry AppendFields(const Fields& fields);
    uint32_t InternNote(const std::string& folded);
    void Compact();
    bool PersonMatches(const Entry& e, Needle& needle) const;
    // The contact types' descriptions read again; a type keeps its number. On failure the
    // types are as they were.
    void ReadTypes(cppsqlite3::Statement& st);
    uint32_t TypeOf(std::string_view typeId) const;
    // Per type number, whether the query's type words take it (empty without type words).
    std::vector<char> TypesTaken(const SearchQuery::Log& log) const;
    bool LogMatches(const Entry& e, const SearchQuery::Log& log,
                    const std::vector<char>& taken) const;
    void Candidates(const PersonRowList& rows, const std::vector<uint32_t>* within,
                    std::vector<std::pair<uint32_t, uint32_t>>& candidates) const;

    // Every person's folded text and the numbers of their descriptions, entry after entry. A
    // person read again gets a new entry at the end; the old one's text and numbers stay,
    // unused, until compacted.
    std::string text_;
    std::vector<uint32_t> noteRefs_;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, uint32_t> entryOf_;  // the live entry of each identifier
    size_t garbage_ = 0;                                 // bytes no live entry uses
    // The distinct folded contact descriptions and their numbers; notes_ points at the keys,
    // which stay where they are as the table grows.
    std::unordered_map<std::string, uint32_t> noteNumbers_;
    std::vector<const std::string*> notes_;
    // The marks of every entry, entry after entry, and the contact types by number: their
    // folded descriptions, and each identifier's number.
    std::vector<LogMark> log_;
    std::vector<std::string> typeNames_;
    std::unordered_map<std::string, uint32_t> typeOf_;
    mutable RowCache rowCache_;
};
