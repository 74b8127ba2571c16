// SPDX-License-Identifier: GPL-2.0-or-later
// Adds, replaces or deletes one of the known tags in a photo's Exif segment
// by rebuilding the segment's directories.
#pragma once

#include <cstdint>
#include <string>

#include "engine/exif_reader.h"
#include "engine/photo_commit.h"
#include "engine/photo_edit.h"
#include "engine/photo_file.h"
#include "engine/settings.h"

namespace kelvane {

// Result codes of WriteExifTag.
enum class WriteTagResult : int16_t {
  kOk = 0,
  kNoFile = 1,     // fileName has been emptied
  kNotJpeg = 2,    // or a slot that can't be written
  kNoExif = 3,     // no Exif segment, or its TIFF header is not valid
  kNoExifIfd = 4,
  kShortText = 6,  // an ASCII/UNDEFINED value of 4 bytes or less
  kTagAbsent = 7,  // delete asked, tag not there
  kShortDate = 8,  // a date/time value of 4 bytes or less
  kFailed = 9,
  kSegmentFull = 20,  // the segment would pass its 64 KiB limit: nothing written
  kChanged = 21,      // the photo changed under the run: left as it is
  kReadFailed = 22,   // the photo could not be opened or read (osError)
  kWriteFailed = 23,  // the new photo could not be written (osError); the photo is as it was
};

struct WriteTagOutcome {
  WriteTagResult result = WriteTagResult::kOk;
  int osError = 0;
};

// Works out newTag written into an opened photo as the tag of `slot` (1..8;
// the Exif IFD pointer, slot 0, can't be written). The slot names the tag
// and its directory; of newTag are used: type, count, byteLength (0 =
// delete the tag), valueField (a value of 4 bytes or less, as ReadExifTags
// reads it) and text (a longer value: exactly byteLength bytes of an ASCII
// or UNDEFINED type).
//
// The program reads a known tag from IFD0 and the Exif IFD alike, so a copy
// of the tag met in the other of the two (a DateTimeOriginal in IFD0, say)
// is taken as the tag: it is removed, leaving the one copy in the tag's own
// directory, and a delete counts it as the tag being there.
//
// Nothing the edit does not change moves: maker notes, the GPS and
// interoperability directories, IFD1 and its thumbnail keep their bytes and
// offsets. When the rebuilt segment is not longer than the old one it is a
// patch over the old one (the changed bytes only; the old segment's length
// stays, what is no longer used becomes zero bytes) — unless the option
// KeepOriginalCopy asks that the original be kept whole until its new
// version is complete: then, as when the segment grows, the photo is
// written anew with the new segment, a grown one getting up to 2048 spare
// zero bytes (within the 64 KiB limit of a segment).
//
// With keepXmp, a new Copyright or ImageDescription also goes into the
// photo's XMP packet, when it has one, as dc:rights or dc:description (see
// AddXmpEdits; a packet that can't be edited leaves edit.xmpProblem).
WriteTagResult PlanExifTag(PhotoFile& photo, int slot, const ExifTagRecord& newTag, const ProgramOptions& options,
                           PhotoEdit& edit, bool keepXmp = false);
// The same for a photo whose tags the caller has read already (read: what
// ReadExifTags answered).
WriteTagResult PlanExifTag(PhotoFile& photo, const ExifReading& reading, ReadResult read, int slot,
                           const ExifTagRecord& newTag, const ProgramOptions& options, PhotoEdit& edit,
                           bool keepXmp = false);

// The same on a photo by name: open, work out, commit. With kNoFile,
// fileName is emptied (the caller drops its selection).
WriteTagOutcome WriteExifTag(std::string& fileName, int slot, const ExifTagRecord& newTag,
                             const ProgramOptions& options, const CommitSteps& steps = CommitSteps::System());

// What committing an edit of the writer makes of it.
WriteTagOutcome WriteTagOutcomeOf(const CommitOutcome& committed);

}  // namespace kelvane
