// SPDX-License-Identifier: GPL-2.0-or-later
// The checks of the typed run parameters, shared by the main window and the
// command line: the days (or "As Date") entry, the three time fields, the
// filename prefix and its start value.
// Each check says what the field holds afterwards and which message, if
// any, the user gets (always with the Error cue).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/user_interface.h"

namespace kelvane {

inline constexpr const char* kFormEntryErrorTitle = "Form entry error";
inline constexpr const char* kInvalidCharacterText = "Invalid character entered";

enum class EntryOutcome {
  kEmpty,       // nothing (or a zero) entered: the field is empty
  kIncomplete,  // a date still being typed: accepted, not yet valid
  kValid,
  kRejected,  // message shown, field emptied
};

struct DaysCheck {
  EntryOutcome outcome = EntryOutcome::kEmpty;
  std::string fieldText;  // what the field shows afterwards (before date formatting)
  std::optional<Message> message;
  // "As Date" mode, when valid: the date as yyyy/mm/dd and its parts.
  std::string dateText;
  int year = 0;
  int month = 0;
  int day = 0;
};

// The days entry: up to 4 digits, or in "As Date" mode 8 digits yyyymmdd
// naming a calendar date.
DaysCheck CheckDaysEntry(std::string_view text, bool asDate);

enum class TimeField : int { kHours = 0, kMinutes = 1, kSeconds = 2 };

struct TimeCheck {
  EntryOutcome outcome = EntryOutcome::kEmpty;
  std::string fieldText;
  std::optional<Message> message;
  int value = 0;
  bool moveFocusOn = false;  // a two-digit value: on to the next field
};

// One time field: up to 2 digits, hours 0..23, minutes and seconds 0..59.
TimeCheck CheckTimeEntry(TimeField field, std::string_view text);

// True when a time field's text counts as a shift (its number is above 0).
bool TimeFieldAboveZero(std::string_view text);

// True when every character is a digit 0-9.
bool AllDigits(std::string_view text);
// The number a text of at most nine digits spells.
int DigitsValue(std::string_view digits);

// The refusal message of the prefix text and the start value fields.
Message InvalidCharacterMessage();

// True when the text can stand in front of a file name.
bool PrefixTextAllowed(std::string_view text);

enum class StartValueCheck { kAccepted, kResetToOne, kRefused };
// The time-sequence start value: a whole number of at least 1; an empty
// field goes back to "1".
StartValueCheck CheckStartValue(std::string_view text);

}  // namespace kelvane
