// SPDX-License-Identifier: GPL-2.0-or-later
// The tag records the text tag writer's tests hand to WriteExifTag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/exif_reader.h"

namespace kelvane::test {

// An ASCII value of the slot's tag, bytes as stored (a closing NUL included).
inline ExifTagRecord StoredText(int slot, const std::string& bytes) {
  ExifTagRecord r;
  r.tag = kSlotTags[static_cast<size_t>(slot)];
  r.type = 2;
  r.count = r.byteLength = static_cast<int32_t>(bytes.size());
  r.text = bytes;
  return r;
}

// An ASCII value of the slot's tag with its closing NUL added.
inline ExifTagRecord Text(int slot, const std::string& withoutNul) { return StoredText(slot, withoutNul + '\0'); }

// The request to delete the slot's tag.
inline ExifTagRecord Removal(int slot) {
  ExifTagRecord r;
  r.tag = kSlotTags[static_cast<size_t>(slot)];
  return r;
}

}  // namespace kelvane::test
