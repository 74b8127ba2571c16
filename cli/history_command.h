// SPDX-License-Identifier: GPL-2.0-or-later
// The history of runs and their undo on the console.
#pragma once

#include <ostream>

#include "cli/batch_command.h"
#include "cli/command_line.h"
#include "cli/console_session.h"

namespace kelvane::cli {

// kelvane-cli history: every run with a journal, newest first.
int ShowHistory(bool json, std::ostream& out);

// kelvane-cli undo [RUN] [--force].
int UndoCommand(const CommandLine& line, ConsoleSession& session, const ConsoleStreams& streams);

// One line on err for each run that was interrupted and not taken back, and
// the pruning of old journals: what every start of the program does.
void TendJournals(const Settings& settings, bool prune, std::ostream& err);

}  // namespace kelvane::cli
