// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/date_difference.h"

#include <chrono>
#include <cstdio>

#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr size_t kDateDigits = 8;
constexpr size_t kTimeDigits = 6;
constexpr int kSecondsPerDay = 86400;

// The checks both entries share: a shorter text waits for more, a full one
// must be digits. Returns the trimmed text when the entry is to be read.
std::optional<std::string> FullDigits(std::string_view text, size_t digits, CalculatorEntry& entry) {
  std::string trimmed = Trim(text);
  if (trimmed.size() < digits) return std::nullopt;
  if (!AllDigits(trimmed)) {
    entry.outcome = EntryOutcome::kRejected;
    entry.message = Message{kFormEntryErrorTitle, kInvalidCharacterText, MessageIcon::kInformation};
    return std::nullopt;
  }
  return trimmed;
}

Message InvalidEntry(const char* kind, const std::string& text) {
  return Message{std::string(kind) + " entry error",
                 std::string(kind) + " entry of " + text + " is invalid, please correct", MessageIcon::kCritical};
}

}  // namespace

CalculatorEntry CheckCalculatorDate(std::string_view text) {
  CalculatorEntry entry;
  const std::optional<std::string> digits = FullDigits(text, kDateDigits, entry);
  if (!digits) return entry;
  if (digits->size() == kDateDigits) {
    const std::string_view view(*digits);
    const int year = DigitsValue(view.substr(0, 4));
    const int month = DigitsValue(view.substr(4, 2));
    const int day = DigitsValue(view.substr(6, 2));
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    if (year >= 1 && date.ok()) {
      constexpr std::chrono::sys_days kOrigin = std::chrono::year{1899} / 12 / 30;
      entry.outcome = EntryOutcome::kValid;
      entry.value = (std::chrono::sys_days(date) - kOrigin).count();
      entry.parts = {year, month, day};
      return entry;
    }
  }
  entry.outcome = EntryOutcome::kRejected;
  entry.message = InvalidEntry("Date", *digits);
  return entry;
}

CalculatorEntry CheckCalculatorTime(std::string_view text) {
  CalculatorEntry entry;
  const std::optional<std::string> digits = FullDigits(text, kTimeDigits, entry);
  if (!digits) return entry;
  if (digits->size() == kTimeDigits) {
    const std::string_view view(*digits);
    const int hours = DigitsValue(view.substr(0, 2));
    const int minutes = DigitsValue(view.substr(2, 2));
    const int seconds = DigitsValue(view.substr(4, 2));
    if (hours <= 23 && minutes <= 59 && seconds <= 59) {
      entry.outcome = EntryOutcome::kValid;
      entry.value = hours * 3600 + minutes * 60 + seconds;
      entry.parts = {hours, minutes, seconds};
      return entry;
    }
  }
  entry.outcome = EntryOutcome::kRejected;
  entry.message = InvalidEntry("Time", *digits);
  return entry;
}

void DifferencePair::Clear() {
  valid_ = {};
  values_ = {};
}

void DifferencePair::ClearEntry(int index) {
  valid_[Slot(index)] = false;
  values_[Slot(index)] = 0;
}

void DifferencePair::SetEntry(int index, int64_t value) {
  valid_[Slot(index)] = true;
  values_[Slot(index)] = value;
}

std::string DifferencePair::ResultText() const {
  if (!Differs()) return {};
  const int64_t difference = Difference();
  if (kind_ == Kind::kDates) return std::to_string(difference);
  const auto seconds = static_cast<int>(difference % kSecondsPerDay);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

std::string DifferencePair::AmountLabel() const {
  if (!Complete()) return {};
  if (!Differs()) return kind_ == Kind::kDates ? "same day" : "same time";
  return kind_ == Kind::kDates ? " " + ResultText() + " days" : ResultText();
}

std::string DifferencePair::DirectionLabel() const {
  if (!Differs()) return {};
  return CorrectedEarlier() ? "Earlier" : "Later";
}

CalculatorFocus FocusAfterDate(const DifferencePair& dates, const DifferencePair& times) {
  if (dates.Complete() && times.Complete()) return CalculatorFocus::kPaste;
  if (dates.Valid(DifferencePair::kOriginal) != dates.Valid(DifferencePair::kCorrected)) {
    return dates.Valid(DifferencePair::kOriginal) ? CalculatorFocus::kCorrectedDate : CalculatorFocus::kOriginalDate;
  }
  return times.Valid(DifferencePair::kOriginal) ? CalculatorFocus::kCorrectedTime : CalculatorFocus::kOriginalTime;
}

CalculatorFocus FocusAfterTime(const DifferencePair& times, int acceptedIndex) {
  const int other = acceptedIndex == DifferencePair::kOriginal ? DifferencePair::kCorrected : DifferencePair::kOriginal;
  if (!times.Valid(other)) {
    return other == DifferencePair::kOriginal ? CalculatorFocus::kOriginalTime : CalculatorFocus::kCorrectedTime;
  }
  return CalculatorFocus::kPaste;
}

}  // namespace kelvane
