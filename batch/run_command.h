// SPDX-License-Identifier: GPL-2.0-or-later
// The Run command (the Run button and its "&Run" menu entry): frames every
// run and hands it to the procedure of the selected function.
#pragma once

#include <functional>

#include "batch/batch_context.h"

namespace kelvane {

// The three run procedures, bound to their inputs by the caller.
struct FunctionRunners {
  std::function<void()> timeCorrections;  // Adjust File Time, Adjust Photo Time
  std::function<void()> filenamePrefix;   // Filename Prefix
  std::function<void()> amendOperation;   // Restore, Create, Copyright, Description, Export, Wipe
};

// Hourglass and RunInProgress for the length of the run, Cancel enabled for
// folder runs, CancelRequested cleared, then the selected function's
// procedure. A function outside the nine, or a procedure not given, runs
// nothing.
void RunBtn_Click(BatchContext& context, const FunctionRunners& runners);

}  // namespace kelvane
