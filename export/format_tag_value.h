// SPDX-License-Identifier: GPL-2.0-or-later
// Turns one tag value into the text that goes into an export, by the tag's
// formatting rule in the tag library and its unit.
#pragma once

#include <cstdint>
#include <string>

#include "export/tag_library.h"
#include "export/tag_value.h"

namespace kelvane {

// Status of a formatted value.
namespace format_status {
inline constexpr int32_t kNormal = 0;
// The text is one of the fixed "content interpretation" notices; the export
// shows "[]" for any status below -1.
inline constexpr int32_t kFixedText = -2;
// Added to the status when the library has no usable unit texts.
inline constexpr int32_t kNoUnitsPenalty = -1;
}  // namespace format_status

struct FormattedValue {
  std::string text;
  int32_t status = format_status::kNormal;
};

// Formats a decoded value of the tag. A tag without a record is formatted by
// its Exif type alone, with no unit. Never fails: a step that can't produce
// its text leaves it empty, and an enumeration without a text for the value
// reads "[Undefined: TTTT:value]".
FormattedValue FormatTagValue(const TagLibrary& library, int32_t tagNumber, const TagValue& value);

// Formats a value as read from a directory entry. A value of more than
// valueCharLimit bytes is not decoded: its text is
// "<Not shown as is too long (N bytes) >" and raw.bytes may be empty then.
FormattedValue FormatTagValue(const TagLibrary& library, int32_t tagNumber, const RawTagValue& raw,
                              int64_t valueCharLimit);

}  // namespace kelvane
