// SPDX-License-Identifier: GPL-2.0-or-later
// The life of a write run over one folder: the folder's lock for the whole
// run, the temporary files of an interrupted run removed, each photo opened
// once, the edit worked out from its head reported to a preview or
// journalled and committed in groups, and the journal completed at the end.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_context.h"
#include "batch/list_messages.h"
#include "engine/folder_lock.h"
#include "engine/photo_commit.h"
#include "engine/run_journal.h"

namespace kelvane {

// What one file's step came to, as the run lists it.
struct FileStep {
  std::optional<ListMessage> failure;
  int osError = 0;
  bool pending = false;  // handed to the commit: the outcome comes later

  static FileStep Done() { return {}; }
  static FileStep Failed(ListMessage message, int osError = 0) { return {message, osError, false}; }
  static FileStep Pending() { return {std::nullopt, 0, true}; }
};

// A read error met while a photo's edit was worked out: whatever the plan
// made of the bytes it got, the photo's answer is the error.
inline std::optional<FileStep> ReadFailureOf(const PhotoFile& photo) {
  if (photo.error() == 0) return std::nullopt;
  return FileStep::Failed(ListMessage::kCouldNotRead, photo.error());
}

// What committing a photo's edit came to, as its function lists it.
using OutcomeMap = std::function<FileStep(const CommitOutcome&)>;

class PhotoRun {
 public:
  // function: the command word the journal and history name the run by;
  // details: its parameters in words.
  PhotoRun(BatchContext& context, std::string function, std::string details,
           CommitSteps steps = CommitSteps::System());
  // An undo: the run it takes back (its journal's header names it).
  void SetUndoes(std::string runId) { undoes_ = std::move(runId); }
  // The id the run's journal has (empty without one).
  const std::string& RunId() const { return runId_; }
  ~PhotoRun();
  PhotoRun(const PhotoRun&) = delete;
  PhotoRun& operator=(const PhotoRun&) = delete;

  enum class Start { kStarted, kCancelled, kLockFailed, kJournalFailed };
  // Takes the folder for the run: waits while another run holds it (saying
  // so; Cancel ends the wait), removes the temporary files of runs that are
  // gone (saying so) and starts the journal. A dry run only reads.
  Start Begin(const std::string& folder);
  // Why Begin failed.
  int BeginError() const { return beginError_; }
  // The text of the box that ends a run whose Begin gave `start`
  // (kLockFailed or kJournalFailed; empty for the others).
  static std::string StartFailureText(Start start, int error);
  bool DryRun() const { return context_.safety.dryRun; }

  // Opens a photo for its one pass (for writing when forEdit and the user
  // may). nothing when it is open, else the step that lists the failure.
  std::optional<FileStep> Open(const std::string& path, bool forEdit, PhotoFile& photo) const;

  // The edit worked out for a photo: a dry run hands it to the plan; a write
  // run commits it with its group and gives the outcome, mapped by `map`,
  // through TakeCompleted. Returns the step to list now.
  FileStep Submit(size_t order, const std::string& path, PhotoFile photo, PhotoEdit edit, OutcomeMap map);

  // Renames in the folder, journalled before the first one is made; false
  // when the journal could not take them (nothing renamed then).
  bool RecordRenames(const std::vector<std::pair<std::string, std::string>>& renames);
  void RenamesDone(const std::vector<std::string>& oldNames);
  // Files about to be wiped: the journal keeps their names.
  bool RecordWipe(const std::string& name);
  void WipeDone(const std::string& name);

  struct Completed {
    size_t order = 0;
    std::string path;
    FileStep step;
  };
  std::vector<Completed> TakeCompleted();
  // Lists a step of another file than the one in hand (a sidecar of it),
  // through TakeCompleted.
  void Note(size_t order, const std::string& path, const FileStep& step) { completed_.push_back({order, path, step}); }
  // Commits what is pending.
  void Flush();
  // Commits what is pending and completes the journal.
  void End();

 private:
  bool GroupFull() const;
  bool StartJournal();

  BatchContext& context_;
  std::string function_;
  std::string details_;
  std::string folder_;
  std::string undoes_;
  std::string runId_;
  FolderLock lock_;
  std::unique_ptr<JournalWriter> journal_;
  CommitGroup group_;
  std::vector<OutcomeMap> maps_;
  std::vector<Completed> completed_;
  size_t rewritesPending_ = 0;
  int beginError_ = 0;
  bool ended_ = false;
};

}  // namespace kelvane
