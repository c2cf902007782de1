#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include <QString>

#include "AddressBook.h"
#include "PersonSearch.h"

// What the search field above the person list leaves shown: the query typed, every person of
// the file kept aside while a search leaves only some of them in the list, the rows the last
// search found (a longer query narrows them), the persons added or changed meanwhile (they stay
// shown until the search changes), and the index of the file's persons the search reads.
class SearchState {
public:
    // Reads the index when it is needed and not ready; false when it could not be read (the
    // caller has said why). The view passes one that shows its wait and its failures.
    using IndexReader = std::function<bool()>;

    bool Filtered() const { return !query_.Empty(); }
    const SearchQuery& Query() const { return query_; }
    // How many persons the file has, shown or not, when the list shows shownRows of them.
    size_t PersonCount(size_t shownRows) const { return Filtered() ? all_.size() : shownRows; }

    // The search typed. listed: the rows the list shows now (every person, while nothing was
    // searched for). The rows to show: those found, or every person again when the query is
    // empty.
    PersonRowList Type(const QString& text, const PersonRowList& listed,
                       const IndexReader& readIndex);
    // Every person of the file, read again in list order: the rows to show.
    PersonRowList Reloaded(PersonRowList all, const IndexReader& readIndex);

    // A person added or changed while searching stays shown until the search changes.
    void Pin(const RecordId& id);
    // A person's newest contact changed: the persons kept aside while searching learn it too.
    void SetLastContact(const RecordId& id, DateTime when);

    bool IndexReady() const { return indexReady_; }
    // Whether the index is to be read before the search can use it.
    bool NeedsIndex() const { return !indexReady_ || index_.size() != all_.size(); }
    // Reads every person of the file for matching; on failure (an SQLException) the state is as
    // it was.
    void ReadIndex(const std::string& path);
    // The persons a command worked on, read again; a failure leaves the index to be read whole
    // the next time.
    void RefreshIndex(const std::string& path, const std::vector<RecordId>& ids);
    // The file changed behind the view: the index is read again when next needed.
    void Invalidate() { indexReady_ = false; }
    // Another file: nothing of the last one's search stays, the query included.
    void Clear();

private:
    PersonRowList Shown(bool narrowing, const IndexReader& readIndex);

    SearchQuery query_;
    // While searching, every person of the file in list order; otherwise empty, the list
    // itself holding every person.
    PersonRowList all_;
    PersonSearchIndex index_;
    bool indexReady_ = false;
    // The rows of all_ the last search found, to narrow the next one from.
    std::vector<uint32_t> matches_;
    std::unordered_set<RecordId> pinned_;
};
