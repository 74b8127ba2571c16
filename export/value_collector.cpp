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

uint32_t Read16(const uint8_t* b, ByteOrder order) {
  return order == ByteOrder::kBigEndian ? (uint32_t{b[0]} << 8) | b[1] : (uint32_t{b[1]} << 8) | b[0];
}

uint32_t Read32(const uint8_t* b, ByteOrder order) {
  return order == ByteOrder::kBigEndian
             ? (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3]
             : (uint32_t{b[3]} << 24) | (uint32_t{b[2]} << 16) | (uint32_t{b[1]} << 8) | b[0];
}

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
  const int64_t tiffBase = int64_t{segment[kLocTiffBase]} - 1;
  for (int d = 0; d < 2; ++d) {
    const int64_t entries = segment[kLocIfd0Count + d];
    const int64_t first = tiffBase + segment[kLocIfd0Offset + d] + 2;
    for (int64_t e = 0; e < entries; ++e) {
      ReadEntry(file, first + e * static_cast<int64_t>(kEntrySize), tiffBase, order, photo);
    }
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

void ValueCollector::ReadEntry(PhotoFile& file, int64_t entryOffset, int64_t tiffBase, ByteOrder order, size_t photo) {
  uint8_t entry[kEntrySize];
  // An entry the reader passed is always readable; one that is not has no tag to show.
  if (!file.ReadAt(entryOffset, entry, kEntrySize)) return;
  const uint16_t tag = static_cast<uint16_t>(Read16(entry, order));
  const auto row = RowOf(tag);
  if (!row) return;
  std::string& cell = table_.values[*row][photo];

  RawTagValue raw;
  raw.type = static_cast<uint16_t>(Read16(entry + 2, order));
  raw.count = Read32(entry + 4, order);
  raw.order = order;
  const uint64_t total = TagValueByteCount(raw.type, raw.count);
  if (valueCharLimit_ < 0 || total > static_cast<uint64_t>(valueCharLimit_)) {
    cell = FormatTagValue(library_, tag, raw, valueCharLimit_).text;
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
    bytes.assign(entry + 8, entry + 8 + total);
  } else {
    const int64_t position = tiffBase + Read32(entry + 8, order);
    const int64_t size = file.Size();
    const int64_t available = std::min<int64_t>(static_cast<int64_t>(total), size - position);
    if (available > 0) {
      bytes.resize(static_cast<size_t>(available));
      if (!file.ReadAt(position, bytes.data(), bytes.size())) bytes.clear();
    }
  }
  raw.bytes = bytes;
  const FormattedValue formatted = FormatTagValue(library_, tag, DecodeTagValue(raw));
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
