// SPDX-License-Identifier: GPL-2.0-or-later
#include "image_size.h"

#include <cstring>

namespace kelvane {
namespace {

constexpr int kMaxSegments = 200;
// Start-of-frame markers: 0xC0..0xCF but for DHT (0xC4), JPG (0xC8) and
// DAC (0xCC), which share the range.
bool IsFrameHeader(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}
constexpr uint8_t kApp1 = 0xE1;
// Length, precision, height and width of a frame header.
constexpr int32_t kFrameHeaderMinLength = 8;

int32_t BigEndian16(const uint8_t* bytes) { return (bytes[0] << 8) | bytes[1]; }

struct HeaderScan {
  ImageSize size;
  bool exifSegment = false;
};

HeaderScan ScanHeader(PhotoFile& file) {
  HeaderScan scan;
  int64_t at = 2;  // 0-based offset of the marker under examination
  for (int examined = 0; examined < kMaxSegments; ++examined) {
    uint8_t marker[2] = {};
    if (!file.ReadAt(at, marker, 2) || marker[0] != 0xFF) break;
    if (marker[1] == 0xFF) {  // a fill byte before the marker
      at += 1;
      continue;
    }
    if (IsFrameHeader(marker[1])) {
      uint8_t header[7] = {};  // length, precision, height, width
      if (file.ReadAt(at + 2, header, sizeof header) && BigEndian16(header) >= kFrameHeaderMinLength) {
        scan.size.height = BigEndian16(header + 3);
        scan.size.width = BigEndian16(header + 5);
      }
      break;
    }
    uint8_t lengthBytes[2] = {};
    if (!file.ReadAt(at + 2, lengthBytes, 2)) break;
    if (lengthBytes[0] == 0xFF) {  // no length field: the next marker follows at once
      at += 2;
      continue;
    }
    const int32_t length = BigEndian16(lengthBytes);
    if (length < 2) break;
    uint8_t header[6] = {};
    if (marker[1] == kApp1 && length >= 8 && file.ReadAt(at + 4, header, sizeof header) &&
        std::memcmp(header, "Exif\0\0", sizeof header) == 0) {
      scan.exifSegment = true;
    }
    at += 2 + length;
  }
  return scan;
}

}  // namespace

bool ReadImageSize(PhotoFile& file, ImageSize& size) {
  size = ScanHeader(file).size;
  return size.height > 0 && size.width > 0;
}

bool HasExifSegmentBeforeFrame(PhotoFile& file) { return ScanHeader(file).exifSegment; }

}  // namespace kelvane
