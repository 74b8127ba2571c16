// SPDX-License-Identifier: GPL-2.0-or-later
// The values of the command options, checked by the very checks the main
// window applies to the same entries (days, "As Date", the three time
// fields, the prefix fields), with the window's messages for a refused entry.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kelvane::cli {

// What an entry check found. A refused entry has its message in error.
struct DaysValue {
  bool earlier = false;  // a leading minus sign
  bool valid = false;    // a number of days above 0 (the window's DaysEntryValid)
  std::string digits;    // the field text without its sign
  std::string error;
};
// [+-]N: up to 4 digits; "0" is no entry at all.
DaysValue CheckDays(std::string_view text);

struct DateValue {
  std::string digits;     // yyyymmdd
  std::string slashText;  // yyyy/mm/dd, when valid
  std::string error;
};
// YYYYMMDD naming a calendar date.
DateValue CheckDate(std::string_view text);

struct TimeValue {
  bool earlier = false;
  bool valid = false;                 // a field above 0 (the window's TimeEntryValid)
  std::array<std::string, 3> fields;  // hours, minutes, seconds as typed
  std::string error;
};
// [+-]HH:MM:SS: each field up to 2 digits, hours 0..23, minutes and seconds
// 0..59.
TimeValue CheckTime(std::string_view text);

// An error text, empty when the value is accepted.
// The removal count list: 1 to 9.
std::string CheckRemoveCount(std::string_view text);
// A prefix can't hold a blank at its start nor \ / : * ? " < > |.
std::string CheckPrefixText(std::string_view text);
// A whole number of at least 1 (the time-sequence start value and the
// initial file number).
std::string CheckStartNumber(std::string_view text);

}  // namespace kelvane::cli
