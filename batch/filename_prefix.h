// SPDX-License-Identifier: GPL-2.0-or-later
// The Filename Prefix function: removes leading characters from file names,
// adds a fixed prefix, a sequence number in taken-time order, or both, over
// a folder or one photo. Every new name is worked out first; the files are
// renamed only when all of them can be, and then all together.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "batch/batch_context.h"
#include "batch/batch_inputs.h"
#include "batch/photo_run.h"

namespace kelvane {

// When a photo was taken, for the time sequence.
struct TakenTime {
  bool found = false;         // dateValue holds a usable date
  bool fromFileTime = false;  // no usable metadata: taken from the file's own times
  double dateValue = 0;       // days since 1899-12-30, the time as the fraction
};

// The per-file work of the prefix function, and the run's hold on its
// folder.
class PrefixOperations {
 public:
  virtual ~PrefixOperations() = default;
  // Takes the folder for the run (see PhotoRun::Begin).
  virtual PhotoRun::Start Begin(const std::string& folder) = 0;
  virtual int BeginError() const = 0;
  // Journals the renames before the first is made; false when the journal
  // can't take them.
  virtual bool RecordRenames(const std::vector<std::pair<std::string, std::string>>& renames) = 0;
  virtual void RenamesDone(const std::vector<std::string>& oldNames) = 0;
  virtual void End() = 0;
  // The photo's DateTimeOriginal; for a file whose metadata can't be read,
  // the earliest of its own times.
  virtual TakenTime ReadTakenTime(const std::string& path) = 0;
  // Renames a file, never replacing an existing entry.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
};

// Runs the prefix function over the folder or the single photo of
// inputs.sourcePath with the prefix parameters of the run state, reporting
// to the user through context.ui, and ends with the reset after a run.
// The start value used is written back to inputs.startValueText; a remove
// count of 0 and an empty prefix text switch their run-state items off.
void RunFilenamePrefix(BatchContext& context, BatchInputs& inputs, PrefixOperations& operations);

}  // namespace kelvane
