#include "photo_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace kelvane {

PhotoFile::~PhotoFile() { Close(); }

PhotoFile::PhotoFile(PhotoFile&& other) noexcept { *this = std::move(other); }

PhotoFile& PhotoFile::operator=(PhotoFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, -1);
    blockStart_ = other.blockStart_;
    block_ = std::move(other.block_);
  }
  return *this;
}

bool PhotoFile::Open(const std::string& path, Mode mode) {
  Close();
  const int flags = (mode == Mode::kRead ? O_RDONLY : O_RDWR) | O_CLOEXEC;
  do {
    fd_ = ::open(path.c_str(), flags);
  } while (fd_ < 0 && errno == EINTR);
  return fd_ >= 0;
}

void PhotoFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = -1;
  block_.clear();
  blockStart_ = 0;
}

int64_t PhotoFile::Size() {
  if (size_ < 0 && fd_ >= 0) {
    struct stat st {};
    if (::fstat(fd_, &st) == 0) size_ = st.st_size;
  }
  return size_;
}

bool PhotoFile::Fill(int64_t offset) {
  block_.resize(kBlockSize);
  size_t got = 0;
  while (got < kBlockSize) {
    const ssize_t n = ::pread(fd_, block_.data() + got, kBlockSize - got,
                              static_cast<off_t>(offset + static_cast<int64_t>(got)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      block_.clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  block_.resize(got);
  blockStart_ = offset;
  return true;
}

bool PhotoFile::ReadAt(int64_t offset, void* out, size_t length) {
  if (fd_ < 0 || offset < 0) return false;
  auto* dest = static_cast<uint8_t*>(out);
  while (length > 0) {
    const int64_t blockEnd = blockStart_ + static_cast<int64_t>(block_.size());
    if (offset < blockStart_ || offset >= blockEnd) {
      if (!Fill(offset) || block_.empty()) return false;
      continue;
    }
    const size_t inBlock = static_cast<size_t>(offset - blockStart_);
    const size_t take = std::min(length, block_.size() - inBlock);
    std::memcpy(dest, block_.data() + inBlock, take);
    dest += take;
    offset += static_cast<int64_t>(take);
    length -= take;
  }
  return true;
}

bool PhotoFile::WriteAt(int64_t offset, const void* data, size_t length) {
  if (fd_ < 0 || offset < 0) return false;
  const auto* src = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pwrite(fd_, src + done, length - done,
                               static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      block_.clear();
      size_ = -1;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  // Keep the cached block in step with what is now on disk.
  const int64_t blockEnd = blockStart_ + static_cast<int64_t>(block_.size());
  const int64_t end = offset + static_cast<int64_t>(length);
  if (end > blockEnd || offset < blockStart_) {
    block_.clear();
  } else {
    std::memcpy(block_.data() + (offset - blockStart_), src, length);
  }
  if (size_ >= 0 && end > size_) size_ = end;
  return true;
}

bool PhotoFile::Sync() { return fd_ >= 0 && ::fsync(fd_) == 0; }

}  // namespace kelvane
