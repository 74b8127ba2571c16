// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/photo_commit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace kelvane {
namespace {

bool SameInstant(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The new file of a replacement, complete but not yet renamed.
std::unique_ptr<AtomicReplace> StageReplacement(PhotoFile& photo, const std::string& path, const PhotoEdit& edit,
                                                const ReplaceSteps& steps, CommitOutcome& outcome) {
  const HeadReplacement& r = *edit.replacement;
  // A photo the user may not write is not replaced either.
  if (!photo.Writable()) {
    outcome = {CommitResult::kWriteFailed, photo.WriteRefusal()};
    return nullptr;
  }
  auto replace = std::make_unique<AtomicReplace>(path, false, steps);
  const int64_t tail = photo.Size() - r.oldHeadLength;
  const bool written = replace->Ready() && tail >= 0 && replace->Write(r.newHead) &&
                       replace->CopyFrom(photo.fd(), r.oldHeadLength, tail) &&
                       replace->TakeAttributes(photo.Status(), true) &&
                       (!edit.times || ::futimens(replace->fd(), edit.times->data()) == 0);
  if (!written) {
    outcome = {CommitResult::kWriteFailed, replace->error() != 0 ? replace->error() : EIO};
    return nullptr;
  }
  // Start writing the new photo to the disk now, while the rest of the group
  // is prepared: the group's flush then waits for less. (Only a hint: the
  // flush is what makes it durable.)
  ::sync_file_range(replace->fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
  return replace;
}

CommitOutcome SetTimes(PhotoFile& photo, const PhotoEdit& edit) {
  if (!edit.times || ::futimens(photo.fd(), edit.times->data()) == 0) return {};
  return {CommitResult::kTimesNotSet, errno};
}

CommitOutcome WritePatch(PhotoFile& photo, const std::string& path, const PhotoEdit& edit, const CommitSteps& steps) {
  const BytePatch& patch = *edit.patch;
  if (!StillTheFileRead(photo, path)) return {CommitResult::kChanged, 0};
  if (!steps.write(photo, patch.offset, patch.after)) {
    const int error = photo.error() != 0 ? photo.error() : EIO;
    // Whatever part of the span was written goes back, and so do the file's
    // times, which the attempt changed.
    steps.write(photo, patch.offset, patch.before);
    const struct timespec times[2] = {photo.Status().st_atim, photo.Status().st_mtim};
    ::futimens(photo.fd(), times);
    return {CommitResult::kWriteFailed, error};
  }
  return SetTimes(photo, edit);
}

CommitOutcome Rename(PhotoFile& photo, const std::string& path, AtomicReplace& replace) {
  bool changed = false;
  const bool renamed = replace.Commit([&] {
    changed = !StillTheFileRead(photo, path);
    return !changed;
  });
  if (renamed) return {};
  if (changed) return {CommitResult::kChanged, 0};
  return {CommitResult::kWriteFailed, replace.error() != 0 ? replace.error() : EIO};
}

}  // namespace

CommitSteps CommitSteps::System() {
  return {[](PhotoFile& photo, int64_t offset, const std::vector<uint8_t>& bytes) {
            return photo.WriteAt(offset, bytes.data(), bytes.size());
          },
          ReplaceSteps::System(), [](int fd) { return ::syncfs(fd); }};
}

bool StillTheFileRead(const PhotoFile& photo, const std::string& path) {
  const struct stat& read = photo.Status();
  struct stat now {};
  struct stat named {};
  if (photo.fd() < 0 || ::fstat(photo.fd(), &now) != 0 || ::lstat(path.c_str(), &named) != 0) return false;
  return named.st_dev == read.st_dev && named.st_ino == read.st_ino && now.st_size == read.st_size &&
         SameInstant(now.st_ctim, read.st_ctim);
}

CommitOutcome CommitEdit(PhotoFile& photo, const std::string& path, const PhotoEdit& edit, const CommitSteps& steps) {
  if (edit.patch) return WritePatch(photo, path, edit, steps);
  if (edit.replacement) {
    CommitOutcome outcome;
    const auto replace = StageReplacement(photo, path, edit, steps.replace, outcome);
    if (!replace) return outcome;
    return Rename(photo, path, *replace);
  }
  return SetTimes(photo, edit);
}

CommitGroup::CommitGroup(size_t capacity, CommitSteps steps) : capacity_(capacity), steps_(std::move(steps)) {}

std::vector<CommitGroup::Outcome> CommitGroup::Commit(const std::function<bool()>& beforeFirstChange) {
  std::vector<Outcome> outcomes(pending_.size());
  std::vector<std::unique_ptr<AtomicReplace>> staged(pending_.size());
  std::vector<bool> failed(pending_.size(), false);
  for (size_t i = 0; i < pending_.size(); ++i) {
    Pending& p = pending_[i];
    outcomes[i].index = p.index;
    if (!p.edit.replacement) continue;
    staged[i] = StageReplacement(p.photo, p.path, p.edit, steps_.replace, outcomes[i].outcome);
    failed[i] = !staged[i];
  }
  // The new files are flushed together before any rename: one flush of
  // their file system for a group, else one per file.
  size_t stagedCount = 0;
  int anyStaged = -1;
  for (size_t i = 0; i < staged.size(); ++i) {
    if (!staged[i]) continue;
    ++stagedCount;
    anyStaged = staged[i]->fd();
  }
  if (stagedCount > 1 && steps_.flushAll && steps_.flushAll(anyStaged) == 0) {
    for (auto& replace : staged) {
      if (replace) replace->Flushed();
    }
  }
  for (size_t i = 0; i < pending_.size(); ++i) {
    if (staged[i] && !staged[i]->Flush()) {
      outcomes[i].outcome = {CommitResult::kWriteFailed, staged[i]->error()};
      staged[i].reset();
      failed[i] = true;
    }
  }
  if (beforeFirstChange && !beforeFirstChange()) {
    const int error = errno != 0 ? errno : EIO;
    for (size_t i = 0; i < pending_.size(); ++i) {
      if (!failed[i]) outcomes[i].outcome = {CommitResult::kWriteFailed, error};
    }
    pending_.clear();
    return outcomes;
  }
  for (size_t i = 0; i < pending_.size(); ++i) {
    if (failed[i]) continue;
    Pending& p = pending_[i];
    if (staged[i]) {
      outcomes[i].outcome = Rename(p.photo, p.path, *staged[i]);
    } else if (p.edit.patch) {
      outcomes[i].outcome = WritePatch(p.photo, p.path, p.edit, steps_);
    } else {
      outcomes[i].outcome = SetTimes(p.photo, p.edit);
    }
  }
  pending_.clear();
  return outcomes;
}

}  // namespace kelvane
