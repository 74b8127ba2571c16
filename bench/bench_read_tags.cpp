// SPDX-License-Identifier: GPL-2.0-or-later
// Time per photo to read the tags of a folder of sample copies, next to the
// floor: open, read the first 64 KiB, close.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "bench/bench_common.h"
#include "engine/exif_reader.h"

using namespace kelvane;

int main() {
  const auto photos = bench::SamplePhotos();
  if (photos.empty()) {
    std::printf("no sample photos in %s; nothing measured\n", bench::SamplesFolder().c_str());
    return 0;
  }
  bench::ScratchFolder scratch;
  const auto files = bench::FillWithCopies(scratch.path(), photos, 2000);

  static char buffer[64 * 1024];
  const double floorMs = bench::BestMsPerFile(files, 5, [](const std::string& f) {
    const int fd = open(f.c_str(), O_RDONLY);
    if (fd >= 0) {
      if (read(fd, buffer, sizeof buffer) < 0) std::perror("read");
      close(fd);
    }
  });
  int failures = 0;
  const double readMs = bench::BestMsPerFile(files, 5, [&](const std::string& f) {
    PhotoFile file;
    if (!file.Open(f, PhotoFile::Mode::kRead)) return;
    ExifReading reading;
    int32_t slot = 0;
    if (ReadExifTags(file, slot, reading) > ReadResult::kNoExif) ++failures;
  });
  std::printf("photos: %zu copies of %zu samples\n", files.size(), photos.size());
  std::printf("floor (open, read 64 KiB, close): %8.4f ms/photo\n", floorMs);
  std::printf("ReadExifTags (all nine slots):    %8.4f ms/photo  (%.2fx the floor; target 1.5x)\n", readMs,
              readMs / floorMs);
  return 0;
}
