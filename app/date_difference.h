// SPDX-License-Identifier: GPL-2.0-or-later
// The date/time difference calculator's rules, free of widgets: the checks
// of its date and time entries and the two pairs whose differences become
// the main window's day and time adjustments.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "batch/entry_checks.h"
#include "engine/user_interface.h"

namespace kelvane {

struct CalculatorEntry {
  // kIncomplete while fewer characters than a full entry are typed.
  EntryOutcome outcome = EntryOutcome::kIncomplete;
  std::optional<Message> message;  // with kRejected
  // A date: days since 1899-12-30; a time: seconds since midnight.
  int64_t value = 0;
  // The entry's parts: year, month, day or hours, minutes, seconds.
  std::array<int, 3> parts{};
};

// 8 digits yyyymmdd naming a calendar date.
CalculatorEntry CheckCalculatorDate(std::string_view text);
// 6 digits hhmmss naming a time of day.
CalculatorEntry CheckCalculatorTime(std::string_view text);

// An Original (0) and a Corrected (1) entry of one kind.
class DifferencePair {
 public:
  enum class Kind { kDates, kTimes };
  static constexpr int kOriginal = 0;
  static constexpr int kCorrected = 1;

  explicit DifferencePair(Kind kind) : kind_(kind) {}

  void Clear();
  void ClearEntry(int index);
  void SetEntry(int index, int64_t value);

  bool Valid(int index) const { return valid_[Slot(index)]; }
  bool Complete() const { return valid_[0] && valid_[1]; }
  bool Differs() const { return Complete() && values_[0] != values_[1]; }
  bool CorrectedEarlier() const { return Complete() && values_[1] < values_[0]; }
  // Complete and different: its result can be pasted.
  bool Pastable() const { return Differs(); }

  // The difference as pasted: a day count ("10") or "hh:mm:ss"; empty when
  // the pair is incomplete or equal.
  std::string ResultText() const;
  // The result labels: " 10 days" / "same day" or "23:58:00" / "same time",
  // and "Later" / "Earlier"; empty while the pair is incomplete.
  std::string AmountLabel() const;
  std::string DirectionLabel() const;

 private:
  static size_t Slot(int index) { return index == kCorrected ? 1 : 0; }
  int64_t Difference() const { return values_[1] > values_[0] ? values_[1] - values_[0] : values_[0] - values_[1]; }

  Kind kind_;
  std::array<bool, 2> valid_{};
  std::array<int64_t, 2> values_{};
};

enum class CalculatorFocus { kOriginalDate, kCorrectedDate, kOriginalTime, kCorrectedTime, kPaste };

// Where the focus goes after a date was accepted: Paste when both pairs are
// complete, else the other date when only one is in, else the first time
// field still to fill.
CalculatorFocus FocusAfterDate(const DifferencePair& dates, const DifferencePair& times);
// After a time was accepted: the other time field while it is empty, else
// Paste.
CalculatorFocus FocusAfterTime(const DifferencePair& times, int acceptedIndex);

}  // namespace kelvane
