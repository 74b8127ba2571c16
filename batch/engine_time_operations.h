// SPDX-License-Identifier: GPL-2.0-or-later
// The time corrections' per-file work, done by the engine.
#pragma once

#include <string>

#include "batch/batch_context.h"
#include "batch/batch_inputs.h"
#include "batch/time_corrections.h"
#include "engine/engine_context.h"
#include "engine/photo_times.h"

namespace kelvane {

// What the engine is told of the window for a photo-time correction: the
// selected function and the "As Date" entry (valid when the days entry was
// accepted and its yyyy/mm/dd text is a calendar date).
PhotoTimeParameters PhotoTimeParametersOf(const RunState& state, const BatchInputs& inputs);

class EngineTimeOperations : public TimeOperations {
 public:
  // Takes the options and parameters as they are when the run starts.
  EngineTimeOperations(BatchContext& context, const BatchInputs& inputs);

  bool SetFileTimesFromPhoto(const std::string& path) override;
  int AdjustPhotoDates(std::string& path, double adjustDays) override;

 private:
  EngineContext engine_;
  PhotoTimeParameters parameters_;
};

}  // namespace kelvane
