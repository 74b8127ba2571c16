// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/minimal_exif_segment.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvane {
namespace {

const std::string kDate = "2007:04:30 09:15:22";

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

TEST(MinimalExifSegment, HasTheExactLayout) {
  const std::string segment = BuildMinimalExifSegment(kDate, 1200, 1600);
  ASSERT_EQ(segment.size(), kMinimalExifSegmentSize);
  // Offsets below are TIFF offsets; the TIFF header starts at segment byte 10.
  std::string expected = Bytes({0xFF, 0xE1, 0x04, 0xAC}) + std::string("Exif\0\0", 6);
  expected += Bytes({'I', 'I', 42, 0, 8, 0, 0, 0});                       // 0: header
  expected += Bytes({2, 0});                                              // 8: IFD0 count
  expected += Bytes({0x32, 0x01, 2, 0, 20, 0, 0, 0, 38, 0, 0, 0});        // 10: DateTime
  expected += Bytes({0x69, 0x87, 4, 0, 1, 0, 0, 0, 58, 0, 0, 0});         // 22: ExifOffset
  expected += Bytes({0, 0, 0, 0});                                        // 34: next IFD
  expected += kDate + '\0';                                               // 38
  expected += Bytes({5, 0});                                              // 58: Exif IFD count
  expected += Bytes({0x00, 0x90, 7, 0, 4, 0, 0, 0, '0', '2', '1', '0'});  // 60: ExifVersion
  expected += Bytes({0x03, 0x90, 2, 0, 20, 0, 0, 0, 124, 0, 0, 0});       // 72: DateTimeOriginal
  expected += Bytes({0x04, 0x90, 2, 0, 20, 0, 0, 0, 144, 0, 0, 0});       // 84: DateTimeDigitized
  expected += Bytes({0x02, 0xA0, 4, 0, 1, 0, 0, 0, 0x40, 0x06, 0, 0});    // 96: width 1600
  expected += Bytes({0x03, 0xA0, 4, 0, 1, 0, 0, 0, 0xB0, 0x04, 0, 0});    // 108: height 1200
  expected += Bytes({0, 0, 0, 0});                                        // 120: next IFD
  expected += kDate + '\0';                                               // 124
  expected += kDate + '\0';                                               // 144
  expected += std::string(1024, '\0');                                    // 164: room
  EXPECT_EQ(segment, expected);
}

TEST(MinimalExifSegment, BuildsNothingFromABadDateOrSize) {
  const struct {
    const char* name;
    std::string date;
    int32_t height;
    int32_t width;
  } cases[] = {
      {"empty date (file time not read)", "", 10, 10},
      {"date without seconds", "2007:04:30 09:15", 10, 10},
      {"date with its zero byte", kDate + '\0', 10, 10},
      {"dashes instead of colons", "2007-04-30 09:15:22", 10, 10},
      {"letter in the year", "20O7:04:30 09:15:22", 10, 10},
      {"no height", kDate, 0, 10},
      {"no width", kDate, 10, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(BuildMinimalExifSegment(c.date, c.height, c.width).empty());
  }
}

}  // namespace
}  // namespace kelvane
