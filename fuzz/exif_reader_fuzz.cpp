// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary bytes to the Exif reader as a photo held in memory. The
// reader must return one of its results for anything, never crash, hang or
// read out of bounds.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/exif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelvane;
  PhotoFile file = PhotoFile::InMemory(std::vector<uint8_t>(data, data + size));
  for (int32_t request = 0; request < kSlotCount; request += 7) {
    ExifReading reading;
    int32_t slot = request;
    switch (ReadExifTags(file, slot, reading)) {
      case ReadResult::kOk:
      case ReadResult::kNotJpeg:
      case ReadResult::kNoExif:
      case ReadResult::kTagNotFound:
      case ReadResult::kBadExif:
        break;
      default:
        std::abort();
    }
  }
  return 0;
}
