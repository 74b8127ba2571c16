// SPDX-License-Identifier: GPL-2.0-or-later
// An unnamed file in the temporary folder that an export writes what it
// can't keep in memory to (photo values, worksheet parts) and reads back.
// It has no name, so it goes with the process whatever way it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/owned_fd.h"

namespace kelvane {

class ScratchFile {
 public:
  // Made in $TMPDIR (else /tmp); ok() is false, and error() says why, when
  // no file could be made there.
  ScratchFile();
  ScratchFile(ScratchFile&&) noexcept = default;
  ScratchFile& operator=(ScratchFile&&) noexcept = default;

  bool ok() const { return fd_.valid() && error_ == 0; }
  int error() const { return error_; }
  int fd() const { return fd_.get(); }

  // Appends bytes (buffered); false once a write has failed.
  bool Append(std::string_view bytes);
  // Writes the buffer out; needed before reading what was appended.
  bool Flush();
  // Bytes appended so far.
  uint64_t Size() const { return written_ + buffer_.size(); }
  // Reads exactly length bytes at offset of what was flushed.
  bool ReadAt(uint64_t offset, void* out, size_t length) const;

 private:
  static constexpr size_t kBufferLimit = 256 * 1024;

  OwnedFd fd_;
  int error_ = 0;
  std::string buffer_;
  uint64_t written_ = 0;
};

// Reads a scratch file from a position on, through a buffer.
class ScratchReader {
 public:
  ScratchReader(const ScratchFile& file, uint64_t start, uint64_t end);
  // Exactly length bytes, or false at the end or on a read error.
  bool Read(void* out, size_t length);
  bool AtEnd() const { return position_ >= end_ && next_ == buffer_.size(); }

 private:
  static constexpr size_t kChunk = 256 * 1024;

  const ScratchFile& file_;
  uint64_t position_;
  uint64_t end_;
  std::string buffer_;
  size_t next_ = 0;
};

}  // namespace kelvane
