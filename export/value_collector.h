// SPDX-License-Identifier: GPL-2.0-or-later
// Collects the tag values of photos into an export table: walks every entry
// of IFD0 and the Exif IFD, gives each tag a row on its first appearance and
// each photo a column, and formats the values by the tag library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/exif_reader.h"
#include "engine/photo_file.h"
#include "engine/tiff_decoder.h"
#include "export/export_table.h"
#include "export/tag_library.h"
#include "export/tag_value.h"

namespace kelvane {

class ValueCollector {
 public:
  // excludeTechnical leaves out every tag whose record lacks the
  // non-technical class (and every tag without a record). A value of more
  // than valueCharLimit bytes is shown as "<Not shown as is too long (N bytes) >".
  ValueCollector(const TagLibrary& library, bool excludeTechnical, int16_t valueCharLimit);

  // Adds a column named name for the photo whose Exif segment segment
  // locates, and reads its entries from file. A value that can't be read
  // leaves its cell empty or partial; the walk goes on.
  void AddPhoto(PhotoFile& file, const ExifSegmentInfo& segment, std::string name);

  size_t PhotoCount() const { return table_.photoNames.size(); }
  size_t SlotCount() const { return table_.slotTags.size(); }

  // The table in export order: photos by name (when sortPhotos), rows by tag
  // number. Nothing when a sort fails.
  std::optional<ExportTable> Finish(bool sortPhotos) &&;

 private:
  static constexpr int32_t kExcluded = -1;
  static constexpr size_t kEntrySize = 12;

  void ReadEntry(TiffDecoder& decoder, uint64_t entryOffset, size_t photo);
  // The row of tag (taking a new one on its first appearance), or nothing
  // when the tag is left out.
  std::optional<size_t> RowOf(uint16_t tag);

  const TagLibrary& library_;
  bool excludeTechnical_;
  int16_t valueCharLimit_;
  // Per tag number: 0 = not seen, kExcluded, or row + 1.
  std::vector<int32_t> tagRows_ = std::vector<int32_t>(65536, 0);
  ExportTable table_;
};

}  // namespace kelvane
