// SPDX-License-Identifier: GPL-2.0-or-later
// The Options dialog's rules that need no widgets: the delimiter list and
// the check of the exported value length limit.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/user_interface.h"

namespace kelvane {

// The delimiter list: 0 Tab, 1 Semicolon, 2 Comma, 3 Space.
inline constexpr int kDelimiterCount = 4;
// The list entry showing a delimiter code; codes the list does not offer
// show as Tab.
int DelimiterIndexOf(uint8_t code);
// The code of a list entry; any index outside the list gives Tab.
uint8_t DelimiterCodeOf(int index);
const char* DelimiterName(int index);

enum class LimitVerdict {
  kOutOfRange,         // below 1 or above 32000: refused
  kBelowFour,          // 1 to 3: refused
  kNeedsConfirmation,  // 256 to 32000: accepted once the user agrees
  kAccepted,           // 4 to 255
};

struct LimitCheck {
  LimitVerdict verdict = LimitVerdict::kAccepted;
  int value = 0;
  // The refusal or the question; shown with the Error cue for a refusal and
  // the Attention cue for the question.
  std::optional<Message> message;
};

// The limit field's text read as a whole number (its leading number).
LimitCheck CheckValueLimit(std::string_view text);

// The run history's fields, "Keep runs for" N days (1 to 3650) "up to" N MB
// (1 to 1048576), the ranges the settings file is read with: the value, or
// the refusal shown with the Error cue.
struct RangeCheck {
  int value = 0;
  std::optional<Message> message;
};
RangeCheck CheckJournalDays(std::string_view text);
RangeCheck CheckJournalMegabytes(std::string_view text);

}  // namespace kelvane
