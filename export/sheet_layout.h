// SPDX-License-Identifier: GPL-2.0-or-later
// The column layout shared by the spreadsheet CSV and the workbook: which
// tags get a column, their titles and identifiers, and the unknown-tags cell.
#pragma once

#include <string>
#include <vector>

#include "export/export_table.h"

namespace kelvane {

struct SheetLayout {
  std::vector<size_t> columns;       // export-order slot numbers that get a column
  std::vector<std::string> titles;   // per column: the record's title as stored, or empty
  std::vector<int32_t> columnTags;   // per column: the tag number
  std::vector<int32_t> unknownTags;  // tags without a column, in export order
  std::string unknownCell;           // "[0001|0002]" cut to the value limit; empty when none
};

// A tag below 33, or one whose record lacks formatting fields, is unknown;
// a tag with no record at all keeps its column with an empty title.
SheetLayout MakeSheetLayout(const ExportTable& table, const TagLibrary& library, int16_t valueCharLimit);

// Tag t as four upper-case hexadecimal digits ("9003").
std::string Hex4(int32_t tag);

// The text cut to its first limit - 3 characters followed by " ++" when it
// is longer than limit.
std::string CutToLimit(const std::string& text, int16_t limit);

}  // namespace kelvane
