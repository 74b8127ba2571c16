// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/undo_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <unordered_map>

#include "batch/photo_run.h"
#include "batch/rename_all.h"
#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "engine/exif_date_time.h"
#include "engine/folder_listing.h"
#include "engine/run_journal.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr const char* kRunNotFound = "Run not found in the history of runs";

enum class PhotoState { kAsAfter, kAsBefore, kChanged };

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool HeadHashIs(PhotoFile& photo, size_t length, const Sha256& hash) {
  const std::span<const uint8_t> head = photo.Head(length);
  return head.size() == length && Sha256Of(head) == hash;
}

// Where the photo stands: as the run left it, as it was before (the run
// never got to it), or changed by something else since.
PhotoState StateOf(PhotoFile& photo, const JournalPhoto& p) {
  const int64_t size = photo.Size();
  if (!p.patches.empty()) {
    bool asAfter = size == p.sizeAfter;
    bool asBefore = size == p.sizeBefore;
    for (const BytePatch& run : p.patches) {
      std::vector<uint8_t> now(run.after.size());
      if (!photo.ReadAt(run.offset, now.data(), now.size())) return PhotoState::kChanged;
      asAfter = asAfter && now == run.after;
      asBefore = asBefore && now == run.before;
    }
    return asAfter ? PhotoState::kAsAfter : asBefore ? PhotoState::kAsBefore : PhotoState::kChanged;
  }
  if (!p.oldHead.empty()) {
    if (size == p.sizeAfter && HeadHashIs(photo, static_cast<size_t>(p.newHeadLength), p.hashAfter)) {
      return PhotoState::kAsAfter;
    }
    if (size == p.sizeBefore && HeadHashIs(photo, p.oldHead.size(), p.hashBefore)) return PhotoState::kAsBefore;
    return PhotoState::kChanged;
  }
  const timespec& modified = photo.Status().st_mtim;
  if (p.newTimes && SameTime(modified, (*p.newTimes)[1])) return PhotoState::kAsAfter;
  if (p.oldTimes && SameTime(modified, (*p.oldTimes)[1])) return PhotoState::kAsBefore;
  return PhotoState::kChanged;
}

