// SPDX-License-Identifier: GPL-2.0-or-later
// The column layout shared by the spreadsheet CSV and the workbook: which
// tags get a column, their titles and identifiers, the unknown-tags cell,
// and the folder column that closes every row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/photo_values.h"
#include "export/tag_library.h"

namespace kelvane {

inline constexpr std::string_view kUnknownTagsTitle = "[Unknown Tags]";
// The last column: the folder of the photo named in the first.
inline constexpr std::string_view kFolderTitle = "Folder";

struct SheetLayout {
  std::vector<int32_t> columnTags;   // per column: the tag number, in export order
  std::vector<std::string> titles;   // per column: the record's title, or empty
  std::vector<int32_t> unknownTags;  // tags without a column, in export order
  std::string unknownCell;           // "[0001|0002]" cut to the value limit; empty when none

  bool HasUnknownColumn() const { return !unknownTags.empty(); }
};

// tags: every tag of the export, in tag-number order. A tag below 33, or one
// whose record lacks formatting fields, is unknown; a tag with no record at
// all keeps its column with an empty title.
SheetLayout MakeSheetLayout(const std::vector<int32_t>& tags, const TagLibrary& library, int16_t valueCharLimit);

// The photo's text in each column of the layout; empty where it has none.
std::vector<std::string_view> RowCells(const SheetLayout& layout, const PhotoValues& photo);

// Tag t as four upper-case hexadecimal digits ("9003"; GPS tags have five).
std::string Hex4(int32_t tag);

// The text cut to its first limit - 3 characters followed by " ++" when it
// is longer than limit.
std::string CutToLimit(const std::string& text, int16_t limit);

}  // namespace kelvane
