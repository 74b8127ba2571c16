// SPDX-License-Identifier: GPL-2.0-or-later
// The two time corrections, Adjust File Time and Adjust Photo Time, over a
// folder or one photo.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/batch_context.h"
#include "batch/batch_inputs.h"
#include "batch/photo_run.h"

namespace kelvane {

// The per-file work of the two time corrections, and the run's hold on its
// folder.
class TimeOperations {
 public:
  virtual ~TimeOperations() = default;
  // Takes the folder for the run (see PhotoRun::Begin).
  virtual PhotoRun::Start Begin(const std::string& folder) = 0;
  virtual int BeginError() const = 0;
  // Sets the file's own times from the photo's date/times.
  virtual FileStep SetFileTimesFromPhoto(size_t order, const std::string& path) = 0;
  // Shifts the photo's date/times by adjustDays (or sets their date in "As
  // Date" mode).
  virtual FileStep AdjustPhotoDates(size_t order, const std::string& path, double adjustDays) = 0;
  // The steps whose outcome came in since the last call.
  virtual std::vector<PhotoRun::Completed> TakeCompleted() = 0;
  // Finishes what is pending and ends the run's hold on the folder.
  virtual void End() = 0;
};

// The signed shift in days from the days and time entries with their
// Later/Earlier choices; the days count only when the days entry is valid
// and not a date.
double AdjustmentInDays(const RunState& state, const BatchInputs& inputs);

// Runs the selected time correction (SelectedFunction) over the folder or
// the single photo of inputs.sourcePath, reporting to the user through
// context.ui, and ends with the reset after a run.
void RunTimeCorrections(BatchContext& context, const BatchInputs& inputs, TimeOperations& operations);

}  // namespace kelvane
