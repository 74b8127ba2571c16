// SPDX-License-Identifier: GPL-2.0-or-later
// The one way a file is replaced by a complete new version: the new content
// goes to a hidden temporary file in the same folder, is flushed, and is
// renamed over the file. Until the rename the file is untouched; a failure,
// or the object's end before the rename, removes the temporary file.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "engine/owned_fd.h"

namespace kelvane {

// The system calls of a replacement that tests make fail.
struct ReplaceSteps {
  std::function<int(int fd)> sync;
  std::function<int(const char* from, const char* to)> rename;
  static ReplaceSteps System();
};

// Temporary files are named ".kelvane-tmp-<process id>-<random>": hidden,
// recognisable by every folder listing, and telling whose they are.
inline constexpr std::string_view kTemporaryPrefix = ".kelvane-tmp-";
bool IsTemporaryName(std::string_view name);
// The process that made a temporary file, 0 when the name does not say.
long TemporaryOwner(std::string_view name);

class AtomicReplace {
 public:
  // Prepares the new version of target (which need not exist yet). With
  // followLink, a target that is a symbolic link stays a link and the file
  // it names is replaced in its own folder.
  explicit AtomicReplace(const std::string& target, bool followLink = false,
                         ReplaceSteps steps = ReplaceSteps::System());
  ~AtomicReplace();
  AtomicReplace(const AtomicReplace&) = delete;
  AtomicReplace& operator=(const AtomicReplace&) = delete;

  bool Ready() const { return fd_.valid(); }
  // The errno of the first step that failed; 0 when none did.
  int error() const { return error_; }
  int fd() const { return fd_.get(); }
  const std::string& Target() const { return target_; }
  const std::string& TemporaryPath() const { return temporary_; }

  bool Write(std::span<const uint8_t> bytes);
  bool Write(std::string_view bytes);
  // Appends length bytes of the file open as `from`, starting at offset.
  bool CopyFrom(int from, int64_t offset, int64_t length);
  // Gives the new file the permissions and, where the user may, the owner of
  // `like`; with keepTimes its access and modification times too.
  bool TakeAttributes(const struct stat& like, bool keepTimes);
  // Flushes the new file to the device; Commit does it when not done yet.
  bool Flush();
  // The new file was flushed with others (a flush of its whole file system).
  void Flushed() { flushed_ = true; }
  // Renames the new file over the target when stillWanted (run right before
  // the rename) agrees; false otherwise, the target untouched.
  bool Commit(const std::function<bool()>& stillWanted = {});

 private:
  bool Fail(int error);

  std::string target_;
  std::string temporary_;
  ReplaceSteps steps_;
  OwnedFd fd_;
  int error_ = 0;
  bool flushed_ = false;
  bool committed_ = false;
};

}  // namespace kelvane
