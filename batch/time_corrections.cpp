// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/time_corrections.h"

#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "batch/run_entries.h"
#include "engine/folder_listing.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

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
      stepMessage_ = EntryOf(ListMessage::kDateNotModified).text;
      adjustDays_ = AdjustmentInDays(context_.state, inputs_);
      stepMessage_ = kBadAdjustValue;
      // In "As Date" mode the date itself is set, so no shift is needed.
      if (adjustDays_ == 0 && !context_.state.DaysAsDate) return Ending::kFailed;
    }
    stepMessage_ = kUndefinedProcessingError;
    context_.ui.SetProgress(5);
    return context_.state.SinglePhotoMode ? RunSinglePhoto() : RunFolder();
  }

  const std::string& StepMessage() const { return stepMessage_; }
  const RunReport& Report() const { return report_; }

 private:
  FileStep Operate(size_t order, const std::string& path) {
    if (!photoTime_) return operations_.SetFileTimesFromPhoto(order, path);
    return operations_.AdjustPhotoDates(order, path, adjustDays_);
  }

  void Note(const std::string& name, size_t order, const FileStep& step) {
    if (step.failure) report_.Add(name, *step.failure, step.osError, order);
  }

  void TakeCompleted() {
    for (const PhotoRun::Completed& done : operations_.TakeCompleted()) {
      Note(FileNameOf(done.path), done.order, done.step);
    }
  }

  // The folder is the run's for as long as it lasts.
  Ending Begin(const std::string& folder) {
    const PhotoRun::Start start = operations_.Begin(folder);
    if (start == PhotoRun::Start::kStarted) return Ending::kCompleted;
    if (start == PhotoRun::Start::kCancelled) return Ending::kCancelled;
    stepMessage_ = PhotoRun::StartFailureText(start, operations_.BeginError());
    return Ending::kFailed;
  }

  Ending End(Ending ending) {
    operations_.End();
    TakeCompleted();
    return ending;
  }

  Ending RunSinglePhoto() {
    RunUi& ui = context_.ui;
    stepMessage_ = kFileNotFound;
    const std::string path = Trim(inputs_.sourcePath);
    if (!FileExists(path)) return Ending::kFailed;
    stepMessage_ = kUndefinedProcessingError;
    if (const Ending begun = Begin(FolderOf(path)); begun != Ending::kCompleted) return begun;
    ui.SetStatus(2, std::string(kTotalFiles) + "1");
    const FileStep step = Operate(0, path);
    // The photo has gone: the single-photo selection no longer holds.
    if (step.failure == ListMessage::kFileNotFound) context_.state.SourceChosen = false;
    Note(FileNameOf(path), 0, step);
    End(Ending::kCompleted);
    ui.PumpEvents();
    ui.SetProgress(90);
    ui.SetStatus(1, std::string(kFilesProcessed) + "1");
    return Ending::kCompleted;
  }

  Ending RunFolder() {
    RunUi& ui = context_.ui;
    stepMessage_ = kFolderNotFound;
    const std::string folder = FolderText(inputs_.sourcePath);
    if (folder.empty() || !FolderExists(folder)) return Ending::kFailed;
    stepMessage_ = kUndefinedProcessingError;
    int listError = 0;
    const auto listing = ListFolder(folder, &listError);
    if (!listing) {
      stepMessage_ = FolderUnreadableMessage(listError);
      return Ending::kFailed;
    }
    if (listing->entries.empty()) {
      stepMessage_ = kNoFilesFound;
      return Ending::kFailed;
    }
    if (const Ending begun = Begin(folder); begun != Ending::kCompleted) return begun;
    const std::vector<FolderEntry> entries = EntriesToVisit(folder, *listing, context_, inputs_);
    const size_t totalFiles = entries.size();
    ui.SetStatus(2, kTotalFiles + std::to_string(totalFiles));
    size_t fileIndex = 0;
    for (const FolderEntry& entry : entries) {
      const FileStep step =
          entry.link ? FileStep::Failed(ListMessage::kSymbolicLink) : Operate(fileIndex, folder + entry.name);
      Note(entry.name, fileIndex, step);
      TakeCompleted();
      ++fileIndex;
      if (PumpEventsAndCheckCancel(context_)) return End(Ending::kCancelled);
      ui.SetProgress(ProgressValue(fileIndex, totalFiles, 90, 5));
      ui.SetStatus(1, kFilesProcessed + std::to_string(fileIndex));
    }
    return End(Ending::kCompleted);
  }

  BatchContext& context_;
  const BatchInputs& inputs_;
  TimeOperations& operations_;
  const bool photoTime_;
  std::string stepMessage_ = kUndefinedProcessingError;
  double adjustDays_ = 0;
  RunReport report_;
};

void ShowCompletion(BatchContext& context, const RunReport& report) {
  RunUi& ui = context.ui;
  if (context.failures != nullptr) *context.failures = report.AllFailures();
  ui.SetProgress(100);
  const std::string text = report.CompletionText(kFailuresHeading);
  ui.Cue(report.Empty() ? SoundCue::Success : SoundCue::Error);
  ui.Show(CompletionMessage(text));
  ui.SetBusy(false);
}

}  // namespace

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
  RunUi& ui = context.ui;
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
