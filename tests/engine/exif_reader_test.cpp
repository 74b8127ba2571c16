// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/exif_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/jpeg_builder.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

using test::Ascii;
using test::BuildJpeg;
using test::BuildTiff;
using test::Bytes;
using test::JpegLayout;
using test::Long;
using test::Short;
using test::TiffLayout;

struct ReadOutcome {
  ReadResult code;
  int32_t slotRequest;
  ExifReading reading;
};

class ExifReaderTest : public ::testing::Test {
 protected:
  ReadOutcome Read(const Bytes& bytes, int32_t slotRequest = 0, ExifReading reading = {}) {
    const std::string path = scratch_.File("photo.jpg");
    test::WriteBytes(path, bytes);
    return ReadFile(path, slotRequest, std::move(reading));
  }

  ReadOutcome ReadFile(const std::string& path, int32_t slotRequest = 0, ExifReading reading = {}) {
    PhotoFile file;
    EXPECT_TRUE(file.Open(path, PhotoFile::Mode::kRead));
    const ReadResult code = ReadExifTags(file, slotRequest, reading);
    return {code, slotRequest, std::move(reading)};
  }

  static TiffLayout CameraLayout(bool bigEndian) {
    TiffLayout t;
    t.bigEndian = bigEndian;
    t.ifd0 = {Ascii(0x010F, "Maker"), Ascii(0x0132, "2007:01:13 10:20:30"), Ascii(0x8298, "Me")};
    t.exif = std::vector<test::TiffEntry>{test::Undefined(0x9000, "0220"), Ascii(0x9003, "2007:01:12 09:08:07"),
                                          Ascii(0x9004, "2007:01:12 09:08:08"), Short(0xA002, 640, bigEndian),
                                          Long(0xA003, 480, bigEndian)};
    // A camera's junk in the unused bytes of a SHORT's field does not count.
    t.exif->at(3).valueField = bigEndian ? 0x0280DEADu : 0xDEAD0280u;
    return t;
  }

  test::ScratchFolder scratch_;
};

TEST_F(ExifReaderTest, ReadsEveryKnownTagInBothByteOrders) {
  for (bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "MM" : "II");
    const auto out = Read(BuildJpeg(BuildTiff(CameraLayout(bigEndian))));
    ASSERT_EQ(out.code, ReadResult::kOk);
    EXPECT_EQ(out.slotRequest, 0);
    const auto& seg = out.reading.segment;
    const auto& tags = out.reading.tags;
    EXPECT_EQ(seg[kLocMarker], 3);
    EXPECT_EQ(seg[kLocTiffBase], 13);
    EXPECT_EQ(seg[kLocByteOrder], bigEndian ? 1 : 0);
    EXPECT_EQ(seg[kLocIfd0Offset], 8);
    EXPECT_EQ(seg[kLocIfd0Count], 4);
    EXPECT_EQ(seg[kLocExifIfdCount], 5);
    EXPECT_EQ(seg[kLocExifIfdOffset], tags[kSlotExifOffset].valueField);
    EXPECT_EQ(tags[kSlotDateTime].text, std::string("2007:01:13 10:20:30") + '\0');
    EXPECT_EQ(tags[kSlotDateTimeOriginal].text, std::string("2007:01:12 09:08:07") + '\0');
    EXPECT_EQ(tags[kSlotDateTimeDigitized].text, std::string("2007:01:12 09:08:08") + '\0');
    EXPECT_EQ(tags[kSlotCopyright].text, std::string("Me") + '\0');
    EXPECT_EQ(tags[kSlotCopyright].dataPosition, tags[kSlotCopyright].entryPosition + 8);
    EXPECT_EQ(tags[kSlotExifVersion].text, "2.2");
    EXPECT_EQ(tags[kSlotImageWidth].type, 3);
    EXPECT_EQ(tags[kSlotImageWidth].valueField, 640);
    EXPECT_EQ(tags[kSlotImageHeight].valueField, 480);
    EXPECT_EQ(tags[kSlotImageDescription].tag, 0);
    EXPECT_EQ(tags[kSlotDateTimeOriginal].directory, 1);
    EXPECT_EQ(tags[kSlotDateTime].directory, 0);
    // The data ends: Maker (6 bytes) and the date (20) lie outside IFD0's entries.
    EXPECT_EQ(seg[kLocIfd0DataEnd], tags[kSlotDateTime].dataPosition + 20);
    EXPECT_EQ(seg[kLocExifIfdDataEnd], tags[kSlotDateTimeDigitized].dataPosition + 20);
  }
}

