// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/value_collector.h"

#include <algorithm>
#include <numeric>

#include "engine/sort_module.h"
#include "export/format_tag_value.h"
#include "export/tag_value.h"

namespace kelvane {
namespace {

constexpr std::string_view kFirstFound = "[1st found] ";
// Cell of a value whose formatting says it is not meant to be read as is.
constexpr std::string_view kUnreadableCell = "[]";

std::vector<int32_t> Identity(size_t count) {
  std::vector<int32_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  return order;
}

}  // namespace

ValueCollector::ValueCollector(const TagLibrary& library, bool excludeTechnical, int16_t valueCharLimit)
    : library_(library), excludeTechnical_(excludeTechnical), valueCharLimit_(valueCharLimit) {}

void ValueCollector::AddPhoto(PhotoFile& file, const ExifSegmentInfo& segment, std::string name) {
  const size_t photo = table_.photoNames.size();
  table_.photoNames.push_back(std::move(name));
  for (auto& row : table_.values) row.emplace_back();

  const ByteOrder order = segment[kLocByteOrder] == 1 ? ByteOrder::kBigEndian : ByteOrder::kLittleEndian;
  // The locator counts file positions from 1.
  TiffDecoder decoder(file, int64_t{segment[kLocTiffBase]} - 1, order);
  for (int d = 0; d < 2; ++d) {
    const uint64_t entries = static_cast<uint64_t>(segment[static_cast<size_t>(kLocIfd0Count + d)]);
    const uint64_t first = static_cast<uint64_t>(segment[static_cast<size_t>(kLocIfd0Offset + d)]) + 2;
    for (uint64_t e = 0; e < entries; ++e) ReadEntry(decoder, first + e * kEntrySize, photo);
  }
}

std::optional<size_t> ValueCollector::RowOf(uint16_t tag) {
  int32_t& row = tagRows_[tag];
  if (row == kExcluded) return std::nullopt;
  if (row == 0) {
    if (excludeTechnical_) {
      // Looked up once: an excluded tag stays excluded for the whole export.
      const auto record = library_.Record(tag);
      if (!record || !record->IsNonTechnical()) {
        row = kExcluded;
        return std::nullopt;
      }
    }
    table_.slotTags.push_back(tag);
    table_.values.emplace_back(PhotoCount());
    row = static_cast<int32_t>(SlotCount());
  }
  return static_cast<size_t>(row - 1);
}

void ValueCollector::ReadEntry(TiffDecoder& decoder, uint64_t entryOffset, size_t photo) {
  TiffEntry entry;
  // An entry the reader passed is always readable; one that is not has no tag to show.
  if (!decoder.Entry(entryOffset, entry)) return;
  const auto row = RowOf(entry.tag);
  if (!row) return;
  std::string& cell = table_.values[*row][photo];

  RawTagValue raw;
  raw.type = entry.type;
  raw.count = entry.count;
  raw.order = decoder.order();
  const uint64_t total = TagValueByteCount(raw.type, raw.count);
  if (valueCharLimit_ < 0 || total > static_cast<uint64_t>(valueCharLimit_)) {
    cell = FormatTagValue(library_, entry.tag, raw, valueCharLimit_).text;
    return;
  }
  // The tag met again (IFD0 and the Exif IFD): the first value stays.
  if (!cell.empty()) {
    const size_t keep = static_cast<size_t>(std::max(0, valueCharLimit_ - static_cast<int>(kFirstFound.size())));
    cell = std::string(kFirstFound) + cell.substr(0, keep);
    return;
  }

  // total is at most the value limit here, so the read stays small. Bytes
  // past the end of the file are not there: the value is decoded from what is.
  std::vector<uint8_t> bytes;
  if (total <= 4) {
    bytes.assign(entry.field.begin(), entry.field.begin() + static_cast<ptrdiff_t>(total));
  } else {
    const uint64_t position = decoder.ValueOffset(entry);
    const int64_t structureSize = decoder.source().Size() - decoder.start();
    const uint64_t size = structureSize > 0 ? static_cast<uint64_t>(structureSize) : 0;
    const uint64_t available = position >= size ? 0 : std::min(total, size - position);
    bytes.resize(static_cast<size_t>(available));
    if (available > 0 && !decoder.Bytes(position, bytes.data(), bytes.size())) bytes.clear();
  }
  raw.bytes = bytes;
  const FormattedValue formatted = FormatTagValue(library_, entry.tag, DecodeTagValue(raw));
  cell = formatted.status < -1 ? std::string(kUnreadableCell) : formatted.text;
}

std::optional<ExportTable> ValueCollector::Finish(bool sortPhotos) && {
  ExportTable table = std::move(table_);
  table.photoOrder = Identity(table.PhotoCount());
  table.slotOrder = Identity(table.SlotCount());
  const int64_t photos = static_cast<int64_t>(table.PhotoCount());
  const int64_t slots = static_cast<int64_t>(table.SlotCount());
  if (sortPhotos && !TextSort(table.photoNames, table.photoOrder, 0, photos - 1)) return std::nullopt;
  if (!IntegerSort(table.slotTags, table.slotOrder, 0, slots - 1)) return std::nullopt;
  return table;
}

}  // namespace kelvane
