// SPDX-License-Identifier: GPL-2.0-or-later
// A file's own times read as and set from Exif date/time texts.
#include "engine/file_times.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <string>

#include "support/test_support.h"
#include "time_zone_guard.h"

namespace kelvane {
namespace {

// Central European time with its summer time rule, without needing tzdata.
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

// Seconds since 1970 of a UTC date/time.
time_t Utc(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return ::timegm(&t);
}

struct Times {
  time_t access;
  time_t write;
};

Times TimesOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return {st.st_atim.tv_sec, st.st_mtim.tv_sec};
}

void SetTimes(const std::string& path, time_t access, time_t write) {
  const timespec times[2] = {{access, 0}, {write, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class FileTimesTest : public ::testing::Test {
 protected:
  FileTimesTest() : zone_(kCentralEurope), file_(scratch_.File("photo.jpg")) {
    test::WriteBytes(file_, {0xFF, 0xD8, 0xFF, 0xD9});
  }

  test::ScratchFolder scratch_;
  test::TimeZoneGuard zone_;
  std::string file_;
};

TEST_F(FileTimesTest, SetsTheTimesNamedByTheBits) {
  const time_t before = Utc(2001, 1, 1, 0, 0, 0);
  const time_t taken = Utc(2007, 1, 13, 8, 5, 7);  // 09:05:07 in winter, local
  const struct {
    int32_t which;
    bool result;
    bool access;
    bool write;
  } cases[] = {
      {0, false, false, false},
      {8, false, false, false},
      {kSetCreationTime, true, false, false},  // can't be set here; not a failure
      {kSetLastWriteTime, true, false, true},
      {kSetLastAccessTime, true, true, false},
      {kSetCreationTime | kSetLastWriteTime, true, false, true},
      {kSetLastWriteTime | kSetLastAccessTime, true, true, true},
      {7 | 8, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.which);
    SetTimes(file_, before, before);
    EXPECT_EQ(SetFileTimes(c.which, file_, "2007:01:13 09:05:07"), c.result);
    const Times after = TimesOf(file_);
    EXPECT_EQ(after.access, c.access ? taken : before);
    EXPECT_EQ(after.write, c.write ? taken : before);
  }
}

TEST_F(FileTimesTest, KeepsOddSecondsAndFollowsSummerTime) {
  constexpr const char* kSydney = "AEST-10AEDT,M10.1.0,M4.1.0/3";
  constexpr const char* kNewYork = "EST5EDT,M3.2.0,M11.1.0";
  const struct {
    const char* zone;
    const char* text;
    time_t expected;
  } cases[] = {
      {kCentralEurope, "2007:01:13 09:05:07", Utc(2007, 1, 13, 8, 5, 7)},
      {kCentralEurope, "2007:07:13 09:05:59", Utc(2007, 7, 13, 7, 5, 59)},
      {"UTC0", "2007:01:13 09:05:07", Utc(2007, 1, 13, 9, 5, 7)},
      {kNewYork, "2007:01:13 21:05:07", Utc(2007, 1, 14, 2, 5, 7)},
      // Skipped by the change to summer time: moved on by the hour it lacks.
      {kCentralEurope, "2021:03:28 02:30:00", Utc(2021, 3, 28, 1, 30, 0)},
      {kSydney, "2021:10:03 02:30:00", Utc(2021, 10, 2, 16, 30, 0)},
      {kNewYork, "2021:03:14 02:30:00", Utc(2021, 3, 14, 7, 30, 0)},
      // Repeated at the change back: the first occurrence (summer time).
      {kCentralEurope, "2021:10:31 02:30:01", Utc(2021, 10, 31, 0, 30, 1)},
      {kSydney, "2021:04:04 02:30:00", Utc(2021, 4, 3, 15, 30, 0)},
      {kNewYork, "2021:11:07 01:30:00", Utc(2021, 11, 7, 5, 30, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.text);
    test::TimeZoneGuard zone(c.zone);
    ASSERT_TRUE(SetFileTimes(kSetLastWriteTime, file_, c.text));
    EXPECT_EQ(TimesOf(file_).write, c.expected);
  }
  // The same repeated hour right after converting a winter time, which
  // steers mktime to the second occurrence.
  ASSERT_TRUE(SetFileTimes(kSetLastWriteTime, file_, "2021:11:02 02:30:00"));
  ASSERT_TRUE(SetFileTimes(kSetLastWriteTime, file_, "2021:10:31 02:30:01"));
  EXPECT_EQ(TimesOf(file_).write, Utc(2021, 10, 31, 0, 30, 1));
}

TEST_F(FileTimesTest, RefusesTextsThatDoNotParseAndMissingFiles) {
  const time_t before = Utc(2001, 1, 1, 0, 0, 0);
  SetTimes(file_, before, before);
  for (const char* text : {"", "2007:02:30 10:00:00", "1979:12:31 23:59:59", "2007-01-13 09:05:07"}) {
    EXPECT_FALSE(SetFileTimes(kSetLastWriteTime, file_, text)) << text;
    EXPECT_FALSE(SetFileTimes(kSetCreationTime, file_, text)) << text;
  }
  EXPECT_EQ(TimesOf(file_).write, before);
  for (const int32_t which : {kSetCreationTime, kSetLastWriteTime}) {
    EXPECT_FALSE(SetFileTimes(which, scratch_.File("missing.jpg"), "2007:01:13 09:05:07"));
    EXPECT_FALSE(SetFileTimes(which, scratch_.path().string(), "2007:01:13 09:05:07"));  // a folder
  }
}

// Setting times needs ownership, not write access, on this platform.
TEST_F(FileTimesTest, ReadOnlyFilesAreReadAndSet) {
  ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
  ASSERT_TRUE(SetFileTimes(kSetLastWriteTime, file_, "2007:01:13 09:05:07"));
  int32_t which = kLastWriteTime;
  EXPECT_EQ(FileTimeAsExifText(file_, which), "2007:01:13 09:05:07");
}

TEST_F(FileTimesTest, ReadsTheChosenTimeInLocalTime) {
  SetTimes(file_, Utc(2007, 7, 13, 7, 5, 59), Utc(2006, 1, 13, 8, 5, 7));
  const struct {
    int32_t which;
    const char* text;
    int32_t whichAfter;
  } cases[] = {
      {kEarliestFileTime, "2006:01:13 09:05:07", kLastWriteTime},  // written before created: copied file
      {kLastAccessTime, "2007:07:13 09:05:59", kLastAccessTime},
      {kLastWriteTime, "2006:01:13 09:05:07", kLastWriteTime},
      {4, "", 4},
      {-1, "", -1},
  };
  for (const auto& c : cases) {
    int32_t which = c.which;
    EXPECT_EQ(FileTimeAsExifText(file_, which), c.text) << c.which;
    EXPECT_EQ(which, c.whichAfter);
  }
  int32_t which = kCreationTime;  // now, where the file system records it
  const std::string created = FileTimeAsExifText(file_, which);
  EXPECT_TRUE(created.empty() || created.size() == 19) << created;
}

TEST_F(FileTimesTest, EarliestTimeTiesGoToAccessBeforeWrite) {
  const time_t early = Utc(2006, 1, 13, 8, 5, 7);
  SetTimes(file_, early, early);
  int32_t which = kEarliestFileTime;
  EXPECT_EQ(FileTimeAsExifText(file_, which), "2006:01:13 09:05:07");
  EXPECT_EQ(which, kLastAccessTime);
}

TEST_F(FileTimesTest, NoTextForTimesBefore1980OrMissingFiles) {
  SetTimes(file_, Utc(1979, 12, 31, 12, 0, 0), Utc(1979, 12, 31, 12, 0, 0));
  int32_t which = kLastWriteTime;
  EXPECT_EQ(FileTimeAsExifText(file_, which), "");
  which = kEarliestFileTime;
  EXPECT_EQ(FileTimeAsExifText(file_, which), "");
  which = kLastWriteTime;
  EXPECT_EQ(FileTimeAsExifText(scratch_.File("missing.jpg"), which), "");
}

}  // namespace
}  // namespace kelvane
