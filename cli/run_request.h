// SPDX-License-Identifier: GPL-2.0-or-later
// A command turned into what the main window would hold when Run is
// pressed: the run state of the chosen function and mode, and the panel
// entries as plain inputs.
#pragma once

#include <string>

#include "batch/batch_inputs.h"
#include "cli/command_line.h"
#include "batch/run_state.h"
#include "export/export_table.h"

namespace kelvane::cli {

struct RunRequest {
  RunState state;
  BatchInputs inputs;
  ExportOptions exportOptions;
};

struct BuiltRequest {
  RunRequest request;
  // Not empty: the options can't make a run (exit status 64).
  std::string error;
};

// The function of a batch command (every command but dump).
ProgramFunction FunctionOf(CommandName command);

// Selects the command's function, the single-photo mode when PATH is a
// file, and sets the entries and run-state items from the options the way
// the window's entry checks would.
// path: the folder or photo of this run (one of line's PATHs).
BuiltRequest BuildRunRequest(const CommandLine& line, const std::string& path);

}  // namespace kelvane::cli
