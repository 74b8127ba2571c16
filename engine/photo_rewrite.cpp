// SPDX-License-Identifier: GPL-2.0-or-later
#include "photo_rewrite.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace kelvane {
namespace {

std::string FolderPart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string NamePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

RewriteSteps RewriteSteps::System() {
  return {[](int fd) { return ::fsync(fd); }, [](const char* from, const char* to) { return ::rename(from, to); }};
}

PhotoRewrite::PhotoRewrite(const std::string& photo, RewriteSteps steps) : photo_(photo), steps_(std::move(steps)) {
  // A hidden name in the same folder, so the final rename stays on one file system.
  std::string pattern = FolderPart(photo) + "/." + NamePart(photo) + ".kelvane-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return;
  ::close(fd);
  newPath_ = std::move(pattern);
}

PhotoRewrite::~PhotoRewrite() {
  if (!committed_ && !newPath_.empty()) ::unlink(newPath_.c_str());
}

bool PhotoRewrite::Commit() {
  if (newPath_.empty() || committed_) return false;
  struct stat photoStat {};
  if (::stat(photo_.c_str(), &photoStat) != 0) return false;
  const int fd = ::open(newPath_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, photoStat.st_mode & 07777) == 0;
  // Only a privileged user can give the file to the photo's owner; anyone
  // else owns both already.
  if (ok && ::fchown(fd, photoStat.st_uid, photoStat.st_gid) != 0 && errno != EPERM) ok = false;
  ok = ok && steps_.sync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || steps_.rename(newPath_.c_str(), photo_.c_str()) != 0) return false;
  // The folder is not flushed: until it is, a crash leaves the old photo,
  // which is whole too; what must never be seen is a renamed, unwritten file.
  committed_ = true;
  return true;
}

}  // namespace kelvane
