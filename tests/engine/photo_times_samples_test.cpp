// SPDX-License-Identifier: GPL-2.0-or-later
// Shifts the date/times of copies of every camera photo and checks the
// result with exiftool.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <set>
#include <string>

#include "engine/exif_date_time.h"
#include "engine/photo_times.h"
#include "support/exiftool_oracle.h"
#include "support/test_support.h"
#include "time_zone_guard.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

constexpr int kShiftSeconds = 22 * 3600;  // one day later, two hours earlier

// The text shifted by kShiftSeconds, computed on UTC calendar seconds.
std::string Shifted(const std::string& text) {
  std::tm t{};
  if (std::sscanf(text.c_str(), "%d:%d:%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                  &t.tm_sec) != 6) {
    return "(unreadable " + text + ")";
  }
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  const time_t shifted = ::timegm(&t) + kShiftSeconds;
  std::tm out{};
  ::gmtime_r(&shifted, &out);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y:%m:%d %H:%M:%S", &out);
  return buffer;
}

std::string TextOf(const json& reading, const char* key) {
  return reading.contains(key) && reading[key].is_string() ? reading[key].get<std::string>() : std::string();
}

TEST(PhotoTimesSamples, ShiftAgreesWithExiftool) {
  KELVANE_REQUIRE_SAMPLES();
  if (!test::HaveExiftool()) GTEST_SKIP() << "exiftool missing";
  test::TimeZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  const std::set<std::string> edited = {"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate"};
  test::ScratchFolder scratch;
  const ProgramOptions options;
  const PhotoTimeParameters parameters{.metadataTimeSelected = true};
  int shifted = 0;
  int withoutTakenTime = 0;
  for (const auto& relative : test::SamplePhotos()) {
    const std::string folder = relative.begin()->string();
    if (folder == "no-exif" || folder == "broken") continue;
    SCOPED_TRACE(relative.string());
    std::string path = scratch.CopySample(relative);
    const auto before = test::ExiftoolTags(path);
    ASSERT_TRUE(before);
    const auto warningsBefore = test::ExiftoolWarnings(path);
    const auto bytesBefore = test::ReadBytes(path);
    const std::string taken = TextOf(*before, "ExifIFD:DateTimeOriginal");

    const AdjustResult code = AdjustPhotoDates(path, 1 - 2.0 / 24, parameters, options).result;
    if (ParseExifDateTime(taken).status != 0) {
      EXPECT_EQ(code, AdjustResult::kNoTakenTime);
      EXPECT_EQ(test::ReadBytes(path), bytesBefore);
      ++withoutTakenTime;
      continue;
    }
    ASSERT_EQ(code, AdjustResult::kOk);
    ++shifted;
    EXPECT_EQ(fs::file_size(path), bytesBefore.size());
    const auto after = test::ExiftoolTags(path);
    ASSERT_TRUE(after);
    EXPECT_EQ(test::NewWarnings(warningsBefore, test::ExiftoolWarnings(path)), std::vector<std::string>{});
    EXPECT_EQ(test::TagDifferences(*before, *after, edited), std::vector<std::string>{});
    for (const auto& key : edited) {
      const std::string old = TextOf(*before, key.c_str());
      const std::string expected = !old.empty() && old == taken ? Shifted(old) : old;
      EXPECT_EQ(TextOf(*after, key.c_str()), expected) << key;
    }
    // exiftool shows the file's modification time in local time with its offset.
    EXPECT_EQ(TextOf(*after, "System:FileModifyDate").substr(0, 19), Shifted(taken));
  }
  EXPECT_GE(shifted, 30);
  EXPECT_GE(withoutTakenTime, 7);
}

}  // namespace
}  // namespace kelvane
