// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/time_corrections.h"

#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "engine/folder_listing.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr const char* kDateNotModified = "File's date/time could not be modified";
constexpr const char* kBadAdjustValue = "Bad date and/or time adjust value";

enum class Ending { kCompleted, kCancelled, kFailed };

// One run of a time correction. Execute may throw; the caller shows the step
// message of the step under way as the error box.
class TimeCorrectionRun {
 public:
  TimeCorrectionRun(BatchContext& context, const BatchInputs& inputs, TimeOperations& operations)
      : context_(context),
        inputs_(inputs),
        operations_(operations),
        photoTime_(context.state.SelectedFunction == ProgramFunction::AdjustMetadataTime) {}

  Ending Execute() {
    if (photoTime_) {
      stepMessage_ = kDateNotModified;
      adjustDays_ = AdjustmentInDays(context_.state, inputs_);
      stepMessage_ = kBadAdjustValue;
      // In "As Date" mode the date itself is set, so no shift is needed.
      if (adjustDays_ == 0 && !context_.state.DaysAsDate) return Ending::kFailed;
    }
    stepMessage_ = kUndefinedProcessingError;
    context_.ui.SetProgress(5);
    return context_.state.SinglePhotoMode ? RunSinglePhoto() : RunFolder();
  }

  const char* StepMessage() const { return stepMessage_; }
  const RunReport& Report() const { return report_; }

 private:
  int Operate(std::string path) {
    if (!photoTime_) return operations_.SetFileTimesFromPhoto(path) ? 0 : kFileTimesNotSetCode;
    const int code = operations_.AdjustPhotoDates(path, adjustDays_);
    // The photo has gone: the single-photo selection no longer holds.
    if (code == 1 && context_.state.SinglePhotoMode) context_.state.SourceChosen = false;
    return code;
  }

  Ending RunSinglePhoto() {
    UserInterface& ui = context_.ui;
    stepMessage_ = kFileNotFound;
    const std::string path = Trim(inputs_.sourcePath);
    if (!FileExists(path)) return Ending::kFailed;
    stepMessage_ = kUndefinedProcessingError;
    ui.SetStatus(2, std::string(kTotalFiles) + "1");
    const int code = Operate(path);
    ui.PumpEvents();
    ui.SetProgress(90);
    if (code > 0) report_.Add(FileNameOf(path), code);
    ui.SetStatus(1, std::string(kFilesProcessed) + "1");
    return Ending::kCompleted;
  }

  Ending RunFolder() {
    UserInterface& ui = context_.ui;
    stepMessage_ = kFolderNotFound;
    const std::string folder = FolderText(inputs_.sourcePath);
    if (folder.empty() || !FolderExists(folder)) return Ending::kFailed;
    stepMessage_ = kUndefinedProcessingError;
    const auto names = ListFolderFiles(folder);
    if (!names) return Ending::kFailed;
    if (names->empty()) {
      stepMessage_ = kNoFilesFound;
      return Ending::kFailed;
    }
    const size_t totalFiles = names->size();
    ui.SetStatus(2, kTotalFiles + std::to_string(totalFiles));
    size_t fileIndex = 0;
    for (const std::string& name : *names) {
      ++fileIndex;
      const int code = Operate(folder + name);
      if (PumpEventsAndCheckCancel(context_)) return Ending::kCancelled;
      ui.SetProgress(ProgressValue(fileIndex, totalFiles, 90, 5));
      if (code > 0) report_.Add(name, code);
      ui.SetStatus(1, kFilesProcessed + std::to_string(fileIndex));
    }
    return Ending::kCompleted;
  }

  BatchContext& context_;
  const BatchInputs& inputs_;
  TimeOperations& operations_;
  const bool photoTime_;
  const char* stepMessage_ = kUndefinedProcessingError;
  double adjustDays_ = 0;
  RunReport report_;
};

void ShowCompletion(BatchContext& context, const RunReport& report) {
  UserInterface& ui = context.ui;
  if (context.failures != nullptr) *context.failures = report.AllFailures(TimeCorrectionMessage);
  ui.SetProgress(100);
  const std::string text = report.CompletionText(kFailuresHeading, TimeCorrectionMessage);
  ui.Cue(report.Empty() ? SoundCue::Success : SoundCue::Error);
  ui.Show(CompletionMessage(text));
  ui.SetBusy(false);
}

}  // namespace

std::string TimeCorrectionMessage(int code) {
  switch (code) {
    case 1:
      return kFileNotFound;
    case 2:
      return "Not a JPG (JPEG) file";
    case 3:
      return "No Metadata in file";
    case 4:
      return "Bad Metadata";
    case 5:
    case 9:
      return kUndefinedProcessingError;
    case 6:
      return "Missing date/time in Metadata";
    case 7:
      return kDateNotModified;
    case 8:
      return "Metadata could not be restored";
    default:
      return {};
  }
}

double AdjustmentInDays(const RunState& state, const BatchInputs& inputs) {
  double days = 0;
  if (state.DaysEntryValid && !state.DaysAsDate) {
    days = static_cast<double>(LeadingNumber(inputs.daysText));
    if (inputs.daysDirection == DaysDirection::kEarlier) days = -days;
  }
  double time = static_cast<double>(LeadingNumber(inputs.timeTexts[0])) / 24 +
                static_cast<double>(LeadingNumber(inputs.timeTexts[1])) / 1440 +
                static_cast<double>(LeadingNumber(inputs.timeTexts[2])) / 86400;
  if (inputs.timeDirection == TimeDirection::kEarlier) time = -time;
  return time + days;
}

void RunTimeCorrections(BatchContext& context, const BatchInputs& inputs, TimeOperations& operations) {
  UserInterface& ui = context.ui;
  if (!context.state.SinglePhotoMode) ui.SetCancelEnabled(true);
  context.state.CancelRequested = false;
  TimeCorrectionRun run(context, inputs, operations);
  try {
    switch (run.Execute()) {
      case Ending::kCompleted:
        ShowCompletion(context, run.Report());
        break;
      case Ending::kCancelled:
        ui.SetBusy(false);
        ui.Cue(SoundCue::Attention);
        ui.Show(UserCancellationMessage());
        break;
      case Ending::kFailed:
        ShowErrorBox(ui, run.StepMessage());
        break;
    }
  } catch (...) {
    // Any unexpected failure is shown once, as the step under way.
    ShowErrorBox(ui, run.StepMessage());
  }
  ResetAfterRun(ui);
}

}  // namespace kelvane
