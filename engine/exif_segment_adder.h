// SPDX-License-Identifier: GPL-2.0-or-later
// Gives a photo without metadata a new Exif segment: the whole segment of a
// source photo (restore) or a minimal one built from the file's own times
// (create).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/engine_context.h"
#include "engine/photo_rewrite.h"
#include "engine/run_state.h"

namespace kelvane {

// Result codes of AddExifSegment.
namespace add_segment_code {
inline constexpr int16_t kOk = 0;
inline constexpr int16_t kTargetMissing = 1;   // targetName has been emptied
inline constexpr int16_t kSourceUnusable = 3;  // restore: the source has no usable Exif segment
inline constexpr int16_t kNoImageSize = 5;     // no baseline frame header in the target
inline constexpr int16_t kNotBuilt = 6;        // create: no segment could be built
inline constexpr int16_t kTimesNotSet = 7;     // added, but the file's own times were not set
inline constexpr int16_t kNotPossible = 8;     // wrong function, temporary files, or no size tags in the source
inline constexpr int16_t kNotReplaced = 9;     // the new photo could not be built or put in place
inline constexpr int16_t kHasExif = 10;        // the target has an Exif segment or is not a JPEG file
}  // namespace add_segment_code

// The file-time work the operation leaves to the photo-times module.
struct SegmentFileTimes {
  // The earliest of the file's own times as an Exif date/time text; empty
  // when it can't be had.
  std::function<std::string(const std::string& path)> earliestFileTime;
  // Sets the file's own times from the photo's date/times; false on failure.
  std::function<bool(const std::string& path)> setFileTimesFromPhoto;
};

// The file-time functions of the program, bound to a context that must
// outlive the returned functions.
SegmentFileTimes PhotoFileTimes(EngineContext& context);

struct AddSegmentRequest {
  // The selected function: only RestoreMetadata and CreateMetadata do
  // anything (the default, AdjustFileTime, gives kNotPossible).
  ProgramFunction function{};
  // Restore: the photo whose Exif segment is copied.
  std::string sourceName;
  SegmentFileTimes fileTimes;
  RewriteSteps rewriteSteps = RewriteSteps::System();
};

// Inserts the new segment after the target's start-of-image marker, or after
// an APP0 segment directly behind it, keeping the target's own pixel size in
// ExifImageWidth/Height. The new photo is built completely beside the
// target, then renamed over it, so a failure at any step leaves the target
// as it was; the target keeps its permissions and last-write and
// last-access times, which are then set from the new date/times unless the
// option KeepFileTimes is on. targetName is emptied when the target does
// not exist.
int16_t AddExifSegment(std::string& targetName, const AddSegmentRequest& request, EngineContext& context);

}  // namespace kelvane
