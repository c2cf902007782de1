#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "AddressBook.h"
#include "ContactTimes.h"
#include "DateTime.h"

// The time of each person's newest contact, for the person list's "Last Contact" column: read
// whole when first asked for and after the file changed behind the view, then person by person
// as commands change their contacts, so that a reload after an edit reads no contact at all.
// No widgets.
class LastContacts {
public:
    bool Ready() const { return ready_; }
    // Reads every person's newest contact (one query, down the index by person and date). On
    // failure (an SQLException) nothing is kept and Ready() is false.
    void Read(const std::string& path);
    // The persons a command worked on, read again; a failure leaves the whole to be read again.
    void Refresh(const std::string& path, const std::vector<RecordId>& ids);
    void Invalidate() { ready_ = false; }
    void Clear();

    // Invalid for a person without contacts (or not known).
    DateTime Of(std::string_view id) const;
    // Gives the rows their persons' newest contacts. The persons are then kept in the rows'
    // order, so that the next fill of rows alike goes straight down both.
    void Fill(PersonRowList& rows);

private:
    void Set(std::string_view id, DateTime when);
    size_t Slot(std::string_view id) const;
    std::string_view IdAt(uint32_t entry) const;
    void Grow();
    bool SameOrder(const PersonRowList& rows) const;

    // The identifiers one after the other, where each ends, the times, and an open-addressing
    // table of entry numbers (+1; 0 is free): a million persons take some 50 MB, not the 150 a
    // map of strings would.
    std::string ids_;
    std::vector<uint32_t> idEnd_;
    std::vector<DateTime> when_;
    std::vector<uint32_t> slots_;
    bool ready_ = false;
};

// The rows by their newest contact, newest first or oldest first, persons without contacts last
// either way; rows alike keep their order.
void SortByLastContact(PersonRowList& rows, bool newestFirst);
