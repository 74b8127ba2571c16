// SPDX-License-Identifier: GPL-2.0-or-later
// The prefix function's per-file work: the taken time read by the engine,
// renames by the platform, within the run's PhotoRun.
#pragma once

#include <string>

#include "batch/filename_prefix.h"
#include "batch/photo_run.h"

namespace kelvane {

class EnginePrefixOperations : public PrefixOperations {
 public:
  EnginePrefixOperations(BatchContext& context, const BatchInputs& inputs);

  PhotoRun::Start Begin(const std::string& folder) override { return run_.Begin(folder); }
  int BeginError() const override { return run_.BeginError(); }
  bool RecordRenames(const std::vector<std::pair<std::string, std::string>>& renames) override {
    return run_.RecordRenames(renames);
  }
  void RenamesDone(const std::vector<std::string>& oldNames) override { run_.RenamesDone(oldNames); }
  void End() override { run_.End(); }
  TakenTime ReadTakenTime(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;

 private:
  PhotoRun run_;
};

}  // namespace kelvane
