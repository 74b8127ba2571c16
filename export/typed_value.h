// SPDX-License-Identifier: GPL-2.0-or-later
// Tag values as data rather than display text, for the formats made for
// analysis (JSON, the typed table of the database): counts as integers,
// rationals as decimals, dates as ISO 8601, texts as UTF-8, other byte
// blocks as hexadecimal, GPS coordinates as signed decimal degrees.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/tag_library.h"
#include "export/tag_value.h"

namespace kelvane {

struct TypedValue {
  enum class Kind : uint8_t {
    kNone,     // nothing to give (a rational 0/0, an unreadable value)
    kInteger,  // integer
    kReal,     // real
    kText,     // text (UTF-8)
    kDate,     // text: an ISO 8601 date and/or time
    kList,     // numbers: several elements; integers when listIntegers
  };
  Kind kind = Kind::kNone;
  int64_t integer = 0;
  double real = 0;
  std::string text;
  std::vector<double> numbers;
  bool listIntegers = false;
  // A rational whose decimal is not exact enough to read it back: the
  // reduced fraction ("1/250"), beside the real.
  std::string fraction;

  bool operator==(const TypedValue&) const = default;
};

// The typed value of a decoded tag value (tag is an export tag number);
// displayText is the value as the library formats it, which the texts of
// the text formats are taken from.
TypedValue TypedTagValue(const TagLibrary& library, int32_t tag, const TagValue& value, const std::string& displayText);

// Writes an Exif date/time ("2008:05:17 14:03:22") as ISO 8601
// ("2008-05-17T14:03:22"), with fraction digits (".45") and a zone
// ("+02:00") when given; nothing when the text is not a date/time.
std::optional<std::string> IsoDateTime(std::string_view exifText, std::string_view fraction = {},
                                       std::string_view zone = {});

}  // namespace kelvane
