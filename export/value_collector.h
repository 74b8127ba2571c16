// SPDX-License-Identifier: GPL-2.0-or-later
// Collects the tag values of one photo at a time for an export: walks every
// entry of IFD0, the Exif IFD and the GPS directory through the one TIFF
// decoder and formats each value by the tag library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/exif_reader.h"
#include "engine/photo_file.h"
#include "engine/tiff_decoder.h"
#include "export/photo_values.h"
#include "export/tag_library.h"

namespace kelvane {

struct CollectOptions {
  // Leave out every tag whose record lacks the non-technical class (and
  // every tag without a record).
  bool excludeTechnical = false;
  // A value of more bytes is shown as "<Not shown as is too long (N bytes) >".
  int16_t valueCharLimit = 250;
  // Work out the typed values too (JSON, the database's typed table).
  bool typed = false;
};

class ValueCollector {
 public:
  ValueCollector(const TagLibrary& library, CollectOptions options);

  // The values of the photo whose Exif segment `segment` locates, read from
  // file. A value that can't be read leaves its text empty or partial; the
  // walk goes on. A tag met twice (IFD0 and the Exif IFD) keeps its first
  // value: "[1st found] " and the start of it.
  PhotoValues Collect(PhotoFile& file, const ExifSegmentInfo& segment, std::string folder, std::string name);

 private:
  static constexpr size_t kEntrySize = 12;

  bool Excluded(int32_t tag);
  void ReadEntry(TiffDecoder& decoder, const TiffEntry& entry, int32_t tag, PhotoValues& photo);
  void WalkGps(TiffDecoder& decoder, uint32_t offset, PhotoValues& photo);
  void ApplyComposites(PhotoValues& photo) const;

  const TagLibrary& library_;
  CollectOptions options_;
  // Per tag: 0 not looked up yet, 1 kept, -1 left out for the whole export.
  std::vector<int8_t> kept_ = std::vector<int8_t>(kExportTagLimit, 0);
  // Per tag: its index in the photo's values while the photo is read, or -1.
  std::vector<int32_t> position_ = std::vector<int32_t>(kExportTagLimit, -1);
};

}  // namespace kelvane
