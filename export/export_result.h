// SPDX-License-Identifier: GPL-2.0-or-later
// Result codes of the two export drivers and the answer a run keeps to the
// question about existing targets.
#pragma once

#include <cstdint>

namespace kelvane {

namespace export_code {
inline constexpr int16_t kExported = 0;
// No photo with metadata in the folder; ExportPhoto: the photo does not exist.
inline constexpr int16_t kNoMetadataFound = 1;
inline constexpr int16_t kNoTagsCollected = 3;
inline constexpr int16_t kWriteFailed = 4;
inline constexpr int16_t kOverwriteCancelled = 5;
inline constexpr int16_t kDeleteFailed = 6;
// ExportFolder: the target lies in the photos folder.
inline constexpr int16_t kTargetInPhotoFolder = 7;
// ExportPhoto: the photo's Exif segment could not be read.
inline constexpr int16_t kExifUnreadable = 8;
// A damaged tag library, a failed sort, no writer for the type, or
// ExportPhoto outside single-photo and file-per-photo runs.
inline constexpr int16_t kProcessingError = 9;
// ExportFolder: exported, but some files had no metadata.
inline constexpr int16_t kExportedSomeWithout = 16;
}  // namespace export_code

// What the user answered about existing targets during one run; the batch
// runner keeps it for the run and ExportPhoto resets it when a run starts.
enum class RunAnswer : uint8_t {
  kNotAsked = 0,
  kCancelled = 1,  // every later existing target is left alone (result 5)
  kDecided = 2,    // overwrite (or append) for the rest of the run
};

}  // namespace kelvane
