// SPDX-License-Identifier: GPL-2.0-or-later
// Time per photo of the two time corrections over a folder of sample copies,
// next to the floor: open, read the first 64 KiB, close.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "bench/bench_common.h"
#include "engine/photo_times.h"

using namespace kelvane;

namespace {

void Floor(const std::string& f) {
  static char buffer[64 * 1024];
  const int fd = open(f.c_str(), O_RDONLY);
  if (fd >= 0) {
    if (read(fd, buffer, sizeof buffer) < 0) std::perror("read");
    close(fd);
  }
}

// Best time per photo of job and of the floor, their rounds taken in turn so
// that both see the same load on the machine.
template <typename Job>
std::pair<double, double> BesideTheFloor(const std::vector<std::string>& files, int rounds, Job job) {
  double floorMs = 1e30;
  double jobMs = 1e30;
  for (int r = 0; r < rounds; ++r) {
    floorMs = std::min(floorMs, bench::BestMsPerFile(files, 1, Floor));
    jobMs = std::min(jobMs, bench::BestMsPerFile(files, 1, job));
  }
  return {jobMs, floorMs};
}

void Report(const char* what, std::pair<double, double> times) {
  const auto [ms, floorMs] = times;
  std::printf("%-44s %8.4f ms/photo, floor %8.4f ms/photo (open, read 64 KiB, close): %.2fx the floor\n", what, ms,
              floorMs, ms / floorMs);
}

}  // namespace

int main() {
  const auto photos = bench::SamplePhotos();
  if (photos.empty()) {
    std::printf("no sample photos in %s; nothing measured\n", bench::SamplesFolder().c_str());
    return 0;
  }
  bench::ScratchFolder scratch;
  const auto files = bench::FillWithCopies(scratch.path(), photos, 2000);
  const ProgramOptions options;
  const PhotoTimeParameters parameters{.metadataTimeSelected = true};
  constexpr int kRounds = 5;

  int shifted = 0;
  const auto shift = BesideTheFloor(files, kRounds, [&](const std::string& f) {
    std::string name = f;
    if (AdjustPhotoDates(name, 1, parameters, options).result == AdjustResult::kOk) ++shifted;
  });
  int set = 0;
  const auto times = BesideTheFloor(files, kRounds, [&](const std::string& f) {
    if (SetFileTimesFromPhoto(f, options)) ++set;
  });

  std::printf("photos: %zu copies of %zu samples in %s\n", files.size(), photos.size(), scratch.path().c_str());
  std::printf("shifted: %d of %zu per round; file times set: %d of %zu per round\n", shifted / kRounds, files.size(),
              set / kRounds, files.size());
  std::printf("target: within 2x the floor\n");
  Report("AdjustPhotoDates (+1 day, file times set):", shift);
  Report("SetFileTimesFromPhoto:", times);
  return 0;
}
