// SPDX-License-Identifier: GPL-2.0-or-later
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
    blockLength_ = std::exchange(other.blockLength_, 0);
    fills_ = other.fills_;
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
  blockStart_ = 0;
  blockLength_ = 0;
  fills_ = 0;
}

int64_t PhotoFile::Size() {
  if (size_ < 0 && fd_ >= 0) {
    struct stat st {};
    if (::fstat(fd_, &st) == 0) size_ = st.st_size;
  }
  return size_;
}

bool PhotoFile::Fill(int64_t offset) {
  if (!block_) block_ = std::make_unique<uint8_t[]>(kBlockSize);
  const size_t want = fills_++ == 0 ? kFirstBlockSize : kBlockSize;
  blockLength_ = 0;
  ssize_t n;
  do {
    n = ::pread(fd_, block_.get(), want, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  if (n < 0) return false;
  // A short read ends the block; a later read past it asks the file again.
  blockStart_ = offset;
  blockLength_ = static_cast<size_t>(n);
  return true;
}

bool PhotoFile::ReadAt(int64_t offset, void* out, size_t length) {
  if (fd_ < 0 || offset < 0) return false;
  auto* dest = static_cast<uint8_t*>(out);
  while (length > 0) {
    const int64_t blockEnd = blockStart_ + static_cast<int64_t>(blockLength_);
    if (offset < blockStart_ || offset >= blockEnd) {
      if (!Fill(offset) || blockLength_ == 0) return false;
      continue;
    }
    const size_t inBlock = static_cast<size_t>(offset - blockStart_);
    const size_t take = std::min(length, blockLength_ - inBlock);
    std::memcpy(dest, block_.get() + inBlock, take);
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
    const ssize_t n = ::pwrite(fd_, src + done, length - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      blockLength_ = 0;
      size_ = -1;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  // Keep the cached block in step with what is now on disk.
  const int64_t blockEnd = blockStart_ + static_cast<int64_t>(blockLength_);
  const int64_t end = offset + static_cast<int64_t>(length);
  if (offset >= blockStart_ && end <= blockEnd) {
    std::memcpy(block_.get() + (offset - blockStart_), src, length);
  } else if (end > blockStart_ && offset < blockEnd) {
    blockLength_ = 0;  // partly cached: read it afresh next time
  }
  if (size_ >= 0 && end > size_) size_ = end;
  return true;
}

}  // namespace kelvane
