// SPDX-License-Identifier: GPL-2.0-or-later
// The one decoder of TIFF/Exif structures: header, directory entries and
// values, in the structure's byte order, over bytes from a file or memory.
// Offsets are 0-based and count from the TIFF header, as the structure's own
// offsets do; every read is checked against the end of the source.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/byte_source.h"
#include "engine/exif_types.h"

namespace kelvane {

// One 12-byte directory entry as stored.
struct TiffEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint64_t byteLength = 0;  // count x component size; 0 for a type that is not known
  std::array<uint8_t, 4> field{};
  uint32_t at = 0;  // offset of the entry's tag field

  bool KnownType() const { return ExifTypeSize(type) != 0; }
  // The value lies outside the entry, at the offset the field holds.
  bool OutOfLine() const { return byteLength > 4; }
  // The field as one 32-bit number in the structure's byte order.
  uint32_t FieldValue(ByteOrder order) const { return Get32(field.data(), order); }
};

class TiffDecoder {
 public:
  // A structure whose header begins at source offset `start`.
  TiffDecoder(ByteSource& source, int64_t start, ByteOrder order) : source_(source), start_(start), order_(order) {}

  ByteOrder order() const { return order_; }
  int64_t start() const { return start_; }
  ByteSource& source() { return source_; }

  bool Bytes(uint64_t offset, void* out, size_t length);
  bool U16(uint64_t offset, uint16_t& out);
  bool U32(uint64_t offset, uint32_t& out);
  // True when [offset, offset + length) lies inside the source.
  bool Holds(uint64_t offset, uint64_t length);

  // Decodes the entry at `offset`.
  bool Entry(uint64_t offset, TiffEntry& out);

  enum class DirectoryRead { kOk, kUnreadable, kTooManyEntries };
  // The entries of the directory at `offset`: its count, then that many
  // entries. More than maxEntries entries is kTooManyEntries.
  DirectoryRead Directory(uint64_t offset, size_t maxEntries, std::vector<TiffEntry>& out);

  // The value's bytes: the first byteLength bytes of the field, or the bytes
  // at the offset the field holds. False for an unknown type or a value that
  // does not lie wholly inside the source.
  bool Value(const TiffEntry& entry, std::vector<uint8_t>& out);
  // The offset of the value's first byte (the field's own offset when the
  // value fits in the entry).
  uint64_t ValueOffset(const TiffEntry& entry) const;

  // Where a directory of `entries` entries keeps its link to the next one.
  static uint64_t LinkOffset(uint64_t directory, size_t entries) { return directory + 2 + 12 * uint64_t{entries}; }

 private:
  ByteSource& source_;
  int64_t start_;
  ByteOrder order_;
};

enum class TiffHeader { kOk, kUnreadable, kBadByteOrder, kBadMagic };

// Reads the header at source offset `start`: "II" or "MM", 42, the IFD0 offset.
TiffHeader ReadTiffHeader(ByteSource& source, int64_t start, ByteOrder& order, uint32_t& ifd0Offset);

}  // namespace kelvane
