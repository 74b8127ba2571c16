// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/photo_run.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "batch/run_framing.h"
#include "engine/folder_listing.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

// In-place edits and file times are journalled and committed a thousand at a
// time (one flush of the journal each); rewrites, whose new files are
// flushed as a group too, a few dozen at a time.
constexpr size_t kInPlaceGroup = 1024;
constexpr int kWaitStepMicroseconds = 100 * 1000;

constexpr const char* kWaiting = "Waiting for another run on this folder to finish";

// A run keeps the photos of a group open until the group is committed.
void AllowManyOpenFiles() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= 8192) return;
  limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 8192);
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

std::string AbsoluteFolder(const std::string& folder) {
  char resolved[PATH_MAX];
  if (::realpath(folder.c_str(), resolved) == nullptr) return folder;
  std::string text = resolved;
  if (text.back() != '/') text += '/';
  return text;
}

// The times a commit leaves the file with.
std::array<timespec, 2> TimesAfter(const std::array<timespec, 2>& old, const std::array<timespec, 2>& set) {
  std::array<timespec, 2> after = set;
  for (size_t i = 0; i < 2; ++i) {
    if (after[i].tv_nsec == UTIME_OMIT) after[i] = old[i];
  }
  return after;
}

JournalPhoto EntryOf(CommitGroup::Pending& p) {
  JournalPhoto entry;
  const struct stat& status = p.photo.Status();
  entry.name = FileNameOf(p.path);
  entry.device = status.st_dev;
  entry.inode = status.st_ino;
  entry.sizeBefore = p.photo.Size();
  entry.sizeAfter = entry.sizeBefore;
  entry.oldTimes = std::array<timespec, 2>{status.st_atim, status.st_mtim};
  entry.newTimes = p.edit.times ? TimesAfter(*entry.oldTimes, *p.edit.times) : *entry.oldTimes;
  if (p.edit.patch) {
    entry.patches = DifferingRuns(*p.edit.patch);
  } else if (p.edit.replacement) {
    const HeadReplacement& r = *p.edit.replacement;
    const std::span<const uint8_t> old = p.photo.Head(static_cast<size_t>(r.oldHeadLength));
    entry.oldHead.assign(old.begin(), old.end());
    entry.newHeadLength = static_cast<int64_t>(r.newHead.size());
    entry.sizeAfter = entry.sizeBefore - r.oldHeadLength + entry.newHeadLength;
    entry.hashBefore = Sha256Of(entry.oldHead);
    entry.hashAfter = Sha256Of(r.newHead);
  }
  return entry;
}

}  // namespace

PhotoRun::PhotoRun(BatchContext& context, std::string function, std::string details, CommitSteps steps)
    : context_(context),
      function_(std::move(function)),
      details_(std::move(details)),
      group_(kInPlaceGroup, std::move(steps)) {
  AllowManyOpenFiles();
}

PhotoRun::~PhotoRun() { End(); }

PhotoRun::Start PhotoRun::Begin(const std::string& folder) {
  folder_ = folder.empty() ? "./" : folder;
  if (folder_.back() != '/') folder_ += '/';
  if (DryRun()) return Start::kStarted;
  bool told = false;
  for (;;) {
    const FolderLock::Attempt attempt = lock_.TryTake(folder_);
    if (attempt == FolderLock::Attempt::kTaken) break;
    if (attempt == FolderLock::Attempt::kFailed) {
      beginError_ = lock_.error();
      return Start::kLockFailed;
    }
    if (!told) context_.ui.Notice(kWaiting);
    told = true;
    context_.ui.PumpEvents();
    if (context_.ui.CancelRequested()) {
      context_.state.CancelRequested = true;
      return Start::kCancelled;
    }
    ::usleep(kWaitStepMicroseconds);
  }
  if (const auto listing = ListFolder(folder_); listing && !listing->temporaries.empty()) {
    if (const size_t removed = RemoveStaleTemporaries(folder_, listing->temporaries); removed > 0) {
      context_.removedTemporaries += removed;
      context_.ui.Notice("Removed " + std::to_string(removed) +
                         " unfinished temporary file(s) left by an interrupted run");
    }
  }
  return StartJournal() ? Start::kStarted : Start::kJournalFailed;
}

std::string PhotoRun::StartFailureText(Start start, int error) {
  switch (start) {
    case Start::kLockFailed:
      return FolderUnreadableMessage(error);
    case Start::kJournalFailed:
      return JournalFailedMessage(error);
    case Start::kStarted:
    case Start::kCancelled:
      break;
  }
  return {};
}

