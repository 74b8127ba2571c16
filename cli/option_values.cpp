// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/option_values.h"

#include "batch/entry_checks.h"
#include "engine/utility_functions.h"

namespace kelvane::cli {

namespace {

// Takes a leading "+" or "-" off; true for "-".
bool TakeSign(std::string& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
  const bool minus = text.front() == '-';
  text.erase(0, 1);
  return minus;
}

// An option is given on purpose, so an empty value is a wrong character
// rather than "no entry" as in a window field.
std::string RefusalText(const std::optional<Message>& message) {
  return message ? message->text : std::string(kInvalidCharacterText);
}

}  // namespace

DaysValue CheckDays(std::string_view text) {
  DaysValue days;
  std::string trimmed = Trim(text);
  days.earlier = TakeSign(trimmed);
  if (trimmed.empty()) {
    days.error = kInvalidCharacterText;
    return days;
  }
  const DaysCheck check = CheckDaysEntry(trimmed, false);
  if (check.outcome == EntryOutcome::kRejected) {
    days.error = RefusalText(check.message);
    return days;
  }
  days.digits = trimmed;
  days.valid = check.outcome == EntryOutcome::kValid;
  return days;
}

DateValue CheckDate(std::string_view text) {
  DateValue date;
  const std::string trimmed = Trim(text);
  const DaysCheck check = CheckDaysEntry(trimmed, true);
  if (check.outcome == EntryOutcome::kValid) {
    date.digits = trimmed;
    date.slashText = check.dateText;
  } else if (check.outcome == EntryOutcome::kRejected) {
    date.error = RefusalText(check.message);
  } else if (trimmed.empty()) {
    date.error = kInvalidCharacterText;
  } else {
    // Too few digits: the window waits for more, an option is complete.
    date.error = "Date entry of " + trimmed + " is invalid, please correct";
  }
  return date;
}

TimeValue CheckTime(std::string_view text) {
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
    // Each field is checked as typed: a blank inside it is a wrong character.
    const TimeCheck check = fields[i] == Trim(fields[i]) ? CheckTimeEntry(static_cast<TimeField>(i), fields[i])
                                                         : TimeCheck{EntryOutcome::kRejected, {}, {}, 0, false};
    if (check.outcome != EntryOutcome::kValid) {
      time.error = RefusalText(check.message);
      return time;
    }
    time.valid = time.valid || check.value > 0;
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
  return PrefixTextAllowed(text) && text.find('\0') == std::string_view::npos ? std::string() : kInvalidCharacterText;
}

std::string CheckStartNumber(std::string_view text) {
  return !Trim(text).empty() && CheckStartValue(text) == StartValueCheck::kAccepted ? std::string()
                                                                                    : kInvalidCharacterText;
}

}  // namespace kelvane::cli
