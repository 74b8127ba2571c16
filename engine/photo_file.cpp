// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/photo_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kelvane {
namespace {

// Most Exif segments end within the first tens of KiB: one read of this
// size usually holds the whole head.
constexpr size_t kFirstRead = 64 * 1024;

// Reads until length bytes are in or the file ends; the count read, -1 on error.
ssize_t ReadFully(int fd, int64_t offset, uint8_t* out, size_t length) {
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(fd, out + done, length - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

PhotoFile PhotoFile::InMemory(std::vector<uint8_t> bytes) {
  PhotoFile file;
  file.memory_ = true;
  file.size_ = static_cast<int64_t>(bytes.size());
  file.head_.assign(bytes.begin(), bytes.end());
  return file;
}

bool PhotoFile::Open(const std::string& path, Mode mode, int folder) {
  Close();
  const int access = mode == Mode::kRead ? O_RDONLY : O_RDWR;
  int fd;
  do {
    // O_NONBLOCK keeps a FIFO opened by mistake from blocking; it is left
    // on, as it changes nothing for the regular files that are kept.
    fd = ::openat(folder >= 0 ? folder : AT_FDCWD, path.c_str(), access | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  OwnedFd owned(fd);
  if (::fstat(fd, &status_) != 0) {
    error_ = errno;
    return false;
  }
  if (!S_ISREG(status_.st_mode)) {
    error_ = EINVAL;
    return false;
  }
  fd_ = std::move(owned);
  size_ = status_.st_size;
  return true;
}

bool PhotoFile::OpenForEdit(const std::string& path, int folder) {
  if (Open(path, Mode::kReadWrite, folder)) return true;
  const int refusal = error_;
  if (refusal != EACCES && refusal != EROFS && refusal != EPERM && refusal != ETXTBSY) return false;
  if (!Open(path, Mode::kRead, folder)) return false;
  writeRefusal_ = refusal;
  return true;
}

void PhotoFile::Close() {
  fd_.Reset();
  memory_ = false;
  size_ = -1;
  error_ = 0;
  writeRefusal_ = 0;
  status_ = {};
  head_.clear();
}

bool PhotoFile::GrowHead(size_t length) {
  if (memory_ || !fd_.valid()) return head_.size() >= length;
  const size_t want = std::min<size_t>(std::max({length, head_.size() * 2, kFirstRead}), kHeadLimit);
  const size_t have = head_.size();
  if (want <= have) return false;
  head_.resize(want);
  const ssize_t got = ReadFully(fd_.get(), static_cast<int64_t>(have), head_.data() + have, want - have);
  if (got < 0) {
    error_ = errno;
    head_.resize(have);
    return false;
  }
  head_.resize(have + static_cast<size_t>(got));
  return head_.size() >= length;
}

bool PhotoFile::ReadAt(int64_t offset, void* out, size_t length) {
  if (!IsOpen() || offset < 0 || static_cast<uint64_t>(length) > static_cast<uint64_t>(size_) ||
      offset > size_ - static_cast<int64_t>(length)) {
    return false;
  }
  const auto end = static_cast<size_t>(offset) + length;
  if (end <= head_.size() || (end <= kHeadLimit && GrowHead(end))) {
    if (length > 0) std::memcpy(out, head_.data() + offset, length);
    return true;
  }
  // A photo that gave a read error once is not trusted for the rest of the
  // pass: its answer is the error, not what a retry happens to return.
  if (memory_ || !fd_.valid() || error_ != 0) return false;
  const ssize_t got = ReadFully(fd_.get(), offset, static_cast<uint8_t*>(out), length);
  if (got < 0) error_ = errno;
  return got == static_cast<ssize_t>(length);
}

std::span<const uint8_t> PhotoFile::Head(size_t length) {
  const size_t wanted = std::min<size_t>(length, size_ < 0 ? 0 : static_cast<size_t>(size_));
  if (head_.size() < wanted) GrowHead(wanted);
  return std::span<const uint8_t>(head_).first(std::min(wanted, head_.size()));
}

bool PhotoFile::WriteAt(int64_t offset, const void* data, size_t length) {
  if (!fd_.valid() || offset < 0) return false;
  if (writeRefusal_ != 0) {
    error_ = writeRefusal_;
    return false;
  }
  const auto* src = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < length) {
    const ssize_t n =
        ::pwrite(fd_.get(), src + done, length - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : ENOSPC;
      head_.clear();
      return false;
    }
    done += static_cast<size_t>(n);
  }
  // Keep the head in step with what is now in the file.
  const int64_t end = offset + static_cast<int64_t>(length);
  if (offset < static_cast<int64_t>(head_.size())) {
    const size_t inHead = std::min(static_cast<size_t>(end), head_.size()) - static_cast<size_t>(offset);
    std::memcpy(head_.data() + offset, src, inHead);
  }
  size_ = std::max(size_, end);
  return true;
}

}  // namespace kelvane
