// SPDX-License-Identifier: GPL-2.0-or-later
// Runs a batch command the way the Run button does, through the batch
// layer's runners, and reports what the user interface saw.
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

// Runs the request (built from line) and returns the exit status; with
// --json the report goes to out at the end.
int RunBatchCommand(const CommandLine& line, RunRequest& request, ConsoleSession& session,
                    const ConsoleStreams& streams);

}  // namespace kelvane::cli