bool PhotoRun::StartJournal() {
  if (context_.safety.journalFolder.empty()) return true;
  RunHeader header;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  header.id = NewRunId(now);
  header.function = function_;
  header.folder = AbsoluteFolder(folder_);
  header.details = details_;
  header.undoes = undoes_;
  runId_ = header.id;
  journal_ = JournalWriter::Create(context_.safety.journalFolder, header, beginError_);
  return journal_ != nullptr;
}

std::optional<FileStep> PhotoRun::Open(const std::string& path, bool forEdit, PhotoFile& photo) const {
  if (forEdit && !DryRun() ? photo.OpenForEdit(path) : photo.Open(path, PhotoFile::Mode::kRead)) return std::nullopt;
  switch (photo.error()) {
    case ELOOP:
      return FileStep::Failed(ListMessage::kSymbolicLink);
    case ENOENT:
      return FileStep::Failed(ListMessage::kFileNotFound);
    default:
      return FileStep::Failed(ListMessage::kCouldNotRead, photo.error());
  }
}

bool PhotoRun::GroupFull() const { return group_.Full() || rewritesPending_ >= context_.safety.groupSize; }

FileStep PhotoRun::Submit(size_t order, const std::string& path, PhotoFile photo, PhotoEdit edit, OutcomeMap map) {
  if (edit.Empty()) return FileStep::Done();
  if (DryRun()) {
    if (context_.safety.plan != nullptr) context_.safety.plan->Planned(FileNameOf(path), edit.preview);
    return FileStep::Done();
  }
  if (const PreviewPlan* expected = context_.safety.expected; expected != nullptr) {
    const auto shown = expected->find(FileNameOf(path));
    if (shown == expected->end() || shown->second != edit.preview) return FileStep::Failed(ListMessage::kNotInPreview);
  }
  if (edit.replacement) {
    ++rewritesPending_;
  } else {
    photo.ReleaseHead();
  }
  group_.Add({order, path, std::move(photo), std::move(edit)});
  maps_.push_back(std::move(map));
  if (GroupFull()) Flush();
  return FileStep::Pending();
}

void PhotoRun::Flush() {
  if (group_.Empty()) return;
  std::vector<std::pair<size_t, std::string>> photos;
  for (const CommitGroup::Pending& p : group_.Items()) photos.emplace_back(p.index, p.path);
  if (journal_) {
    // The items stay in the group until Commit; their heads are still there.
    std::vector<JournalPhoto> entries;
    for (CommitGroup::Pending& p : group_.Items()) entries.push_back(EntryOf(p));
    // Written while the group's new photos are.
    journal_->Begin(std::move(entries));
  }
  const std::vector<CommitGroup::Outcome> outcomes = group_.Commit([&] { return !journal_ || journal_->Finish(); });
  std::vector<std::string> done;
  for (size_t i = 0; i < outcomes.size(); ++i) {
    const CommitOutcome& outcome = outcomes[i].outcome;
    if (outcome.result == CommitResult::kDone || outcome.result == CommitResult::kTimesNotSet) {
      done.push_back(FileNameOf(photos[i].second));
    }
    completed_.push_back({photos[i].first, photos[i].second, maps_[i](outcome)});
  }
  if (journal_) journal_->Done(done);
  maps_.clear();
  rewritesPending_ = 0;
}

bool PhotoRun::RecordRenames(const std::vector<std::pair<std::string, std::string>>& renames) {
  if (DryRun() || !journal_) return true;
  std::vector<JournalPhoto> entries;
  for (const auto& [from, to] : renames) {
    JournalPhoto entry;
    entry.name = from;
    entry.newName = to;
    struct stat st {};
    if (::lstat((folder_ + from).c_str(), &st) == 0) {
      entry.device = st.st_dev;
      entry.inode = st.st_ino;
      entry.sizeBefore = entry.sizeAfter = st.st_size;
    }
    entries.push_back(std::move(entry));
  }
  return journal_->Append(entries);
}

void PhotoRun::RenamesDone(const std::vector<std::string>& oldNames) {
  if (journal_) journal_->Done(oldNames);
}

bool PhotoRun::RecordWipe(const std::string& name) {
  if (DryRun() || !journal_) return true;
  JournalPhoto entry;
  entry.name = name;
  entry.wiped = true;
  return journal_->Append({entry});
}

void PhotoRun::WipeDone(const std::string& name) {
  if (journal_) journal_->Done({name});
}

std::vector<PhotoRun::Completed> PhotoRun::TakeCompleted() {
  std::vector<Completed> taken;
  taken.swap(completed_);
  return taken;
}

void PhotoRun::End() {
  if (ended_) return;
  Flush();
  ended_ = true;
  if (journal_) {
    const bool nothingChanged = journal_->Changed() == 0;
    journal_->Complete();
    // A run that changed nothing has nothing to take back.
    if (nothingChanged) ::unlink(journal_->Path().c_str());
    journal_.reset();
  }
  lock_.Release();
}

}  // namespace kelvane
