// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/format_tag_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kelvane {
namespace {

using namespace std::string_literals;
using test::Bytes;

TagValue Short(int64_t num) { return {TypeCode(ExifType::kShort), num, 0, {}}; }
TagValue SShort(int64_t num) { return {TypeCode(ExifType::kSShort), num, 0, {}}; }
TagValue Long(int64_t num) { return {TypeCode(ExifType::kLong), num, 0, {}}; }
TagValue Rational(int64_t num, int64_t den) { return {TypeCode(ExifType::kRational), num, den, {}}; }
TagValue SRational(int64_t num, int64_t den) { return {TypeCode(ExifType::kSRational), num, den, {}}; }
TagValue Ascii(std::string text) { return {TypeCode(ExifType::kAscii), 0, 0, std::move(text)}; }
TagValue Undefined(int64_t num, std::string text = {}) {
  return {TypeCode(ExifType::kUndefined), num, 0, std::move(text)};
}

struct FormatCase {
  const char* what;
  uint16_t tag;
  TagValue value;
  std::string text;
  int32_t status = format_status::kNormal;
};

TEST(FormatTagValue, FollowsTheRuleOfEachTag) {
  const std::vector<FormatCase> cases = {
      {"FNumber", 0x829D, Rational(28, 10), "F 2.80"},
      {"ApertureValue", 0x9202, Rational(297, 100), "F 2.80"},
      {"ShutterSpeedValue", 0x9201, SRational(6965784, 1000000), "1/125"},
      {"ShutterSpeedValue, zero denominator", 0x9201, SRational(7, 0), "1/128"},
      {"ExposureBiasValue", 0x9204, SRational(-2, 3), "-0.67 EV"},
      {"ExposureBiasValue near zero", 0x9204, SRational(-2, 1000), "0.00 EV"},
      {"Flash", 0x9209, Short(25), "Fired, auto mode"},
      {"Flash past its texts", 0x9209, Short(96), "[Undefined: 9209:96]"},
      {"LightSource none", 0x9208, Short(255), "Other unspecified"},
      {"LightSource", 0x9208, Short(1), "Daylight"},
      {"LightSource without text", 0x9208, Short(25), "[Undefined: 9208:25]"},
      {"MeteringMode without text", 0x9207, Short(7), "[Undefined: 9207:7]"},
      {"MeteringMode none", 0x9207, Short(255), "Other unspecified"},
      {"MeteringMode 0", 0x9207, Short(0), "Unknown"},
      {"MeteringMode out of range", 0x9207, Short(9), "[Undefined: 9207:9]"},
      {"ColorSpace none", 0xA001, Short(65535), "Uncalibrated"},
      {"ColorSpace", 0xA001, Short(1), "sRGB"},
      {"ColorSpace past count", 0xA001, Short(2), "[Undefined: A001:2]"},
      {"ColorSpace no index", 0xA001, Short(40000), "[Undefined: A001:40000]"},
      {"ColorSpace negative", 0xA001, SShort(-1), "[Undefined: A001:-1]"},
      {"Orientation", 0x0112, Short(6), "Top right"},
      {"Orientation negative", 0x0112, SShort(-1), "[Undefined: 0112:-1]"},
      {"Compression past count", 0x0103, Short(7), "[Undefined: 0103:7]"},
      {"Compression", 0x0103, Short(6), "JPEG compression"},
      {"YCbCrPositioning", 0x0213, Short(1), "Centered"},
      {"ExposureProgram", 0x8822, Short(2), "program normal"},
      {"DigitalZoomRatio unused", 0xA404, Rational(0, 100), "Not used"},
      {"DigitalZoomRatio", 0xA404, Rational(150, 100), "1.50 x"},
      {"DigitalZoomRatio, zero denominator", 0xA404, Rational(3, 0), "3.00 x"},
      {"FileSource", 0xA300, Undefined(3), "Digital Still Camera"},
      {"FileSource 0 has a text", 0xA300, Undefined(0), "Not a Digital Still Camera"},
      {"FileSource without text", 0xA300, Undefined(1), "[Undefined: A300:1]"},
      {"FileSource far out", 0xA300, Undefined(4294967295), "[Undefined: A300:4294967295]"},
      {"SceneType", 0xA301, Undefined(1), "Directly photographed"},
      {"XResolution", 0x011A, Rational(72, 1), "72"},
      {"XResolution, zero denominator", 0x011A, Rational(300, 0), "300"},
      {"XResolution as SHORT", 0x011A, Short(72), "72"},
      {"FocalLengthIn35mmFilm unknown", 0xA405, Short(0), "Unknown"},
      {"FocalLengthIn35mmFilm", 0xA405, Short(50), "50 mm"},
      {"FocalLength", 0x920A, Rational(56, 10), "5.60 mm"},
      {"ComponentConfiguration YCbCr", 0x9101, Undefined(0x00030201), "YCbCr"},
      {"ComponentConfiguration RGB", 0x9101, Undefined(0x00060504), "RGB"},
      {"ComponentConfiguration empty", 0x9101, Undefined(0), ""},
      {"ComponentConfiguration unknown bytes", 0x9101, Undefined(0x07000901), "Y"},
      {"Copyright with two notices", 0x8298, Ascii("Jane\0Editor\0"s), "JaneEditor"},
      {"ImageDescription", 0x010E, Ascii("  Sunset at sea  "), "Sunset at sea"},
      {"Windows XP title",
       0x9C9B,
       {TypeCode(ExifType::kByte), 65, 0, {}},
       "< Win XP non-std tags, content interpretation unknown >",
       format_status::kFixedText},
      {"Windows XP subject",
       0x9C9F,
       {TypeCode(ExifType::kByte), 65, 0, {}},
       "< Win XP non-std tags, content interpretation unknown >",
       format_status::kFixedText},
      {"YCbCrSubSampling", 0x0212, Short(0x00010002), "< content interpretation from bytes >",
       format_status::kFixedText},
      {"Print Image Matching", 0xC4A5, Undefined(0, "PrintIM"), "< content interpretation unknown >",
       format_status::kFixedText},
      {"SpatialFrequencyResponse shows nothing", 0xA20C, Undefined(0, "abc"), ""},
      {"ExposureTime", 0x829A, Rational(1, 125), "1/125 seconds"},
      {"ExposureTime reduced", 0x829A, Rational(10, 1250), "1/125 seconds"},
      {"ExposureTime of a second", 0x829A, Rational(10, 10), "1/1 seconds"},
      {"ExposureTime above a second", 0x829A, Rational(25, 10), "2.50 seconds"},
      {"ExposureTime zero", 0x829A, Rational(0, 10), "0 seconds"},
      {"WhitePoint 0/1", 0x013E, Rational(0, 1), "0"},
      {"WhitePoint 3/0", 0x013E, Rational(3, 0), "0"},
      {"SubjectDistance unknown", 0x9206, Rational(0, 1), "0Unknown"},
      {"SubjectDistance", 0x9206, Rational(350, 100), "3.50 meters"},
      {"SubjectDistance infinity", 0x9206, Rational(4294967295, 1), "4294967295Infinity"},
      {"BrightnessValue unknown", 0x9203, SRational(-1, 1), "-1Unknown"},
      {"BrightnessValue", 0x9203, SRational(5, 1), "5 EV"},
      {"CompressedBitsPerPixel", 0x9102, Rational(2, 1), "2.00 bits/pixel"},
      {"FocalPlaneXResolution", 0xA20E, Rational(8192000, 225), "36408.89 pixels"},
      {"FlashEnergy", 0xA20B, Rational(3, 1), "3 Beam Candle Power Seconds"},
      {"SubSecTime", 0x9290, Ascii("42"), "42 milliseconds"},
      {"no record, SHORT", 0x9999, Short(5), "5"},
      {"no record, LONG above 2^31", 0x9999, Long(3000000000), "3000000000"},
      {"no record, ASCII kept as is", 0x9999, Ascii(" abc "), " abc "},
      {"no record, DOUBLE", 0x9999, {TypeCode(ExifType::kDouble), 1, 0, {}}, ""},
      {"no record, unknown type", 0x9999, {99, 1, 0, {}}, ""},
      {"header id is not a record", 20, Short(5), "5"},
      {"ShutterSpeedValue beyond any number", 0x9201, SRational(2147483647, 1), ""},
      {"ApertureValue beyond any number", 0x9202, SRational(2147483647, 1), ""},
  };
  for (const FormatCase& c : cases) {
    const FormattedValue formatted = FormatTagValue(TagLibrary::BuiltIn(), c.tag, c.value);
    EXPECT_EQ(formatted.text, c.text) << c.what;
    EXPECT_EQ(formatted.status, c.status) << c.what;
  }
}

// A library without a usable first unit id: values carry no unit and every
// status is lowered by one.
TEST(FormatTagValue, LibraryWithoutUnitsLowersTheStatus) {
  for (const char* header20 : {"", "31"}) {
    std::vector<LibraryString> strings;
    for (const LibraryString& entry : BuiltInLibraryStrings()) {
      if (entry.id != library_id::kFirstUnitText) strings.push_back(entry);
    }
    if (*header20) strings.push_back({library_id::kFirstUnitText, header20});
    const TagLibrary library(strings);

    const FormattedValue exposure = FormatTagValue(library, 0x829A, Rational(1, 125));
    EXPECT_EQ(exposure.text, "1/125");
    EXPECT_EQ(exposure.status, -1);
    const FormattedValue title = FormatTagValue(library, 0x9C9B, Short(0));
    EXPECT_EQ(title.status, -3);
    const FormattedValue metering = FormatTagValue(library, 0x9207, Short(7));
    EXPECT_EQ(metering.text, "[Undefined: 9207:7]");
    EXPECT_EQ(metering.status, -1);
  }
}

struct DecodeCase {
  const char* what;
  uint16_t type;
  uint32_t count;
  ByteOrder order;
  Bytes bytes;
  int64_t num;
  int64_t den;
  std::string text;
};

constexpr ByteOrder kII = ByteOrder::kLittleEndian;
constexpr ByteOrder kMM = ByteOrder::kBigEndian;

TEST(DecodeTagValue, ReadsNumbersInTheFilesByteOrder) {
  const std::vector<DecodeCase> cases = {
      {"SHORT II", TypeCode(ExifType::kShort), 1, kII, {6, 0, 0xAA, 0xBB}, 6, 0, ""},
      {"SHORT MM", TypeCode(ExifType::kShort), 1, kMM, {0, 6, 0xAA, 0xBB}, 6, 0, ""},
      {"two SHORTs II", TypeCode(ExifType::kShort), 2, kII, {2, 0, 1, 0}, 0x00010002, 0, ""},
      {"two SHORTs MM", TypeCode(ExifType::kShort), 2, kMM, {0, 2, 0, 1}, 0x00020001, 0, ""},
      {"three BYTEs II", TypeCode(ExifType::kByte), 3, kII, {1, 2, 3, 0}, 0x030201, 0, ""},
      {"three BYTEs MM", TypeCode(ExifType::kByte), 3, kMM, {1, 2, 3, 0}, 0x010203, 0, ""},
      {"LONG above 2^31", TypeCode(ExifType::kLong), 1, kMM, {0xFF, 0xFF, 0xFF, 0xFF}, 4294967295, 0, ""},
      {"SLONG", TypeCode(ExifType::kSLong), 1, kII, {0xFD, 0xFF, 0xFF, 0xFF}, -3, 0, ""},
      {"SSHORT II", TypeCode(ExifType::kSShort), 1, kII, {0xFE, 0xFF}, -2, 0, ""},
      {"SSHORT MM", TypeCode(ExifType::kSShort), 1, kMM, {0xFF, 0xFE}, -2, 0, ""},
      {"SBYTE", TypeCode(ExifType::kSByte), 1, kII, {0x80}, -128, 0, ""},
      {"three SBYTEs", TypeCode(ExifType::kSByte), 3, kII, {0xFF, 0xFF, 0xFF}, -1, 0, ""},
      {"RATIONAL II", TypeCode(ExifType::kRational), 1, kII, {28, 0, 0, 0, 10, 0, 0, 0}, 28, 10, ""},
      {"RATIONAL MM", TypeCode(ExifType::kRational), 1, kMM, {0, 0, 0, 28, 0, 0, 0, 10}, 28, 10, ""},
      {"SRATIONAL MM", TypeCode(ExifType::kSRational), 1, kMM, {0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0, 3}, -2, 3, ""},
      {"SRATIONAL II", TypeCode(ExifType::kSRational), 1, kII, {0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0}, -2, 3, ""},
      {"UNDEFINED of 4 bytes, first byte lowest, II",
       TypeCode(ExifType::kUndefined),
       4,
       kII,
       {1, 2, 3, 0},
       0x00030201,
       0,
       "\x01\x02\x03\x00"s},
      {"UNDEFINED of 4 bytes, first byte lowest, MM",
       TypeCode(ExifType::kUndefined),
       4,
       kMM,
       {1, 2, 3, 0},
       0x00030201,
       0,
       "\x01\x02\x03\x00"s},
      {"UNDEFINED longer than 4 bytes",
       TypeCode(ExifType::kUndefined),
       6,
       kII,
       {'A', 'S', 'C', 'I', 'I', 0},
       0,
       0,
       "ASCII\0"s},
      {"ASCII", TypeCode(ExifType::kAscii), 5, kII, {'J', 'a', 'n', 'e', 0}, 0, 0, "Jane"},
      {"ASCII without terminator", TypeCode(ExifType::kAscii), 4, kII, {'J', 'a', 'n', 'e'}, 0, 0, "Jane"},
      {"ASCII with padding", TypeCode(ExifType::kAscii), 8, kII, {'J', 'a', 'n', 'e', 0, 0, 0, 0}, 0, 0, "Jane"},
      {"ASCII with two notices", TypeCode(ExifType::kAscii), 7, kII, {'A', 0, 'B', 0, ' ', 'C', 0}, 0, 0, "A\0B\0 C"s},
      {"ASCII of count 0", TypeCode(ExifType::kAscii), 0, kII, {0, 0, 0, 0}, 0, 0, ""},
      {"ASCII of count 1", TypeCode(ExifType::kAscii), 1, kII, {0, 0, 0, 0}, 0, 0, ""},
  };
  for (const DecodeCase& c : cases) {
    const TagValue value = DecodeTagValue({c.type, c.count, c.order, c.bytes});
    EXPECT_EQ(value.type, c.type) << c.what;
    EXPECT_EQ(value.num, c.num) << c.what;
    EXPECT_EQ(value.den, c.den) << c.what;
    EXPECT_EQ(value.text, c.text) << c.what;
  }
}

// Parts of a value cut short by the end of the file, or of a count of 0,
// read as 0 or empty, never past the bytes given.
TEST(DecodeTagValue, ShortValuesReadAsEmpty) {
  const std::vector<DecodeCase> cases = {
      {"RATIONAL of count 0", TypeCode(ExifType::kRational), 0, kII, {}, 0, 0, ""},
      {"RATIONAL without denominator", TypeCode(ExifType::kRational), 1, kII, {28, 0, 0, 0}, 28, 0, ""},
      {"LONG of two bytes", TypeCode(ExifType::kLong), 1, kII, {1, 2}, 0, 0, ""},
      {"SHORT of no bytes", TypeCode(ExifType::kShort), 1, kMM, {}, 0, 0, ""},
      {"ASCII cut short", TypeCode(ExifType::kAscii), 10, kII, {'a', 'b', 'c'}, 0, 0, ""},
      {"UNDEFINED cut short", TypeCode(ExifType::kUndefined), 3, kII, {1, 2}, 0, 0, ""},
      // Each number needs only its own bytes.
      {"huge count", TypeCode(ExifType::kRational), 0xFFFFFFFF, kII, {1, 0, 0, 0, 2, 0, 0, 0}, 1, 2, ""},
  };
  for (const DecodeCase& c : cases) {
    const TagValue value = DecodeTagValue({c.type, c.count, c.order, c.bytes});
    EXPECT_EQ(value.num, c.num) << c.what;
    EXPECT_EQ(value.den, c.den) << c.what;
    EXPECT_EQ(value.text, c.text) << c.what;
  }
}

TEST(TagValueByteCount, MultipliesTheElementSizeWithoutOverflow) {
  EXPECT_EQ(TagValueByteCount(TypeCode(ExifType::kShort), 3), 6u);
  EXPECT_EQ(TagValueByteCount(TypeCode(ExifType::kFloat), 2), 8u);
  EXPECT_EQ(TagValueByteCount(TypeCode(ExifType::kDouble), 1), 8u);
  EXPECT_EQ(TagValueByteCount(0, 5), 0u);
  EXPECT_EQ(TagValueByteCount(TypeCode(ExifType::kSRational), 0xFFFFFFFF), 34359738360u);
}

TEST(FormatTagValue, RawValuesLongerThanTheLimitAreNotShown) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  const Bytes none;
  EXPECT_EQ(FormatTagValue(library, 0x927C, {TypeCode(ExifType::kUndefined), 3000, kII, none}, 255).text,
            "<Not shown as is too long (3000 bytes) >");
  EXPECT_EQ(FormatTagValue(library, 0x829D, {TypeCode(ExifType::kRational), 0xFFFFFFFF, kMM, none}, 255).text,
            "<Not shown as is too long (34359738360 bytes) >");
  const Bytes text = {'a', 'b', 'c', 0};
  EXPECT_EQ(FormatTagValue(library, 0x010F, {TypeCode(ExifType::kAscii), 4, kII, text}, 4).text, "abc");
  EXPECT_EQ(FormatTagValue(library, 0x010F, {TypeCode(ExifType::kAscii), 4, kII, text}, 3).text,
            "<Not shown as is too long (4 bytes) >");
  EXPECT_EQ(FormatTagValue(library, 0x010F, {TypeCode(ExifType::kAscii), 0, kII, none}, -1).text,
            "<Not shown as is too long (0 bytes) >");
}

