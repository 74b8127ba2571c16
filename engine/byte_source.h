// SPDX-License-Identifier: GPL-2.0-or-later
// Bytes to decode, from a file or from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kelvane {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Length in bytes, or -1 when it can't be told.
  virtual int64_t Size() = 0;
  // Copies all `length` bytes at 0-based `offset`, or fails and copies nothing.
  virtual bool ReadAt(int64_t offset, void* out, size_t length) = 0;
};

class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  bool ReadAt(int64_t offset, void* out, size_t length) override {
    if (offset < 0 || length > bytes_.size() || static_cast<uint64_t>(offset) > bytes_.size() - length) return false;
    if (length > 0) std::memcpy(out, bytes_.data() + offset, length);
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace kelvane
