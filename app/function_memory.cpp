// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/function_memory.h"

namespace kelvane {

namespace {

constexpr uint8_t kSkipUnchecked = 1u << 0;
constexpr uint8_t kOption1 = 1u << 1;
constexpr uint8_t kOption2 = 1u << 2;
constexpr uint8_t kEntered = 1u << 3;
constexpr uint8_t kHalf = kSkipUnchecked | kOption1 | kOption2 | kEntered;

std::optional<int> BaseOf(ProgramFunction function) {
  if (function == ProgramFunction::AddCopyright) return 0;
  if (function == ProgramFunction::AddDescription) return 4;
  return std::nullopt;
}

}  // namespace

void FunctionMemory::Leave(ProgramFunction function, SharedPanelChoice choice) {
  const std::optional<int> base = BaseOf(function);
  if (!base) return;
  uint8_t half = 0;
  if (choice.skipUnchecked) half |= kSkipUnchecked;
  if (choice.option == 1) half |= kOption1;
  if (choice.option == 2) half |= kOption2;
  bits_ = static_cast<uint8_t>((bits_ & ~(kHalf << *base)) | (half << *base));
}

std::optional<SharedPanelChoice> FunctionMemory::Enter(ProgramFunction function) {
  const std::optional<int> base = BaseOf(function);
  if (!base) return std::nullopt;
  const uint8_t half = static_cast<uint8_t>(bits_ >> *base) & kHalf;
  SharedPanelChoice choice;
  choice.skipUnchecked = (half & kSkipUnchecked) != 0;
  choice.option = (half & kOption1) != 0 ? 1 : (half & kOption2) != 0 ? 2 : 0;
  bits_ = static_cast<uint8_t>(bits_ | (kEntered << *base));
  return choice;
}

}  // namespace kelvane
