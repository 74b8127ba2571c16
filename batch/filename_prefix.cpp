// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/filename_prefix.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <unordered_map>
#include <vector>

#include "batch/rename_all.h"
#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "batch/run_entries.h"
#include "batch/sidecars.h"
#include "engine/folder_listing.h"
#include "engine/sort_module.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr const char* kNoValidParameters = "No valid parameters specified for Prefix Function";
constexpr const char* kNotAppliedHeading = "No Prefixes action applied as the following files could not be processed:";

// The largest start value and file count: the sequence numbers stay within
// 32 bits, as the sort's index does.
constexpr int64_t kLargestCount = std::numeric_limits<int32_t>::max();

enum class Ending { kCompleted, kCancelled, kFailed };

struct NameRow {
  std::string current;  // name only
  std::string renamed;  // the new name, worked out step by step
};

// Characters of the name before its last dot (all of it without a dot).
// The name is taken as it is: on this platform blanks at either end belong
// to it.
size_t StemLength(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name.size() : dot;
}

std::string ZeroPadded(int64_t value, size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// One run of the prefix function. Execute may throw; the caller then shows
// "Undefined processing error".
class PrefixRun {
 public:
  PrefixRun(BatchContext& context, BatchInputs& inputs, PrefixOperations& operations)
      : context_(context), state_(context.state), ui_(context.ui), inputs_(inputs), operations_(operations) {}

  Ending Execute() {
    const std::string fixedText = inputs_.prefixText;
    int64_t start = LeadingNumber(Trim(inputs_.startValueText));
    if (start < 1) start = 1;
    inputs_.startValueText = std::to_string(start);
    ui_.SetBusy(true);
    if (start > kLargestCount) return Fail(kUndefinedProcessingError);

    if (const Ending ending = FindFiles(); ending != Ending::kCompleted) return ending;
    ui_.SetStatus(2, kTotalFiles + std::to_string(totalFiles_));
    ui_.SetProgress(15);

    int64_t removeCount = state_.PrefixRemoveChars ? LeadingNumber(Trim(inputs_.removeCountText)) : 0;
    if (removeCount <= 0) {
      removeCount = 0;
      state_.PrefixRemoveChars = false;
    }
    if (fixedText.empty()) state_.PrefixAddFixed = false;
    if (!state_.PrefixRemoveChars && !state_.PrefixAddFixed && !state_.PrefixTimeSequence) {
      return Fail(kNoValidParameters);
    }
    // The prefix becomes part of every name: a "/" in it would move the
    // files to another folder.
    if (state_.PrefixAddFixed &&
        (FindInvalidNameChar(fixedText, 0) != 0 || fixedText.find('\0') != std::string::npos)) {
      return Fail(kNoValidParameters);
    }

    if (const Ending ending = FillNameTable(); ending != Ending::kCompleted) return ending;
    if (state_.CancelRequested) return Ending::kCancelled;

    ui_.SetProgress(35);
    if (state_.PrefixRemoveChars) {
      RemoveLeadingCharacters(removeCount);
      if (!state_.PrefixTimeSequence) FindDuplicates();
    }
    if (state_.CancelRequested) return Ending::kCancelled;

    ui_.SetProgress(50);
    if (state_.PrefixAddFixed && !state_.PrefixTimeSequence && !failureSeen_) {
      for (NameRow& row : rows_) row.renamed = fixedText + row.renamed;
    }
    if (state_.PrefixTimeSequence && !failureSeen_) {
      if (const Ending ending = NumberByTakenTime(start, fixedText); ending != Ending::kCompleted) return ending;
    }
    if (state_.CancelRequested) return Ending::kCancelled;

    ui_.SetProgress(95);
    if (report_.Empty()) {
      if (const Ending renamed = RenameAll(); renamed != Ending::kCompleted) return renamed;
    }
    rows_.clear();
    ui_.SetProgress(100);
    return Ending::kCompleted;
  }

  const std::string& FailureText() const { return failureText_; }
  const RunReport& Report() const { return report_; }
  bool FileTimesUsed() const { return fileTimesUsed_; }

 private:
  Ending Fail(std::string text) {
    failureText_ = std::move(text);
    return Ending::kFailed;
  }

  // The folder is the run's for as long as it lasts.
  Ending Begin() {
    const PhotoRun::Start start = operations_.Begin(folder_);
    if (start == PhotoRun::Start::kStarted) return Ending::kCompleted;
    if (start == PhotoRun::Start::kCancelled) return Ending::kCancelled;
    return Fail(PhotoRun::StartFailureText(start, operations_.BeginError()));
  }

  static bool IsLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  }

  // The folder and the names to work on. A symbolic link is not renamed:
  // it is listed, and the all-or-nothing rule then renames nothing.
  Ending FindFiles() {
    if (state_.SinglePhotoMode) {
      const std::string path = Trim(inputs_.sourcePath);
      if (!FileExists(path)) return Fail(kFileNotFound);
      folder_ = FolderOf(path);
      names_ = {FileNameOf(path)};
      if (IsLink(path)) report_.Add(names_.front(), ListMessage::kSymbolicLink);
      if (context_.settings.KeepXmpInStep) {
        if (const auto listing = ListFolder(folder_.empty() ? "./" : folder_)) {
          sidecars_ = SidecarsAmong(listing->FileNames());
        }
      }
    } else {
      folder_ = FolderText(inputs_.sourcePath);
      if (folder_.empty() || !FolderExists(folder_)) return Fail(kFolderNotFound);
      int listError = 0;
      auto listing = ListFolder(folder_, &listError);
      if (!listing) return Fail(FolderUnreadableMessage(listError));
      if (listing->entries.empty()) return Fail(kNoFilesFound);
      // Sidecars are renamed with their photos, not as files of their own.
      if (context_.settings.KeepXmpInStep) sidecars_ = SidecarsAmong(listing->FileNames());
      const std::vector<FolderEntry> entries = EntriesToVisit(folder_, *listing, context_, inputs_);
      for (size_t i = 0; i < entries.size(); ++i) {
        const FolderEntry& entry = entries[i];
        if (entry.link) {
          report_.Add(entry.name, ListMessage::kSymbolicLink, 0, i);
        } else {
          names_.push_back(entry.name);
        }
      }
      totalFiles_ = entries.size();
    }
    if (!report_.Empty()) failureSeen_ = true;
    if (state_.SinglePhotoMode) totalFiles_ = names_.size();
    if (static_cast<uint64_t>(totalFiles_) > static_cast<uint64_t>(kLargestCount)) {
      return Fail(kUndefinedProcessingError);
    }
    return Begin();
  }

  Ending FillNameTable() {
    rows_.reserve(names_.size());
    if (state_.SinglePhotoMode) {
      rows_.push_back({names_.front(), names_.front()});
      return Ending::kCompleted;
    }
    for (const std::string& name : names_) {
      if (!FileExists(folder_ + name) && !IsLink(folder_ + name)) return Fail(kFileNotFound);
      rows_.push_back({name, name});
      if (PumpEventsAndCheckCancel(context_)) break;
    }
    return Ending::kCompleted;
  }

  void RemoveLeadingCharacters(int64_t removeCount) {
    for (NameRow& row : rows_) {
      if (static_cast<int64_t>(StemLength(row.renamed)) - removeCount < 1) {
        report_.Add(row.current, ListMessage::kNoStem);
        row.renamed.clear();
        failureSeen_ = true;
        continue;
      }
      row.renamed.erase(0, static_cast<size_t>(removeCount));
      if (row.renamed.front() == ' ' && !state_.PrefixAddFixed) row.renamed.front() = '_';
    }
  }

  // A row is listed once for every later row that would get its new name,
  // as a comparison of every pair would list it, but counted in one pass.
  void FindDuplicates() {
    if (state_.SinglePhotoMode) {
      const NameRow& row = rows_.front();
      std::error_code ec;
      if (!row.renamed.empty() && std::filesystem::exists(std::filesystem::symlink_status(folder_ + row.renamed, ec))) {
        report_.Add(row.current, ListMessage::kDuplicateName);
        failureSeen_ = true;
      }
      return;
    }
    std::unordered_map<std::string, size_t> remaining;
    for (const NameRow& row : rows_) {
      if (!row.renamed.empty()) ++remaining[row.renamed];
    }
    for (const NameRow& row : rows_) {
      if (row.renamed.empty()) continue;
      const size_t later = --remaining[row.renamed];
      if (later > 0) {
        report_.AddRepeated(row.current, ListMessage::kDuplicateName, later);
        failureSeen_ = true;
      }
    }
  }

  Ending NumberByTakenTime(int64_t start, const std::string& fixedText) {
    const size_t count = rows_.size();
    std::vector<double> keys(count);
    bool rowFailed = false;
    for (size_t i = 0; i < count; ++i) {
      const TakenTime taken = operations_.ReadTakenTime(folder_ + rows_[i].current);
      PumpEventsAndCheckCancel(context_);
      if (taken.found) {
        keys[i] = taken.dateValue;
        fileTimesUsed_ = fileTimesUsed_ || taken.fromFileTime;
      } else {
        report_.Add(rows_[i].current, ListMessage::kNoTime);
        rowFailed = true;
      }
      ui_.SetProgress(ProgressValue(i + 1, count, 25, 50));
      if (state_.CancelRequested) return Ending::kCancelled;
    }
    if (rowFailed) return Ending::kCompleted;

    std::vector<int32_t> index(count);
    for (size_t i = 0; i < count; ++i) index[i] = static_cast<int32_t>(i);
    if (!DateSort(keys, index, 0, static_cast<int64_t>(count) - 1)) return Fail(kUndefinedProcessingError);
    const size_t width = std::to_string(static_cast<int64_t>(totalFiles_) + start).size();
    const std::string fixedPart = state_.PrefixAddFixed ? fixedText : std::string();
    for (size_t k = 0; k < count; ++k) {
      NameRow& row = rows_[static_cast<size_t>(index[k])];
      row.renamed = ZeroPadded(start + static_cast<int64_t>(k), width) + fixedPart + row.renamed;
    }
    return Ending::kCompleted;
  }

  // Every file gets its new name, or none does; the journal has them all
  // before the first rename. A dry run shows them instead.
  Ending RenameAll() {
    std::vector<PlannedRename> plan;
    std::vector<std::pair<std::string, std::string>> renames;
    plan.reserve(rows_.size());
    for (const NameRow& row : rows_) {
      plan.push_back({row.current, row.renamed});
      if (row.current == row.renamed) continue;
      renames.emplace_back(row.current, row.renamed);
      if (const auto found = sidecars_.find(row.current); found != sidecars_.end()) {
        for (const Sidecar& sidecar : found->second) {
          const std::string renamed = RenamedSidecar(sidecar, row.renamed);
          plan.push_back({sidecar.name, renamed});
          renames.emplace_back(sidecar.name, renamed);
        }
      }
    }
    if (context_.safety.dryRun) {
      if (context_.safety.plan != nullptr) {
        for (const auto& [from, to] : renames) context_.safety.plan->Planned(from, {{"Name", from, to}});
      }
      return Ending::kCompleted;
    }
    if (!operations_.RecordRenames(renames)) return Fail(JournalFailedMessage(errno));
    const RenameFunction rename = [this](const std::string& from, const std::string& to) {
      return operations_.RenameFile(from, to);
    };
    if (!RenameAllOrNothing(folder_, plan, rename)) return Fail(kUndefinedProcessingError);
    std::vector<std::string> done;
    for (const auto& renamed : renames) done.push_back(renamed.first);
    operations_.RenamesDone(done);
    return Ending::kCompleted;
  }

  BatchContext& context_;
  RunState& state_;
  RunUi& ui_;
  BatchInputs& inputs_;
  PrefixOperations& operations_;
  std::string failureText_ = kUndefinedProcessingError;
  std::string folder_;
  std::vector<std::string> names_;
  SidecarMap sidecars_;
  size_t totalFiles_ = 0;
  std::vector<NameRow> rows_;
  RunReport report_;
  bool failureSeen_ = false;
  bool fileTimesUsed_ = false;
};

