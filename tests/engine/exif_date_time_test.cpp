// SPDX-License-Identifier: GPL-2.0-or-later
// The Exif date/time text and date values.
#include "engine/exif_date_time.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvane {
namespace {

constexpr double kSecond = 1.0 / 86400;

TEST(ParseExifDateTime, AcceptsOnlyWellFormedCalendarDates) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"2007:01:13 09:05:07", true},
      {std::string("2007:01:13 09:05:07") + '\0', true},  // closing zero byte as read from the file
      {std::string("   2007:01:13 09:05:07  ") + '\0', true},
      {"2007:01:13 09:05:07 and more", true},  // first 19 characters
      {"1980:01:01 00:00:00", true},
      {"2000:02:29 12:00:00", true},
      {"9999:12:31 23:59:59", true},
      {"2007-01-13 09:05:07", false},
      {"2007:1:13 09:05:07", false},
      {"1979:12:31 23:59:59", false},
      {"2007:02:30 10:00:00", false},
      {"2100:02:29 10:00:00", false},
      {"2007:01:13 24:00:00", false},
      {"2007:01:13 23:60:00", false},
      {"2007:01:13 23:00:60", false},
      {"2007:00:13 09:05:07", false},
      {"2007:13:13 09:05:07", false},
      {"2007:01:00 09:05:07", false},
      {"2007:01:32 09:05:07", false},
      {"2007:01:13T09:05:07", false},
      {"2007:01:13 09:05:0", false},
      {"2007:01:13 09:05:+7", false},
      {std::string("2007:01:13 09:05:0") + '\0', false},
      {"    :  :     :  :  ", false},
      {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const PhotoDateTime parsed = ParseExifDateTime(c.text);
    EXPECT_EQ(parsed.status, c.valid ? 0 : -1);
    if (c.valid) {
      EXPECT_EQ(parsed.exifText.size(), 19u);
      EXPECT_GT(parsed.dateValue, 0);
    } else {
      EXPECT_EQ(parsed.dateValue, 0);
      EXPECT_TRUE(parsed.exifText.empty());
    }
  }
}

TEST(ParseExifDateTime, GivesTheDateValueAndBothForms) {
  const PhotoDateTime parsed = ParseExifDateTime(std::string("  2007:01:13 09:05:07") + '\0');
  EXPECT_EQ(parsed.exifText, "2007:01:13 09:05:07");
  EXPECT_EQ(parsed.slashText, "2007/01/13 09:05:07");
  EXPECT_NEAR(parsed.dateValue, 39095 + (9 * 3600 + 5 * 60 + 7) * kSecond, 1e-9);
}

TEST(DateValues, CountDaysFrom18991230) {
  const struct {
    CalendarTime time;
    double value;
  } cases[] = {
      {{1899, 12, 30, 0, 0, 0}, 0},   {{1900, 1, 1, 0, 0, 0}, 2},        {{1980, 1, 1, 0, 0, 0}, 29221},
      {{2000, 1, 1, 0, 0, 0}, 36526}, {{2008, 5, 1, 12, 0, 0}, 39569.5}, {{9999, 12, 31, 0, 0, 0}, 2958465},
  };
  for (const auto& c : cases) {
    const auto value = DateValueOf(c.time);
    ASSERT_TRUE(value);
    EXPECT_DOUBLE_EQ(*value, c.value) << c.time.year;
  }
  for (const CalendarTime bad :
       {CalendarTime{2007, 2, 29, 0, 0, 0}, CalendarTime{2007, 13, 1, 0, 0, 0}, CalendarTime{2007, 257, 1, 0, 0, 0},
        CalendarTime{2007, 1, 300, 0, 0, 0}, CalendarTime{2007, 1, 1, 24, 0, 0}, CalendarTime{10000, 1, 1, 0, 0, 0}}) {
    EXPECT_FALSE(DateValueOf(bad)) << bad.month << "/" << bad.day;
  }
}

TEST(FormatExifDateTime, RoundsToTheNearestSecondAndCarries) {
  const double newYear2008 = 39448;  // 2008-01-01
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0, ""},
      {-1, ""},
      {-0.5, ""},
      {2958466, ""},                  // 10000-01-01
      {2958466 - 0.4 * kSecond, ""},  // rounds up into the year 10000
      {2958466 - kSecond, "9999:12:31 23:59:59"},
      {39095 + (9 * 3600 + 5 * 60 + 7) * kSecond, "2007:01:13 09:05:07"},
      {newYear2008 - 0.5 / 24 + 1.0 / 24, "2008:01:01 00:30:00"},  // 2007:12:31 23:30:00 + 1 hour
      {newYear2008 - 0.4 * kSecond, "2008:01:01 00:00:00"},
      {newYear2008 - 0.6 * kSecond, "2007:12:31 23:59:59"},
      {newYear2008 + 59 + 0.7 * kSecond, "2008:02:29 00:00:01"},
      {1, "1899:12:31 00:00:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatExifDateTime(c.value), c.text) << c.value;
  }
}

TEST(FormatExifDateTime, ParsesBackToTheSameValueOverTheCalendar) {
  // Every 7th day from 1980 to 2100 at a few times of day, leap days included.
  for (double day = 29221; day < 73416; day += 7) {
    for (const int seconds : {0, 1, 43199, 86399}) {
      const double value = day + seconds * kSecond;
      const std::string text = FormatExifDateTime(value);
      const PhotoDateTime parsed = ParseExifDateTime(text);
      ASSERT_EQ(parsed.status, 0) << text;
      ASSERT_NEAR(parsed.dateValue, value, 1e-9) << text;
    }
  }
}

}  // namespace
}  // namespace kelvane
