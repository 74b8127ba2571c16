// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/sheet_layout.h"

#include <cstdio>

namespace kelvane {

std::string Hex4(int32_t tag) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(tag) & 0xFFFFu);
  return buf;
}

std::string CutToLimit(const std::string& text, int16_t limit) {
  if (limit < 3 || static_cast<int64_t>(text.size()) <= limit) return text;
  return text.substr(0, static_cast<size_t>(limit - 3)) + " ++";
}

SheetLayout MakeSheetLayout(const ExportTable& table, const TagLibrary& library, int16_t valueCharLimit) {
  SheetLayout layout;
  for (size_t k = 0; k < table.SlotCount(); ++k) {
    const int32_t tag = table.slotTags[k];
    bool unknown = tag < 33;
    std::string title;
    if (!unknown) {
      const auto record = library.LoadLibraryString(static_cast<uint16_t>(tag));
      if (record) {
        const TagRecord parsed = ParseTagRecord(*record);
        unknown = !parsed.HasFormatting();
        // The title as stored: from column 25 on.
        if (record->size() > 24) title = std::string(record->substr(24));
      }
    }
    if (unknown) {
      layout.unknownTags.push_back(tag);
      continue;
    }
    layout.columns.push_back(k);
    layout.titles.push_back(std::move(title));
    layout.columnTags.push_back(tag);
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

}  // namespace kelvane
