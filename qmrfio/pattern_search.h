// SPDX-License-Identifier: GPL-2.0-or-later
// Finding a byte string in a file or in a text held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qmrfio {

// Results of the two searches (a found offset is 0 or more).
enum SearchCode : int32_t {
  kNotFound = -1,
  kNoData = -2,  // no file name / empty text, or the file's size is unknown
  kEmptyPattern = -3,
  kDataTooShort = -4,  // shorter than start + pattern length
  kBadStart = -5,      // start is negative
  kCannotOpen = -7,
  kSearchFailed = -8,  // the file could not be read, or no memory
};

// The byte-by-byte matcher, fed block by block; it keeps its place across
// blocks, so any block size gives the same result.
class PatternScanner {
 public:
  // mode: below 2 line mode, else binary; odd: ASCII letters match in either
  // case. The scan begins at start, which counts as the start of a line.
  PatternScanner(int32_t mode, std::string_view pattern, int64_t start);

  // Feeds the bytes found at offset onwards. Returns the result offset once
  // the pattern is found (binary: of the match, line mode: of its line),
  // else -1.
  int64_t Feed(const uint8_t* bytes, size_t count, int64_t offset);

 private:
  bool Matches(uint8_t byte, uint8_t patternByte) const;
  bool StepBinary(uint8_t byte);
  bool StepLine(uint8_t byte, int64_t offset);

  std::string_view pattern_;
  bool lineMode_;
  bool foldCase_;
  size_t matched_ = 0;
  int64_t lineStart_;
  bool skippingLine_ = false;
};

int32_t FindInFile(int32_t mode, int32_t start, int32_t end, std::string_view pattern, std::string_view fileName);
int32_t FindInText(int32_t mode, int32_t start, int32_t end, std::string_view pattern, std::string_view text);

}  // namespace qmrfio
