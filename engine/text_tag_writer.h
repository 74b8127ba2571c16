// SPDX-License-Identifier: GPL-2.0-or-later
// Adds, replaces or deletes one of the known tags in a photo's Exif segment
// by rebuilding the segment's directories.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine_context.h"
#include "engine/exif_reader.h"
#include "engine/photo_rewrite.h"

namespace kelvane {

// Result codes of WriteExifTag.
namespace write_tag_code {
inline constexpr int16_t kOk = 0;
inline constexpr int16_t kNoFile = 1;   // fileName has been emptied
inline constexpr int16_t kNotJpeg = 2;  // or a slot that can't be written
inline constexpr int16_t kNoExif = 3;   // no Exif segment, or its TIFF header is not valid
inline constexpr int16_t kNoExifIfd = 4;
inline constexpr int16_t kShortText = 6;  // an ASCII/UNDEFINED value of 4 bytes or less
inline constexpr int16_t kTagAbsent = 7;  // delete asked, tag not there
inline constexpr int16_t kShortDate = 8;  // a date/time value of 4 bytes or less
inline constexpr int16_t kFailed = 9;
}  // namespace write_tag_code

// Writes newTag into the photo as the tag of `slot` (1..8; the Exif IFD
// pointer, slot 0, can't be written). The slot names the tag and its
// directory; of newTag are used: type, count, byteLength (0 = delete the
// tag), valueField (a value of 4 bytes or less, as ReadExifTags reads it)
// and text (a longer value: exactly byteLength bytes of an ASCII or
// UNDEFINED type).
//
// The program reads a known tag from IFD0 and the Exif IFD alike, so a copy
// of the tag met in the other of the two (a DateTimeOriginal in IFD0, say)
// is taken as the tag: it is removed, leaving the one copy in the tag's own
// directory, and a delete counts it as the tag being there.
//
// Nothing the edit does not change moves: maker notes, the GPS and
// interoperability directories, IFD1 and its thumbnail keep their bytes and
// offsets. When the rebuilt segment is not longer than the old one it is
// written over it (the changed bytes only; the old segment's length stays,
// what is no longer used becomes zero bytes); otherwise the photo is written
// anew beside itself with the longer segment plus up to 2048 spare zero
// bytes (within the 64 KiB limit of a segment), flushed and renamed over the
// original. The photo is not changed on any failure before that point, and
// is put back as it was when the write over the old segment fails. `steps`
// lets tests make the flush or the rename of a new photo fail.
//
// With kNoFile, fileName is emptied (the caller drops its selection).
int16_t WriteExifTag(std::string& fileName, int slot, const ExifTagRecord& newTag, EngineContext& context,
                     const RewriteSteps& steps = RewriteSteps::System());

}  // namespace kelvane
