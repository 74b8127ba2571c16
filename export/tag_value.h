// SPDX-License-Identifier: GPL-2.0-or-later
// Turns the raw bytes of one Exif directory entry's value into the numbers
// and text that the value formatting works on.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "engine/exif_types.h"

namespace kelvane {

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
  // Every element, for the formats that show more than the first: the
  // value's bytes (viewed, not copied: the raw value's), count and order.
  std::span<const uint8_t> bytes;
  uint32_t count = 0;
  ByteOrder order = ByteOrder::kLittleEndian;

  // Element i of an integer type (BYTE .. SLONG), or a rational's numerator
  // and denominator; nothing when its bytes are not there.
  std::optional<int64_t> Integer(size_t i) const;
  std::optional<std::pair<int64_t, int64_t>> Rational(size_t i) const;
  // Element i as a number: an integer, a rational's quotient (nothing for a
  // zero denominator), a FLOAT or a DOUBLE.
  std::optional<double> Number(size_t i) const;
  // The elements that are there.
  size_t Elements() const;
};

// Size of a value in bytes (element size x count, 0 for a type that is not
// known); never overflows.
uint64_t TagValueByteCount(uint16_t type, uint32_t count);

// Decodes a raw value. A part whose bytes are not all present (a number, the
// denominator, the text) stays 0 or empty.
TagValue DecodeTagValue(const RawTagValue& raw);

}  // namespace kelvane
