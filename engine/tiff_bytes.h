// SPDX-License-Identifier: GPL-2.0-or-later
// Numbers of a TIFF structure held in memory, read and written in its byte
// order. Every read is checked against the end of the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvane {

class TiffBytes {
 public:
  TiffBytes(std::span<const uint8_t> bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

  size_t size() const { return bytes_.size(); }
  bool bigEndian() const { return bigEndian_; }
  std::span<const uint8_t> bytes() const { return bytes_; }

  // True when [offset, offset + length) lies inside the bytes; written so
  // that no sum can wrap.
  bool Holds(uint64_t offset, uint64_t length) const {
    return length <= bytes_.size() && offset <= bytes_.size() - length;
  }

  bool U16(uint64_t offset, uint16_t& out) const {
    if (!Holds(offset, 2)) return false;
    out = Get16(bytes_.data() + offset, bigEndian_);
    return true;
  }

  bool U32(uint64_t offset, uint32_t& out) const {
    if (!Holds(offset, 4)) return false;
    out = Get32(bytes_.data() + offset, bigEndian_);
    return true;
  }

  static uint16_t Get16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
  }

  static uint32_t Get32(const uint8_t* p, bool bigEndian) {
    return bigEndian ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                     : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }

  static void Put16(uint8_t* p, uint16_t v, bool bigEndian) {
    if (bigEndian) {
      p[0] = static_cast<uint8_t>(v >> 8);
      p[1] = static_cast<uint8_t>(v);
    } else {
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(v >> 8);
    }
  }

  static void Put32(uint8_t* p, uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
      p[bigEndian ? 3 - i : i] = static_cast<uint8_t>(v >> (8 * i));
    }
  }

 private:
  std::span<const uint8_t> bytes_;
  bool bigEndian_;
};

}  // namespace kelvane
