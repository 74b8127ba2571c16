// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/export_driver.h"

#include <filesystem>
#include <vector>

#include "engine/exif_reader.h"
#include "engine/folder_listing.h"
#include "engine/photo_file.h"
#include "engine/utility_functions.h"
#include "export/export_target.h"
#include "export/value_collector.h"

namespace kelvane {
namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// The target's folder is the photos folder, by name or as the same folder
// reached another way.
bool SameFolder(const std::string& targetFolder, const std::string& photosFolder) {
  if (WithSlash(Trim(targetFolder)) == WithSlash(Trim(photosFolder))) return true;
  std::error_code ec;
  return std::filesystem::equivalent(Trim(targetFolder), Trim(photosFolder), ec) && !ec;
}

bool LibraryUsable(const TagLibrary& library) { return library.SlotCount() >= 1 && library.HighestTag() >= 1; }

enum class PhotoRead { kRead, kNoMetadata };

// Reads the photo's values into the collector; kNoMetadata when its Exif
// segment can't be read (or the file can't be opened).
PhotoRead CollectPhoto(const std::string& path, const std::string& name, ValueCollector& collector) {
  PhotoFile file;
  if (!file.Open(path, PhotoFile::Mode::kRead)) return PhotoRead::kNoMetadata;
  ExifReading reading;
  int32_t slotRequest = 0;
  if (ReadExifTags(file, slotRequest, reading) != ReadResult::kOk) return PhotoRead::kNoMetadata;
  collector.AddPhoto(file, reading.segment, name);
  return PhotoRead::kRead;
}

// Sorts the collected table and hands it to the writer of the export type.
int16_t WriteTable(ValueCollector&& collector, bool sortPhotos, const ExportTarget& target,
                   ExportDriverContext& context) {
  if (collector.PhotoCount() == 0) return export_code::kNoMetadataFound;
  if (collector.SlotCount() == 0) return export_code::kNoTagsCollected;
  const auto table = std::move(collector).Finish(sortPhotos);
  if (!table) return export_code::kProcessingError;

  const ExportWriters& writers = context.writers;
  ExportWriterContext& writer = context.writer;
  bool written = false;
  switch (writer.options.exportType) {
    case ExportType::SheetCsv:
      if (!writers.sheetCsv) return export_code::kProcessingError;
      written = writers.sheetCsv(*table, target.path, writer);
      break;
    case ExportType::DbCsv:
      if (!writers.dbCsv) return export_code::kProcessingError;
      written = writers.dbCsv(*table, target.path, target.suffixes, writer);
      break;
    case ExportType::Workbook:
      if (!writers.workbook) return export_code::kProcessingError;
      written = writers.workbook(*table, target.path, writer);
      break;
    case ExportType::Database:
      if (!writers.database) return export_code::kProcessingError;
      written = writers.database(*table, target.path, writer);
      break;
  }
  return written ? export_code::kExported : export_code::kWriteFailed;
}

}  // namespace

ExportFolderResult ExportFolder(const std::string& folder, const std::string& targetText,
                                ExportDriverContext& context) {
  ExportWriterContext& writer = context.writer;
  ExportOptions& options = writer.options;
  ExportFolderResult result;
  const std::string photosFolder = WithSlash(Trim(folder));
  const std::string trimmedTarget = Trim(targetText);
  if (SameFolder(FolderOf(trimmedTarget), photosFolder)) {
    result.code = export_code::kTargetInPhotoFolder;
    return result;
  }
  // A damaged library is found before anything is asked or deleted.
  if (!LibraryUsable(writer.library)) {
    result.code = export_code::kProcessingError;
    return result;
  }
  const ExportTarget target = NameExportTarget(trimmedTarget, options.exportType, writer.settings);
  result.targetText = target.rewrittenText;
  RunAnswer folderAnswer = RunAnswer::kNotAsked;
  result.code = SettleExistingTarget(target, ExportCaller::kFolder, options, folderAnswer, writer.ui);
  if (result.code != export_code::kExported) return result;

  const std::vector<std::string> names = ListFolderFiles(photosFolder).value_or(std::vector<std::string>{});
  if (names.empty()) {
    result.code = export_code::kNoMetadataFound;
    return result;
  }
  ValueCollector collector(writer.library, options.excludeTechnical, writer.valueCharLimit);
  bool someWithout = false;
  for (const std::string& name : names) {
    const std::string path = photosFolder + name;
    if (!FileExists(path)) continue;
    if (CollectPhoto(path, name, collector) == PhotoRead::kNoMetadata) someWithout = true;
  }
  result.code = WriteTable(std::move(collector), true, target, context);
  if (result.code == export_code::kExported && someWithout) result.code = export_code::kExportedSomeWithout;
  return result;
}

int16_t ExportPhoto(const std::string& photoPath, const std::string& target, ExportDriverContext& context) {
  ExportWriterContext& writer = context.writer;
  ExportOptions& options = writer.options;
  if (!context.singlePhotoMode && !options.perPhoto) return export_code::kProcessingError;
  if (!LibraryUsable(writer.library)) return export_code::kProcessingError;

  const ExportTarget named = NameExportTarget(target, options.exportType, writer.settings);
  // The first call of a file-per-photo run, and every single-photo export,
  // starts with no answer given.
  if (!options.perPhotoRunStarted || context.singlePhotoMode) {
    context.runAnswer = RunAnswer::kNotAsked;
    if (!context.singlePhotoMode) options.perPhotoRunStarted = true;
  }
  const int16_t settled = SettleExistingTarget(named, ExportCaller::kPhoto, options, context.runAnswer, writer.ui);
  if (settled != export_code::kExported) return settled;

  if (!FileExists(photoPath)) return export_code::kNoMetadataFound;
  ValueCollector collector(writer.library, options.excludeTechnical, writer.valueCharLimit);
  if (CollectPhoto(photoPath, FileNameOf(photoPath), collector) == PhotoRead::kNoMetadata) {
    return export_code::kExifUnreadable;
  }
  return WriteTable(std::move(collector), false, named, context);
}

}  // namespace kelvane
