// SPDX-License-Identifier: GPL-2.0-or-later
// Reads every entry of the directories of an Exif TIFF structure held in
// memory: IFD0, the Exif IFD, the GPS IFD, the interoperability IFD and IFD1
// with its thumbnail. Each directory is read at most once and every offset
// is checked against the end of the structure, so that a rebuild knows every
// byte that is in use.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/tiff_decoder.h"

namespace kelvane {

enum class IfdKind : int { kIfd0 = 0, kExif, kGps, kInterop, kIfd1 };
inline constexpr int kIfdKindCount = 5;

// What an entry is to a rebuild.
enum class EntryRole : uint8_t {
  kPlain,           // carried as it is
  kExifPointer,     // 0x8769 in IFD0: the Exif IFD's offset
  kGpsPointer,      // 0x8825 in IFD0: the GPS IFD's offset
  kInteropPointer,  // 0xA005 in the Exif IFD: the interoperability IFD's offset
  kDropped,         // a directory pointer that leads nowhere a reader should go: left out
};

struct IfdEntry : TiffEntry {
  uint32_t valueOffset = 0;  // where the value lies, when it is out of line
  EntryRole role = EntryRole::kPlain;
};

struct Ifd {
  bool present = false;
  uint32_t offset = 0;
  std::vector<IfdEntry> entries;
};

// A run of bytes of the structure, by offset from the TIFF header.
struct DataSpan {
  uint32_t offset = 0;
  uint32_t length = 0;
};

struct ExifStructure {
  ByteOrder order = ByteOrder::kLittleEndian;
  uint32_t ifd0Offset = 0;
  std::array<Ifd, kIfdKindCount> ifds{};
  // IFD1's thumbnail: the JPEG thumbnail, or one span per strip.
  std::vector<DataSpan> thumbnail;

  Ifd& operator[](IfdKind kind) { return ifds[static_cast<size_t>(kind)]; }
  const Ifd& operator[](IfdKind kind) const { return ifds[static_cast<size_t>(kind)]; }
};

enum class WalkResult {
  kOk,
  kBadHeader,  // not "II"/"MM" followed by 42
  kMalformed,  // a directory or value that can't be used
};

inline constexpr int kMaxIfdEntries = 200;

// Walks the structure that starts with the TIFF header at tiff[0].
// kMalformed when IFD0 or the Exif IFD can't be read, a directory holds more
// than kMaxIfdEntries entries, an entry has an unknown type, or a value or
// the thumbnail lies (partly) outside the bytes. A GPS, interoperability or
// IFD1 directory that can't be reached (pointer of the wrong form, offset
// outside the bytes or inside the header, a directory already read) is not
// read and its pointer is marked kDropped; so are the Exif, GPS and
// interoperability pointers met in a directory that does not own them, and
// a second pointer of the same tag. An Exif IFD pointer of the wrong form or
// with offset 0 counts as no Exif IFD.
WalkResult WalkExifDirectories(std::span<const uint8_t> tiff, ExifStructure& out);

}  // namespace kelvane
