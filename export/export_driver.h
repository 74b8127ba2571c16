// SPDX-License-Identifier: GPL-2.0-or-later
// The two export drivers: all photos of a folder into one output, or one
// photo into one output. Each names its target, settles an existing one with
// the user, collects the photos' tag values and hands the table to the
// writer of the chosen export type.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "export/csv_writers.h"
#include "export/database_writer.h"
#include "export/export_result.h"
#include "export/export_table.h"
#include "export/workbook_writer.h"

namespace kelvane {

// A writer of a whole table into target; false when it failed.
using TableWriter = std::function<bool(const ExportTable&, const std::string& target, ExportWriterContext&)>;
using DbCsvWriter =
    std::function<bool(const ExportTable&, const std::string& target, const DbCsvSuffixes&, ExportWriterContext&)>;

// The writer of each export type; tests replace them. An export of a type
// without a writer gives kProcessingError.
struct ExportWriters {
  TableWriter sheetCsv = WriteSheetCsv;
  DbCsvWriter dbCsv = WriteDbCsv;
  TableWriter workbook = WriteWorkbook;
  TableWriter database = WriteAccessDb;
};

// What a driver call works with besides the photos and the target.
struct ExportDriverContext {
  // Library, settings, user interface, export options and the settings the
  // writers read; the drivers read excludeTechnical and valueCharLimit too.
  ExportWriterContext& writer;
  const ExportWriters& writers;
  // Kept by the batch runner for one run.
  RunAnswer& runAnswer;
  bool singlePhotoMode = false;
};

struct ExportFolderResult {
  int16_t code = export_code::kExported;
  // The text the export target box is to show from now on, when the target
  // was renamed (a database CSV target ending with a file suffix).
  std::optional<std::string> targetText;
};

// Exports every file of folder (a "/"-terminated folder) into targetText,
// the export target box's text.
ExportFolderResult ExportFolder(const std::string& folder, const std::string& targetText, ExportDriverContext& context);

// Exports one photo into target; used in single-photo mode and for the
// spreadsheet CSV with a file per photo.
int16_t ExportPhoto(const std::string& photoPath, const std::string& target, ExportDriverContext& context);

}  // namespace kelvane
