// SPDX-License-Identifier: GPL-2.0-or-later
// The byte order and field types of a TIFF/Exif structure, with the one
// table of field sizes the whole program uses.
#pragma once

#include <cstdint>

namespace kelvane {

// The values match the locator's byte-order number (0 = "II", 1 = "MM").
enum class ByteOrder : uint8_t { kLittleEndian = 0, kBigEndian = 1 };

// Exif field types; kIfd (13) is the TIFF-EP type of a directory pointer.
enum class ExifType : uint16_t {
  kByte = 1,
  kAscii = 2,
  kShort = 3,
  kLong = 4,
  kRational = 5,
  kSByte = 6,
  kUndefined = 7,
  kSShort = 8,
  kSLong = 9,
  kSRational = 10,
  kFloat = 11,
  kDouble = 12,
  kIfd = 13,
};

inline constexpr uint16_t TypeCode(ExifType type) { return static_cast<uint16_t>(type); }

// Bytes of one component of a field type; 0 for a type code that is not known.
constexpr uint32_t ExifTypeSize(uint16_t type) {
  switch (static_cast<ExifType>(type)) {
    case ExifType::kByte:
    case ExifType::kAscii:
    case ExifType::kSByte:
    case ExifType::kUndefined:
      return 1;
    case ExifType::kShort:
    case ExifType::kSShort:
      return 2;
    case ExifType::kLong:
    case ExifType::kSLong:
    case ExifType::kFloat:
    case ExifType::kIfd:
      return 4;
    case ExifType::kRational:
    case ExifType::kSRational:
    case ExifType::kDouble:
      return 8;
  }
  return 0;
}

inline uint16_t Get16(const uint8_t* p, ByteOrder order) {
  return order == ByteOrder::kBigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                                        : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

inline uint32_t Get32(const uint8_t* p, ByteOrder order) {
  return order == ByteOrder::kBigEndian ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                                        : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

inline void Put16(uint8_t* p, uint16_t v, ByteOrder order) {
  const bool big = order == ByteOrder::kBigEndian;
  p[big ? 0 : 1] = static_cast<uint8_t>(v >> 8);
  p[big ? 1 : 0] = static_cast<uint8_t>(v);
}

inline void Put32(uint8_t* p, uint32_t v, ByteOrder order) {
  for (int i = 0; i < 4; ++i) p[order == ByteOrder::kBigEndian ? 3 - i : i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace kelvane
