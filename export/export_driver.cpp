// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/export_driver.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "engine/exif_reader.h"
#include "engine/photo_file.h"
#include "engine/utility_functions.h"
#include "export/clean_text.h"
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

// The folder as a whole path, as exports record it.
std::string WholeFolder(const std::string& folder) {
  std::error_code ec;
  const std::filesystem::path whole = std::filesystem::absolute(folder.empty() ? "." : folder, ec);
  return ec ? folder : WithSlash(whole.lexically_normal().string());
}

bool LibraryUsable(const TagLibrary& library) { return library.SlotCount() >= 1 && library.HighestTag() >= 1; }

ExportTarget TargetOf(const std::string& text, ExportDriverContext& context) {
  const ExportOptions& options = context.writer.options;
  if (!options.toStandardOutput) return NameExportTarget(text, options.exportType, context.writer.settings);
  ExportTarget target;
  target.path = std::string(1, '-');  // not "-": a false -Wrestrict warning of GCC 12
  target.standardOutput = true;
  return target;
}

// The photos read so far: in a scratch file, with every tag they hold.
class Collection {
 public:
  explicit Collection(ExportDriverContext& context)
      : collector_(context.writer.library, {context.writer.options.excludeTechnical, context.writer.valueCharLimit,
                                            context.writer.options.exportType == ExportType::Json ||
                                                context.writer.options.exportType == ExportType::Database}) {}

  enum class Read { kRead, kNoMetadata, kMissing, kLink, kUnreadable, kNotKept };

  // Reads the photo at folder + name; error tells why it could not be.
  Read Add(const std::string& folder, const std::string& name, int& error) {
    PhotoFile file;
    if (!file.Open(folder + name, PhotoFile::Mode::kRead)) {
      error = file.error();
      if (error == ENOENT) return Read::kMissing;
      return error == ELOOP ? Read::kLink : Read::kUnreadable;
    }
    ExifReading reading;
    int32_t slotRequest = 0;
    const ReadResult result = ReadExifTags(file, slotRequest, reading);
    // A read error of the system is not a photo without metadata.
    if (file.error() != 0) {
      error = file.error();
      return Read::kUnreadable;
    }
    if (result != ReadResult::kOk) return Read::kNoMetadata;
    if (folder != folder_) {
      folder_ = folder;
      wholeFolder_ = ToUtf8(WholeFolder(folder));
    }
    const PhotoValues photo = collector_.Collect(file, reading.segment, wholeFolder_, ToUtf8(name));
    for (const CollectedValue& value : photo.values) seen_[static_cast<size_t>(value.tag)] = true;
    if (!spill_.Add(photo)) return Read::kNotKept;
    return Read::kRead;
  }

  size_t PhotoCount() const { return spill_.Count(); }
  std::vector<int32_t> Tags() const {
    std::vector<int32_t> tags;
    for (int32_t tag = 0; tag < kExportTagLimit; ++tag) {
      if (seen_[static_cast<size_t>(tag)]) tags.push_back(tag);
    }
    return tags;
  }
  PhotoSpill& Photos() { return spill_; }

 private:
  ValueCollector collector_;
  PhotoSpill spill_;
  std::string folder_;       // the folder of the photo read last
  std::string wholeFolder_;  // the same as a whole path, clean
  std::vector<bool> seen_ = std::vector<bool>(kExportTagLimit, false);
};

enum class Written { kWritten, kNoPhotos, kNoTags, kFailed, kNoWriter };

// Hands what was collected to the writer of the export type.
Written WriteCollection(Collection& collection, const ExportTarget& target, ExportDriverContext& context) {
  if (collection.PhotoCount() == 0) return Written::kNoPhotos;
  std::vector<int32_t> tags = collection.Tags();
  if (tags.empty()) return Written::kNoTags;
  const ExportWriters& writers = context.writers;
  const ExportType type = context.writer.options.exportType;
  const PhotosWriter* writer = nullptr;
  switch (type) {
    case ExportType::SheetCsv:
      writer = &writers.sheetCsv;
      break;
    case ExportType::DbCsv:
      writer = &writers.dbCsv;
      break;
    case ExportType::Workbook:
      writer = &writers.workbook;
      break;
    case ExportType::Database:
      writer = &writers.database;
      break;
    case ExportType::Json:
      writer = &writers.json;
      break;
  }
  if (!*writer || (target.standardOutput && !StreamsToStandardOutput(type))) return Written::kNoWriter;
  const CollectedPhotos photos(std::move(tags), collection.Photos());
  return (*writer)(photos, target, context.writer) ? Written::kWritten : Written::kFailed;
}

std::vector<std::string> FilesOf(const ExportTarget& target) {
  return target.standardOutput ? std::vector<std::string>{"-"} : target.files;
}

}  // namespace

bool StreamsToStandardOutput(ExportType type) { return type == ExportType::SheetCsv || type == ExportType::Json; }

