// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright and Image Description share one panel (the skip box and the
// three-way option group); FunctionMemory keeps each function's choices
// while the other function, or any other, is selected.
#pragma once

#include <cstdint>
#include <optional>

#include "batch/run_state.h"

namespace kelvane {

struct SharedPanelChoice {
  bool skipUnchecked = false;  // "Skip if text already present" cleared
  int option = 0;              // 0..2 of the option group
};

// One byte: low half for Copyright, high half for Image Description; bit 0/4
// skip box unchecked, bit 1/5 option 1, bit 2/6 option 2, bit 3/7 the
// function was entered and is the one whose panel is showing.
class FunctionMemory {
 public:
  // Saves the panel's choices when leaving one of the two functions.
  void Leave(ProgramFunction function, SharedPanelChoice choice);
  // The choices to restore on entering one of the two functions (nothing for
  // the others), marking it as the function to save on leaving.
  std::optional<SharedPanelChoice> Enter(ProgramFunction function);

  uint8_t Bits() const { return bits_; }

 private:
  uint8_t bits_ = 0;
};

}  // namespace kelvane
