// SPDX-License-Identifier: GPL-2.0-or-later
// Replaces a photo by a complete new version without ever leaving it
// half-written: the new version is written beside the photo, flushed, then
// renamed over it.
#pragma once

#include <functional>
#include <string>

namespace kelvane {

// The system calls of a rewrite, replaceable so that tests can make each
// step fail.
struct RewriteSteps {
  std::function<int(int fd)> sync;
  std::function<int(const char* from, const char* to)> rename;
  static RewriteSteps System();
};

class PhotoRewrite {
 public:
  // Prepares an empty new file in the photo's folder; Ready() tells whether
  // that worked.
  explicit PhotoRewrite(const std::string& photo, RewriteSteps steps = RewriteSteps::System());
  ~PhotoRewrite();
  PhotoRewrite(const PhotoRewrite&) = delete;
  PhotoRewrite& operator=(const PhotoRewrite&) = delete;

  bool Ready() const { return !newPath_.empty(); }
  // The new file: the caller fills it completely before Commit.
  const std::string& NewPath() const { return newPath_; }

  // Flushes the new file, gives it the photo's permissions and renames it
  // over the photo. On failure the photo is untouched and the new file is
  // removed.
  bool Commit();

 private:
  std::string photo_;
  std::string newPath_;
  RewriteSteps steps_;
  bool committed_ = false;
};

}  // namespace kelvane
