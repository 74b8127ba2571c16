// SPDX-License-Identifier: GPL-2.0-or-later
// Runs a batch command the way the Run button does, through the batch
// layer's runners, once for each folder or photo its PATHs make, and reports
// what the user interface saw as one run.
#pragma once

#include <istream>
#include <ostream>

#include "cli/command_line.h"
#include "cli/console_session.h"
#include "cli/run_request.h"

namespace kelvane::cli {

struct ConsoleStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool inIsTerminal = false;
  bool errIsTerminal = false;
};

// Runs the command of line over its PATHs (its options already checked by
// BuildRunRequest) and returns the exit status: a cancel ends the whole run
// (3); otherwise the worst of the folders' (2 over 1 over 0). With --json the
// report goes to out at the end.
int RunBatchCommand(const CommandLine& line, ConsoleSession& session, const ConsoleStreams& streams);

}  // namespace kelvane::cli
