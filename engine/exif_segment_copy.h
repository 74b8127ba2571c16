// SPDX-License-Identifier: GPL-2.0-or-later
// Copies a source photo's whole Exif segment into a file, with a target
// photo's pixel size written into it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine_context.h"
#include "engine/image_size.h"

namespace kelvane {

enum class SegmentCopyResult {
  kCopied,
  kSourceUnusable,  // no Exif segment that can be read and copied
  kNoSizeTags,      // ExifImageWidth/Height missing, not SHORT or LONG, or outside the segment
  kNotWritten,      // the segment file could not be written
};

// Writes the source's Exif APP1 segment, marker included, to segmentFile
// (which must not exist) and overwrites ExifImageWidth and ExifImageHeight
// with the target's size in the source's byte order: a SHORT as two bytes
// and two zero bytes, a LONG as four bytes. When less than 1024 bytes follow
// the Exif IFD's value data, up to 2048 zero bytes are appended as room for
// later edits, as many as the 16-bit length field allows. segmentLength is
// the length of the file written.
SegmentCopyResult CopyExifSegment(const std::string& sourceName, const ImageSize& targetSize,
                                  const std::string& segmentFile, EngineContext& context, int64_t& segmentLength);

}  // namespace kelvane
