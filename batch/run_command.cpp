// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_command.h"

namespace kelvane {

namespace {

const std::function<void()>* RunnerFor(ProgramFunction function, const FunctionRunners& runners) {
  switch (function) {
    case ProgramFunction::AdjustFileTime:
    case ProgramFunction::AdjustMetadataTime:
      return &runners.timeCorrections;
    case ProgramFunction::FilenamePrefix:
      return &runners.filenamePrefix;
    case ProgramFunction::RestoreMetadata:
    case ProgramFunction::CreateMetadata:
    case ProgramFunction::AddCopyright:
    case ProgramFunction::AddDescription:
    case ProgramFunction::ExportMetadata:
    case ProgramFunction::WipeFiles:
      return &runners.amendOperation;
  }
  return nullptr;
}

}  // namespace

void RunBtn_Click(BatchContext& context, const FunctionRunners& runners) {
  context.ui.SetBusy(true);
  context.state.RunInProgress = true;
  if (!context.state.SinglePhotoMode) context.ui.SetCancelEnabled(true);
  context.state.CancelRequested = false;

  const std::function<void()>* runner = RunnerFor(context.state.SelectedFunction, runners);
  if (runner != nullptr && *runner) (*runner)();

  context.ui.SetBusy(false);
  context.state.RunInProgress = false;
}

}  // namespace kelvane
