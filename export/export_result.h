// SPDX-License-Identifier: GPL-2.0-or-later
// What the two export drivers answer, and the answer a run keeps to the
// question about existing targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

// Results of ExportFolder, with their numbers.
enum class ExportFolderCode : int16_t {
  kExported = 0,
  kNoMetadataFound = 1,  // no photo with metadata in the folder
  kNoTagsCollected = 3,  // photos were read but no tag was collected
  kWriteFailed = 4,
  kOverwriteCancelled = 5,
  kDeleteFailed = 6,  // an existing target can't be replaced
  kTargetInPhotoFolder = 7,
  kProcessingError = 9,       // a damaged tag library, or no writer for the type
  kExportedSomeWithout = 16,  // exported, but some files had no metadata
};

// Results of ExportPhoto, with their numbers; the batch runner lists them
// against the photo.
enum class ExportPhotoCode : int16_t {
  kExported = 0,
  kPhotoMissing = 1,
  kNoTagsCollected = 3,
  kWriteFailed = 4,
  kOverwriteCancelled = 5,
  kDeleteFailed = 6,
  kExifUnreadable = 8,
  // A damaged tag library, no writer for the type, or a call outside
  // single-photo and file-per-photo runs.
  kProcessingError = 9,
  kReadFailed = 20,    // the system refused to read the photo (osError says why)
  kSymbolicLink = 21,  // the photo path is a link: not followed
};

// A file of the folder that could not be read: a failure of the export.
struct UnreadPhoto {
  std::string name;
  int osError = 0;
};

struct ExportFolderResult {
  ExportFolderCode code = ExportFolderCode::kExported;
  // The text the export target box is to show from now on, when the target
  // was renamed (a database CSV target ending with a file suffix).
  std::optional<std::string> targetText;
  std::vector<UnreadPhoto> unread;
  size_t photosExported = 0;         // photos whose metadata went into the output
  std::vector<std::string> written;  // the files written ("-" for standard output)
};

struct ExportPhotoResult {
  ExportPhotoCode code = ExportPhotoCode::kExported;
  int osError = 0;  // kReadFailed: why
  std::vector<std::string> written;
};

// What the user answered about existing targets during one run; the batch
// runner keeps it for the run and ExportPhoto resets it when a run starts.
enum class RunAnswer : uint8_t {
  kNotAsked = 0,
  kCancelled = 1,  // every later existing target is left alone (result 5)
  kDecided = 2,    // overwrite (or append) for the rest of the run
};

}  // namespace kelvane
