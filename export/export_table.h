// SPDX-License-Identifier: GPL-2.0-or-later
// The table an export collects: one row per tag, one column per photo, and
// what the writers need to turn it into files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/settings_store.h"
#include "engine/user_interface.h"
#include "export/tag_library.h"

namespace kelvane {

enum class ExportType : int { SheetCsv = 0, DbCsv = 1, Workbook = 2, Database = 3 };

// The export panel's choices (the export option set of the main window).
struct ExportOptions {
  ExportType exportType = ExportType::SheetCsv;
  bool perPhoto = false;            // an output (workbook: a worksheet) per photo
  bool excludeTechnical = false;    // leave out tags whose library class is technical
  bool workbookAvailable = true;    // always: the workbook writer is the program's own
  bool appendMode = false;          // add to an existing workbook or database
  bool perPhotoRunStarted = false;  // set on the first ExportPhoto call of a file-per-photo run
};

// Collected values, sorted for output. photoNames and slotTags are in export
// order; photoOrder[p] and slotOrder[k] give the matching column and row of
// values, which keeps the order of collection.
struct ExportTable {
  std::vector<std::string> photoNames;
  std::vector<int32_t> slotTags;
  std::vector<int32_t> photoOrder;
  std::vector<int32_t> slotOrder;
  std::vector<std::vector<std::string>> values;  // [row][column]; empty = no value

  size_t PhotoCount() const { return photoNames.size(); }
  size_t SlotCount() const { return slotTags.size(); }
  // The value of the k-th tag for the p-th photo, both in export order.
  const std::string& Value(size_t k, size_t p) const {
    return values[static_cast<size_t>(slotOrder[k])][static_cast<size_t>(photoOrder[p])];
  }
};

// Everything a writer reads besides the table.
struct ExportWriterContext {
  const TagLibrary& library;
  SettingsStore& settings;
  RunUi& ui;
  ExportOptions& options;
  uint8_t csvDelimiter = 9;
  bool hexTagIds = false;
  int16_t valueCharLimit = 250;
  // Database CSV only: the "Initial File number:" text; the writer puts "1"
  // back here when it was below 1.
  std::string* initialFileNumber = nullptr;
};

}  // namespace kelvane