TEST_F(ExifReaderTest, FindsTheSegmentBehindOtherSegments) {
  const Bytes tiff = BuildTiff(CameraLayout(false));
  struct Case {
    const char* name;
    JpegLayout layout;
    ReadResult code;
    int32_t slotRequest;
  } cases[] = {
      {"APP0 first", {.app0 = true}, ReadResult::kOk, 0},
      {"XMP before Exif", {.xmpBefore = true}, ReadResult::kOk, 0},
      {"APP0 and XMP", {.app0 = true, .xmpBefore = true}, ReadResult::kOk, 0},
      {"Exif within the searched range", {.paddingBefore = 90000}, ReadResult::kOk, 0},
      {"Exif beyond 100,000 bytes", {.paddingBefore = 100100}, ReadResult::kNoExif, 2},
      {"APP0, no Exif", {.app0 = true, .exif = false}, ReadResult::kNoExif, 20},
      {"neither", {.exif = false}, ReadResult::kNoExif, 2},
      {"XMP only", {.xmpBefore = true, .exif = false}, ReadResult::kNoExif, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto out = Read(BuildJpeg(tiff, c.layout));
    EXPECT_EQ(out.code, c.code);
    EXPECT_EQ(out.slotRequest, c.slotRequest);
    if (c.code == ReadResult::kOk) {
      EXPECT_EQ(out.reading.tags[kSlotCopyright].text, std::string("Me") + '\0');
    }
  }
}

TEST_F(ExifReaderTest, RejectsWhatIsNotAJpeg) {
  for (const Bytes& bytes : {Bytes{}, Bytes{0xFF}, Bytes{0xFF, 0xD9, 0, 0}, Bytes{'G', 'I', 'F', '8'}}) {
    auto out = Read(bytes, 0);
    EXPECT_EQ(out.code, ReadResult::kNotJpeg);
    EXPECT_EQ(out.slotRequest, 0) << "left unchanged";
  }
}

// Replaces bytes of the TIFF header inside a built file.
Bytes WithTiffBytes(Bytes jpeg, size_t tiffOffset, const Bytes& bytes) {
  const size_t base = 12;  // SOI, APP1 marker and length, "Exif\0\0"
  std::copy(bytes.begin(), bytes.end(), jpeg.begin() + static_cast<long>(base + tiffOffset));
  return jpeg;
}

TEST_F(ExifReaderTest, UnusableTiffHeadersGiveNine) {
  const Bytes good = BuildJpeg(BuildTiff(CameraLayout(false)));
  struct Case {
    const char* name;
    size_t offset;
    Bytes bytes;
  } cases[] = {
      {"IM", 0, {'I', 'M'}},
      {"MI", 0, {'M', 'I'}},
      {"XX", 0, {'X', 'X'}},
      {"no 42", 2, {43, 0}},
      {"IFD0 past the end", 4, {0, 0, 0, 0x10}},
      {"IFD0 offset of 2^31", 4, {0, 0, 0, 0x80}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(WithTiffBytes(good, c.offset, c.bytes)).code, ReadResult::kBadExif);
  }
}

TEST_F(ExifReaderTest, LimitsDirectoriesToTwoHundredEntries) {
  for (int entries : {200, 201}) {
    TiffLayout t;
    for (int i = 0; i < entries; ++i) t.ifd0.push_back(Short(static_cast<uint16_t>(0x1000 + i), 1, false));
    EXPECT_EQ(Read(BuildJpeg(BuildTiff(t))).code, entries == 200 ? ReadResult::kOk : ReadResult::kBadExif);
  }
}

TEST_F(ExifReaderTest, AcceptsOnlyTheTypesItCanUse) {
  struct Case {
    const char* name;
    test::TiffEntry entry;
    ReadResult code;
  } cases[] = {
      {"Copyright as BYTE", {0x8298, 1, 4, {'a', 'b', 'c', 0}, std::nullopt}, ReadResult::kBadExif},
      {"Copyright as UNDEFINED", test::Undefined(0x8298, "abc"), ReadResult::kOk},
      {"unknown tag as DOUBLE", {0x1234, 12, 1, Bytes(8, 0), std::nullopt}, ReadResult::kOk},
      {"unknown tag of type 13", {0x1234, 13, 1, Bytes(4, 0), std::nullopt}, ReadResult::kBadExif},
      {"unknown tag of type 0", {0x1234, 0, 1, Bytes(4, 0), std::nullopt}, ReadResult::kBadExif},
      {"count 0xFFFFFFFF", {0x1234, 2, 0xFFFFFFFF, Bytes(4, 0), std::nullopt}, ReadResult::kBadExif},
      {"data past the end", {0x8298, 2, 40, Bytes(40, 'a'), 0x7FFFFF00}, ReadResult::kBadExif},
      {"data offset of 2^31", {0x8298, 2, 40, Bytes(40, 'a'), 0x80000000}, ReadResult::kBadExif},
      {"zero-length Copyright", {0x8298, 2, 0, {}, std::nullopt}, ReadResult::kOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TiffLayout t;
    t.ifd0 = {c.entry};
    EXPECT_EQ(Read(BuildJpeg(BuildTiff(t))).code, c.code);
  }
}

TEST_F(ExifReaderTest, HoldsTheExifVersionAsANumber) {
  for (auto [raw, text] : {std::pair{"0220", "2.2"}, {"0100", "1"}, {"0231", "2.31"}}) {
    TiffLayout t;
    t.exif = std::vector<test::TiffEntry>{test::Undefined(0x9000, raw)};
    const auto out = Read(BuildJpeg(BuildTiff(t)));
    ASSERT_EQ(out.code, ReadResult::kOk);
    EXPECT_EQ(out.reading.tags[kSlotExifVersion].text, text);
  }
}

TEST_F(ExifReaderTest, WithoutExifPointerOnlyIfd0IsWalked) {
  TiffLayout t;
  t.ifd0 = {Ascii(0x0132, "2007:01:13 10:20:30")};
  const auto out = Read(BuildJpeg(BuildTiff(t)));
  ASSERT_EQ(out.code, ReadResult::kOk);
  EXPECT_EQ(out.reading.segment[kLocExifIfdOffset], 0);
  EXPECT_EQ(out.reading.segment[kLocExifIfdCount], 0);
  EXPECT_EQ(out.reading.segment[kLocExifIfdDataEnd], 0);
  EXPECT_EQ(out.reading.tags[kSlotExifOffset].tag, 0);
}

TEST_F(ExifReaderTest, SingleSlotModeFillsOnlyThatSlot) {
  ExifReading before;
  before.tags[kSlotImageDescription].tag = 0x010E;
  before.tags[kSlotImageDescription].text = "kept";
  const Bytes photo = BuildJpeg(BuildTiff(CameraLayout(false)));

  auto found = Read(photo, kSlotCopyright, before);
  EXPECT_EQ(found.code, ReadResult::kOk);
  EXPECT_EQ(found.reading.tags[kSlotCopyright].text, std::string("Me") + '\0');
  EXPECT_EQ(found.reading.tags[kSlotImageDescription].text, "kept");
  EXPECT_EQ(found.reading.tags[kSlotDateTime].tag, 0);
  EXPECT_EQ(found.reading.segment[kLocIfd0DataEnd], 0) << "walk stopped early";

  auto inExif = Read(photo, kSlotDateTimeOriginal, before);
  EXPECT_EQ(inExif.code, ReadResult::kOk);
  EXPECT_EQ(inExif.reading.tags[kSlotDateTimeOriginal].text, std::string("2007:01:12 09:08:07") + '\0');

  auto missing = Read(photo, kSlotImageDescription, before);
  EXPECT_EQ(missing.code, ReadResult::kTagNotFound);
  EXPECT_EQ(missing.reading.tags[kSlotImageDescription].text, "kept");
}

TEST_F(ExifReaderTest, SingleSlotModeDoesNotFollowAnotherFilesExifPointer) {
  TiffLayout noExif;
  noExif.ifd0 = {Ascii(0x010F, "Maker")};
  ExifReading stale;
  stale.tags[kSlotExifOffset].tag = 0x8769;
  stale.tags[kSlotExifOffset].valueField = 8;  // IFD0 of this file, walked again as the Exif IFD
  const auto out = Read(BuildJpeg(BuildTiff(noExif)), kSlotDateTimeOriginal, stale);
  EXPECT_EQ(out.code, ReadResult::kTagNotFound);
  EXPECT_EQ(out.reading.segment[kLocExifIfdOffset], 0);
}

TEST_F(ExifReaderTest, ExifPointerBackToIfd0Ends) {
  TiffLayout t;
  t.ifd0 = {Ascii(0x0132, "2007:01:13 10:20:30"), {0x8769, 4, 1, {}, 8u}};
  const auto out = Read(BuildJpeg(BuildTiff(t)));
  EXPECT_EQ(out.code, ReadResult::kOk);
  EXPECT_EQ(out.reading.segment[kLocExifIfdOffset], 8);
}

TEST_F(ExifReaderTest, DataEndFollowsEntryOrder) {
  // The second block starts below the first one's end: it does not move it.
  TiffLayout t;
  t.ifd0 = {{0x1000, 2, 8, Bytes(8, 'b'), 200u}, {0x1001, 2, 100, Bytes(100, 'a'), 150u}};
  Bytes photo = BuildJpeg(BuildTiff(t));
  photo.resize(photo.size() + 400, 0);
  const auto out = Read(photo);
  ASSERT_EQ(out.code, ReadResult::kOk);
  EXPECT_EQ(out.reading.segment[kLocIfd0DataEnd], 13 + 200 + 8);
}

TEST_F(ExifReaderTest, TruncatedPhotosNeverCrash) {
  const Bytes photo = BuildJpeg(BuildTiff(CameraLayout(true)), {.app0 = true});
  for (size_t length = 0; length < photo.size(); ++length) {
    const auto out = Read(Bytes(photo.begin(), photo.begin() + static_cast<long>(length)));
    EXPECT_TRUE(out.code == ReadResult::kNotJpeg || out.code == ReadResult::kNoExif ||
                out.code == ReadResult::kBadExif || out.code == ReadResult::kOk)
        << length;
  }
}

// The marker search covers the first 100,000 bytes: an APP1 marker whose two
// bytes both lie in them is found, one that ends past them is not.
TEST_F(ExifReaderTest, SearchesForTheSegmentInTheFirstHundredThousandBytes) {
  const Bytes tiff = BuildTiff(CameraLayout(false));
  // SOI and two APP2 headers come before the padding.
  for (const auto& [markerAt, expected] : {std::pair{99998, ReadResult::kOk}, {99999, ReadResult::kNoExif}}) {
    const Bytes photo = BuildJpeg(tiff, {.paddingBefore = static_cast<size_t>(markerAt) - 10});
    ASSERT_EQ(photo[static_cast<size_t>(markerAt) + 1], 0xE1);
    EXPECT_EQ(Read(photo).code, expected) << markerAt;
    auto memory = PhotoFile::InMemory(photo);
    int32_t slot = 0;
    ExifReading reading;
    EXPECT_EQ(ReadExifTags(memory, slot, reading), expected) << "in memory, " << markerAt;
  }
}

}  // namespace
}  // namespace kelvane
