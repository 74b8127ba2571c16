// SPDX-License-Identifier: GPL-2.0-or-later
// Writes worked-out edits into their photos: a patch through the descriptor
// the photo was read with, a replacement beside the photo, flushed and
// renamed over it — each only while the photo's path still names the very
// file that was read.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/atomic_replace.h"
#include "engine/photo_edit.h"
#include "engine/photo_file.h"

namespace kelvane {

enum class CommitResult {
  kDone,
  kChanged,       // the path no longer names the file that was read: left as it is
  kWriteFailed,   // the content could not be written (osError says why); the photo is as it was
  kTimesNotSet,   // written, but the file's own times could not be set
};

struct CommitOutcome {
  CommitResult result = CommitResult::kDone;
  int osError = 0;
};

// The system calls tests make fail.
struct CommitSteps {
  std::function<bool(PhotoFile& photo, int64_t offset, const std::vector<uint8_t>& bytes)> write;
  ReplaceSteps replace;
  // Flushes the whole file system holding fd (a group's new files at once);
  // when it fails, each new file is flushed on its own.
  std::function<int(int fd)> flushAll;
  static CommitSteps System();
};

// True when path still names the file open as photo, unchanged in size and
// change time since it was opened.
bool StillTheFileRead(const PhotoFile& photo, const std::string& path);

// Writes one edit and flushes a replacement before its rename (a
// single-photo run).
CommitOutcome CommitEdit(PhotoFile& photo, const std::string& path, const PhotoEdit& edit,
                         const CommitSteps& steps = CommitSteps::System());

// The edits of a folder run, committed in groups: every replacement of a
// group is written beside its photo, the group is flushed together, then
// each is renamed over its photo; a photo counts as done when its rename is.
class CommitGroup {
 public:
  explicit CommitGroup(size_t capacity, CommitSteps steps = CommitSteps::System());

  struct Pending {
    size_t index = 0;  // the caller's number for the photo
    std::string path;
    PhotoFile photo;
    PhotoEdit edit;
  };
  void Add(Pending pending) { pending_.push_back(std::move(pending)); }
  bool Full() const { return pending_.size() >= capacity_; }
  bool Empty() const { return pending_.empty(); }
  std::vector<Pending>& Items() { return pending_; }

  struct Outcome {
    size_t index = 0;
    CommitOutcome outcome;
  };
  // Writes, flushes and renames what is pending; beforeFirstChange runs
  // once the new files are written and flushed, right before the first
  // photo changes (the journal is made durable there); a false from it
  // writes nothing and fails every photo of the group.
  std::vector<Outcome> Commit(const std::function<bool()>& beforeFirstChange = {});

 private:
  size_t capacity_;
  CommitSteps steps_;
  std::vector<Pending> pending_;
};

}  // namespace kelvane
