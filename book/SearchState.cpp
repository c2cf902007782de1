#include "SearchState.h"

#include <algorithm>

#include "SQLException.h"

PersonRowList SearchState::Type(const QString& text, const PersonRowList& listed,
                                const IndexReader& readIndex) {
    const SearchQuery previous = query_;
    query_ = SearchQuery::Parse(text);
    pinned_.clear();
    if (Filtered()) {
        // The whole list is kept aside only while a search leaves part of it shown.
        if (previous.Empty()) {
            all_ = listed;
        }
        // What the user added to the search can only narrow what it found.
        return Shown(!previous.Empty() && query_.Narrows(previous), readIndex);
    }
    matches_.clear();
    if (previous.Empty()) {
        // Blanks typed into an empty field: the list stays as it is.
        return listed;
    }
    PersonRowList all = std::move(all_);
    all_ = PersonRowList();
    return all;
}

PersonRowList SearchState::Reloaded(PersonRowList all, const IndexReader& readIndex) {
    if (!Filtered()) {
        return all;
    }
    all_ = std::move(all);
    return Shown(false, readIndex);
}

void SearchState::Pin(const RecordId& id) {
    if (Filtered() && !id.empty()) {
        pinned_.insert(id);
    }
}

void SearchState::ReadIndex(const std::string& path) {
    PersonSearchIndex index;
    index.Build(path);
    index_ = std::move(index);
    indexReady_ = true;
}

void SearchState::RefreshIndex(const std::string& path, const std::vector<RecordId>& ids) {
    if (!indexReady_) {
        return;
    }
    try {
        // The contact types may have been edited: type: words read their new names, with each
        // person read again, or alone.
        bool read = false;
        for (const RecordId& id : ids) {
            if (!id.empty()) {
                index_.Refresh(path, id);
                read = true;
            }
        }
        if (!read) {
            index_.RefreshTypes(path);
        }
    } catch (const std::exception&) {
        indexReady_ = false;
    }
}

void SearchState::Clear() {
    query_ = SearchQuery();
    all_ = PersonRowList();
    index_ = PersonSearchIndex();
    indexReady_ = false;
    matches_.clear();
    pinned_.clear();
}

PersonRowList SearchState::Shown(bool narrowing, const IndexReader& readIndex) {
    std::vector<uint32_t> found;
    // Persons the index does not know (read behind the view's back) are read with the rest.
    if (NeedsIndex()) {
        indexReady_ = false;
        narrowing = false;
    }
    if (indexReady_ || (readIndex && readIndex() && indexReady_)) {
        found = index_.Filter(all_, query_, narrowing ? &matches_ : nullptr);
    }
    matches_ = found;
    if (!pinned_.empty()) {
        std::vector<char> shown(all_.size(), 0);
        for (const uint32_t row : found) {
            shown[row] = 1;
        }
        for (size_t row = 0; row < all_.size(); ++row) {
            if (!shown[row] && pinned_.count(RecordId(all_.Id(row))) > 0) {
                found.push_back(static_cast<uint32_t>(row));
            }
        }
        std::sort(found.begin(), found.end());
    }
    PersonRowList rows;
    for (const uint32_t row : found) {
        rows.Append({all_.Id(row), all_.Field(row, PersonRowList::FNameField),
                     all_.Field(row, PersonRowList::LNameField), all_.Company(row)},
                    all_.LastContact(row));
    }
    return rows;
}

void SearchState::SetLastContact(const RecordId& id, DateTime when) {
    if (!Filtered() || !all_.HasLastContacts()) {
        return;
    }
    const int row = all_.Find(id);
    if (row >= 0) {
        all_.SetLastContact(static_cast<size_t>(row), when);
    }
}
