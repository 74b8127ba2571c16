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

#include "engine/xmp_packet.h"

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
  // With the option to keep XMP in step: why the photo's XMP could not be
  // brought in step (the rest of the edit goes ahead); empty when it was, or
  // when there was none.
  std::string xmpProblem;
  // The XMP edits the change implies, for the photo's sidecars.
  std::optional<XmpEdits> xmp;
  std::optional<BytePatch> patch;
  std::optional<HeadReplacement> replacement;
  // The file's own access and modification times to set once the content
  // is written (UTIME_OMIT leaves one as it is).
  std::optional<std::array<timespec, 2>> times;
  std::vector<PreviewLine> preview;

  bool WritesContent() const { return patch.has_value() || replacement.has_value(); }
  bool Empty() const { return !WritesContent() && !times.has_value(); }
};

class PhotoFile;

// A change to a photo's head: `length` bytes at `offset` of the photo as it
// is replaced by `bytes`.
struct HeadSplice {
  int64_t offset = 0;
  int64_t length = 0;
  std::vector<uint8_t> bytes;
};

// Turns splices of the photo's head (none overlapping another) into the
// edit's content: when the photo keeps its length, one patch over the span
// where old and new bytes differ (nothing when none do); otherwise, or with
// rewrite, the head written anew up to the end of the last splice. False
// when the head can't be read that far.
bool EditFromSplices(PhotoFile& photo, std::vector<HeadSplice> splices, bool rewrite, PhotoEdit& edit);

}  // namespace kelvane
