// SPDX-License-Identifier: GPL-2.0-or-later
// The two time corrections, Adjust File Time and Adjust Photo Time, over a
// folder or one photo.
#pragma once

#include <string>

#include "batch/batch_context.h"
#include "batch/batch_inputs.h"

namespace kelvane {

// The per-file work of the two time corrections.
class TimeOperations {
 public:
  virtual ~TimeOperations() = default;
  // Sets the file's own times from the photo's date/times; false on any
  // failure.
  virtual bool SetFileTimesFromPhoto(const std::string& path) = 0;
  // Shifts the photo's date/times by adjustDays (or sets their date in "As
  // Date" mode) and returns the engine's result code, 0 for success. With
  // code 1 (file missing) path may have been emptied.
  virtual int AdjustPhotoDates(std::string& path, double adjustDays) = 0;
};

// Result codes of the time corrections as the completion list shows them.
inline constexpr int kFileTimesNotSetCode = 7;
// The list message of a code; empty for a code without one.
std::string TimeCorrectionMessage(int code);

// The signed shift in days from the days and time entries with their
// Later/Earlier choices; the days count only when the days entry is valid
// and not a date.
double AdjustmentInDays(const RunState& state, const BatchInputs& inputs);

// Runs the selected time correction (SelectedFunction) over the folder or
// the single photo of inputs.sourcePath, reporting to the user through
// context.ui, and ends with the reset after a run.
void RunTimeCorrections(BatchContext& context, const BatchInputs& inputs, TimeOperations& operations);

}  // namespace kelvane
