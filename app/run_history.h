// SPDX-License-Identifier: GPL-2.0-or-later
// The history of runs as the window offers it: the run Undo Last Run takes
// back, the interrupted runs offered for undoing at start, and the boxes
// that name them.
#pragma once

#include <time.h>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/run_journal.h"
#include "engine/user_interface.h"

namespace kelvane {

struct HistoryRun {
  std::string path;  // the journal
  RunHeader header;
  size_t photos = 0;   // recorded in the journal
  size_t changed = 0;  // recorded as changed
  bool interrupted = false;
};

// The run Undo Last Run takes back: the newest run that is no undo and was
// not taken back yet; nothing when there is none.
std::optional<HistoryRun> LastRun(const std::string& journalFolder);

// The runs that were interrupted and not taken back, newest first.
std::vector<HistoryRun> InterruptedRuns(const std::string& journalFolder);

// Whether there is a run to undo, for the menu entry. Reading every journal
// is slow for a long history, so it is read again only when the journal
// folder changed since the last look, or when told.
class UndoableRunWatch {
 public:
  explicit UndoableRunWatch(std::string journalFolder) : folder_(std::move(journalFolder)) {}

  bool Available();
  // The next look reads the journals again (after a run of this program:
  // two changes within one tick of the file system's clock leave the
  // folder's time as it was).
  void Forget() { seen_.reset(); }

 private:
  std::string folder_;
  std::optional<timespec> seen_;
  bool available_ = false;
};

// The name the window gives the function of a journal ("copyright" ->
// "Insert Copyright Notice").
std::string FunctionNameOf(const std::string& word);

// A journal's start time (UTC, ISO 8601) in local time, as
// "YYYY-MM-DD HH:MM:SS"; the text as it is when it can't be read.
std::string LocalStartText(const std::string& started);

// Undo Last Run's confirmation: Yes undoes the run.
Message UndoConfirmation(const HistoryRun& run);
// There is no run to undo (anymore).
Message NoRunToUndoMessage();
// The question at start about an interrupted run: Yes undoes it now.
Message InterruptedRunQuestion(const HistoryRun& run);

}  // namespace kelvane
