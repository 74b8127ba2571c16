// SPDX-License-Identifier: GPL-2.0-or-later
#include "pattern_search.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "file_handle.h"

namespace qmrfio {
namespace {

constexpr int64_t kBlockSize = 1 << 20;
constexpr int64_t kFirstReadSize = 4 << 10;

// Checks start against the data size and gives the offset the scan stops
// before; a negative value is the search's error code.
int64_t ScanStop(int64_t size, int32_t start, int32_t end, size_t patternLength) {
  if (size < static_cast<int64_t>(start) + static_cast<int64_t>(patternLength)) return kDataTooShort;
  if (start < 0) return kBadStart;
  const int64_t stop = (end <= 0 || end > size) ? size : end;
  // The result must fit a 32-bit offset, so the scan covers the first 2 GiB.
  return std::min<int64_t>(stop, std::numeric_limits<int32_t>::max());
}

uint8_t SwapCase(uint8_t byte) {
  if (byte >= 'A' && byte <= 'Z') return static_cast<uint8_t>(byte + ('a' - 'A'));
  if (byte >= 'a' && byte <= 'z') return static_cast<uint8_t>(byte - ('a' - 'A'));
  return byte;
}

}  // namespace

PatternScanner::PatternScanner(int32_t mode, std::string_view pattern, int64_t start)
    : pattern_(pattern), lineMode_(mode < 2), foldCase_((mode & 1) != 0), lineStart_(start) {}

bool PatternScanner::Matches(uint8_t byte, uint8_t patternByte) const {
  return byte == patternByte || (foldCase_ && SwapCase(byte) == patternByte);
}

// A mismatch restarts the match at the failing byte only: no backtracking.
bool PatternScanner::StepBinary(uint8_t byte) {
  if (Matches(byte, static_cast<uint8_t>(pattern_[matched_]))) {
    ++matched_;
  } else {
    matched_ = Matches(byte, static_cast<uint8_t>(pattern_[0])) ? 1 : 0;
  }
  return matched_ == pattern_.size();
}

// A match must begin at the first byte of a line; after a mismatch the rest
// of the line is skipped. A carriage return or line feed that is not part of
// the match ends the line.
bool PatternScanner::StepLine(uint8_t byte, int64_t offset) {
  if (!skippingLine_ && Matches(byte, static_cast<uint8_t>(pattern_[matched_]))) {
    return ++matched_ == pattern_.size();
  }
  matched_ = 0;
  if (byte == '\r' || byte == '\n') {
    skippingLine_ = false;
    lineStart_ = offset + 1;
  } else {
    skippingLine_ = true;
  }
  return false;
}

int64_t PatternScanner::Feed(const uint8_t* bytes, size_t count, int64_t offset) {
  for (size_t i = 0; i < count; ++i) {
    // Exact binary search outside a partial match: bytes other than the
    // pattern's first leave the state as it is, so jump to the next one.
    if (!lineMode_ && !foldCase_ && matched_ == 0) {
      const void* next = std::memchr(bytes + i, static_cast<uint8_t>(pattern_[0]), count - i);
      if (next == nullptr) return -1;
      i = static_cast<size_t>(static_cast<const uint8_t*>(next) - bytes);
    }
    const int64_t at = offset + static_cast<int64_t>(i);
    if (lineMode_) {
      if (StepLine(bytes[i], at)) return lineStart_;
    } else if (StepBinary(bytes[i])) {
      return at + 1 - static_cast<int64_t>(pattern_.size());
    }
  }
  return -1;
}

int32_t FindInFile(int32_t mode, int32_t start, int32_t end, std::string_view pattern, std::string_view fileName) {
  if (fileName.empty()) return kNoData;
  if (pattern.empty()) return kEmptyPattern;
  const FileHandle file = FileHandle::Open(fileName, O_RDONLY);
  if (!file.IsOpen()) return kCannotOpen;
  const int64_t size = file.Size();
  if (size < 0) return kNoData;
  const int64_t stop = ScanStop(size, start, end, pattern.size());
  if (stop < 0) return static_cast<int32_t>(stop);

  // Matches usually lie a few bytes from the start: read a small block
  // first and double the reads up to the full block size.
  const auto block =
      std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(std::clamp<int64_t>(stop - start, 0, kBlockSize)));
  PatternScanner scanner(mode, pattern, start);
  int64_t readSize = kFirstReadSize;
  for (int64_t offset = start; offset < stop;) {
    const size_t want = static_cast<size_t>(std::min(stop - offset, readSize));
    const int64_t got = ReadSome(file.fd(), offset, block.get(), want);
    if (got < 0) return kSearchFailed;
    if (got == 0) break;  // the file became shorter: end of the data
    const int64_t found = scanner.Feed(block.get(), static_cast<size_t>(got), offset);
    if (found >= 0) return static_cast<int32_t>(found);
    offset += got;
    readSize = std::min(readSize * 2, kBlockSize);
  }
  return kNotFound;
}

int32_t FindInText(int32_t mode, int32_t start, int32_t end, std::string_view pattern, std::string_view text) {
  if (text.empty()) return kNoData;
  if (pattern.empty()) return kEmptyPattern;
  const int64_t stop = ScanStop(static_cast<int64_t>(text.size()), start, end, pattern.size());
  if (stop < 0) return static_cast<int32_t>(stop);
  if (stop <= start) return kNotFound;
  PatternScanner scanner(mode, pattern, start);
  const int64_t found =
      scanner.Feed(reinterpret_cast<const uint8_t*>(text.data()) + start, static_cast<size_t>(stop - start), start);
  return found >= 0 ? static_cast<int32_t>(found) : kNotFound;
}

}  // namespace qmrfio
