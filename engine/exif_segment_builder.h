// SPDX-License-Identifier: GPL-2.0-or-later
// Makes the new Exif TIFF structure from a walked old one with one tag
// added, replaced or removed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/exif_directory_walk.h"

namespace kelvane {

// The change to one tag.
struct TagEdit {
  uint16_t tag = 0;
  // Where the tag belongs: IFD0 or the Exif IFD. A copy of it met in the
  // other of the two goes too, so that one copy remains.
  IfdKind directory = IfdKind::kIfd0;
  bool remove = false;
  // The new entry, when not removing.
  uint16_t type = 0;
  uint32_t count = 0;
  std::array<uint8_t, 4> field{};  // a value of 4 bytes or less, as stored
  std::span<const uint8_t> value;  // a value of more than 4 bytes
};

// Builds the new structure into out, starting with the TIFF header.
//
// Maker notes (and some other blocks) hold offsets of their own into the
// structure, pointing at their own bytes and sometimes at bytes around
// them, so nothing that stays is moved: the old structure is kept byte for
// byte except for
// - IFD0 and the Exif IFD, written again with the tag's entry changed and
//   the kDropped entries left out (as are the other directories holding
//   kDropped entries); a directory that no longer fits its old place moves
//   to the free room and its pointer (header, Exif IFD pointer) follows;
// - the new value, written over the old one when it fits there, else in the
//   free room;
// - the bytes nothing uses any more (old value, old directory), set to zero.
// The free room is the run of zero bytes at the end of the old structure
// behind everything in use; what does not fit there makes the structure
// longer. A new entry goes where its tag keeps the directory in ascending
// order; new blocks start at even offsets.
//
enum class BuildResult { kBuilt, kTooLong, kTooManyEntries };

// kTooLong when the result would be longer than maxLength, kTooManyEntries
// when a directory would hold more than kMaxIfdEntries entries.
BuildResult BuildExifStructure(std::span<const uint8_t> oldTiff, const ExifStructure& structure, const TagEdit& edit,
                        size_t maxLength, std::vector<uint8_t>& out);

}  // namespace kelvane
