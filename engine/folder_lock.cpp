// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

namespace kelvane {

FolderLock::Attempt FolderLock::TryTake(const std::string& folder) {
  if (fd_.valid()) return Attempt::kTaken;
  OwnedFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) {
    error_ = errno;
    return Attempt::kFailed;
  }
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    error_ = errno;
    return errno == EWOULDBLOCK ? Attempt::kBusy : Attempt::kFailed;
  }
  fd_ = std::move(fd);
  error_ = 0;
  return Attempt::kTaken;
}

}  // namespace kelvane
