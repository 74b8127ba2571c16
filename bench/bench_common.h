// SPDX-License-Identifier: GPL-2.0-or-later
// Shared by the benchmark programs: the sample photos, a scratch folder
// full of copies, and a clock.
#pragma once

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvane::bench {

namespace fs = std::filesystem;

inline fs::path SamplesFolder() {
  const char* env = std::getenv("KELVANE_SAMPLES");
  return (env != nullptr && *env != '\0') ? fs::path(env) : fs::path(KELVANE_SAMPLES_DEFAULT);
}

// Every .jpg below the samples folder.
inline std::vector<fs::path> SamplePhotos() {
  std::vector<fs::path> photos;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(SamplesFolder(), ec); it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_regular_file() && it->path().extension() == ".jpg") photos.push_back(it->path());
  }
  return photos;
}

// A new folder under $KELVANE_BENCH_DIR (default /tmp), removed on exit.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* base = std::getenv("KELVANE_BENCH_DIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/kelvane-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Copies the sample photos round-robin into folder until it holds count files.
inline std::vector<std::string> FillWithCopies(const fs::path& folder, const std::vector<fs::path>& photos,
                                               size_t count) {
  std::vector<std::string> files;
  for (size_t i = 0; i < count && !photos.empty(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "P%06zu.jpg", i);
    const fs::path target = folder / name;
    fs::copy_file(photos[i % photos.size()], target, fs::copy_options::overwrite_existing);
    files.push_back(target.string());
  }
  return files;
}

inline double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Runs job over all files `rounds` times and returns the best time per file in ms.
template <typename Job>
double BestMsPerFile(const std::vector<std::string>& files, int rounds, Job job) {
  double best = 1e30;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    for (const auto& f : files) job(f);
    const double perFile = Seconds(start) * 1000.0 / static_cast<double>(files.size());
    if (perFile < best) best = perFile;
  }
  return best;
}

}  // namespace kelvane::bench
