// SPDX-License-Identifier: GPL-2.0-or-later
// The Exif date/time text (YYYY:MM:DD HH:MM:SS) and the program's date
// values: days since 1899-12-30 00:00 as a double, the fraction being the
// time of day.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

inline constexpr size_t kExifDateTimeLength = 19;

// One parsed date/time.
struct PhotoDateTime {
  int32_t status = -1;    // 0 = valid, -1 = not a valid date/time
  double dateValue = 0;   // 0 when not set
  std::string exifText;   // YYYY:MM:DD HH:MM:SS
  std::string slashText;  // YYYY/MM/DD HH:MM:SS
};

// A photo's three date/times, in the order of the tag slots 2, 3, 4.
enum PhotoDateIndex : int {
  kDateModified = 0,   // DateTime (IFD0)
  kDateOriginal = 1,   // DateTimeOriginal, the taken time
  kDateDigitized = 2,  // DateTimeDigitized
  kPhotoDateCount = 3
};

struct CalendarTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The date value of a calendar date and time; nothing when the date does not
// exist (30 February) or a time field is out of range.
std::optional<double> DateValueOf(const CalendarTime& time);
// The calendar date and time of a date value, rounded to the nearest second;
// nothing for a value of 0 or below, or one past the year 9999.
std::optional<CalendarTime> CalendarTimeOf(double dateValue);

// Validates one Exif date/time text: spaces trimmed at both ends, the first
// 19 characters kept (dropping a closing zero byte), the shape checked,
// years from 1980, and the date checked against the calendar.
PhotoDateTime ParseExifDateTime(std::string_view text);

// YYYY:MM:DD HH:MM:SS of a date value, rounded to the nearest second; empty
// for a value of 0 or below (or past the year 9999).
std::string FormatExifDateTime(double dateValue);
// The same from calendar fields, without checks.
std::string FormatExifDateTime(const CalendarTime& time);

}  // namespace kelvane