TEST(FormatTagValue, RawValuesInBothByteOrders) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  const Bytes biasMM = {0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0, 3};
  const Bytes biasII = {0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0};
  EXPECT_EQ(FormatTagValue(library, 0x9204, {TypeCode(ExifType::kSRational), 1, kMM, biasMM}, 255).text, "-0.67 EV");
  EXPECT_EQ(FormatTagValue(library, 0x9204, {TypeCode(ExifType::kSRational), 1, kII, biasII}, 255).text, "-0.67 EV");
  const Bytes orientationMM = {0, 6, 0, 0};
  const Bytes orientationII = {6, 0, 0, 0};
  EXPECT_EQ(FormatTagValue(library, 0x0112, {TypeCode(ExifType::kShort), 1, kMM, orientationMM}, 255).text,
            "Top right");
  EXPECT_EQ(FormatTagValue(library, 0x0112, {TypeCode(ExifType::kShort), 1, kII, orientationII}, 255).text,
            "Top right");
  // ComponentConfiguration reads its bytes first-lowest in either order.
  const Bytes components = {1, 2, 3, 0};
  EXPECT_EQ(FormatTagValue(library, 0x9101, {TypeCode(ExifType::kUndefined), 4, kMM, components}, 255).text, "YCbCr");
  const FormattedValue title = FormatTagValue(library, 0x9C9B, {TypeCode(ExifType::kByte), 6, kII, Bytes(6, 65)}, 255);
  EXPECT_EQ(title.status, format_status::kFixedText);
}

