// SPDX-License-Identifier: GPL-2.0-or-later
// The two export drivers: photos of a folder into one output, or one photo
// into one output. Each names its target, settles an existing one with the
// user, collects the photos' tag values (one photo in memory at a time) and
// hands them to the writer of the chosen export type.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "export/csv_writers.h"
#include "export/database_writer.h"
#include "export/export_result.h"
#include "export/export_table.h"
#include "export/json_writer.h"
#include "export/workbook_writer.h"

namespace kelvane {

// A writer of the collected photos into target; false when it failed.
using PhotosWriter = std::function<bool(const CollectedPhotos&, const ExportTarget&, ExportWriterContext&)>;

// The writer of each export type; tests replace them. An export of a type
// without a writer gives kProcessingError.
struct ExportWriters {
  PhotosWriter sheetCsv = WriteSheetCsv;
  PhotosWriter dbCsv = WriteDbCsv;
  PhotosWriter workbook = WriteWorkbook;
  PhotosWriter database = WriteAccessDb;
  PhotosWriter json = WriteJson;
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

// Exports the files names of folder (a "/"-terminated folder; the caller
// has left out what is not to be read: links, sidecars, files that are no
// photos) into targetText, the export target box's text. The photos go in
// in name order. A file the system would not let be read is listed in
// unread; one without readable Exif metadata makes the result
// kExportedSomeWithout.
ExportFolderResult ExportFolder(const std::string& folder, const std::vector<std::string>& names,
                                const std::string& targetText, ExportDriverContext& context);

// Exports one photo into target; used in single-photo mode and for the
// spreadsheet CSV with a file per photo.
ExportPhotoResult ExportPhoto(const std::string& photoPath, const std::string& target, ExportDriverContext& context);

// Whether a type can be written to standard output: one table, one stream.
bool StreamsToStandardOutput(ExportType type);

}  // namespace kelvane
