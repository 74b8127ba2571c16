// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/format_tag_value.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "export/clean_text.h"

namespace kelvane {
namespace {

// Fixed texts of the "content interpretation" formats.
constexpr int64_t kUnknownContentText = 63744;
constexpr int64_t kContentFromBytesText = 63745;
constexpr int64_t kWinXpContentText = 63748;

// Unit numbers with a choice of three or two texts.
constexpr int32_t kDistanceSuffix = 17;  // "Infinity", "Unknown", " meters"
constexpr int32_t kEvSuffix = 20;        // "Unknown", " EV"

// Beyond this magnitude a double has no fractional digits left to round.
constexpr double kRoundingLimit = 1e15;

// x rounded to the given decimals (halves away from zero) and written with
// exactly that many, a point as separator; nothing when x is not finite.
std::optional<std::string> Fixed(double x, int decimals) {
  if (!std::isfinite(x)) return std::nullopt;
  const double scale = std::pow(10.0, decimals);
  double rounded = std::abs(x) < kRoundingLimit ? std::round(x * scale) / scale : x;
  if (rounded == 0) rounded = 0;  // no "-0.00"
  std::array<char, 400> buffer;   // room for the largest double in fixed notation
  const auto [end, error] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded, std::chars_format::fixed, decimals);
  if (error != std::errc()) return std::nullopt;
  return std::string(buffer.data(), end);
}

std::optional<std::string> N0(double x) { return Fixed(x, 0); }
std::optional<std::string> N2(double x) { return Fixed(x, 2); }

// prefix + number + suffix, or empty when the number could not be written.
std::string Compose(std::string_view prefix, const std::optional<std::string>& number, std::string_view suffix = {}) {
  if (!number) return {};
  std::string text(prefix);
  text += *number;
  text += suffix;
  return text;
}

std::string UndefinedText(int32_t tagNumber, int64_t num) {
  std::array<char, 8> hex;
  std::snprintf(hex.data(), hex.size(), "%04X", static_cast<unsigned>(tagNumber));
  return "[Undefined: " + std::string(hex.data()) + ":" + std::to_string(num) + "]";
}

std::string TrimSpaces(const std::string& text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

std::string WithoutNuls(const std::string& text) {
  std::string kept;
  for (const char c : text) {
    if (c != '\0') kept += c;
  }
  return kept;
}

// The component letters of ComponentConfiguration, least significant byte
// first: 0x00030201 reads "YCbCr".
std::string ComponentLetters(int64_t num) {
  static constexpr std::array<std::string_view, 7> kLetters = {"", "Y", "Cb", "Cr", "R", "G", "B"};
  std::string letters;
  int64_t rest = num;
  for (int i = 3; i >= 0; --i) {
    const int64_t unit = int64_t{1} << (8 * i);
    int64_t k = rest / unit;
    if (rest % unit != 0 && rest < 0) --k;  // floor, not truncation
    if (k >= 1 && k < static_cast<int64_t>(kLetters.size())) letters.insert(0, kLetters[k]);
    rest -= k * unit;
  }
  return letters;
}

// A number with at most `decimals` decimals, trailing zeros dropped ("2.8", "70").
std::string ShortNumber(double x, int decimals) {
  std::string text = Fixed(x, decimals).value_or(std::string());
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

// Exif's character-coded text: an 8-byte code naming the character set,
// then the text (UserComment, GPSProcessingMethod, GPSAreaInformation).
std::string CharacterCodedText(const TagValue& value) {
  constexpr size_t kCodeLength = 8;
  const std::string_view all(value.text);
  if (all.size() < kCodeLength) return TrimSpaces(value.text);
  const std::string_view code = all.substr(0, kCodeLength);
  const std::string_view body = all.substr(kCodeLength);
  if (code.substr(0, 7) != "UNICODE") return TrimSpaces(std::string(body.substr(0, body.find('\0'))));
  // UCS-2 in the structure's byte order; the text ends at U+0000.
  return TrimSpaces(Ucs2ToUtf8(body, value.order == ByteOrder::kBigEndian));
}

// Three rationals of degrees, minutes and seconds as 47° 39' 36.00".
std::string DegreesText(const TagValue& value) {
  double total = 0;
  double unit = 1;
  for (size_t i = 0; i < 3; ++i, unit *= 60) {
    const std::optional<double> part = value.Number(i);
    if (!part) {
      if (i == 0) return {};
      break;
    }
    total += *part / unit;
  }
  if (!std::isfinite(total) || std::abs(total) > 1e9) return {};
  const auto hundredths = static_cast<int64_t>(std::llround(std::abs(total) * 360000));
  const int64_t degrees = hundredths / 360000;
  const int64_t minutes = hundredths / 6000 % 60;
  const double seconds = static_cast<double>(hundredths % 6000) / 100;
  return std::to_string(degrees) + "\u00B0 " + std::to_string(minutes) + "' " + Fixed(seconds, 2).value_or("0.00") +
         "\"";
}

// Three rationals of hours, minutes and seconds as 14:03:22 (or 14:03:22.50).
std::string TimeOfDayText(const TagValue& value) {
  std::string text;
  for (size_t i = 0; i < 3; ++i) {
    const std::optional<double> part = value.Number(i);
    if (!part || *part < 0 || *part >= 100) return {};
    if (i > 0) text += ':';
    const bool whole = *part == std::floor(*part);
    const std::string number = Fixed(*part, whole ? 0 : 2).value_or(std::string());
    if (*part < 10) text += '0';
    text += number;
  }
  return text;
}

// The elements joined by dots: a version such as 2.2.0.0.
std::string DottedText(const TagValue& value) {
  std::string text;
  for (size_t i = 0; i < value.Elements(); ++i) {
    const std::optional<int64_t> element = value.Integer(i);
    if (!element) return {};
    if (i > 0) text += '.';
    text += std::to_string(*element);
  }
  return text;
}

// Four rationals: shortest and longest focal length, the smallest F number
// at each, as 24-70 mm f/2.8-4; an unknown part (0/0) reads "?".
std::string LensText(const TagValue& value) {
  const auto part = [&](size_t i) -> std::optional<double> { return value.Number(i); };
  const auto range = [&](size_t i) {
    const std::optional<double> low = part(i);
    const std::optional<double> high = part(i + 1);
    const std::string lowText = low ? ShortNumber(*low, 2) : "?";
    const std::string highText = high ? ShortNumber(*high, 2) : "?";
    return lowText == highText ? lowText : lowText + "-" + highText;
  };
  if (value.Elements() < 4) return {};
  return range(0) + " mm f/" + range(2);
}

// The text of an enumeration of letters: each value text starts with its
// letter and a space ("N North"); the value's first character picks one.
std::string LetterText(const TagLibrary& library, const TagRecord& record, const TagValue& value) {
  const std::string trimmed = TrimSpaces(value.text);
  if (trimmed.empty()) return {};
  for (int64_t k = 0; k < record.valueCount; ++k) {
    const std::string_view choice = library.Text(int64_t{record.valueTextBase} + k);
    if (choice.size() > 2 && choice[0] == trimmed[0] && choice[1] == ' ') return std::string(choice.substr(2));
  }
  return trimmed;
}

// A rational without a formatting rule of its own, as a reciprocal ("1/125").
std::string RationalText(int64_t num, int64_t den) {
  if (den == 1) return std::to_string(num);
  if (den == 0 || num == 0) return "0";
  const double ratio = static_cast<double>(num) / static_cast<double>(den);
  // A reciprocal of a value above 1 would round to "1/1" or "1/0": such
  // values are written as they are.
  if (std::abs(ratio) > 1) return Compose("", N2(ratio));
  return Compose("1/", N0(1 / ratio));
}

std::string TextByType(const TagValue& value) {
  switch (value.type) {
    case TypeCode(ExifType::kAscii):
    case TypeCode(ExifType::kUndefined):
      return value.text;
    case TypeCode(ExifType::kByte):
    case TypeCode(ExifType::kShort):
    case TypeCode(ExifType::kLong):
    case TypeCode(ExifType::kSByte):
    case TypeCode(ExifType::kSShort):
    case TypeCode(ExifType::kSLong):
    case TypeCode(ExifType::kFloat):
      return std::to_string(value.num);
    case TypeCode(ExifType::kRational):
    case TypeCode(ExifType::kSRational):
      return RationalText(value.num, value.den);
    default:
      return {};
  }
}

// Index into an enumeration whose "none" value (65535 or 255) selects the
// first text; values that can't be an index select nothing.
std::optional<int64_t> EnumIndex(int64_t num, int64_t noneValue, int64_t offset) {
  if (num == noneValue) return 0;
  if (num < 0 || num > INT16_MAX) return std::nullopt;
  return num + offset;
}

struct ValueText {
  std::string text;
  int32_t status = format_status::kNormal;
  bool undefinedWhenEmpty = false;
};

ValueText TextByFormat(const TagLibrary& library, const TagRecord& record, const TagValue& value) {
  const int64_t num = value.num;
  const int64_t base = record.valueTextBase;
  const int64_t count = record.valueCount;
  // The numeric formats divide by 1 where the denominator is 0.
  const double ratio = static_cast<double>(num) / static_cast<double>(value.den == 0 ? 1 : value.den);
  const auto text = [&](int64_t id) { return std::string(library.Text(id)); };

  ValueText t;
  switch (record.formatCode) {
    case 1:
      break;
    case 2:
      t.text = TrimSpaces(value.text);
      break;
    case 3:
      t = {text(kUnknownContentText), format_status::kFixedText};
      break;
    case 4:
      t = {text(kContentFromBytesText), format_status::kFixedText};
      break;
    case 6:
      t = {text(kWinXpContentText), format_status::kFixedText};
      break;
    case 10:
      t.text = WithoutNuls(value.text);
      break;
    case 12:
      t.text = CharacterCodedText(value);
      break;
    case 16:
      t.text = Compose("", N0(ratio));
      break;
    case 17:
      t.text = Compose("", N2(ratio));
      break;
    case 18:
      t.text = Compose("F ", N2(ratio));
      break;
    case 19:
      // The constant is 1.4142 as such, not the square root of 2.
      t.text = Compose("F ", N2(std::pow(1.4142, ratio)));
      break;
    case 20:
      t.text = Compose("1/", N0(std::pow(2.0, ratio)));
      break;
    case 32:
      t.undefinedWhenEmpty = true;
      t.text = num == 0 ? text(base) : Compose("", N2(ratio), " x");
      break;
    case 33:
      t.undefinedWhenEmpty = true;
      t.text = num == 0 ? text(base) : std::to_string(num) + " mm";
      break;
    case 34:
      // The text under base + num counts whether or not num is below count.
      t.undefinedWhenEmpty = true;
      t.text = text(base + num);
      break;
    case 36:
      t.text = ComponentLetters(num);
      break;
    case 40:
      t.text = DegreesText(value);
      break;
    case 41:
      t.text = TimeOfDayText(value);
      break;
    case 42:
      t.text = DottedText(value);
      break;
    case 43:
      t.text = LensText(value);
      break;
    case 44:
      t.text = LetterText(library, record, value);
      break;
    case 64:
    case 66: {
      t.undefinedWhenEmpty = true;
      const std::optional<int64_t> index = EnumIndex(num, record.formatCode == 64 ? 65535 : 255, 0);
      if (index && *index < count) t.text = text(base + *index);
      break;
    }
    case 65:
    case 67: {
      // The value is shifted by one past the "none" text; the bound is
      // inclusive, so count itself still reads base + count.
      t.undefinedWhenEmpty = true;
      const std::optional<int64_t> index = EnumIndex(num, record.formatCode == 65 ? 65535 : 255, 1);
      if (index && *index <= count) t.text = text(base + *index);
      break;
    }
    case 128:
      t.undefinedWhenEmpty = true;
      if (num >= 0 && num < count) t.text = text(base + num);
      break;
    default:
      t.text = TextByType(value);
      break;
  }
  return t;
}

// The unit text that follows the value.
std::string SuffixText(const TagLibrary& library, int32_t suffixNumber, int64_t num) {
  // A stored 0xFFFFFFFF stands for -1 ("infinity", "unknown") whichever way
  // the value was read.
  const bool minusOne = num == -1 || num == UINT32_MAX;
  const int64_t base = library.SuffixBase();
  switch (suffixNumber) {
    case 0:
      return {};
    case kDistanceSuffix:
      return std::string(library.Text(base + kDistanceSuffix + (minusOne ? 0 : num == 0 ? 1 : 2)));
    case kEvSuffix:
      return std::string(library.Text(base + kEvSuffix + (minusOne ? 0 : 1)));
    default:
      return std::string(library.Text(base + suffixNumber));
  }
}

}  // namespace

FormattedValue FormatTagValue(const TagLibrary& library, int32_t tagNumber, const TagValue& value) {
  const TagRecord record = library.Record(tagNumber).value_or(TagRecord{});
  ValueText t = TextByFormat(library, record, value);
  if (t.undefinedWhenEmpty && t.text.empty()) t.text = UndefinedText(tagNumber, value.num);

  FormattedValue result{std::move(t.text), t.status};
  if (library.SuffixBase() < 0) {
    result.status += format_status::kNoUnitsPenalty;
    return result;
  }
  result.text += SuffixText(library, record.suffixNumber, value.num);
  return result;
}

FormattedValue FormatTagValue(const TagLibrary& library, int32_t tagNumber, const RawTagValue& raw,
                              int64_t valueCharLimit) {
  const uint64_t total = TagValueByteCount(raw.type, raw.count);
  if (valueCharLimit < 0 || static_cast<uint64_t>(valueCharLimit) < total) {
    return {"<Not shown as is too long (" + std::to_string(total) + " bytes) >", format_status::kNormal};
  }
  return FormatTagValue(library, tagNumber, DecodeTagValue(raw));
}

}  // namespace kelvane