// The formats of release 5, from raw values.
TEST(FormatTagValue, ExifTwoThreeAndGpsFormats) {
  const auto rationals = [](std::vector<std::pair<uint32_t, uint32_t>> parts) {
    Bytes bytes;
    for (const auto& [num, den] : parts) {
      for (const uint32_t n : {num, den}) {
        for (int i = 3; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(n >> (8 * i)));
      }
    }
    return bytes;
  };
  const auto text = [](const std::string& bytes) { return Bytes(bytes.begin(), bytes.end()); };
  const struct {
    const char* what;
    int32_t tag;
    uint16_t type;
    Bytes bytes;
    const char* text;
  } cases[] = {
      {"UserComment in ASCII", 0x9286, 7, text("ASCII\0\0\0Hello\0\0"s), "Hello"},
      {"UserComment in UCS-2", 0x9286, 7, text("UNICODE\0\0H\0\xE9\0\0"s), "H\u00E9"},
      {"UserComment of undefined code", 0x9286, 7, text("\0\0\0\0\0\0\0\0  x  "s), "x"},
      {"UserComment shorter than its code", 0x9286, 7, text("abc"), "abc"},
      {"GPSLatitude", kGpsTagBase + 2, 5, rationals({{47, 1}, {39, 1}, {3600, 100}}), "47\u00B0 39' 36.00\""},
      {"GPSLongitude in decimal minutes", kGpsTagBase + 4, 5, rationals({{11, 1}, {531076, 10000}, {0, 1}}),
       "11\u00B0 53' 6.46\""},
      {"GPSLatitudeRef", kGpsTagBase + 1, 2, text("S\0"s), "South"},
      {"GPSLatitudeRef unknown", kGpsTagBase + 1, 2, text("X\0"s), "X"},
      {"GPSSpeedRef", kGpsTagBase + 12, 2, text("N\0"s), "knots"},
      {"GPSTimeStamp", kGpsTagBase + 7, 5, rationals({{14, 1}, {3, 1}, {2250, 100}}), "14:03:22.50"},
      {"GPSVersionID", kGpsTagBase + 0, 1, {2, 2, 0, 0}, "2.2.0.0"},
      {"GPSAltitude", kGpsTagBase + 6, 5, rationals({{1234, 10}}), "123.40 meters"},
      {"GPSAltitudeRef", kGpsTagBase + 5, 1, {1}, "Below Sea Level"},
      {"LensSpecification zoom", 0xA432, 5, rationals({{24, 1}, {70, 1}, {28, 10}, {4, 1}}), "24-70 mm f/2.8-4"},
      {"LensSpecification prime, F unknown", 0xA432, 5, rationals({{50, 1}, {50, 1}, {0, 0}, {0, 0}}), "50 mm f/?"},
      {"Temperature", 0x9400, 10, rationals({{0xFFFFFFC9, 10}}), "-5.50 \u00B0C"},
      {"SensitivityType", 0x8830, 3, {0, 3}, "ISO Speed"},
      {"CompositeImage", 0xA460, 3, {0, 2}, "General Composite Image"},
      {"LensModel", 0xA434, 2, text("EF24-70mm f/2.8L USM\0"s), "EF24-70mm f/2.8L USM"},
  };
  for (const auto& c : cases) {
    const uint32_t size = ExifTypeSize(c.type);
    const RawTagValue raw{c.type, static_cast<uint32_t>(c.bytes.size() / size), kMM, c.bytes};
    EXPECT_EQ(FormatTagValue(TagLibrary::BuiltIn(), c.tag, raw, 255).text, c.text) << c.what;
  }
}

