// SPDX-License-Identifier: GPL-2.0-or-later
// Puts a rebuilt Exif segment in the place of the old one: over it when it
// has the old size, or by writing the photo anew when it is longer.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/engine_context.h"
#include "engine/photo_file.h"
#include "engine/photo_rewrite.h"

namespace kelvane {

// Where the old segment lies.
struct SegmentPlace {
  std::string photoName;
  int64_t photoSize = 0;
  int64_t at = 0;                     // 0-based offset of its marker
  std::span<const uint8_t> oldBytes;  // the whole old segment
};

// Writes newSegment (exactly as long as the old one) over the old segment
// through photo (open for writing). Like the other in-place edits it is not
// flushed to the device: that would cost far more than the edit on a folder
// of thousands of photos. safetyCopy, when not empty, is a copy of the whole
// photo taken before. When the write fails the photo is put back: from the
// safety copy by a complete rewrite when there is one, else by writing the
// old bytes back.
bool ReplaceSegmentInPlace(PhotoFile& photo, const SegmentPlace& place, std::span<const uint8_t> newSegment,
                           const std::string& safetyCopy);

// Writes the photo anew beside itself with the old segment replaced by the
// donor file's newLength bytes (the library's replace), flushes it and
// renames it over the photo. On failure the photo is untouched.
bool ReplaceSegmentByRewrite(const SegmentPlace& place, const std::string& donor, int64_t newLength,
                             EngineContext& context, const RewriteSteps& steps);

}  // namespace kelvane