ExportFolderResult ExportFolder(const std::string& folder, const std::vector<std::string>& names,
                                const std::string& targetText, ExportDriverContext& context) {
  ExportWriterContext& writer = context.writer;
  ExportOptions& options = writer.options;
  ExportFolderResult result;
  const std::string photosFolder = WithSlash(Trim(folder));
  const std::string trimmedTarget = Trim(targetText);
  if (!options.toStandardOutput && SameFolder(FolderOf(trimmedTarget), photosFolder)) {
    result.code = ExportFolderCode::kTargetInPhotoFolder;
    return result;
  }
  // A damaged library is found before anything is asked or deleted.
  if (!LibraryUsable(writer.library)) {
    result.code = ExportFolderCode::kProcessingError;
    return result;
  }
  const ExportTarget target = TargetOf(trimmedTarget, context);
  result.targetText = target.rewrittenText;
  RunAnswer folderAnswer = RunAnswer::kNotAsked;
  switch (SettleExistingTarget(target, ExportCaller::kFolder, options, folderAnswer, writer.ui)) {
    case Settled::kGoOn:
      break;
    case Settled::kCancelled:
      result.code = ExportFolderCode::kOverwriteCancelled;
      return result;
    case Settled::kNotReplaceable:
      result.code = ExportFolderCode::kDeleteFailed;
      return result;
  }

  // Names in byte order: the order of the export.
  std::vector<std::string> sorted = names;
  std::sort(sorted.begin(), sorted.end());
  Collection collection(context);
  bool someWithout = false;
  for (const std::string& name : sorted) {
    int error = 0;
    switch (collection.Add(photosFolder, name, error)) {
      case Collection::Read::kRead:
      case Collection::Read::kMissing:
        break;
      case Collection::Read::kNoMetadata:
        someWithout = true;
        break;
      case Collection::Read::kLink:
      case Collection::Read::kUnreadable:
        result.unread.push_back({name, error});
        break;
      case Collection::Read::kNotKept:
        result.code = ExportFolderCode::kWriteFailed;
        return result;
    }
  }
  result.photosExported = collection.PhotoCount();
  switch (WriteCollection(collection, target, context)) {
    case Written::kWritten:
      result.code = someWithout ? ExportFolderCode::kExportedSomeWithout : ExportFolderCode::kExported;
      result.written = FilesOf(target);
      break;
    case Written::kNoPhotos:
      result.code = ExportFolderCode::kNoMetadataFound;
      break;
    case Written::kNoTags:
      result.code = ExportFolderCode::kNoTagsCollected;
      break;
    case Written::kFailed:
      result.code = ExportFolderCode::kWriteFailed;
      break;
    case Written::kNoWriter:
      result.code = ExportFolderCode::kProcessingError;
      break;
  }
  if (result.code != ExportFolderCode::kExported && result.code != ExportFolderCode::kExportedSomeWithout) {
    result.photosExported = 0;
  }
  return result;
}

ExportPhotoResult ExportPhoto(const std::string& photoPath, const std::string& target, ExportDriverContext& context) {
  ExportWriterContext& writer = context.writer;
  ExportOptions& options = writer.options;
  ExportPhotoResult result;
  const auto fail = [&result](ExportPhotoCode code, int error = 0) {
    result.code = code;
    result.osError = error;
    return result;
  };
  if (!context.singlePhotoMode && !options.perPhoto) return fail(ExportPhotoCode::kProcessingError);
  if (!LibraryUsable(writer.library)) return fail(ExportPhotoCode::kProcessingError);

  const ExportTarget named = TargetOf(target, context);
  // The first call of a file-per-photo run, and every single-photo export,
  // starts with no answer given.
  if (!options.perPhotoRunStarted || context.singlePhotoMode) {
    context.runAnswer = RunAnswer::kNotAsked;
    if (!context.singlePhotoMode) options.perPhotoRunStarted = true;
  }
  switch (SettleExistingTarget(named, ExportCaller::kPhoto, options, context.runAnswer, writer.ui)) {
    case Settled::kGoOn:
      break;
    case Settled::kCancelled:
      return fail(ExportPhotoCode::kOverwriteCancelled);
    case Settled::kNotReplaceable:
      return fail(ExportPhotoCode::kDeleteFailed);
  }

  Collection collection(context);
  int error = 0;
  switch (collection.Add(FolderOf(photoPath), FileNameOf(photoPath), error)) {
    case Collection::Read::kRead:
      break;
    case Collection::Read::kMissing:
      return fail(ExportPhotoCode::kPhotoMissing);
    case Collection::Read::kLink:
      return fail(ExportPhotoCode::kSymbolicLink);
    case Collection::Read::kUnreadable:
      return fail(ExportPhotoCode::kReadFailed, error);
    case Collection::Read::kNoMetadata:
      return fail(ExportPhotoCode::kExifUnreadable);
    case Collection::Read::kNotKept:
      return fail(ExportPhotoCode::kWriteFailed, collection.Photos().error());
  }
  switch (WriteCollection(collection, named, context)) {
    case Written::kWritten:
      result.written = FilesOf(named);
      return result;
    case Written::kNoPhotos:
      return fail(ExportPhotoCode::kPhotoMissing);
    case Written::kNoTags:
      return fail(ExportPhotoCode::kNoTagsCollected);
    case Written::kFailed:
      return fail(ExportPhotoCode::kWriteFailed);
    case Written::kNoWriter:
      return fail(ExportPhotoCode::kProcessingError);
  }
  return result;
}

}  // namespace kelvane
