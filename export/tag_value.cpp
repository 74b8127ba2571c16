// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/tag_value.h"

#include <algorithm>
#include <bit>

namespace kelvane {
namespace {

// width bytes (1..4) from bytes as an unsigned number.
uint32_t ReadUnsigned(std::span<const uint8_t> bytes, size_t width, ByteOrder order) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    const size_t shift = order == ByteOrder::kLittleEndian ? i : width - 1 - i;
    value |= static_cast<uint32_t>(bytes[i]) << (8 * shift);
  }
  return value;
}

// Two's-complement reading of a width-byte number.
int64_t SignExtend(uint32_t value, size_t width) {
  const uint64_t signBit = uint64_t{1} << (8 * width - 1);
  return static_cast<int64_t>(value ^ signBit) - static_cast<int64_t>(signBit);
}

bool IsSigned(uint16_t type) {
  return type == TypeCode(ExifType::kSByte) || type == TypeCode(ExifType::kSShort) ||
         type == TypeCode(ExifType::kSLong) || type == TypeCode(ExifType::kSRational);
}

bool IsRational(uint16_t type) {
  return type == TypeCode(ExifType::kRational) || type == TypeCode(ExifType::kSRational);
}

std::string AsText(std::span<const uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

uint64_t TagValueByteCount(uint16_t type, uint32_t count) { return uint64_t{ExifTypeSize(type)} * count; }

size_t TagValue::Elements() const {
  const uint32_t size = ExifTypeSize(type);
  return size == 0 ? 0 : std::min<size_t>(count, bytes.size() / size);
}

std::optional<int64_t> TagValue::Integer(size_t i) const {
  const uint32_t size = ExifTypeSize(type);
  const bool integer = type == TypeCode(ExifType::kByte) || type == TypeCode(ExifType::kShort) ||
                       type == TypeCode(ExifType::kLong) || IsSigned(type);
  if (!integer || IsRational(type) || i >= Elements()) return std::nullopt;
  const uint32_t unsignedValue = ReadUnsigned(bytes.subspan(i * size), size, order);
  return IsSigned(type) ? SignExtend(unsignedValue, size) : int64_t{unsignedValue};
}

std::optional<std::pair<int64_t, int64_t>> TagValue::Rational(size_t i) const {
  if (!IsRational(type) || i >= Elements()) return std::nullopt;
  const uint32_t numerator = ReadUnsigned(bytes.subspan(i * 8), 4, order);
  const uint32_t denominator = ReadUnsigned(bytes.subspan(i * 8 + 4), 4, order);
  if (IsSigned(type)) return std::pair{SignExtend(numerator, 4), SignExtend(denominator, 4)};
  return std::pair<int64_t, int64_t>{numerator, denominator};
}

std::optional<double> TagValue::Number(size_t i) const {
  if (const auto integer = Integer(i)) return static_cast<double>(*integer);
  if (const auto rational = Rational(i)) {
    if (rational->second == 0) return std::nullopt;
    return static_cast<double>(rational->first) / static_cast<double>(rational->second);
  }
  if (i >= Elements()) return std::nullopt;
  if (type == TypeCode(ExifType::kFloat)) {
    const uint32_t bits = ReadUnsigned(bytes.subspan(i * 4), 4, order);
    return static_cast<double>(std::bit_cast<float>(bits));
  }
  if (type == TypeCode(ExifType::kDouble)) {
    const auto high = uint64_t{ReadUnsigned(bytes.subspan(i * 8), 4, order)};
    const auto low = uint64_t{ReadUnsigned(bytes.subspan(i * 8 + 4), 4, order)};
    return std::bit_cast<double>(order == ByteOrder::kBigEndian ? high << 32 | low : low << 32 | high);
  }
  return std::nullopt;
}

TagValue DecodeTagValue(const RawTagValue& raw) {
  TagValue value;
  value.type = raw.type;
  const uint64_t total = TagValueByteCount(raw.type, raw.count);
  const std::span<const uint8_t> bytes =
      raw.bytes.first(static_cast<size_t>(std::min<uint64_t>(total, raw.bytes.size())));
  const bool complete = bytes.size() == total;
  value.bytes = bytes;
  value.count = raw.count;
  value.order = raw.order;

  if (!complete && (raw.type == TypeCode(ExifType::kAscii) || raw.type == TypeCode(ExifType::kUndefined))) return value;
  if (raw.type == TypeCode(ExifType::kAscii)) {
    // The text ends at its terminator; zero bytes after it are padding. Some
    // cameras store no terminator: then the last byte is text.
    value.text = AsText(bytes);
    value.text.erase(value.text.find_last_not_of('\0') + 1);
    return value;
  }
  if (raw.type == TypeCode(ExifType::kUndefined)) {
    value.text = AsText(bytes);
    if (total <= 4) value.num = ReadUnsigned(bytes, bytes.size(), ByteOrder::kLittleEndian);
    return value;
  }

  const size_t width = static_cast<size_t>(std::min<uint64_t>(total, 4));
  if (width == 0 || bytes.size() < width) return value;
  const uint32_t num = ReadUnsigned(bytes, width, raw.order);
  value.num = IsSigned(raw.type) ? SignExtend(num, width) : num;
  if (IsRational(raw.type) && bytes.size() >= 8) {
    const uint32_t den = ReadUnsigned(bytes.subspan(4), 4, raw.order);
    value.den = IsSigned(raw.type) ? SignExtend(den, 4) : den;
  }
  return value;
}

}  // namespace kelvane
