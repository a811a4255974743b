// Column layouts of the tables Outlook creates (hierarchy, contents, FAI
// contents, search contents, attachment and recipient tables), byte for byte,
// for TableContextBuilder::withLayout.
#pragma once
#include <vector>

#include "pst/ltp/table_context.h"

namespace pst::ltp::templates {

std::vector<ColumnDesc> hierarchyTable();       // 13 columns, 55-byte rows
std::vector<ColumnDesc> contentsTable();        // 28 columns, 126-byte rows
std::vector<ColumnDesc> faiContentsTable();     // 15 columns, 59-byte rows
std::vector<ColumnDesc> searchContentsTable();  // 19 columns, 78-byte rows
std::vector<ColumnDesc> attachmentTable();      // 6 columns, 25-byte rows
std::vector<ColumnDesc> recipientTable();       // 14 columns, 52-byte rows

}  // namespace pst::ltp::templates
