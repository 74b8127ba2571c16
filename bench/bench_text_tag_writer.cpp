// SPDX-License-Identifier: GPL-2.0-or-later
// Time per photo to write a Copyright into a folder of sample copies:
// - an edit that fits in place (the copies were edited once, so the segment
//   has spare room), next to the floor: open, read the first 64 KiB, close;
// - an edit that makes the segment grow (fresh copies), next to the floor:
//   copying the file.
// The growing edit is also shown without the flush of the new photo to the
// device, whose cost depends on the disk, and next to a copy that is flushed
// and renamed over the photo like the edit's new photo.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_common.h"
#include "engine/text_tag_writer.h"

using namespace kelvane;

namespace {

ExifTagRecord Copyright(const std::string& text) {
  ExifTagRecord r;
  r.tag = kSlotTags[kSlotCopyright];
  r.type = 2;
  r.text = text + '\0';
  r.count = r.byteLength = static_cast<int32_t>(r.text.size());
  return r;
}

// The samples the writer can edit (an Exif IFD, a readable segment), and
// among them those whose segment a Copyright makes grow.
struct Samples {
  std::vector<bench::fs::path> editable;
  std::vector<bench::fs::path> growing;
};
Samples EditablePhotos(const bench::fs::path& folder, const ProgramOptions& options) {
  Samples samples;
  for (const auto& photo : bench::SamplePhotos()) {
    const std::string copy = (folder / "probe.jpg").string();
    bench::fs::copy_file(photo, copy, bench::fs::copy_options::overwrite_existing);
    std::string name = copy;
    if (WriteExifTag(name, kSlotCopyright, Copyright("probe"), options).result != WriteTagResult::kOk) continue;
    samples.editable.push_back(photo);
    if (bench::fs::file_size(copy) > bench::fs::file_size(photo)) samples.growing.push_back(photo);
  }
  bench::fs::remove(folder / "probe.jpg");
  return samples;
}

void CopyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  bench::fs::copy_file(from, to, bench::fs::copy_options::overwrite_existing, ec);
  if (ec) std::fprintf(stderr, "copy %s: %s\n", from.c_str(), ec.message().c_str());
}

}  // namespace

int main() {
  bench::ScratchFolder scratch;
  const ProgramOptions options;
  const Samples samples = EditablePhotos(scratch.path(), options);
  const auto& photos = samples.growing;
  if (photos.empty()) {
    std::printf("no editable sample photos in %s; nothing measured\n", bench::SamplesFolder().c_str());
    return 0;
  }
  const auto originals = bench::FillWithCopies(scratch.path(), photos, 2000);

  CommitSteps noFlush = CommitSteps::System();
  noFlush.replace.sync = [](int) { return 0; };
  int failures = 0;
  const auto write = [&](const std::string& f, const std::string& text, const CommitSteps& steps) {
    std::string name = f;
    if (WriteExifTag(name, kSlotCopyright, Copyright(text), options, steps).result != WriteTagResult::kOk) ++failures;
  };
  // Growing: every round starts again from fresh copies (not timed).
  const auto growing = [&](const CommitSteps& steps) {
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
      for (size_t i = 0; i < originals.size(); ++i) CopyFile(photos[i % photos.size()], originals[i]);
      best = std::min(best, bench::BestMsPerFile(originals, 1, [&](const std::string& f) {
                        write(f, "Copyright(C) 2008 Ann Smith - All Rights Reserved.", steps);
                      }));
    }
    return best;
  };

  const double copyMs = bench::BestMsPerFile(originals, 3, [&](const std::string& f) { CopyFile(f, f + ".copy"); });
  for (const auto& f : originals) bench::fs::remove(f + ".copy");
  const double safeCopyMs = bench::BestMsPerFile(originals, 3, [&](const std::string& f) {
    CopyFile(f, f + ".copy");
    const int fd = open((f + ".copy").c_str(), O_RDWR);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
    std::rename((f + ".copy").c_str(), (f + ".moved").c_str());
  });
  for (const auto& f : originals) bench::fs::remove(f + ".moved");
  const double growMs = growing(CommitSteps::System());
  const double growNoFlushMs = growing(noFlush);

  // In place: the copies now have spare room; two texts of one length take turns.
  static char buffer[64 * 1024];
  const double readFloorMs = bench::BestMsPerFile(originals, 5, [](const std::string& f) {
    const int fd = open(f.c_str(), O_RDONLY);
    if (fd >= 0) {
      if (read(fd, buffer, sizeof buffer) < 0) std::perror("read");
      close(fd);
    }
  });
  // Each round writes the other text, so that every edit changes the photo.
  bool odd = false;
  const double inPlaceMs = bench::BestMsPerFile(originals, 5, [&](const std::string& f) {
    if (f == originals.front()) odd = !odd;
    write(f, odd ? "Copyright(C) 2009 Bob Jones" : "Copyright(C) 2010 Cy Young ", CommitSteps::System());
  });

  std::printf("photos: %zu copies of the %zu of %zu editable samples that grow; %d failed edits\n", originals.size(),
              photos.size(), samples.editable.size(), failures);
  std::printf("floor (open, read 64 KiB, close):    %8.4f ms/photo\n", readFloorMs);
  std::printf("Copyright in place:                  %8.4f ms/photo  (%.2fx the floor; target 2x)\n", inPlaceMs,
              inPlaceMs / readFloorMs);
  std::printf("floor (copy the file):               %8.4f ms/photo\n", copyMs);
  std::printf("Copyright growing the segment:       %8.4f ms/photo  (%.2fx the copy; target 1.5x)\n", growMs,
              growMs / copyMs);
  std::printf("  the same without the flush:        %8.4f ms/photo  (%.2fx the copy)\n", growNoFlushMs,
              growNoFlushMs / copyMs);
  std::printf("copy, flushed and renamed:           %8.4f ms/photo  (the growing edit is %.2fx this)\n", safeCopyMs,
              growMs / safeCopyMs);
  return 0;
}
