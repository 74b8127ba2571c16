// SPDX-License-Identifier: GPL-2.0-or-later
// Turns the raw bytes of one Exif directory entry's value into the numbers
// and text that the value formatting works on.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

// Byte order of the TIFF header; the values match the locator's byte-order
// number (0 = "II", 1 = "MM").
enum class ByteOrder : uint8_t { kLittleEndian = 0, kBigEndian = 1 };

// Exif type codes.
namespace exif_type {
inline constexpr uint16_t kByte = 1;
inline constexpr uint16_t kAscii = 2;
inline constexpr uint16_t kShort = 3;
inline constexpr uint16_t kLong = 4;
inline constexpr uint16_t kRational = 5;
inline constexpr uint16_t kSByte = 6;
inline constexpr uint16_t kUndefined = 7;
inline constexpr uint16_t kSShort = 8;
inline constexpr uint16_t kSLong = 9;
inline constexpr uint16_t kSRational = 10;
inline constexpr uint16_t kFloat = 11;
inline constexpr uint16_t kDouble = 12;
}  // namespace exif_type

// One entry's value as stored in the file.
struct RawTagValue {
  uint16_t type = 0;
  uint32_t count = 0;
  ByteOrder order = ByteOrder::kLittleEndian;
  // The value's bytes: the entry's 4-byte value field when the value fits in
  // it, else the bytes at the value's offset. Only the first
  // TagValueByteCount(type, count) bytes are looked at; fewer may be given
  // when the file ended early.
  std::span<const uint8_t> bytes;
};

// The numbers and text of one value.
struct TagValue {
  uint16_t type = 0;
  // The first 1..4 bytes of the value as one number in the file's byte
  // order: signed for SBYTE, SSHORT, SLONG and SRATIONAL at the width read,
  // unsigned otherwise (so a LONG keeps values of 2^31 and more). For a
  // rational, its numerator. For UNDEFINED values of at most 4 bytes, the
  // bytes with the first one least significant; 0 for ASCII.
  int64_t num = 0;
  int64_t den = 0;   // a rational's denominator, 0 for other types
  std::string text;  // ASCII: the bytes less trailing zero bytes; UNDEFINED: all bytes
};

// Bytes per element: 2 for SHORT/SSHORT, 4 for LONG/SLONG/FLOAT, 8 for the
// rationals and DOUBLE, 1 for every other type code.
uint32_t ExifTypeSize(uint16_t type);

// Size of a value in bytes (element size x count); never overflows.
uint64_t TagValueByteCount(uint16_t type, uint32_t count);

// Decodes a raw value. A part whose bytes are not all present (a number, the
// denominator, the text) stays 0 or empty.
TagValue DecodeTagValue(const RawTagValue& raw);

}  // namespace kelvane
