// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/staged_text_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr int kNameAttempts = 16;

std::string FolderPart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string NamePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Sixteen random hexadecimal digits, or nothing when no randomness is to be had.
std::string RandomSuffix() {
  uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) return {};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
  return text;
}

}  // namespace

StagedTextFile::StagedTextFile(std::string target) : target_(std::move(target)) {}

StagedTextFile::~StagedTextFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
}

bool StagedTextFile::Open() {
  if (fd_ >= 0 || !tempPath_.empty()) return false;
  // A hidden name in the target's folder keeps the final rename on one file
  // system. O_EXCL with mode 0666 gives the file the permissions of any new
  // file (the umask applies), which mkstemp's 0600 would not.
  const std::string stem = FolderPart(target_) + "/." + NamePart(target_) + ".kelvane-";
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string suffix = RandomSuffix();
    if (suffix.empty()) return false;
    const std::string path = stem + suffix;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fd_ = fd;
      tempPath_ = path;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool StagedTextFile::Flush() {
  if (!WriteAll(fd_, buffer_)) {
    failed_ = true;
    return false;
  }
  buffer_.clear();
  return true;
}

bool StagedTextFile::WriteLine(std::string_view line) {
  if (fd_ < 0 || failed_) return false;
  buffer_ += line;
  buffer_ += kLineEnd;
  return buffer_.size() < kBufferLimit || Flush();
}

bool StagedTextFile::Finish() {
  if (fd_ < 0 || failed_) return false;
  bool ok = Flush() && ::fsync(fd_) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  finished_ = ok;
  return ok;
}

bool StagedTextFile::Commit() {
  if (!finished_ || committed_) return false;
  if (::rename(tempPath_.c_str(), target_.c_str()) != 0) return false;
  committed_ = true;
  SyncFolder(FolderPart(target_));
  return true;
}

}  // namespace kelvane
