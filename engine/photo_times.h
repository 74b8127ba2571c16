// SPDX-License-Identifier: GPL-2.0-or-later
// The two time corrections, per photo: the file's own times set from the
// photo's date/times, and the photo's three date/times shifted in place.
// Each is worked out from the photo's head as an edit (what a preview shows
// and a commit writes), then committed.
#pragma once

#include <cstdint>
#include <string>

#include "engine/photo_commit.h"
#include "engine/photo_edit.h"
#include "engine/photo_file.h"
#include "engine/settings.h"

namespace kelvane {

// What the main window has decided for a photo-time correction.
struct PhotoTimeParameters {
  bool metadataTimeSelected = false;  // "Adjust Photo Time in Metadata" is the selected function
  bool asDateChosen = false;          // the days direction is "As Date"
  bool asDateValid = false;           // and its entry holds a valid date
  double asDateValue = 0;             // that date as a date value; only its whole days count
  bool keepXmp = false;               // the XMP dates move with the Exif ones
};

// Result codes of AdjustPhotoDates.
enum class AdjustResult : int32_t {
  kOk = 0,
  kFileMissing = 1,  // fileName has been emptied
  kNotJpeg = 2,
  kNoExif = 3,
  kNoTakenTime = 6,      // no valid DateTimeOriginal
  kFileTimesNotSet = 7,  // the photo was changed, its file times not
  kFailed = 9,
  kChanged = 20,      // the photo changed under the run: left as it is
  kReadFailed = 21,   // the photo could not be opened or read (osError)
  kWriteFailed = 22,  // the new texts could not be written (osError); the photo is as it was
};

struct AdjustOutcome {
  AdjustResult result = AdjustResult::kOk;
  int osError = 0;
};

// Works out the shift of an opened photo: DateTimeOriginal moves by
// `adjustment` days (or, with As Date, to that date keeping its time of day,
// then by the adjustment), and DateTime(Modified) and DateTimeDigitized with
// it where their text equalled DateTimeOriginal's. With keepXmp the dates of
// the photo's XMP packet move too (see XmpEdits). The changed texts form one
// patch over the span that holds them all, so one write changes them
// together (a packet that has to grow makes it a rewrite). Unless KeepFileTimes is on, the edit also sets the
// file times from the new values as SetFileTimesFromPhoto does. Every new
// text is checked to lie inside the Exif segment. With kOk or
// kFileTimesNotSet the edit is to be committed.
AdjustResult PlanPhotoDates(PhotoFile& photo, double adjustment, const PhotoTimeParameters& parameters,
                            const ProgramOptions& options, PhotoEdit& edit);

// Works out the file times from an opened photo's date/times: last write
// (and creation, which this platform can't set) from DateTimeOriginal, or
// with FileTimeFromModified last write from DateTime(Modified). False when
// the photo has no readable Exif segment or no valid date/time to use.
bool PlanFileTimesFromPhoto(PhotoFile& photo, const ProgramOptions& options, PhotoEdit& edit);

// The two corrections on a photo by name: open, work out, commit. With
// kFileMissing the name is emptied, and the caller drops its single-photo
// selection.
bool SetFileTimesFromPhoto(const std::string& fileName, const ProgramOptions& options);
AdjustOutcome AdjustPhotoDates(std::string& fileName, double adjustment, const PhotoTimeParameters& parameters,
                               const ProgramOptions& options, const CommitSteps& steps = CommitSteps::System());

// What committing an edit of a time correction makes of its planned result.
AdjustOutcome AdjustOutcomeOf(AdjustResult planned, const CommitOutcome& committed);

}  // namespace kelvane
