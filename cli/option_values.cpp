#include "cli/option_values.h"

#include <algorithm>
#include <chrono>

#include "engine/utility_functions.h"

namespace kelvane::cli {

namespace {

constexpr size_t kDaysDigits = 4;
constexpr size_t kDateDigits = 8;
constexpr size_t kTimeDigits = 2;
constexpr size_t kStartDigits = 9;

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int DigitsValue(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

// Takes a leading "+" or "-" off; true for "-".
bool TakeSign(std::string& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
  const bool minus = text.front() == '-';
  text.erase(0, 1);
  return minus;
}

std::string Invalid(const std::string& what, const std::string& text) {
  return what + " entry of " + text + " is invalid, please correct";
}

}  // namespace

DaysValue CheckDays(std::string_view text) {
  DaysValue days;
  std::string trimmed = Trim(text);
  days.earlier = TakeSign(trimmed);
  if (trimmed.empty() || !AllDigits(trimmed)) {
    days.error = kInvalidCharacter;
    return days;
  }
  if (trimmed.size() > kDaysDigits) {
    days.error = Invalid("Days", trimmed);
    return days;
  }
  days.digits = trimmed;
  days.valid = DigitsValue(trimmed) > 0;
  return days;
}

DateValue CheckDate(std::string_view text) {
  DateValue date;
  const std::string trimmed = Trim(text);
  if (trimmed.empty() || !AllDigits(trimmed)) {
    date.error = kInvalidCharacter;
    return date;
  }
  if (trimmed.size() == kDateDigits) {
    const int year = DigitsValue(std::string_view(trimmed).substr(0, 4));
    const int month = DigitsValue(std::string_view(trimmed).substr(4, 2));
    const int day = DigitsValue(std::string_view(trimmed).substr(6, 2));
    const std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    if (year >= 1 && ymd.ok()) {
      date.digits = trimmed;
      date.slashText = trimmed.substr(0, 4) + "/" + trimmed.substr(4, 2) + "/" + trimmed.substr(6, 2);
      return date;
    }
  }
  date.error = Invalid("Date", trimmed);
  return date;
}

TimeValue CheckTime(std::string_view text) {
  static constexpr std::array<const char*, 3> kNames{"Hours", "Minutes", "Seconds"};
  static constexpr std::array<int, 3> kLimits{23, 59, 59};
  TimeValue time;
  std::string trimmed = Trim(text);
  time.earlier = TakeSign(trimmed);
  const size_t first = trimmed.find(':');
  const size_t second = first == std::string::npos ? first : trimmed.find(':', first + 1);
  if (second == std::string::npos || trimmed.find(':', second + 1) != std::string::npos) {
    time.error = "Time entry of " + trimmed + " is invalid, please give HH:MM:SS";
    return time;
  }
  const std::array<std::string, 3> fields = {trimmed.substr(0, first), trimmed.substr(first + 1, second - first - 1),
                                             trimmed.substr(second + 1)};
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].empty() || !AllDigits(fields[i])) {
      time.error = kInvalidCharacter;
      return time;
    }
    if (fields[i].size() > kTimeDigits || DigitsValue(fields[i]) > kLimits[i]) {
      time.error = Invalid(kNames[i], fields[i]);
      return time;
    }
    time.valid = time.valid || DigitsValue(fields[i]) > 0;
  }
  time.fields = fields;
  return time;
}

std::string CheckRemoveCount(std::string_view text) {
  const std::string trimmed = Trim(text);
  if (trimmed.size() != 1 || trimmed[0] < '1' || trimmed[0] > '9') {
    return "the count of characters to remove is 1 to 9, not '" + trimmed + "'";
  }
  return {};
}

std::string CheckPrefixText(std::string_view text) {
  return FindInvalidNameChar(text, 1) == 0 && text.find('\0') == std::string_view::npos ? std::string()
                                                                                        : kInvalidCharacter;
}

std::string CheckStartNumber(std::string_view text) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty() || trimmed.size() > kStartDigits || !AllDigits(trimmed) || DigitsValue(trimmed) < 1) {
    return kInvalidCharacter;
  }
  return {};
}

}  // namespace kelvane::cli
