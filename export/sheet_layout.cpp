// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/sheet_layout.h"

#include <cstdio>

namespace kelvane {

std::string Hex4(int32_t tag) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(tag));
  return buf;
}

std::string CutToLimit(const std::string& text, int16_t limit) {
  if (limit < 3 || static_cast<int64_t>(text.size()) <= limit) return text;
  return text.substr(0, static_cast<size_t>(limit - 3)) + " ++";
}

SheetLayout MakeSheetLayout(const std::vector<int32_t>& tags, const TagLibrary& library, int16_t valueCharLimit) {
  SheetLayout layout;
  for (const int32_t tag : tags) {
    bool unknown = tag < 33;
    std::string title;
    if (!unknown) {
      if (const auto record = library.Record(tag)) {
        unknown = !record->HasFormatting();
        title = std::string(record->title);
      }
    }
    if (unknown) {
      layout.unknownTags.push_back(tag);
      continue;
    }
    layout.columnTags.push_back(tag);
    layout.titles.push_back(std::move(title));
  }
  if (!layout.unknownTags.empty()) {
    std::string cell = "[";
    for (size_t i = 0; i < layout.unknownTags.size(); ++i) {
      if (i > 0) cell += '|';
      cell += Hex4(layout.unknownTags[i]);
    }
    cell += ']';
    layout.unknownCell = CutToLimit(cell, valueCharLimit);
  }
  return layout;
}

std::vector<std::string_view> RowCells(const SheetLayout& layout, const PhotoValues& photo) {
  std::vector<std::string_view> cells(layout.columnTags.size());
  // Both lists are in tag-number order.
  size_t v = 0;
  for (size_t c = 0; c < cells.size(); ++c) {
    while (v < photo.values.size() && photo.values[v].tag < layout.columnTags[c]) ++v;
    if (v < photo.values.size() && photo.values[v].tag == layout.columnTags[c]) cells[c] = photo.values[v].text;
  }
  return cells;
}

}  // namespace kelvane
