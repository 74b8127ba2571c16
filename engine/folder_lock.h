// SPDX-License-Identifier: GPL-2.0-or-later
// The exclusive lock a writing run holds on its folder, so that two runs —
// of the desktop program, the console program or both — never work on the
// same folder at once.
#pragma once

#include <string>

#include "engine/owned_fd.h"

namespace kelvane {

class FolderLock {
 public:
  enum class Attempt { kTaken, kBusy, kFailed };

  // The lock is an flock on the folder itself, opened as a directory: it
  // goes with the process, so a killed run never leaves a folder locked.
  Attempt TryTake(const std::string& folder);
  bool Held() const { return fd_.valid(); }
  int error() const { return error_; }
  void Release() { fd_.Reset(); }

 private:
  OwnedFd fd_;
  int error_ = 0;
};

}  // namespace kelvane
