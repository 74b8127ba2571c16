// SPDX-License-Identifier: GPL-2.0-or-later
// The nine functions as the main window shows them: menu entry, column
// label, title line, Run caption, description and help topic.
#pragma once

#include <string>

#include "batch/run_state.h"

namespace kelvane {

inline constexpr int kFunctionCount = 9;

struct FunctionTexts {
  const char* menuText;  // ModeSMu entry
  const char* label;     // function column
  const char* tooltip;   // function column
  const char* title;     // second title line
  const char* runText;   // Run button
  const char* description;
  int helpContext;
};

// index 0..8 in column order; any other index gives the first function's texts.
const FunctionTexts& TextsOfFunction(int index);
inline const FunctionTexts& TextsOfFunction(ProgramFunction function) {
  return TextsOfFunction(static_cast<int>(function));
}

// The help topic after selecting function: the first function keeps the
// start-up topic 1 until another function has been chosen.
int NextHelpContext(ProgramFunction function, int currentContext);
inline constexpr int kStartUpHelpContext = 1;

// The parameter panel's heading. Copyright and description read "Existing"
// while a single photo's own text is shown unedited.
std::string ParametersHeading(ProgramFunction function, bool singlePhotoMode, bool textEditedByUser);

// The function the Up or Down arrow moves to from current; both ends wrap.
int WrappedFunctionIndex(int current, bool up);

}  // namespace kelvane
