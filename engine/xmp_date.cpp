// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/xmp_date.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace kelvane {
namespace {

namespace chr = std::chrono;

constexpr int64_t kSecondsPerDay = 86400;

// Reads `count` digits at text[at]; moves at past them.
bool Digits(std::string_view text, size_t& at, size_t count, int& value) {
  if (text.size() - at < count) return false;
  value = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = text[at + i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  at += count;
  return true;
}

bool Expect(std::string_view text, size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

bool ValidZone(std::string_view zone) {
  if (zone.empty() || zone == "Z") return true;
  if (zone[0] != '+' && zone[0] != '-') return false;
  // Some writers leave out the hour's leading zero (+1:00).
  size_t at = 1;
  int hours = 0;
  int minutes = 0;
  if (!Digits(zone, at, 2, hours) && !Digits(zone, at, 1, hours)) return false;
  if (hours > 23) return false;
  if (at == zone.size()) return true;
  if (zone[at] == ':') ++at;
  return Digits(zone, at, 2, minutes) && minutes <= 59 && at == zone.size();
}

bool ValidDay(int year, int month, int day) {
  return chr::year_month_day{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                             chr::day{static_cast<unsigned>(day)}}
      .ok();
}

bool ValidTime(const CalendarTime& t) {
  return t.year >= 0 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 &&
         ValidDay(t.year, t.month, t.day) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
         t.second >= 0 && t.second <= 59;
}

int64_t DayNumber(const CalendarTime& t) {
  return chr::sys_days{chr::year{t.year} / t.month / t.day}.time_since_epoch().count();
}

int64_t SecondNumber(const CalendarTime& t) {
  return DayNumber(t) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

int64_t FloorDivide(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

CalendarTime TimeOfSecond(int64_t seconds) {
  const int64_t days = FloorDivide(seconds, kSecondsPerDay);
  const int64_t inDay = seconds - days * kSecondsPerDay;
  const chr::year_month_day date{chr::sys_days{chr::days{days}}};
  return CalendarTime{static_cast<int>(date.year()),
                      static_cast<int>(static_cast<unsigned>(date.month())),
                      static_cast<int>(static_cast<unsigned>(date.day())),
                      static_cast<int>(inDay / 3600),
                      static_cast<int>(inDay / 60 % 60),
                      static_cast<int>(inDay % 60)};
}

}  // namespace

std::optional<XmpDate> ParseXmpDate(std::string_view text) {
  XmpDate date;
  CalendarTime& t = date.time;
  t.month = 1;
  t.day = 1;
  size_t at = 0;
  if (!Digits(text, at, 4, t.year)) return std::nullopt;
  date.precision = XmpDatePrecision::kYear;
  if (at < text.size() && (text[at] == '-' || text[at] == ':')) date.dateSeparator = text[at];
  if (Expect(text, at, date.dateSeparator)) {
    if (!Digits(text, at, 2, t.month)) return std::nullopt;
    date.precision = XmpDatePrecision::kMonth;
    if (Expect(text, at, date.dateSeparator)) {
      if (!Digits(text, at, 2, t.day)) return std::nullopt;
      date.precision = XmpDatePrecision::kDay;
      if (at < text.size() && text[at] == ' ') date.timeSeparator = ' ';
      if (Expect(text, at, date.timeSeparator)) {
        if (!Digits(text, at, 2, t.hour) || !Expect(text, at, ':') || !Digits(text, at, 2, t.minute)) {
          return std::nullopt;
        }
        date.precision = XmpDatePrecision::kMinute;
        if (Expect(text, at, ':')) {
          if (!Digits(text, at, 2, t.second)) return std::nullopt;
          date.precision = XmpDatePrecision::kSecond;
          if (Expect(text, at, '.')) {
            const size_t first = at;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
            if (at == first) return std::nullopt;
            date.fraction = std::string(text.substr(first, at - first));
            date.precision = XmpDatePrecision::kFraction;
          }
        }
      }
    }
  }
  date.zone = std::string(text.substr(at));
  if (!ValidZone(date.zone) || !ValidTime(t)) return std::nullopt;
  return date;
}

std::string FormatXmpDate(const XmpDate& date) {
  const CalendarTime& t = date.time;
  const char d = date.dateSeparator;
  const char h = date.timeSeparator;
  char text[32];
  int length = 0;
  switch (date.precision) {
    case XmpDatePrecision::kYear:
      length = std::snprintf(text, sizeof text, "%04d", t.year);
      break;
    case XmpDatePrecision::kMonth:
      length = std::snprintf(text, sizeof text, "%04d%c%02d", t.year, d, t.month);
      break;
    case XmpDatePrecision::kDay:
      length = std::snprintf(text, sizeof text, "%04d%c%02d%c%02d", t.year, d, t.month, d, t.day);
      break;
    case XmpDatePrecision::kMinute:
      length = std::snprintf(text, sizeof text, "%04d%c%02d%c%02d%c%02d:%02d", t.year, d, t.month, d, t.day, h, t.hour,
                             t.minute);
      break;
    case XmpDatePrecision::kSecond:
    case XmpDatePrecision::kFraction:
      length = std::snprintf(text, sizeof text, "%04d%c%02d%c%02d%c%02d:%02d:%02d", t.year, d, t.month, d, t.day, h,
                             t.hour, t.minute, t.second);
      break;
  }
  std::string formatted(text, static_cast<size_t>(length));
  if (date.precision == XmpDatePrecision::kFraction) formatted += "." + date.fraction;
  return formatted + date.zone;
}

bool SameSecond(const XmpDate& date, const CalendarTime& time) {
  const CalendarTime& t = date.time;
  return t.year == time.year && t.month == time.month && t.day == time.day && t.hour == time.hour &&
         t.minute == time.minute && t.second == time.second;
}

std::optional<XmpDate> ShiftXmpDate(const XmpDate& date, const CalendarTime& before, const CalendarTime& after) {
  if (!ValidTime(before) || !ValidTime(after) || !ValidTime(date.time)) return std::nullopt;
  XmpDate shifted = date;
  CalendarTime& t = shifted.time;
  switch (date.precision) {
    case XmpDatePrecision::kYear:
      t.year += after.year - before.year;
      break;
    case XmpDatePrecision::kMonth: {
      const int months = t.year * 12 + (t.month - 1) + (after.year - before.year) * 12 + (after.month - before.month);
      t.year = static_cast<int>(FloorDivide(months, 12));
      t.month = months - t.year * 12 + 1;
      break;
    }
    case XmpDatePrecision::kDay:
      t = TimeOfSecond((DayNumber(t) + DayNumber(after) - DayNumber(before)) * kSecondsPerDay);
      break;
    case XmpDatePrecision::kMinute: {
      const int64_t minutes = FloorDivide(SecondNumber(after), 60) - FloorDivide(SecondNumber(before), 60);
      t = TimeOfSecond(SecondNumber(t) + minutes * 60);
      break;
    }
    case XmpDatePrecision::kSecond:
    case XmpDatePrecision::kFraction:
      t = TimeOfSecond(SecondNumber(t) + SecondNumber(after) - SecondNumber(before));
      break;
  }
  if (t.year < 0 || t.year > 9999) return std::nullopt;
  return shifted;
}

}  // namespace kelvane
