// SPDX-License-Identifier: GPL-2.0-or-later
// Gives a photo without metadata a new Exif segment: the whole segment of a
// source photo (restore) or a minimal one built from the file's own times
// (create).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/exif_types.h"
#include "engine/photo_commit.h"
#include "engine/photo_edit.h"
#include "engine/photo_file.h"
#include "engine/settings.h"

namespace kelvane {

// Result codes of AddExifSegment.
enum class AddSegmentResult : int16_t {
  kOk = 0,
  kTargetMissing = 1,   // targetName has been emptied
  kSourceUnusable = 3,  // restore: the source has no usable Exif segment
  kNoImageSize = 5,     // no frame header in the target
  kNotBuilt = 6,        // create: no segment could be built
  kTimesNotSet = 7,     // added, but the file's own times were not set
  kNotPossible = 8,     // no size tags in the source, or no place for the segment in the target
  kNotReplaced = 9,     // the new photo could not be built
  kHasExif = 10,        // the target has an Exif segment or is not a JPEG file
  kChanged = 20,        // the photo changed under the run: left as it is
  kReadFailed = 21,     // the target could not be opened or read (osError)
  kWriteFailed = 22,    // the new photo could not be written (osError); the target is as it was
};

struct AddSegmentOutcome {
  AddSegmentResult result = AddSegmentResult::kOk;
  int osError = 0;
};

enum class SegmentKind { kRestore, kCreate };

// What a restore copies into every target, read once from the source photo:
// its whole Exif APP1 segment (marker included, with room appended when less
// than 1024 bytes follow the Exif IFD's value data: up to 2048 zero bytes, as
// many as the 16-bit length field allows), where ExifImageWidth and
// ExifImageHeight hold their values, and the date/times the file times
// follow.
struct RestoreSource {
  // How the source was read: kOk, kSourceUnusable or kNotPossible; each
  // target that could take a segment gets this answer when it is not kOk.
  AddSegmentResult loaded = AddSegmentResult::kSourceUnusable;
  std::vector<uint8_t> segment;
  ByteOrder order = ByteOrder::kLittleEndian;
  size_t widthAt = 0;  // offsets in segment
  size_t heightAt = 0;
  uint8_t widthType = 0;  // SHORT or LONG
  uint8_t heightType = 0;
  std::string dateTime;  // DateTime(Modified) and DateTimeOriginal texts, as stored
  std::string dateTimeOriginal;
};

// Reads the source; its `loaded` is kOk, kSourceUnusable (no Exif segment
// that can be read and copied) or kNotPossible (ExifImageWidth/Height
// missing, not SHORT or LONG, or outside the segment).
RestoreSource LoadRestoreSource(const std::string& sourceName);

// Works out the new photo: the segment inserted after the target's
// start-of-image marker, or after an APP0 segment directly behind it, with
// the target's own pixel size in ExifImageWidth/Height (a SHORT as two bytes
// and two zero bytes, a LONG as four bytes, in the segment's byte order).
// The new photo keeps the target's permissions and last-write and
// last-access times, which are then set from the new date/times unless the
// option KeepFileTimes is on. source is used for kRestore only. With kOk or
// kTimesNotSet the edit is to be committed.
AddSegmentResult PlanExifSegment(PhotoFile& target, SegmentKind kind, const RestoreSource* source,
                                 const ProgramOptions& options, PhotoEdit& edit);

// The same on a photo by name: open, work out, commit (a restore reads its
// source first). targetName is emptied when the target does not exist.
AddSegmentOutcome AddExifSegment(std::string& targetName, SegmentKind kind, const std::string& sourceName,
                                 const ProgramOptions& options, const CommitSteps& steps = CommitSteps::System());

// What committing an edit of the adder makes of its planned result.
AddSegmentOutcome AddSegmentOutcomeOf(AddSegmentResult planned, const CommitOutcome& committed);

}  // namespace kelvane
