// SPDX-License-Identifier: GPL-2.0-or-later
// Builds small synthetic JPEG files with an Exif segment, for tests that
// need layouts no camera photo shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvane::test {

using Bytes = std::vector<uint8_t>;

struct TiffEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  Bytes data;                          // the value bytes, already in the file's byte order
  std::optional<uint32_t> valueField;  // written instead of the real value/offset
};

// Value helpers (bytes in the given order; bigEndian = "MM").
Bytes U16Bytes(uint16_t v, bool bigEndian);
Bytes U32Bytes(uint32_t v, bool bigEndian);
TiffEntry Ascii(uint16_t tag, const std::string& textWithoutNul);
TiffEntry Short(uint16_t tag, uint16_t value, bool bigEndian);
TiffEntry Long(uint16_t tag, uint32_t value, bool bigEndian);
TiffEntry Undefined(uint16_t tag, const std::string& bytes);

// A TIFF structure: header, IFD0 (with an Exif IFD pointer when exif is
// given), then the Exif IFD; each directory followed by its value data.
struct TiffLayout {
  bool bigEndian = false;
  std::vector<TiffEntry> ifd0;
  std::optional<std::vector<TiffEntry>> exif;
};
Bytes BuildTiff(const TiffLayout& layout);

struct JpegLayout {
  bool app0 = false;         // a 16-byte JFIF APP0 right after SOI
  bool xmpBefore = false;    // an XMP APP1 before the Exif APP1
  size_t paddingBefore = 0;  // an APP2 segment of this many data bytes before the Exif APP1
  bool exif = true;          // whether the Exif APP1 is written at all
};
// SOI, the segments of layout, the Exif APP1 holding tiff, a tiny DQT and
// SOF0 and SOS, a few scan bytes and EOI.
Bytes BuildJpeg(const Bytes& tiff, const JpegLayout& layout = {});

}  // namespace kelvane::test
