#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "AddressBook.h"
#include "PersonRecord.h"

// The search behind the main window's search field: what the user typed, read as words, and an
// index of every person's searchable text, folded once when the file is read so that a keystroke
// only scans memory.

// Text as the search compares it, as UTF-8: lower case, accents and other non-spacing marks
// dropped, compatibility forms (ligatures, full-width letters) as their plain letters, and the
// letters that keep no accent to drop spelled as an ASCII typist would: ß ss, æ ae, œ oe, ø o,
// ł l, đ d, ð d, þ th, ħ h, ı i; typographic quotes and dashes as ' " -. A stored field may be
// UTF-8 or Windows-1252 (as FromStoredText reads it).
std::string FoldForSearch(std::string_view stored);
std::string FoldForSearch(const QString& text);

// What the user typed in the search field: words separated by white space. A person matches when
// every word is found, ignoring case and accents, inside one field of theirs: any person field or
// the description of any of their contacts. A word of digits alone also matches the phone fields
// by their digits ("301234567" finds "+49 (0)30 123-4567"). A word may start with a prefix that
// limits it to some fields: "company:", "city:", "email:", "phone:" (the six phone fields) and
// "note:" (contact descriptions), in any case; a prefix alone adds nothing, and an unknown
// "xyz:" is part of the word.
class SearchQuery {
public:
    enum class Scope : uint8_t { Any, Company, City, Email, Phone, Note };
    struct Word {
        std::string text;  // folded
        Scope scope = Scope::Any;
        bool digits = false;  // only ASCII digits: also compared with the phones' digits
        bool operator==(const Word& other) const {
            return text == other.text && scope == other.scope;
        }
    };

    static SearchQuery Parse(const QString& typed);

    // No word: every person is shown.
    bool Empty() const { return words_.empty(); }
    const std::vector<Word>& Words() const { return words_; }
    // True when every person this query matches is also matched by the previous one, so that
    // filtering may start from the previous matches: each previous word is contained in a word
    // of this query with the same prefix (or any prefix, for a previous word without one).
    // Holds only while the index and the rows are unchanged.
    bool Narrows(const SearchQuery& previous) const;

private:
    std::vector<Word> words_;
};

// Every person's fields and contact descriptions, folded, keyed by the person's identifier.
// Const members may be called from several threads at once; Build and Refresh may not.
class PersonSearchIndex {
public:
    PersonSearchIndex();
    ~PersonSearchIndex();
    PersonSearchIndex(PersonSearchIndex&&) noexcept;
    PersonSearchIndex& operator=(PersonSearchIndex&&) noexcept;
    PersonSearchIndex(const PersonSearchIndex&) = delete;
    PersonSearchIndex& operator=(const PersonSearchIndex&) = delete;

    // Reads every person and every contact description of the file (two queries). On failure
    // (an SQLException) the index is as it was.
    void Build(const std::string& path);
    // Reads one person again after an edit, with their contacts: a person no longer in the file
    // is dropped, a new one is added. On failure the index is as it was.
    void Refresh(const std::string& path, const RecordId& id);

    // A person the index does not know matches no word (refresh or build again); every person
    // matches the empty query.
    bool Matches(const RecordId& id, const SearchQuery& query) const;
    // The numbers of the rows whose person matches, in ascending order. With within, only those
    // rows are considered, in its order (for a query that narrows the previous one: the
    // previous result); numbers past the end of the rows are skipped. The empty query keeps
    // every row considered.
    std::vector<uint32_t> Filter(const PersonRowList& rows, const SearchQuery& query,
                                 const std::vector<uint32_t>* within = nullptr) const;

    // The number of persons known.
    size_t size() const { return order_.size(); }
    bool Empty() const { return order_.empty(); }
    // About how much memory the index holds, in bytes.
    size_t MemoryBytes() const;

private:
    struct Entry;
    struct WordScan;
    struct RowCache;
    using Fields = std::array<std::string_view, PersonRecord::FieldCount>;

    int Find(std::string_view id) const { return Find(id, HashId(id)); }
    int Find(std::string_view id, uint64_t hash) const;
    static uint64_t HashId(std::string_view id);
    std::string_view IdOf(uint32_t entry) const;
    void Insert(uint32_t entry);
    void Rehash(size_t slotCount);
    Entry AppendFields(const Fields& fields, std::string& scratch);
    void AddEntry(std::string_view id, const Entry& entry);
    void Unlist(uint32_t entry);
    uint32_t InternNote(std::string_view folded);
    void RehashNotes(size_t slotCount);
    void Compact();
    bool PersonMatches(const Entry& e, const SearchQuery::Word& word, const WordScan& scan) const;
    bool NotesMatch(const Entry& e, const SearchQuery::Word& word, const WordScan& scan) const;
    void ScanNotes(const SearchQuery::Word& word, WordScan& scan) const;
    void MatchEveryone(const SearchQuery::Word& word, std::vector<uint64_t>& matched) const;
    void Candidates(const PersonRowList& rows, const std::vector<uint32_t>* within,
                    std::vector<std::pair<uint32_t, uint32_t>>& candidates) const;

    // The persons' folded fields, each followed by a separator byte that no UTF-8 text holds,
    // so that no word matches across two fields. An edited person's new text goes at the end;
    // the old stays, unused, until the index is compacted.
    std::string text_;
    std::vector<Entry> entries_;
    std::vector<uint32_t> order_;    // the entries still in the file, by where their text lies
    std::string idText_;             // the identifiers, entry after entry
    std::vector<uint32_t> idStart_;  // where each entry's identifier begins, and one past the last
    std::vector<uint32_t> slots_;    // entry + 1 by the identifier's hash; 0 is free
    size_t garbage_ = 0;             // bytes of text_ and noteRefs_ no entry uses any more

    // The distinct folded contact descriptions, each followed by a separator; a person's
    // contacts refer to them by number, so that descriptions used often are kept once.
    std::string noteText_;
    std::vector<uint32_t> noteStart_;  // where each begins, and one past the last
    std::vector<uint32_t> noteSlots_;  // note + 1 by the description's hash; 0 is free
    std::vector<uint32_t> noteRefs_;   // the notes of each person's contacts, a run per entry

    // The entries of the rows last filtered: looking every person up again at each keystroke
    // would take longer than the search itself.
    std::unique_ptr<RowCache> rowCache_;
};
