// SPDX-License-Identifier: GPL-2.0-or-later
// When the Run command may be used, from the run state and the panel texts.
#pragma once

#include <string>

#include "batch/run_state.h"

namespace kelvane {

// The prefix panel's choices.
struct PrefixChoices {
  bool removeFirst = false;  // "Remove first" checked
  int removeCount = 0;       // the count list's value
  int addOption = 0;         // 0 None, 1 Add Prefix, 2 Time Seq., 3 Time Seq. + Add
  std::string prefixText;
};

// Works out PrefixRemoveChars, PrefixAddFixed and PrefixTimeSequence afresh.
void SetPrefixParameters(RunState& state, const PrefixChoices& choices);

// The texts of the copyright and description panel that Run depends on.
struct PanelTexts {
  std::string photographerName;
  std::string editorName;
  std::string descriptionText;
};

// Run (and its menu twin) is enabled exactly when this is true. The prefix
// parameters must have been set first.
bool RunEnabled(const RunState& state, const PanelTexts& texts);

}  // namespace kelvane