std::string LocalText(const timespec& time) {
  std::tm local{};
  if (::localtime_r(&time.tv_sec, &local) == nullptr) return {};
  return FormatExifDateTime(
      CalendarTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

FileStep UndoStepOf(const CommitOutcome& committed) {
  switch (committed.result) {
    case CommitResult::kDone:
      return FileStep::Done();
    case CommitResult::kChanged:
      return FileStep::Failed(ListMessage::kChangedMeanwhile);
    case CommitResult::kWriteFailed:
      return FileStep::Failed(ListMessage::kCouldNotWrite, committed.osError);
    case CommitResult::kTimesNotSet:
      return FileStep::Failed(ListMessage::kDateNotModified, committed.osError);
  }
  return FileStep::Failed(ListMessage::kUndefinedProcessingError);
}

enum class Ending { kCompleted, kCancelled, kFailed };

class UndoRun {
 public:
  UndoRun(BatchContext& context, const Journal& journal, bool force)
      : context_(context), journal_(journal), force_(force), run_(context, "undo", "run " + journal.header.id) {
    run_.SetUndoes(journal.header.id);
  }

  Ending Execute() {
    RunUi& ui = context_.ui;
    folder_ = journal_.header.folder;
    stepMessage_ = kFolderNotFound;
    if (folder_.empty() || !FolderExists(folder_)) return Ending::kFailed;
    const PhotoRun::Start start = run_.Begin(folder_);
    if (start == PhotoRun::Start::kCancelled) return Ending::kCancelled;
    if (start != PhotoRun::Start::kStarted) {
      stepMessage_ = PhotoRun::StartFailureText(start, run_.BeginError());
      return Ending::kFailed;
    }
    stepMessage_ = kUndefinedProcessingError;
    const size_t total = journal_.photos.size();
    ui.SetStatus(2, kTotalFiles + std::to_string(total));
    ui.SetProgress(5);
    bool renames = false;
    for (const JournalPhoto& p : journal_.photos) renames = renames || !p.newName.empty();
    if (renames) {
      UndoRenames();
    } else {
      // Latest first, as a journal is replayed backwards.
      for (size_t done = 0; done < total; ++done) {
        const size_t i = total - 1 - done;
        Note(journal_.photos[i].name, i, UndoPhoto(i, journal_.photos[i]));
        TakeCompleted();
        if (PumpEventsAndCheckCancel(context_)) {
          End();
          return Ending::kCancelled;
        }
        ui.SetProgress(ProgressValue(done + 1, total, 90, 5));
        ui.SetStatus(1, kFilesProcessed + std::to_string(done + 1));
      }
    }
    End();
    return Ending::kCompleted;
  }

  const std::string& StepMessage() const { return stepMessage_; }
  const RunReport& Report() const { return report_; }
  const std::string& RunId() const { return run_.RunId(); }

 private:
  void Note(const std::string& name, size_t order, const FileStep& step) {
    if (step.failure) report_.Add(name, *step.failure, step.osError, order);
  }

  void TakeCompleted() {
    for (const PhotoRun::Completed& done : run_.TakeCompleted()) Note(FileNameOf(done.path), done.order, done.step);
  }

  void End() {
    run_.End();
    TakeCompleted();
  }

  FileStep UndoPhoto(size_t order, const JournalPhoto& p) {
    if (p.wiped) return FileStep::Failed(ListMessage::kWipedForGood);
    const std::string path = folder_ + p.name;
    PhotoFile photo;
    if (const auto failed = run_.Open(path, true, photo)) return *failed;
    const PhotoState state = StateOf(photo, p);
    if (const auto failed = ReadFailureOf(photo)) return *failed;
    if (state == PhotoState::kAsBefore) return FileStep::Done();
    // A rewritten photo whose head is not the one the run wrote can't take
    // the old head back without damage, forced or not.
    if (state == PhotoState::kChanged && (!force_ || !p.oldHead.empty())) {
      return FileStep::Failed(ListMessage::kChangedMeanwhile);
    }
    PhotoEdit edit;
    if (!p.patches.empty()) {
      // One write over the span of the runs: the bytes between them as they are.
      const BytePatch& last = p.patches.back();
      BytePatch back{p.patches.front().offset, {}, {}};
      back.before.resize(static_cast<size_t>(last.offset - back.offset) + last.after.size());
      if (!photo.ReadAt(back.offset, back.before.data(), back.before.size())) {
        return FileStep::Failed(ListMessage::kCouldNotRead, photo.error());
      }
      back.after = back.before;
      for (const BytePatch& run : p.patches) {
        std::copy(run.before.begin(), run.before.end(), back.after.begin() + (run.offset - back.offset));
      }
      edit.patch = std::move(back);
      edit.preview.push_back({"Content", "as the run left it", "as before the run"});
    } else if (!p.oldHead.empty()) {
      edit.replacement = HeadReplacement{p.newHeadLength, p.oldHead};
      edit.preview.push_back({"Content", "as the run left it", "as before the run"});
    }
    if (p.oldTimes) {
      edit.times = p.oldTimes;
      edit.preview.push_back({"File modified", LocalText(photo.Status().st_mtim), LocalText((*p.oldTimes)[1])});
    }
    return run_.Submit(order, path, std::move(photo), std::move(edit), UndoStepOf);
  }

  // The files of a renaming run get their old names back, found by what
  // they are (a killed run may have left one under a temporary name), all
  // together or none.
  void UndoRenames() {
    std::unordered_map<uint64_t, std::string> byInode;
    if (const auto listing = ListFolder(folder_)) {
      for (const FolderEntry& entry : listing->entries) {
        struct stat st {};
        if (!entry.link && ::lstat((folder_ + entry.name).c_str(), &st) == 0) byInode[st.st_ino] = entry.name;
      }
    }
    std::vector<PlannedRename> plan;
    std::vector<std::pair<std::string, std::string>> renames;
    for (size_t i = 0; i < journal_.photos.size(); ++i) {
      const JournalPhoto& p = journal_.photos[i];
      const auto found = byInode.find(p.inode);
      if (found == byInode.end()) {
        report_.Add(p.newName.empty() ? p.name : p.newName, ListMessage::kFileNotFound, 0, i);
        continue;
      }
      if (found->second == p.name) continue;  // never renamed, or back already
      plan.push_back({found->second, p.name});
      renames.emplace_back(found->second, p.name);
    }
    if (run_.DryRun()) {
      if (context_.safety.plan != nullptr) {
        for (const auto& [from, to] : renames) context_.safety.plan->Planned(from, {{"Name", from, to}});
      }
      return;
    }
    if (!run_.RecordRenames(renames)) {
      stepMessage_ = JournalFailedMessage(errno);
      return;
    }
    if (!RenameAllOrNothing(folder_, plan, RenameWithoutReplacing)) {
      for (size_t i = 0; i < plan.size(); ++i) report_.Add(plan[i].from, ListMessage::kNameTaken, 0, i);
      return;
    }
    std::vector<std::string> done;
    for (const auto& rename : renames) done.push_back(rename.first);
    run_.RenamesDone(done);
  }

  BatchContext& context_;
  const Journal& journal_;
  const bool force_;
  PhotoRun run_;
  std::string folder_;
  std::string stepMessage_ = kUndefinedProcessingError;
  RunReport report_;
};

}  // namespace

std::optional<std::string> FindJournal(const std::string& journalFolder, const std::string& which) {
  for (const JournalSummary& summary : ListJournals(journalFolder, true)) {
    if (!which.empty()) {
      if (summary.header.id.rfind(which, 0) == 0) return summary.path;
      continue;
    }
    // As in an editor, undo steps back through the runs: the newest one not
    // taken back yet. An undo itself is undone (a redo) only when named.
    if (summary.undoneBy.empty() && summary.header.undoes.empty() && (summary.complete || summary.interrupted)) {
      return summary.path;
    }
  }
  return std::nullopt;
}

void RunUndo(BatchContext& context, const std::string& journalPath, bool force) {
  RunUi& ui = context.ui;
  context.state.CancelRequested = false;
  ui.SetBusy(true);
  const std::optional<Journal> journal = ReadJournal(journalPath);
  if (!journal) {
    ShowErrorBox(ui, kRunNotFound);
    ResetAfterRun(ui);
    return;
  }
  UndoRun run(context, *journal, force);
  try {
    switch (run.Execute()) {
      case Ending::kCompleted: {
        const RunReport& report = run.Report();
        if (context.failures != nullptr) *context.failures = report.AllFailures();
        if (!context.safety.dryRun && !run.RunId().empty()) MarkUndone(journalPath, run.RunId());
        ui.SetProgress(100);
        ui.Cue(report.Empty() ? SoundCue::Success : SoundCue::Error);
        ui.SetBusy(false);
        ui.Show(CompletionMessage(report.CompletionText(kFailuresHeading)));
        break;
      }
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
    ShowErrorBox(ui, run.StepMessage());
  }
  ResetAfterRun(ui);
}

}  // namespace kelvane
