// SPDX-License-Identifier: GPL-2.0-or-later
// The Exif APP1 segment given to a photo that has none: date/times and size.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

// Full length of the segment, marker included: the amount a photo grows by.
inline constexpr size_t kMinimalExifSegmentSize = 1198;

// Builds the segment, one character per byte: a little-endian TIFF structure
// whose IFD0 holds DateTime(Modified) and the Exif IFD pointer, and whose
// Exif IFD holds ExifVersion 0210, DateTimeOriginal, DateTimeDigitized,
// ExifImageWidth and ExifImageHeight, followed by 1024 zero bytes of room
// for later additions. All three date/times carry dateTime, which must be a
// 19-character Exif date/time text (YYYY:MM:DD HH:MM:SS); otherwise, or when
// the size is not above 0, the result is empty.
std::string BuildMinimalExifSegment(const std::string& dateTime, int32_t height, int32_t width);

}  // namespace kelvane
