// SPDX-License-Identifier: GPL-2.0-or-later
// What an export collects from one photo: where it is, and each tag's value
// as display text and, for the formats made for analysis, as data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/typed_value.h"

namespace kelvane {

struct CollectedValue {
  int32_t tag = 0;   // export tag number (GPS tags: kGpsTagBase + n)
  std::string text;  // as the library formats it, clean UTF-8; may be empty
  TypedValue typed;  // only when typed values were asked for
};

struct PhotoValues {
  std::string folder;  // ending with "/"
  std::string name;
  std::vector<CollectedValue> values;  // in tag-number order, one per tag
  // GPSDateStamp and GPSTimeStamp as one UTC date/time; empty when the
  // photo lacks either (typed values only).
  std::string gpsDateTime;

  // The value of tag, or nullptr.
  const CollectedValue* Find(int32_t tag) const;
  CollectedValue* Find(int32_t tag);
};

}  // namespace kelvane
