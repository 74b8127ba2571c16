// SPDX-License-Identifier: GPL-2.0-or-later
#include "exif_date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "engine/utility_functions.h"

namespace kelvane {
namespace {

namespace chr = std::chrono;

constexpr int64_t kSecondsPerDay = 86400;
constexpr int kFirstExifYear = 1980;
constexpr int kLastYear = 9999;

// Day 0 of the date values, counted in days from 1970-01-01.
constexpr int64_t kDateValueEpoch = chr::sys_days{chr::year{1899} / 12 / 30}.time_since_epoch().count();

// The number at text[first, first + length), all digits already checked.
int Number(std::string_view text, size_t first, size_t length) {
  int value = 0;
  for (size_t i = first; i < first + length; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

bool HasExifShape(std::string_view text) {
  if (text.size() != kExifDateTimeLength) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (i) {
      case 4:
      case 7:
      case 13:
      case 16:
        if (c != ':') return false;
        break;
      case 10:
        if (c != ' ') return false;
        break;
      default:
        if (c < '0' || c > '9') return false;
    }
  }
  return true;
}

}  // namespace

std::optional<double> DateValueOf(const CalendarTime& time) {
  // The calendar types keep month and day in one byte: range first.
  if (time.year < 1 || time.year > kLastYear || time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 ||
      time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 || time.second > 59) {
    return std::nullopt;
  }
  const chr::year_month_day date{chr::year{time.year}, chr::month{static_cast<unsigned>(time.month)},
                                 chr::day{static_cast<unsigned>(time.day)}};
  if (!date.ok()) return std::nullopt;
  const int64_t days = chr::sys_days{date}.time_since_epoch().count() - kDateValueEpoch;
  const int64_t seconds = time.hour * 3600 + time.minute * 60 + time.second;
  return static_cast<double>(days) + static_cast<double>(seconds) / kSecondsPerDay;
}

std::optional<CalendarTime> CalendarTimeOf(double dateValue) {
  constexpr double kEnd =
      static_cast<double>(chr::sys_days{chr::year{kLastYear + 1} / 1 / 1}.time_since_epoch().count() - kDateValueEpoch);
  if (!(dateValue > 0) || !(dateValue < kEnd)) return std::nullopt;
  // Whole seconds first, so that 23:59:59.7 carries into the next day.
  const auto total = static_cast<int64_t>(std::llround(dateValue * kSecondsPerDay));
  const int64_t days = total / kSecondsPerDay;
  const int64_t seconds = total % kSecondsPerDay;
  const chr::year_month_day date{chr::sys_days{chr::days{days + kDateValueEpoch}}};
  CalendarTime time;
  time.year = static_cast<int>(date.year());
  if (time.year > kLastYear) return std::nullopt;  // rounded up into the year 10000
  time.month = static_cast<int>(static_cast<unsigned>(date.month()));
  time.day = static_cast<int>(static_cast<unsigned>(date.day()));
  time.hour = static_cast<int>(seconds / 3600);
  time.minute = static_cast<int>(seconds / 60 % 60);
  time.second = static_cast<int>(seconds % 60);
  return time;
}

PhotoDateTime ParseExifDateTime(std::string_view text) {
  PhotoDateTime result;
  std::string trimmed = Trim(text);
  if (trimmed.size() > kExifDateTimeLength) trimmed.resize(kExifDateTimeLength);
  if (!HasExifShape(trimmed)) return result;

  CalendarTime time;
  time.year = Number(trimmed, 0, 4);
  time.month = Number(trimmed, 5, 2);
  time.day = Number(trimmed, 8, 2);
  time.hour = Number(trimmed, 11, 2);
  time.minute = Number(trimmed, 14, 2);
  time.second = Number(trimmed, 17, 2);
  if (time.year < kFirstExifYear) return result;
  const auto value = DateValueOf(time);
  if (!value) return result;

  result.status = 0;
  result.dateValue = *value;
  result.exifText = trimmed;
  result.slashText = trimmed;
  result.slashText[4] = '/';
  result.slashText[7] = '/';
  return result;
}

std::string FormatExifDateTime(const CalendarTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                time.minute, time.second);
  return text;
}

std::string FormatExifDateTime(double dateValue) {
  const auto time = CalendarTimeOf(dateValue);
  return time ? FormatExifDateTime(*time) : std::string();
}

}  // namespace kelvane
