// SPDX-License-Identifier: GPL-2.0-or-later
// XMP date values: their forms, and how the taken-time shift moves each
// precision.
#include "engine/xmp_date.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvane {
namespace {

TEST(XmpDate, ReadsEveryPrecisionAndKeepsItsSpelling) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"2008", true},
      {"2008-05", true},
      {"2008-05-04", true},
      {"2008-05-04T16:47", true},
      {"2008-05-04T16:47:24", true},
      {"2008-05-04T16:47:24.5", true},
      {"2014-09-21T16:00:56.000000+02:00", true},
      {"2008-05-04T16:47:24Z", true},
      {"2005-09-07T15:07:40-07:00", true},
      {"2008-05-04T16:47+0200", true},
      {"2008-05-04T16:47:24+02", true},
      {"2011-08-24T17:46:58.0+1:00", true},
      {"2008-05-04+09:00", true},
      {"0000-02-29", true},
      {"2008-02-30", false},
      {"2007-02-29", false},
      {"", false},
      {"08", false},
      {"2008-5", false},
      {"2008-05-04T16", false},
      {"2008-05-04T24:00:00", false},
      {"2008-05-04T16:60", false},
      {"2008-05-04T16:47:60", false},
      {"2008:05:04 16:47:24", true},
      {"2008:05:04T16:47:24.5+02:00", true},
      {"2008:05", true},
      {"2008-05:04", false},
      {"2008-05-04_16:47:24", false},
      {"2008-05-04T16:47:24.", false},
      {"2008-05-04T16:47:24+24:00", false},
      {"2008-05-04T16:47:24+02:60", false},
      {"2008-05-04T16:47:24+02:00x", false},
      {" 2008-05-04", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto date = ParseXmpDate(c.text);
    ASSERT_EQ(date.has_value(), c.valid);
    if (date) {
      EXPECT_EQ(FormatXmpDate(*date), c.text);
    }
  }
}

