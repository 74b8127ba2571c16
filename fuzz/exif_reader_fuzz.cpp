// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary bytes to the Exif reader as a photo file. The reader must
// return a code for anything, never crash, hang or read out of bounds.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/exif_reader.h"

namespace {

// A scratch file under $TMPDIR (default /tmp).
std::string ScratchPath() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kelvane-fuzz-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) std::abort();
  close(fd);
  return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchPath();
  static kelvane::FileOpsLibrary fileOps;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) std::abort();
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  kelvane::PhotoFile file;
  if (!file.Open(path, kelvane::PhotoFile::Mode::kRead)) std::abort();
  for (int32_t request = 0; request < kelvane::kSlotCount; request += 7) {
    kelvane::ExifReading reading;
    int32_t slot = request;
    const int16_t code = kelvane::ReadExifTags(file, path, slot, reading, fileOps);
    if (code != 0 && code != 2 && code != 3 && code != 4 && code != 9) std::abort();
  }
  return 0;
}
