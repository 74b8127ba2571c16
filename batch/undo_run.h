// SPDX-License-Identifier: GPL-2.0-or-later
// Undo: takes a run back from its journal. Every photo of the run is put
// back byte for byte, with its name and file times; a photo changed since
// the run (by another program, or a later run) is left as it is and listed,
// unless forced. An undo is a run of its own, journalled, so it can be
// undone in turn.
#pragma once

#include <optional>
#include <string>

#include "batch/batch_context.h"

namespace kelvane {

// The history of runs a user chooses from: the journal of the run `which`
// names (its id, or the start of one), or with `which` empty the newest run
// that is not an undo and was not taken back yet; nothing when there is none.
std::optional<std::string> FindJournal(const std::string& journalFolder, const std::string& which);

// Runs the undo of the journal at journalPath, reporting to the user through
// context.ui like every run: the completion message lists what was left as
// it is. force puts photos back even when they changed since the run.
void RunUndo(BatchContext& context, const std::string& journalPath, bool force);

}  // namespace kelvane