TEST(XmpDate, ShiftMovesEachValueInItsOwnUnitAndKeepsFractionAndZone) {
  const struct {
    CalendarTime before;
    CalendarTime after;
    std::string value;
    std::string expected;  // empty: can't be moved
  } cases[] = {
      // Forward across midnight.
      {{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 0, 10, 0}, "2008-05-04T16:47:24", "2008-05-05T00:10:00"},
      {{2008, 5, 4, 16, 47, 24},
       {2008, 5, 5, 0, 10, 0},
       "2008-05-04T16:47:24.123+02:00",
       "2008-05-05T00:10:00.123+02:00"},
      {{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 0, 10, 0}, "2008-05-04T16:47:24Z", "2008-05-05T00:10:00Z"},
      {{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 0, 10, 0}, "2008-05-04T16:47+02:00", "2008-05-05T00:10+02:00"},
      {{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 0, 10, 0}, "2008-05-04", "2008-05-05"},
      {{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 0, 10, 0}, "2008-05", "2008-05"},
      {{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 0, 10, 0}, "2008", "2008"},
      {{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 0, 10, 0}, "2008:05:04 16:47:24", "2008:05:05 00:10:00"},
      // A value that is not the taken time moves by the same amount.
      {{2008, 5, 4, 16, 47, 24}, {2008, 5, 5, 0, 10, 0}, "2008-05-10T20:55:15+09:00", "2008-05-11T04:17:51+09:00"},
      // Two seconds across the year's end.
      {{2008, 12, 31, 23, 59, 59}, {2009, 1, 1, 0, 0, 1}, "2008-12-31T23:59:59-07:00", "2009-01-01T00:00:01-07:00"},
      {{2008, 12, 31, 23, 59, 59}, {2009, 1, 1, 0, 0, 1}, "2008-12-31T23:59", "2009-01-01T00:00"},
      {{2008, 12, 31, 23, 59, 59}, {2009, 1, 1, 0, 0, 1}, "2008-12-31", "2009-01-01"},
      {{2008, 12, 31, 23, 59, 59}, {2009, 1, 1, 0, 0, 1}, "2008-12", "2009-01"},
      {{2008, 12, 31, 23, 59, 59}, {2009, 1, 1, 0, 0, 1}, "2008", "2009"},
      {{2008, 12, 31, 23, 59, 59}, {2009, 1, 1, 0, 0, 1}, "2008-12-31T12:00:00", "2008-12-31T12:00:02"},
      // An hour back across the end of a leap February.
      {{2008, 3, 1, 0, 30, 0}, {2008, 2, 29, 23, 30, 0}, "2008-03-01T00:30:00.5+01:00", "2008-02-29T23:30:00.5+01:00"},
      {{2008, 3, 1, 0, 30, 0}, {2008, 2, 29, 23, 30, 0}, "2008-03-01", "2008-02-29"},
      {{2008, 3, 1, 0, 30, 0}, {2008, 2, 29, 23, 30, 0}, "2008-03", "2008-02"},
      // 56 days back, across a year's end.
      {{2010, 1, 15, 10, 0, 0}, {2009, 11, 20, 10, 0, 0}, "2010-01-15T10:00:00", "2009-11-20T10:00:00"},
      {{2010, 1, 15, 10, 0, 0}, {2009, 11, 20, 10, 0, 0}, "2010-01-15", "2009-11-20"},
      {{2010, 1, 15, 10, 0, 0}, {2009, 11, 20, 10, 0, 0}, "2010-01", "2009-11"},
      {{2010, 1, 15, 10, 0, 0}, {2009, 11, 20, 10, 0, 0}, "2010", "2009"},
      // Twenty seconds that carry the taken time into the next minute.
      {{2008, 5, 4, 10, 30, 50}, {2008, 5, 4, 10, 31, 10}, "2008-05-04T10:30", "2008-05-04T10:31"},
      {{2008, 5, 4, 10, 30, 50}, {2008, 5, 4, 10, 31, 10}, "2008-05-04T10:30:50", "2008-05-04T10:31:10"},
      {{2008, 5, 4, 10, 30, 0}, {2008, 5, 4, 10, 30, 20}, "2008-05-04T10:30", "2008-05-04T10:30"},
      // Out of the years 0000-9999, or not a calendar time.
      {{9999, 12, 31, 22, 0, 0}, {9999, 12, 31, 23, 59, 0}, "9999-12-31T23:00:00", ""},
      {{2008, 5, 4, 0, 0, 0}, {2008, 2, 30, 0, 0, 0}, "2008-05-04", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value + " expecting " + c.expected);
    const auto date = ParseXmpDate(c.value);
    ASSERT_TRUE(date);
    const auto shifted = ShiftXmpDate(*date, c.before, c.after);
    ASSERT_EQ(shifted.has_value(), !c.expected.empty());
    if (shifted) {
      EXPECT_EQ(FormatXmpDate(*shifted), c.expected);
    }
  }
}

TEST(XmpDate, SameSecondIgnoresZoneAndFractionAndReadsMissingFieldsAsZero) {
  const CalendarTime taken{2008, 5, 4, 16, 47, 24};
  const CalendarTime midnight{2008, 5, 4, 0, 0, 0};
  const struct {
    std::string value;
    CalendarTime time;
    bool same;
  } cases[] = {
      {"2008-05-04T16:47:24", taken, true},
      {"2008-05-04T16:47:24+09:00", taken, true},
      {"2008-05-04T16:47:24.999Z", taken, true},
      {"2008-05-04T16:47:25", taken, false},
      {"2008-05-04T16:47", taken, false},
      {"2008-05-04", taken, false},
      {"2008-05-04", midnight, true},
      {"2008-05-04T00:00", midnight, true},
  };
  for (const auto& c : cases) {
    const auto date = ParseXmpDate(c.value);
    ASSERT_TRUE(date) << c.value;
    EXPECT_EQ(SameSecond(*date, c.time), c.same) << c.value;
  }
}

}  // namespace
}  // namespace kelvane
