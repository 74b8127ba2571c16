// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/utility_functions.h"

namespace kelvane {
namespace {

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

}  // namespace

ScratchFile::ScratchFile() {
  const std::string folder = TemporaryFolder();
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    // A file system without unnamed files: a named one, unlinked at once.
    std::string name = folder + "/kelvane-export-XXXXXX";
    std::vector<char> path(name.begin(), name.end());
    path.push_back('\0');
    fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(path.data());
  }
  if (fd < 0) {
    error_ = errno;
    return;
  }
  fd_.Reset(fd);
}

bool ScratchFile::Append(std::string_view bytes) {
  if (!ok()) return false;
  buffer_.append(bytes);
  return buffer_.size() < kBufferLimit || Flush();
}

bool ScratchFile::Flush() {
  if (!ok()) return false;
  errno = 0;
  if (!WriteAll(fd_.get(), buffer_)) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  written_ += buffer_.size();
  buffer_.clear();
  return true;
}

bool ScratchFile::ReadAt(uint64_t offset, void* out, size_t length) const {
  auto* bytes = static_cast<char*>(out);
  while (length > 0) {
    const ssize_t n = ::pread(fd_.get(), bytes, length, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    offset += static_cast<uint64_t>(n);
    length -= static_cast<size_t>(n);
  }
  return true;
}

ScratchReader::ScratchReader(const ScratchFile& file, uint64_t start, uint64_t end)
    : file_(file), position_(start), end_(end) {}

bool ScratchReader::Read(void* out, size_t length) {
  auto* bytes = static_cast<char*>(out);
  while (length > 0) {
    if (next_ == buffer_.size()) {
      if (position_ >= end_) return false;
      const size_t chunk = static_cast<size_t>(std::min<uint64_t>(kChunk, end_ - position_));
      buffer_.resize(chunk);
      if (!file_.ReadAt(position_, buffer_.data(), chunk)) return false;
      position_ += chunk;
      next_ = 0;
    }
    const size_t take = std::min(length, buffer_.size() - next_);
    std::memcpy(bytes, buffer_.data() + next_, take);
    next_ += take;
    bytes += take;
    length -= take;
  }
  return true;
}

}  // namespace kelvane
