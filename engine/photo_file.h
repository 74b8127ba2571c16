// SPDX-License-Identifier: GPL-2.0-or-later
// An open file with buffered, bounds-checked positioned access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kelvane {

// Reads are served from one cached block so that walking a directory byte
// group by byte group costs no system call per read. Offsets are 0-based.
// Every read either delivers all requested bytes or fails; nothing is read
// past the end of the file.
class PhotoFile {
 public:
  enum class Mode { kRead, kReadWrite };

  PhotoFile() = default;
  ~PhotoFile();
  PhotoFile(PhotoFile&& other) noexcept;
  PhotoFile& operator=(PhotoFile&& other) noexcept;
  PhotoFile(const PhotoFile&) = delete;
  PhotoFile& operator=(const PhotoFile&) = delete;

  // Opens path; IsOpen() tells whether it worked.
  bool Open(const std::string& path, Mode mode);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // Length of the file in bytes, or -1 when it can't be determined.
  int64_t Size();

  bool ReadAt(int64_t offset, void* out, size_t length);
  bool ReadByte(int64_t offset, uint8_t& out) { return ReadAt(offset, &out, 1); }
  // Writes all bytes at offset (the cache is kept in step).
  bool WriteAt(int64_t offset, const void* data, size_t length);

 private:
  // Most Exif segments end within the first few KiB: the first read of a
  // file is small, later ones larger.
  static constexpr size_t kFirstBlockSize = 16 * 1024;
  static constexpr size_t kBlockSize = 64 * 1024;

  bool Fill(int64_t offset);

  int fd_ = -1;
  int64_t size_ = -1;
  int64_t blockStart_ = 0;
  size_t blockLength_ = 0;  // valid bytes of block_ from blockStart_
  size_t fills_ = 0;
  std::unique_ptr<uint8_t[]> block_;
};

}  // namespace kelvane
