// SPDX-License-Identifier: GPL-2.0-or-later
#include "minimal_exif_segment.h"

#include <cctype>

#include "engine/exif_types.h"

namespace kelvane {
namespace {

constexpr size_t kDateTimeLength = 19;
constexpr size_t kRoomBytes = 1024;

// TIFF offsets of the layout.
constexpr uint32_t kIfd0Offset = 8;
constexpr uint32_t kDateTimeOffset = 38;
constexpr uint32_t kExifIfdOffset = 58;
constexpr uint32_t kDateTimeOriginalOffset = 124;
constexpr uint32_t kDateTimeDigitizedOffset = 144;


bool IsExifDateTime(const std::string& text) {
  if (text.size() != kDateTimeLength) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char expected = (i == 4 || i == 7 || i == 13 || i == 16) ? ':' : (i == 10 ? ' ' : '\0');
    const bool ok = expected != '\0' ? text[i] == expected : std::isdigit(static_cast<unsigned char>(text[i])) != 0;
    if (!ok) return false;
  }
  return true;
}

// Little-endian numbers appended to the segment.
void Append16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Append32(std::string& out, uint32_t value) {
  Append16(out, value & 0xFFFF);
  Append16(out, value >> 16);
}

void PutEntry(std::string& out, uint16_t tag, ExifType type, uint32_t count, uint32_t value) {
  Append16(out, tag);
  Append16(out, TypeCode(type));
  Append32(out, count);
  Append32(out, value);
}

void PutDateTime(std::string& out, const std::string& dateTime) {
  out += dateTime;
  out += '\0';
}

}  // namespace

std::string BuildMinimalExifSegment(const std::string& dateTime, int32_t height, int32_t width) {
  if (!IsExifDateTime(dateTime) || height <= 0 || width <= 0) return {};
  const uint32_t dateTimeCount = kDateTimeLength + 1;

  std::string tiff = "II";
  Append16(tiff, 42);
  Append32(tiff, kIfd0Offset);
  Append16(tiff, 2);
  PutEntry(tiff, 0x0132, ExifType::kAscii, dateTimeCount, kDateTimeOffset);
  PutEntry(tiff, 0x8769, ExifType::kLong, 1, kExifIfdOffset);
  Append32(tiff, 0);
  PutDateTime(tiff, dateTime);
  Append16(tiff, 5);
  PutEntry(tiff, 0x9000, ExifType::kUndefined, 4, 0);
  tiff.replace(tiff.size() - 4, 4, "0210");
  PutEntry(tiff, 0x9003, ExifType::kAscii, dateTimeCount, kDateTimeOriginalOffset);
  PutEntry(tiff, 0x9004, ExifType::kAscii, dateTimeCount, kDateTimeDigitizedOffset);
  PutEntry(tiff, 0xA002, ExifType::kLong, 1, static_cast<uint32_t>(width));
  PutEntry(tiff, 0xA003, ExifType::kLong, 1, static_cast<uint32_t>(height));
  Append32(tiff, 0);
  PutDateTime(tiff, dateTime);
  PutDateTime(tiff, dateTime);
  tiff.append(kRoomBytes, '\0');

  // Length field: itself, "Exif\0\0" and the TIFF structure.
  const size_t length = 2 + 6 + tiff.size();
  std::string segment = "\xFF\xE1";
  segment += static_cast<char>(length >> 8);
  segment += static_cast<char>(length & 0xFF);
  segment.append("Exif\0\0", 6);
  segment += tiff;
  return segment;
}

}  // namespace kelvane
