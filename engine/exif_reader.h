// SPDX-License-Identifier: GPL-2.0-or-later
// Finds the Exif APP1 segment of a JPEG file and reads its nine known tags.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/photo_file.h"

namespace kelvane {

// One decoded directory entry. Positions are 1-based file positions.
struct ExifTagRecord {
  int32_t tag = 0;            // 0 = empty slot
  int16_t directory = 0;      // 0 = IFD0, 1 = Exif IFD (from the slot)
  uint8_t type = 0;           // Exif field type as stored
  int32_t count = 0;          // component count
  int32_t byteLength = 0;     // count x component size
  int32_t valueField = 0;     // the 4-byte value/offset field as a number
  int32_t entryPosition = 0;  // position of the entry's tag field
  int32_t dataPosition = 0;   // position of the value's first byte
  std::string text;           // ASCII/UNDEFINED bytes; ExifVersion as a number text
};

// Slots of the tag table.
enum ExifSlot : int {
  kSlotExifOffset = 0,         // 0x8769, IFD0
  kSlotExifVersion = 1,        // 0x9000, Exif IFD
  kSlotDateTime = 2,           // 0x0132, IFD0 (Modified)
  kSlotDateTimeOriginal = 3,   // 0x9003, Exif IFD
  kSlotDateTimeDigitized = 4,  // 0x9004, Exif IFD
  kSlotImageWidth = 5,         // 0xA002, Exif IFD
  kSlotImageHeight = 6,        // 0xA003, Exif IFD
  kSlotCopyright = 7,          // 0x8298, IFD0
  kSlotImageDescription = 8,   // 0x010E, IFD0
  kSlotCount = 9
};

inline constexpr std::array<int32_t, kSlotCount> kSlotTags = {0x8769, 0x9000, 0x0132, 0x9003, 0x9004,
                                                              0xA002, 0xA003, 0x8298, 0x010E};

using ExifTagTable = std::array<ExifTagRecord, kSlotCount>;

// Indexes of the ten numbers that locate the Exif segment.
enum ExifLocator : int {
  kLocMarker = 0,         // position of the APP1 marker's 0xFF
  kLocLength = 1,         // the APP1 length field
  kLocTiffBase = 2,       // position of the TIFF header's first byte
  kLocByteOrder = 3,      // 0 = "II", 1 = "MM"
  kLocIfd0Offset = 4,     // TIFF offset of IFD0
  kLocExifIfdOffset = 5,  // TIFF offset of the Exif IFD, 0 = none
  kLocIfd0Count = 6,      // entries in IFD0
  kLocExifIfdCount = 7,   // entries in the Exif IFD
  kLocIfd0DataEnd = 8,    // running data end of IFD0
  kLocExifIfdDataEnd = 9  // running data end of the Exif IFD
};
using ExifSegmentInfo = std::array<int32_t, 10>;

// What one call of ReadExifTags found.
struct ExifReading {
  ExifTagTable tags{};
  ExifSegmentInfo segment{};
};

// Result codes of ReadExifTags.
enum class ReadResult : int16_t {
  kOk = 0,
  kNotJpeg = 2,
  kNoExif = 3,  // slotRequest holds the insertion offset
  kTagNotFound = 4,  // single-slot mode only
  kBadExif = 9,
};

// Reads the Exif segment of an opened photo, from its head in memory.
// slotRequest in: 0 or less = all nine slots, 1..8 = only that slot (the
// other slots of reading.tags keep their contents). slotRequest out: 0 when
// the segment was found; with kNoExif the count of bytes before which a new
// segment belongs. The segment is looked for in the first 100,000 bytes.
ReadResult ReadExifTags(PhotoFile& file, int32_t& slotRequest, ExifReading& reading);

}  // namespace kelvane
