// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/entry_checks.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr size_t kDaysDigits = 4;
constexpr size_t kDateDigits = 8;
constexpr size_t kTimeDigits = 2;

Message EntryErrorMessage(const std::string& text) {
  return {kFormEntryErrorTitle, text, MessageIcon::kCritical, MessageButtons::kOk, 0};
}

bool IsCalendarDate(int year, int month, int day) {
  if (year < 1) return false;
  const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
  return date.ok();
}

}  // namespace

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int DigitsValue(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

Message InvalidCharacterMessage() {
  return {kFormEntryErrorTitle, kInvalidCharacterText, MessageIcon::kInformation, MessageButtons::kOk, 0};
}

DaysCheck CheckDaysEntry(std::string_view text, bool asDate) {
  DaysCheck check;
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return check;
  if (!AllDigits(trimmed)) {
    check.outcome = EntryOutcome::kRejected;
    check.message = InvalidCharacterMessage();
    return check;
  }
  if (!asDate) {
    // A shift of no days is no entry at all.
    if (trimmed.size() <= kDaysDigits && DigitsValue(trimmed) == 0) return check;
    if (trimmed.size() > kDaysDigits) {
      check.outcome = EntryOutcome::kRejected;
      check.message = EntryErrorMessage("Days entry of " + trimmed + " is invalid, please correct");
      return check;
    }
    check.outcome = EntryOutcome::kValid;
    check.fieldText = trimmed;
    return check;
  }
  if (trimmed == "0") return check;
  if (trimmed.size() < kDateDigits) {
    check.outcome = EntryOutcome::kIncomplete;
    check.fieldText = trimmed;
    return check;
  }
  if (trimmed.size() == kDateDigits) {
    const int year = DigitsValue(std::string_view(trimmed).substr(0, 4));
    const int month = DigitsValue(std::string_view(trimmed).substr(4, 2));
    const int day = DigitsValue(std::string_view(trimmed).substr(6, 2));
    if (IsCalendarDate(year, month, day)) {
      check.outcome = EntryOutcome::kValid;
      check.fieldText = trimmed;
      check.dateText = trimmed.substr(0, 4) + "/" + trimmed.substr(4, 2) + "/" + trimmed.substr(6, 2);
      check.year = year;
      check.month = month;
      check.day = day;
      return check;
    }
  }
  check.outcome = EntryOutcome::kRejected;
  check.message = EntryErrorMessage("Date entry of " + trimmed + " is invalid, please correct");
  return check;
}

TimeCheck CheckTimeEntry(TimeField field, std::string_view text) {
  static constexpr std::array<const char*, 3> kNames{"Hours", "Minutes", "Seconds"};
  static constexpr std::array<int, 3> kLimits{23, 59, 59};
  const auto index = static_cast<size_t>(field);

  TimeCheck check;
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return check;
  if (!AllDigits(trimmed)) {
    check.outcome = EntryOutcome::kRejected;
    check.message = InvalidCharacterMessage();
    return check;
  }
  if (trimmed.size() > kTimeDigits || DigitsValue(trimmed) > kLimits[index]) {
    check.outcome = EntryOutcome::kRejected;
    check.message =
        EntryErrorMessage(std::string(kNames[index]) + " entry of " + trimmed + " is invalid, please correct");
    return check;
  }
  check.outcome = EntryOutcome::kValid;
  check.fieldText = trimmed;
  check.value = DigitsValue(trimmed);
  check.moveFocusOn = check.value > 9 && field != TimeField::kSeconds;
  return check;
}

bool TimeFieldAboveZero(std::string_view text) { return LeadingNumber(text) > 0; }

bool PrefixTextAllowed(std::string_view text) { return FindInvalidNameChar(text, 1) == 0; }

StartValueCheck CheckStartValue(std::string_view text) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return StartValueCheck::kResetToOne;
  // At most nine digits keep the number well inside the sequence's range.
  if (trimmed.size() > 9 || !AllDigits(trimmed) || DigitsValue(trimmed) < 1) return StartValueCheck::kRefused;
  return StartValueCheck::kAccepted;
}

}  // namespace kelvane
