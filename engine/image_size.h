// SPDX-License-Identifier: GPL-2.0-or-later
// What a JPEG photo's segments before its frame header tell: the pixel
// size, and whether an Exif segment is among them.
#pragma once

#include <cstdint>

#include "engine/photo_file.h"

namespace kelvane {

struct ImageSize {
  int32_t height = 0;  // number of lines
  int32_t width = 0;   // samples per line
};

// Both walk at most 200 segments from the byte after the start-of-image
// marker up to a start-of-frame header of any kind (baseline, extended,
// progressive, lossless, arithmetic). A marker whose next byte is
// 0xFF is taken as one without a length field: the walk examines the marker
// that follows as a segment of its own. Fill bytes (0xFF 0xFF) are passed
// over. The walk ends at anything that does not start with 0xFF, a length
// below 2, or a read past the end of the file.

// The height and width of the frame; true when both are above 0.
bool ReadImageSize(PhotoFile& file, ImageSize& size);

// True when an Exif APP1 segment comes before the frame header, however far
// into the file.
bool HasExifSegmentBeforeFrame(PhotoFile& file);

}  // namespace kelvane