// --- Real photos -----------------------------------------------------------

struct PhotoEntry {
  uint16_t tag;
  RawTagValue raw;
};

uint32_t ReadNumber(const Bytes& bytes, size_t at, size_t width, ByteOrder order) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    const size_t shift = order == kII ? i : width - 1 - i;
    value |= static_cast<uint32_t>(bytes[at + i]) << (8 * shift);
  }
  return value;
}

// The entries of IFD0 and the Exif IFD of a JPEG, with views of their value
// bytes into tiff. Entries whose value lies outside the segment are left out.
std::vector<PhotoEntry> ReadPhotoEntries(const Bytes& file, Bytes& tiff) {
  size_t at = 2;
  while (at + 4 <= file.size() && file[at] == 0xFF) {
    const size_t length = (file[at + 2] << 8) | file[at + 3];
    if (file[at + 1] == 0xE1 && length >= 8 && at + 2 + length <= file.size() &&
        std::equal(file.begin() + at + 4, file.begin() + at + 10, "Exif\0\0")) {
      tiff.assign(file.begin() + at + 10, file.begin() + at + 2 + length);
      break;
    }
    at += 2 + length;
  }
  std::vector<PhotoEntry> entries;
  if (tiff.size() < 8) return entries;
  const ByteOrder order = tiff[0] == 'M' ? kMM : kII;
  std::vector<uint32_t> directories = {ReadNumber(tiff, 4, 4, order)};
  for (size_t d = 0; d < directories.size() && d < 2; ++d) {
    const size_t start = directories[d];
    if (start + 2 > tiff.size()) break;
    const size_t count = ReadNumber(tiff, start, 2, order);
    for (size_t i = 0; i < count && start + 2 + 12 * (i + 1) <= tiff.size(); ++i) {
      const size_t entry = start + 2 + 12 * i;
      const uint16_t tag = static_cast<uint16_t>(ReadNumber(tiff, entry, 2, order));
      const uint16_t type = static_cast<uint16_t>(ReadNumber(tiff, entry + 2, 2, order));
      const uint32_t valueCount = ReadNumber(tiff, entry + 4, 4, order);
      const uint64_t total = TagValueByteCount(type, valueCount);
      size_t valueAt = entry + 8;
      if (total > 4) valueAt = ReadNumber(tiff, entry + 8, 4, order);
      if (tag == 0x8769) directories.push_back(ReadNumber(tiff, entry + 8, 4, order));
      if (valueAt > tiff.size() || total > tiff.size() - valueAt) continue;
      entries.push_back(
          {tag,
           {type, valueCount, order, std::span<const uint8_t>(tiff).subspan(valueAt, std::max<size_t>(total, 4))}});
    }
  }
  return entries;
}

