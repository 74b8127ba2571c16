// SPDX-License-Identifier: GPL-2.0-or-later
// The table an export collects (one row per photo, one column per tag) as
// its writers get it, the export panel's choices and what a writer reads
// besides the table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/settings_store.h"
#include "engine/user_interface.h"
#include "export/photo_spill.h"
#include "export/tag_library.h"

namespace kelvane {

enum class ExportType : int { SheetCsv = 0, DbCsv = 1, Workbook = 2, Database = 3, Json = 4 };

// The export panel's choices (the export option set of the main window).
struct ExportOptions {
  ExportType exportType = ExportType::SheetCsv;
  bool perPhoto = false;            // an output (workbook: a worksheet) per photo
  bool excludeTechnical = false;    // leave out tags whose library class is technical
  bool workbookAvailable = true;    // always: the workbook writer is the program's own
  bool appendMode = false;          // add to an existing workbook or database
  bool perPhotoRunStarted = false;  // set on the first ExportPhoto call of a file-per-photo run
  // The export goes to standard output (kelvane-cli --to -): spreadsheet CSV
  // and JSON only, one table, no target file.
  bool toStandardOutput = false;
};

// The photos an export read, in export order (by name, as bytes compare),
// and every tag they hold, in tag-number order. The photos are read back
// one at a time.
class CollectedPhotos {
 public:
  CollectedPhotos(std::vector<int32_t> tags, PhotoSpill& photos) : tags_(std::move(tags)), photos_(photos) {}

  const std::vector<int32_t>& Tags() const { return tags_; }
  size_t PhotoCount() const { return photos_.Count(); }
  // Hands each photo to visit; false when reading failed or visit said stop.
  bool ForEach(const std::function<bool(const PhotoValues&)>& visit) const { return photos_.Replay(visit); }

 private:
  std::vector<int32_t> tags_;
  PhotoSpill& photos_;
};

// The file-name suffixes of the three database CSV files (tags, files,
// data), each already ending with "." and the target's extension.
using DbCsvSuffixes = std::array<std::string, 3>;

// The files an export writes.
struct ExportTarget {
  // The output. Database CSV: folder + base name, no extension; the files
  // are path + each suffix.
  std::string path;
  DbCsvSuffixes suffixes;
  std::vector<std::string> files;     // every file the output consists of
  std::vector<std::string> existing;  // those of files that exist
  // Database CSV: the target text with the file suffix cut off, when one was.
  std::optional<std::string> rewrittenText;
  bool standardOutput = false;
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
