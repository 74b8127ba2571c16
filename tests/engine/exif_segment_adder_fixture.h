// SPDX-License-Identifier: GPL-2.0-or-later
// Shared by the tests of AddExifSegment: targets and sources built byte by
// byte, written with file times whose earliest is kFileTime.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/exif_reader.h"
#include "engine/exif_segment_adder.h"
#include "support/jpeg_builder.h"
#include "support/test_support.h"
#include "time_zone_guard.h"

namespace kelvane::test {

// The earliest file time of every photo Write makes, in UTC (the zone of
// SegmentAdderTest).
inline constexpr const char* kFileTime = "2007:04:30 09:15:22";
inline constexpr time_t kFileTimeSeconds = 1177924522;
inline constexpr time_t kLaterAccess = 1199232000;  // 2008-01-02

inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// A photo without metadata: SOI, an optional JFIF APP0, a table, the frame
// header (0xC0 baseline, 0xC2 progressive), a scan of scanBytes and EOI.
inline Bytes TargetJpeg(bool app0, uint16_t height, uint16_t width, size_t scanBytes = 64, uint8_t frame = 0xC0) {
  Bytes out = {0xFF, 0xD8};
  if (app0) Append(out, {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
  Bytes table = {0xFF, 0xDB, 0, 67, 0};
  table.resize(table.size() + 64, 1);
  Append(out, table);
  Append(out, {0xFF, frame, 0, 11, 8, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width), 1, 1,
               0x11, 0});
  Append(out, {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0});
  for (size_t i = 0; i < scanBytes; ++i) out.push_back(static_cast<uint8_t>(i * 7 % 251));
  Append(out, {0xFF, 0xD9});
  return out;
}

// A source photo's TIFF structure with the size tags as chosen.
inline TiffLayout SourceLayout(bool bigEndian, bool widthShort = true) {
  TiffLayout t;
  t.bigEndian = bigEndian;
  t.ifd0 = {Ascii(0x010F, "Maker"), Ascii(0x0132, "2007:01:13 10:20:30"), Ascii(0x8298, "Photographer")};
  t.exif = std::vector<TiffEntry>{Undefined(0x9000, "0220"), Ascii(0x9003, "2007:01:12 09:08:07"),
                                  widthShort ? Short(0xA002, 3000, bigEndian) : Long(0xA002, 3000, bigEndian),
                                  Long(0xA003, 2000, bigEndian)};
  return t;
}

inline struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st;
}

inline void SetFileTimes(const std::string& path, time_t access, time_t modified) {
  const struct timespec times[2] = {{access, 0}, {modified, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class SegmentAdderTest : public ::testing::Test {
 protected:
  SegmentAdderTest() : zone_("UTC0") {}

  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = scratch_.File(name);
    WriteBytes(path, bytes);
    SetFileTimes(path, kLaterAccess, kFileTimeSeconds);
    return path;
  }

  AddSegmentResult Add(std::string target, SegmentKind kind, const std::string& source = {},
                       const CommitSteps& steps = CommitSteps::System()) {
    return AddExifSegment(target, kind, source, options_, steps).result;
  }

  ExifReading ReadBack(const std::string& path, ReadResult expected = ReadResult::kOk) {
    PhotoFile file;
    EXPECT_TRUE(file.Open(path, PhotoFile::Mode::kRead));
    ExifReading reading;
    int32_t slotRequest = 0;
    EXPECT_EQ(ReadExifTags(file, slotRequest, reading), expected);
    return reading;
  }

  // Nothing may be left beside the photos.
  std::vector<std::string> ScratchNames() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(scratch_.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  ScratchFolder scratch_;
  TimeZoneGuard zone_;
  ProgramOptions options_;
};

}  // namespace kelvane::test
