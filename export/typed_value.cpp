// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/typed_value.h"

#include <cmath>
#include <limits>
#include <numeric>

#include "export/clean_text.h"

namespace kelvane {
namespace {

// Formats whose display text is the value's text (see format_tag_value).
constexpr int32_t kTrimmedText = 2;
constexpr int32_t kWindowsXpText = 6;
constexpr int32_t kTextWithoutNuls = 10;
constexpr int32_t kCharacterCodedText = 12;
constexpr int32_t kDegrees = 40;
constexpr int32_t kTimeOfDay = 41;
constexpr int32_t kLetterChoice = 44;

constexpr int32_t kExposureTime = 0x829A;
constexpr int32_t kExposureBias = 0x9204;
constexpr int32_t kGpsDateStamp = kGpsTagBase + 29;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Field(std::string_view text, size_t at, size_t length) {
  int value = 0;
  for (size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// "YYYY:MM:DD" (or with dashes) at the start of text, as YYYY-MM-DD.
std::optional<std::string> IsoDate(std::string_view text) {
  if (text.size() < 10 || (text[4] != ':' && text[4] != '-') || text[7] != text[4]) return std::nullopt;
  for (const size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (!IsDigit(text[i])) return std::nullopt;
  }
  const int year = Field(text, 0, 4);
  const int month = Field(text, 5, 2);
  const int day = Field(text, 8, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  std::string iso(text.substr(0, 10));
  iso[4] = iso[7] = '-';
  return iso;
}

std::string_view TrimmedView(std::string_view text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

// "+02:00", "-05:30" or "Z"; nothing for anything else.
std::optional<std::string> Zone(std::string_view text) {
  text = TrimmedView(text);
  if (text == "Z") return std::string(text);
  if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':' || !IsDigit(text[1]) ||
      !IsDigit(text[2]) || !IsDigit(text[4]) || !IsDigit(text[5])) {
    return std::nullopt;
  }
  if (Field(text, 1, 2) > 14 || Field(text, 4, 2) > 59) return std::nullopt;
  return std::string(text);
}

std::string Fraction(int64_t num, int64_t den) {
  const int64_t divisor = std::gcd(num, den);
  if (divisor > 1) {
    num /= divisor;
    den /= divisor;
  }
  if (den < 0) {
    num = -num;
    den = -den;
  }
  return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den);
}

// Windows' own tags: UCS-2 text, least significant byte first, ending at U+0000.
std::string WindowsText(std::span<const uint8_t> bytes) {
  return Ucs2ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), false);
}

TypedValue Text(std::string text) {
  TypedValue typed;
  typed.kind = TypedValue::Kind::kText;
  typed.text = std::move(text);
  return typed;
}

// Short UNDEFINED values that are texts in all but type (ExifVersion "0230").
bool PrintableWord(std::string_view bytes) {
  if (bytes.empty()) return false;
  for (const char c : bytes) {
    if (!IsDigit(c) && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z') && c != '.') return false;
  }
  return true;
}

TypedValue Numbers(int32_t tag, const TagValue& value) {
  TypedValue typed;
  const size_t elements = value.Elements();
  if (elements == 0) return typed;
  const bool integers = value.Integer(0).has_value();
  if (elements == 1) {
    if (integers) {
      typed.kind = TypedValue::Kind::kInteger;
      typed.integer = *value.Integer(0);
      return typed;
    }
    const std::optional<double> number = value.Number(0);
    if (!number || !std::isfinite(*number)) return typed;
    typed.kind = TypedValue::Kind::kReal;
    typed.real = *number;
    const auto rational = value.Rational(0);
    if (rational && (tag == kExposureTime || tag == kExposureBias)) {
      typed.fraction = Fraction(rational->first, rational->second);
    }
    return typed;
  }
  typed.kind = TypedValue::Kind::kList;
  typed.listIntegers = integers;
  for (size_t i = 0; i < elements; ++i) {
    const std::optional<double> number = value.Number(i);
    typed.numbers.push_back(number && std::isfinite(*number) ? *number : std::numeric_limits<double>::quiet_NaN());
  }
  return typed;
}

}  // namespace

std::optional<std::string> IsoDateTime(std::string_view exifText, std::string_view fraction, std::string_view zone) {
  const std::string_view text = TrimmedView(exifText);
  std::optional<std::string> iso = IsoDate(text);
  if (!iso || text.size() < 19 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  for (const size_t i : {11, 12, 14, 15, 17, 18}) {
    if (!IsDigit(text[i])) return std::nullopt;
  }
  if (Field(text, 11, 2) > 24 || Field(text, 14, 2) > 59 || Field(text, 17, 2) > 60) return std::nullopt;
  *iso += 'T';
  *iso += text.substr(11, 8);
  const std::string_view digits = TrimmedView(fraction);
  if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos) {
    *iso += '.';
    *iso += digits;
  }
  if (const std::optional<std::string> offset = Zone(zone)) *iso += *offset;
  return iso;
}

TypedValue TypedTagValue(const TagLibrary& library, int32_t tag, const TagValue& value,
                         const std::string& displayText) {
  const std::optional<TagRecord> record = library.Record(tag);
  switch (record ? record->formatCode : 0) {
    case kTrimmedText:
    case kTextWithoutNuls:
    case kCharacterCodedText:
    case kTimeOfDay:
      return Text(displayText);
    case kWindowsXpText:
      return Text(CleanText(WindowsText(value.bytes)));
    case kLetterChoice:
      return Text(CleanText(TrimmedView(value.text)));
    case kDegrees: {
      TypedValue typed;
      double total = 0;
      double unit = 1;
      for (size_t i = 0; i < 3 && i < value.Elements(); ++i, unit *= 60) {
        const std::optional<double> part = value.Number(i);
        if (!part) return typed;
        total += *part / unit;
      }
      if (value.Elements() == 0 || !std::isfinite(total)) return typed;
      typed.kind = TypedValue::Kind::kReal;
      typed.real = total;
      return typed;
    }
    default:
      break;
  }
  switch (static_cast<ExifType>(value.type)) {
    case ExifType::kAscii: {
      const std::string text = CleanText(value.text);
      const std::string_view trimmed = TrimmedView(text);
      std::optional<std::string> date = tag == kGpsDateStamp ? IsoDate(trimmed) : IsoDateTime(trimmed);
      if (date && (tag != kGpsDateStamp || trimmed.size() == 10)) {
        TypedValue typed = Text(std::move(*date));
        typed.kind = TypedValue::Kind::kDate;
        return typed;
      }
      return Text(std::string(trimmed));
    }
    case ExifType::kUndefined: {
      const std::string_view bytes(reinterpret_cast<const char*>(value.bytes.data()), value.bytes.size());
      if (bytes.size() <= 4 && PrintableWord(bytes)) return Text(std::string(bytes));
      if (bytes.size() == 1) {
        TypedValue typed;
        typed.kind = TypedValue::Kind::kInteger;
        typed.integer = value.bytes[0];
        return typed;
      }
      return Text(HexText(bytes));
    }
    default:
      return Numbers(tag, value);
  }
}

}  // namespace kelvane
