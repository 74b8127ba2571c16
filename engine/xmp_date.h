// SPDX-License-Identifier: GPL-2.0-or-later
// XMP date values (YYYY, YYYY-MM, YYYY-MM-DD, YYYY-MM-DDThh:mm,
// YYYY-MM-DDThh:mm:ss, YYYY-MM-DDThh:mm:ss.s..., each optionally followed by
// a zone: Z, +hh:mm, -hh:mm, or the looser +hhmm, +hh and +h:mm) and the
// taken-time shift applied to them. Values some programs write in the Exif
// spelling (2008:05:04 16:47:24, as darktable does) are read as well and
// keep that spelling.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/exif_date_time.h"

namespace kelvane {

enum class XmpDatePrecision { kYear, kMonth, kDay, kMinute, kSecond, kFraction };

// Fields a value does not hold are those of the start of its period
// (month 1, day 1, 00:00:00).
struct XmpDate {
  XmpDatePrecision precision = XmpDatePrecision::kSecond;
  CalendarTime time;
  std::string fraction;      // digits after the decimal point, as written
  std::string zone;          // as written: "", "Z", "+02:00", ...
  char dateSeparator = '-';  // or ':'
  char timeSeparator = 'T';  // or ' '
};

// Nothing when text is not one of the forms above, or names a day the
// calendar does not have. No blanks are allowed around the value.
std::optional<XmpDate> ParseXmpDate(std::string_view text);

// The value in its own precision, with its fraction digits and zone.
std::string FormatXmpDate(const XmpDate& date);

// True when the value's date and time to the second (fields it does not hold
// read as above; zone and fraction ignored) are those of time.
bool SameSecond(const XmpDate& date, const CalendarTime& time);

// Moves a value as the photo's taken time moved from `before` to `after`.
// The value is moved by the change of the taken time counted in the value's
// own unit: a value to the second (with or without a fraction) by the
// seconds between the two times, one to the minute by the change of the
// taken time's minute, a date by the change of the taken time's day, a
// year-month by that of its month, a year by that of its year. So a value
// that held the taken time at its own precision still does; a date-only
// value moves only when the shift carries the taken time across midnight.
// Fraction digits and zone are kept as written. Nothing when either time is
// not a calendar date and time or the result leaves the years 0000-9999.
std::optional<XmpDate> ShiftXmpDate(const XmpDate& date, const CalendarTime& before, const CalendarTime& after);

}  // namespace kelvane
