// SPDX-License-Identifier: GPL-2.0-or-later
// The XML part of a worksheet, built from cells given row by row and
// written into a scratch file as it grows, so that a sheet of any size
// needs little memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "export/scratch_file.h"

namespace kelvane {

// A column number (1 = A) as its letters: 1 "A", 27 "AA"; empty for 0.
std::string ColumnName(uint32_t column);

// Where a part lies in a scratch file.
struct PartRange {
  uint64_t offset = 0;
  uint64_t length = 0;
};

// Cells are added row by row and, within a row, left to right; texts are
// stored as inline strings, so the package needs no shared-strings part.
class WorksheetXml {
 public:
  static constexpr uint32_t kMaxRows = 1048576;
  static constexpr uint32_t kMaxColumns = 16384;

  // Starts a part at the end of file.
  explicit WorksheetXml(ScratchFile& file);

  // False, and nothing added, when the cell is outside the sheet or does not
  // come after the cell added before it, or the file can't be written.
  bool AddText(uint32_t row, uint32_t column, std::string_view text);
  bool AddNumber(uint32_t row, uint32_t column, int64_t value);

  // Closes the part; where it lies, or nothing when the file failed.
  std::optional<PartRange> Finish();

 private:
  bool StartCell(uint32_t row, uint32_t column);

  ScratchFile& file_;
  uint64_t start_;
  std::string xml_;  // the cell being added
  uint32_t row_ = 0;
  uint32_t column_ = 0;
  bool ok_;
};

}  // namespace kelvane
