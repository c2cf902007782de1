#pragma once

#include <string>
#include <utility>
#include <vector>

#include "PersonRecord.h"
#include "RecordEditing.h"

// Merging persons found twice into one, and the undo of it: the kept person takes the values
// chosen, the others' contacts move to the kept person with their dates and types, the others
// go. No widgets.
namespace editing {

// One transaction, stamped: kept gets the fields (stored text; the record id is kept's), the
// contacts of others go to kept, others are deleted. Throws SQLException, also when kept or one
// of the others is not in the book (nothing is changed then).
MergedRecords MergePersons(const std::string& path, const RecordId& kept,
                           const PersonRecord& fields, const std::vector<RecordId>& others);
// Puts every row back as it was before the merge, in one transaction ending with the stamp.
// Throws SQLException when the book has changed so that this cannot be done (the kept person
// gone, one of the others back, a moved contact gone).
void UndoMerge(const std::string& path, const MergedRecords& merged);

}  // namespace editing
