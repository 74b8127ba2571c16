// SPDX-License-Identifier: GPL-2.0-or-later
// An owned file descriptor and whole-block reads and writes on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qmrfio {

// A zero-terminated argument that may be a null pointer (read as empty).
std::string_view ArgumentText(const char* text);

// A created file may be read and written by everyone the umask allows.
inline constexpr unsigned kNewFileMode = 0666;

class FileHandle {
 public:
  FileHandle() = default;
  ~FileHandle();
  FileHandle(FileHandle&& other) noexcept;
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Opens name with the open(2) flags (close-on-exec and non-blocking added,
  // so a FIFO given by name can't stall the call); mode applies when the
  // file is created. IsOpen() tells whether it worked.
  static FileHandle Open(std::string_view name, int flags, unsigned mode = kNewFileMode);

  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  bool IsRegularFile() const;
  // Length in bytes, or -1 when it can't be determined.
  int64_t Size() const;

  // Closes the file; false when the system reports an error (for files
  // written, a late write failure).
  bool Close();

 private:
  int fd_ = -1;
};

// Reads exactly length bytes at offset; false on an error, a negative offset
// or when the file ends first.
bool ReadExactly(int fd, int64_t offset, uint8_t* out, size_t length);
// Reads up to length bytes at offset: the count read, 0 at the end of the
// file, -1 on an error.
int64_t ReadSome(int fd, int64_t offset, uint8_t* out, size_t length);
// Writes all bytes at the file's current position (the end, for files opened
// for appending).
bool WriteAll(int fd, const uint8_t* data, size_t length);
// Writes all bytes at offset.
bool WriteAllAt(int fd, int64_t offset, const uint8_t* data, size_t length);

}  // namespace qmrfio
