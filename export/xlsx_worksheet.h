// SPDX-License-Identifier: GPL-2.0-or-later
// The XML part of one worksheet, built from cells given row by row.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

// A column number (1 = A) as its letters: 1 "A", 27 "AA"; empty for 0.
std::string ColumnName(uint32_t column);

// Cells are added row by row and, within a row, left to right; texts are
// stored as inline strings, so the package needs no shared-strings part.
class WorksheetXml {
 public:
  static constexpr uint32_t kMaxRows = 1048576;
  static constexpr uint32_t kMaxColumns = 16384;

  WorksheetXml();

  // False, and nothing added, when the cell is outside the sheet or does not
  // come after the cell added before it.
  bool AddText(uint32_t row, uint32_t column, std::string_view text);
  bool AddNumber(uint32_t row, uint32_t column, int64_t value);

  // The finished part; the builder is empty afterwards.
  std::string Finish();

 private:
  bool StartCell(uint32_t row, uint32_t column);

  std::string xml_;
  uint32_t row_ = 0;
  uint32_t column_ = 0;
};

}  // namespace kelvane
