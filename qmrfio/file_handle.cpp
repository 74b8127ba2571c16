// SPDX-License-Identifier: GPL-2.0-or-later
#include "file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace qmrfio {

std::string_view ArgumentText(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text);
}

FileHandle::~FileHandle() { Close(); }

FileHandle::FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileHandle FileHandle::Open(std::string_view name, int flags, unsigned mode) {
  FileHandle file;
  if (name.empty()) return file;
  const std::string path(name);
  do {
    file.fd_ = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
  } while (file.fd_ < 0 && errno == EINTR);
  return file;
}

bool FileHandle::IsRegularFile() const {
  struct stat st {};
  return fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
}

int64_t FileHandle::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool FileHandle::Close() {
  if (fd_ < 0) return true;
  // The descriptor is gone after close(2) even when it reports EINTR.
  return ::close(std::exchange(fd_, -1)) == 0 || errno == EINTR;
}

int64_t ReadSome(int fd, int64_t offset, uint8_t* out, size_t length) {
  if (offset < 0) return -1;
  for (;;) {
    const ssize_t n = ::pread(fd, out, length, static_cast<off_t>(offset));
    if (n >= 0) return static_cast<int64_t>(n);
    if (errno != EINTR) return -1;
  }
}

bool ReadExactly(int fd, int64_t offset, uint8_t* out, size_t length) {
  size_t done = 0;
  while (done < length) {
    const int64_t n = ReadSome(fd, offset + static_cast<int64_t>(done), out + done, length - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t length) {
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::write(fd, data + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAllAt(int fd, int64_t offset, const uint8_t* data, size_t length) {
  if (offset < 0) return false;
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pwrite(fd, data + done, length - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace qmrfio
