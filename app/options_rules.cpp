// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/options_rules.h"

#include <array>
#include <string>

#include "engine/utility_functions.h"

namespace kelvane {

namespace {

struct Delimiter {
  uint8_t code;
  const char* name;
};

constexpr std::array<Delimiter, kDelimiterCount> kDelimiters{
    {{9, "Tab"}, {59, "Semicolon"}, {44, "Comma"}, {32, "Space"}}};

constexpr int64_t kLargestLimit = 32000;
constexpr int64_t kSmallestLimit = 4;
// Longer values may trouble the programs that read the export.
constexpr int64_t kLargestQuietLimit = 255;

constexpr const char* kLimitTitle = "Correct maximum characters";

constexpr int64_t kLargestJournalDays = 3650;
constexpr int64_t kLargestJournalMegabytes = 1024 * 1024;

RangeCheck CheckRange(std::string_view text, int64_t largest, const char* title, const char* refusal) {
  const int64_t n = LeadingNumber(text);
  if (n >= 1 && n <= largest) return {static_cast<int>(n), std::nullopt};
  return {0, Message{title, std::string(refusal) + std::to_string(largest), MessageIcon::kExclamation}};
}

}  // namespace

int DelimiterIndexOf(uint8_t code) {
  for (size_t i = 1; i < kDelimiters.size(); ++i) {
    if (kDelimiters[i].code == code) return static_cast<int>(i);
  }
  return 0;
}

uint8_t DelimiterCodeOf(int index) {
  if (index < 0 || index >= kDelimiterCount) index = 0;
  return kDelimiters[static_cast<size_t>(index)].code;
}

const char* DelimiterName(int index) {
  if (index < 0 || index >= kDelimiterCount) index = 0;
  return kDelimiters[static_cast<size_t>(index)].name;
}

LimitCheck CheckValueLimit(std::string_view text) {
  const int64_t n = LeadingNumber(text);
  LimitCheck check;
  if (n < 1 || n > kLargestLimit) {
    check.verdict = LimitVerdict::kOutOfRange;
    check.message = Message{kLimitTitle, "Limit error, please reset to valid value", MessageIcon::kExclamation};
    return check;
  }
  check.value = static_cast<int>(n);
  if (n < kSmallestLimit) {
    check.verdict = LimitVerdict::kBelowFour;
    check.message = Message{kLimitTitle, "Invalid Limit, value must be at least 4", MessageIcon::kExclamation};
  } else if (n > kLargestQuietLimit) {
    check.verdict = LimitVerdict::kNeedsConfirmation;
    check.message = Message{"Confirm maximum characters",
                            "Text exceeding 255 characters may cause\nissues in the programs using the data\n\n"
                            "Proceed anyway ?",
                            MessageIcon::kQuestion, MessageButtons::kOkCancel};
  }
  return check;
}

RangeCheck CheckJournalDays(std::string_view text) {
  return CheckRange(text, kLargestJournalDays, "Correct days to keep runs",
                    "Days error, please reset to a value from 1 to ");
}

RangeCheck CheckJournalMegabytes(std::string_view text) {
  return CheckRange(text, kLargestJournalMegabytes, "Correct size of run history",
                    "Size error, please reset to a value from 1 to ");
}

}  // namespace kelvane
