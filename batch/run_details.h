// SPDX-License-Identifier: GPL-2.0-or-later
// How a run names itself in its journal and in the history of runs.
#pragma once

#include <string>

#include "batch/batch_inputs.h"
#include "batch/run_state.h"

namespace kelvane {

// The short word of a function, as kelvane-cli's commands have it.
const char* FunctionWord(ProgramFunction function);

// The run's parameters in words ("1 day later, 02:00:00 earlier").
std::string RunDetails(const RunState& state, const BatchInputs& inputs);

}  // namespace kelvane
