// SPDX-License-Identifier: GPL-2.0-or-later
// The two time corrections, per photo: the file's own times set from the
// photo's date/times, and the photo's three date/times shifted in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/engine_context.h"
#include "engine/photo_file.h"

namespace kelvane {

// What the main window has decided for a photo-time correction.
struct PhotoTimeParameters {
  bool metadataTimeSelected = false;  // "Adjust Photo Time in Metadata" is the selected function
  bool asDateChosen = false;          // the days direction is "As Date"
  bool asDateValid = false;           // and its entry holds a valid date
  double asDateValue = 0;             // that date as a date value; only its whole days count
};

// Result codes of AdjustPhotoDates.
namespace adjust_code {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kFileMissing = 1;  // fileName has been emptied
inline constexpr int32_t kNotJpeg = 2;
inline constexpr int32_t kNoExif = 3;
inline constexpr int32_t kNoTakenTime = 6;      // no valid DateTimeOriginal
inline constexpr int32_t kFileTimesNotSet = 7;  // the photo was changed, its file times not
inline constexpr int32_t kFailed = 9;
}  // namespace adjust_code

// The writes of an in-place change, replaceable so that tests can make a
// chosen write fail.
struct InPlaceSteps {
  std::function<bool(PhotoFile& file, int64_t offset, const void* data, size_t length)> write;
  static InPlaceSteps System();
};

// Sets the file's last-write time (and creation time, which this platform
// skips) to the photo's DateTimeOriginal; with the option
// FileTimeFromModified the last-write time comes from DateTime(Modified)
// instead. Never sets the last-access time. False when the photo has no
// readable Exif segment, no valid date/time to use, or the times could not
// be set.
bool SetFileTimesFromPhoto(const std::string& fileName, EngineContext& context);

// Shifts the photo's DateTimeOriginal by `adjustment` days (or, with As
// Date, moves it to that date keeping its time of day, then shifts it), and
// DateTime(Modified) and DateTimeDigitized with it where their text equalled
// DateTimeOriginal's; each changed 19-character text is overwritten in place
// (not flushed: an equal-length overwrite leaves the photo whole at every
// moment), nothing else of the file changes. Then, unless the option
// KeepFileTimes is on, sets the file times as SetFileTimesFromPhoto does.
// All new texts are checked to lie inside the file's Exif segment before the
// first write; if a write fails, the texts already written are put back.
// Returns an adjust_code; with kFileMissing fileName is emptied, and the
// caller drops its single-photo selection.
int32_t AdjustPhotoDates(std::string& fileName, double adjustment, const PhotoTimeParameters& parameters,
                         EngineContext& context, const InPlaceSteps& steps = InPlaceSteps::System());

}  // namespace kelvane