// A number of exiftool's reading ("Group:Name": value), if present.
std::optional<double> OracleNumber(const std::string& json, const std::string& key) {
  const std::regex pattern("\"" + key + "\": (-?[0-9.eE+-]+)[,\n]");
  std::smatch match;
  if (!std::regex_search(json, match, pattern)) return std::nullopt;
  return std::stod(match[1]);
}

std::string Decimals(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", x);
  return text;
}

// The texts exported for a few measured values agree with exiftool's numbers.
TEST(FormatTagValue, AgreesWithExiftoolOnSamplePhotos) {
  KELVANE_REQUIRE_SAMPLES();
  struct Check {
    uint16_t tag;
    const char* key;
    std::string (*expected)(double);
  };
  const std::vector<Check> checks = {
      {0x829D, "ExifIFD:FNumber", [](double v) { return "F " + Decimals(v); }},
      {0x920A, "ExifIFD:FocalLength", [](double v) { return Decimals(v) + " mm"; }},
      {0x829A, "ExifIFD:ExposureTime",
       [](double v) {
         if (v == 0) return "0 seconds"s;
         if (v > 1) return Decimals(v) + " seconds";
         return "1/" + std::to_string(std::llround(1 / v)) + " seconds";
       }},
      {0x011A, "IFD0:XResolution", [](double v) { return std::to_string(std::llround(v)); }},
  };
  int compared = 0;
  for (const std::filesystem::path& photo : test::SamplePhotos()) {
    const std::filesystem::path oracle =
        *test::SamplesFolder() / "oracle" / std::filesystem::path(photo).replace_extension(".json");
    std::ifstream in(oracle);
    if (!in) continue;
    std::stringstream json;
    json << in.rdbuf();
    Bytes tiff;
    const Bytes file = test::ReadBytes((*test::SamplesFolder() / photo).string());
    for (const PhotoEntry& entry : ReadPhotoEntries(file, tiff)) {
      for (const Check& check : checks) {
        if (entry.tag != check.tag) continue;
        const std::optional<double> value = OracleNumber(json.str(), check.key);
        if (!value) continue;
        EXPECT_EQ(FormatTagValue(TagLibrary::BuiltIn(), entry.tag, entry.raw, 255).text, check.expected(*value))
            << photo << " " << check.key;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 40);
}

}  // namespace
}  // namespace kelvane
