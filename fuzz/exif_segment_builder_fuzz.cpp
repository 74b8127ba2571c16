// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary bytes to the directory walk as a TIFF structure and
// rebuilds every structure it accepts with a tag added, replaced and
// removed. Nothing may crash or read out of bounds, and every rebuilt
// structure must walk again.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "engine/exif_directory_walk.h"
#include "engine/exif_segment_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelvane;
  const std::span<const uint8_t> tiff(data, size);
  ExifStructure old;
  if (WalkExifDirectories(tiff, old) != WalkResult::kOk) return 0;
  static const uint8_t text[] = "Copyright(C) 2008 Ann Smith";
  for (const bool remove : {false, true}) {
    for (const IfdKind directory : {IfdKind::kIfd0, IfdKind::kExif}) {
      TagEdit edit;
      edit.tag = directory == IfdKind::kIfd0 ? 0x8298 : 0x9003;
      edit.directory = directory;
      edit.remove = remove;
      edit.type = 2;
      edit.count = sizeof text;
      edit.value = text;
      std::vector<uint8_t> out;
      if (BuildExifStructure(tiff, old, edit, 0xFFFF, out) != BuildResult::kBuilt) continue;
      ExifStructure now;
      if (WalkExifDirectories(out, now) != WalkResult::kOk) std::abort();
    }
  }
  return 0;
}
