// SPDX-License-Identifier: GPL-2.0-or-later
// A change to one photo, worked out completely before anything is written:
// what a preview shows, what a journal keeps to take it back, and what the
// commit writes are the same object.
#pragma once

#include <time.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

// An overwrite of equal length inside the photo: one write of one span.
struct BytePatch {
  int64_t offset = 0;
  std::vector<uint8_t> before;
  std::vector<uint8_t> after;
};

// The photo written anew: newHead in the place of its first oldHeadLength
// bytes, everything after them carried over unchanged.
struct HeadReplacement {
  int64_t oldHeadLength = 0;
  std::vector<uint8_t> newHead;
};

// One line of a preview: which value of the photo, now and after.
struct PreviewLine {
  std::string field;
  std::string before;
  std::string after;
  bool operator==(const PreviewLine&) const = default;
};

struct PhotoEdit {
  std::optional<BytePatch> patch;
  std::optional<HeadReplacement> replacement;
  // The file's own access and modification times to set once the content
  // is written (UTIME_OMIT leaves one as it is).
  std::optional<std::array<timespec, 2>> times;
  std::vector<PreviewLine> preview;

  bool WritesContent() const { return patch.has_value() || replacement.has_value(); }
  bool Empty() const { return !WritesContent() && !times.has_value(); }
};

}  // namespace kelvane