void ShowCompletion(BatchContext& context, const PrefixRun& run) {
  RunUi& ui = context.ui;
  const RunReport& report = run.Report();
  if (context.failures != nullptr) *context.failures = report.AllFailures();
  std::string text;
  SoundCue cue = SoundCue::Success;
  if (report.Empty()) {
    text = kAllFilesProcessed;
    if (run.FileTimesUsed()) {
      text += "\rSort used some File Times as Metadata not available";
      cue = SoundCue::Attention;
    }
  } else {
    std::string heading = std::string(kNotAppliedHeading) + "\r";
    if (run.FileTimesUsed()) heading += "\rSort used File Times where Metadata not available";
    text = report.CompletionText(heading);
    cue = SoundCue::Error;
  }
  ui.Cue(cue);
  ui.SetBusy(false);
  ui.Show(CompletionMessage(text));
}

}  // namespace

void RunFilenamePrefix(BatchContext& context, BatchInputs& inputs, PrefixOperations& operations) {
  RunUi& ui = context.ui;
  PrefixRun run(context, inputs, operations);
  try {
    const Ending ending = run.Execute();
    operations.End();
    switch (ending) {
      case Ending::kCompleted:
        ShowCompletion(context, run);
        break;
      case Ending::kCancelled:
        ui.Cue(SoundCue::Attention);
        ui.SetBusy(false);
        ui.Show(UserCancellationMessage());
        break;
      case Ending::kFailed:
        ShowErrorBox(ui, run.FailureText());
        break;
    }
  } catch (...) {
    // Any unexpected failure is shown once, whatever the step.
    ShowErrorBox(ui, kUndefinedProcessingError);
  }
  ResetAfterRun(ui);
}

}  // namespace kelvane
