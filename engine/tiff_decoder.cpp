// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/tiff_decoder.h"

#include <algorithm>
#include <limits>

namespace kelvane {
namespace {

constexpr uint16_t kTiffMagic = 42;
constexpr size_t kEntrySize = 12;

}  // namespace

bool TiffDecoder::Holds(uint64_t offset, uint64_t length) {
  const int64_t size = source_.Size();
  if (size < start_) return false;
  const uint64_t available = static_cast<uint64_t>(size - start_);
  return length <= available && offset <= available - length;
}

bool TiffDecoder::Bytes(uint64_t offset, void* out, size_t length) {
  if (offset > static_cast<uint64_t>(std::numeric_limits<int64_t>::max() - start_)) return false;
  return source_.ReadAt(start_ + static_cast<int64_t>(offset), out, length);
}

bool TiffDecoder::U16(uint64_t offset, uint16_t& out) {
  uint8_t b[2];
  if (!Bytes(offset, b, 2)) return false;
  out = Get16(b, order_);
  return true;
}

bool TiffDecoder::U32(uint64_t offset, uint32_t& out) {
  uint8_t b[4];
  if (!Bytes(offset, b, 4)) return false;
  out = Get32(b, order_);
  return true;
}

bool TiffDecoder::Entry(uint64_t offset, TiffEntry& out) {
  uint8_t b[kEntrySize];
  if (offset > std::numeric_limits<uint32_t>::max() || !Bytes(offset, b, kEntrySize)) return false;
  out.tag = Get16(b, order_);
  out.type = Get16(b + 2, order_);
  out.count = Get32(b + 4, order_);
  out.byteLength = uint64_t{ExifTypeSize(out.type)} * out.count;
  std::copy(b + 8, b + 12, out.field.begin());
  out.at = static_cast<uint32_t>(offset);
  return true;
}

TiffDecoder::DirectoryRead TiffDecoder::Directory(uint64_t offset, size_t maxEntries, std::vector<TiffEntry>& out) {
  out.clear();
  uint16_t count = 0;
  if (!U16(offset, count) || !Holds(offset + 2, kEntrySize * uint64_t{count})) return DirectoryRead::kUnreadable;
  if (count > maxEntries) return DirectoryRead::kTooManyEntries;
  out.resize(count);
  for (size_t k = 0; k < count; ++k) {
    if (!Entry(offset + 2 + kEntrySize * k, out[k])) return DirectoryRead::kUnreadable;
  }
  return DirectoryRead::kOk;
}

uint64_t TiffDecoder::ValueOffset(const TiffEntry& entry) const {
  return entry.OutOfLine() ? entry.FieldValue(order_) : uint64_t{entry.at} + 8;
}

bool TiffDecoder::Value(const TiffEntry& entry, std::vector<uint8_t>& out) {
  out.clear();
  if (!entry.KnownType()) return false;
  if (!entry.OutOfLine()) {
    out.assign(entry.field.begin(), entry.field.begin() + static_cast<ptrdiff_t>(entry.byteLength));
    return true;
  }
  const uint64_t at = ValueOffset(entry);
  if (!Holds(at, entry.byteLength)) return false;
  out.resize(static_cast<size_t>(entry.byteLength));
  return Bytes(at, out.data(), out.size());
}

TiffHeader ReadTiffHeader(ByteSource& source, int64_t start, ByteOrder& order, uint32_t& ifd0Offset) {
  uint8_t mark[2];
  if (!source.ReadAt(start, mark, 2)) return TiffHeader::kUnreadable;
  if (mark[0] != mark[1] || (mark[0] != 'I' && mark[0] != 'M')) return TiffHeader::kBadByteOrder;
  order = mark[0] == 'M' ? ByteOrder::kBigEndian : ByteOrder::kLittleEndian;
  TiffDecoder decoder(source, start, order);
  uint16_t magic = 0;
  if (!decoder.U16(2, magic)) return TiffHeader::kUnreadable;
  if (magic != kTiffMagic) return TiffHeader::kBadMagic;
  return decoder.U32(4, ifd0Offset) ? TiffHeader::kOk : TiffHeader::kUnreadable;
}

}  // namespace kelvane
