#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "PersonRecord.h"

namespace transfer {

// The person field a column is meant for, from the name in the file's first line: the names of
// this program's own export and those of the common address-book exports (Outlook, Google,
// Thunderbird, Yahoo, Windows Live Mail in English and German). Names compare without regard to
// case, blanks, hyphens and underscores. FieldCount when the name means none of them.
PersonRecord::Field FieldForColumnName(std::string_view name);

// For each column label, the import field name (as the import's list names it) assigned to it,
// or empty. Where several columns mean one field, the first of them takes it.
std::vector<std::string> AssignColumns(const std::vector<std::string>& labels);

}  // namespace transfer
