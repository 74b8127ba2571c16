// SPDX-License-Identifier: GPL-2.0-or-later
// The time corrections' per-file work, done by the engine in one pass per
// photo within the run's PhotoRun.
#pragma once

#include <string>

#include "batch/batch_context.h"
#include "batch/batch_inputs.h"
#include "batch/photo_run.h"
#include "batch/sidecars.h"
#include "batch/time_corrections.h"
#include "engine/photo_times.h"

namespace kelvane {

// What the engine is told of the window for a photo-time correction: the
// selected function and the "As Date" entry (valid when the days entry was
// accepted and its yyyy/mm/dd text is a calendar date).
PhotoTimeParameters PhotoTimeParametersOf(const RunState& state, const BatchInputs& inputs, bool keepXmp = false);

// The list message of a photo-time correction's result.
FileStep TimeStepOf(const AdjustOutcome& outcome);

class EngineTimeOperations : public TimeOperations {
 public:
  // Takes the options and parameters as they are when the run starts.
  EngineTimeOperations(BatchContext& context, const BatchInputs& inputs);

  PhotoRun::Start Begin(const std::string& folder) override { return run_.Begin(folder); }
  int BeginError() const override { return run_.BeginError(); }
  FileStep SetFileTimesFromPhoto(size_t order, const std::string& path) override;
  FileStep AdjustPhotoDates(size_t order, const std::string& path, double adjustDays) override;
  std::vector<PhotoRun::Completed> TakeCompleted() override { return run_.TakeCompleted(); }
  void End() override { run_.End(); }

 private:
  ProgramOptions options_;
  PhotoTimeParameters parameters_;
  SidecarFinder sidecars_;
  PhotoRun run_;
};

}  // namespace kelvane
