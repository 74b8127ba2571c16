// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/exif_segment_adder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>

#include "engine/minimal_exif_segment.h"
#include "exif_segment_adder_fixture.h"

namespace kelvane {
namespace {

using test::Append;
using test::Bytes;
using test::kFileTime;
using test::TargetJpeg;

constexpr int kApp0End = 2 + 18;

Bytes Inserted(const Bytes& target, size_t at, const Bytes& segment) {
  Bytes out(target.begin(), target.begin() + static_cast<long>(at));
  Append(out, segment);
  out.insert(out.end(), target.begin() + static_cast<long>(at), target.end());
  return out;
}

Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The Exif segment of a photo as the reader locates it.
Bytes SegmentOf(const Bytes& photo, const ExifSegmentInfo& seg) {
  const auto start = photo.begin() + seg[kLocMarker] - 1;
  return Bytes(start, start + seg[kLocLength] + 2);
}

using SegmentAdderTest = test::SegmentAdderTest;

TEST_F(SegmentAdderTest, CreateInsertsAfterApp0OrElseAfterTheStartOfImage) {
  // Every start-of-frame marker gives the size, progressive ones too.
  for (uint8_t frame : {0xC0, 0xC1, 0xC2, 0xC3}) {
    for (bool app0 : {true, false}) {
      SCOPED_TRACE(std::to_string(frame) + (app0 ? " APP0" : " no APP0"));
      const Bytes before = TargetJpeg(app0, 16, 24, 64, frame);
      const std::string target = Write("photo.jpg", before);
      ASSERT_EQ(Add(target, SegmentKind::kCreate), AddSegmentResult::kOk);
      const Bytes segment = AsBytes(BuildMinimalExifSegment(kFileTime, 16, 24));
      EXPECT_EQ(test::ReadBytes(target), Inserted(before, app0 ? kApp0End : 2, segment));
    }
  }
}

TEST_F(SegmentAdderTest, CreateTakesTheEarliestFileTimeAndTheFrameSize) {
  const Bytes before = TargetJpeg(true, 1200, 1600, 5000);
  const std::string target = Write("photo.jpg", before);
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  // Accessed 2008-01-02, modified 2007-04-30 09:15:22: the modified time is the earliest.
  ASSERT_EQ(Add(target, SegmentKind::kCreate), AddSegmentResult::kOk);
  const struct stat after = test::StatOf(target);  // before a read moves the access time
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  EXPECT_EQ(after.st_mtime, test::kFileTimeSeconds) << "set from the new taken time";
  EXPECT_EQ(after.st_atime, test::kLaterAccess) << "kept from the target";

  EXPECT_EQ(test::ReadBytes(target).size(), before.size() + 1198);
  const ExifReading reading = ReadBack(target);
  for (int slot : {kSlotDateTime, kSlotDateTimeOriginal, kSlotDateTimeDigitized}) {
    EXPECT_EQ(reading.tags[slot].text, std::string(kFileTime) + '\0');
  }
  EXPECT_EQ(reading.tags[kSlotImageWidth].valueField, 1600);
  EXPECT_EQ(reading.tags[kSlotImageHeight].valueField, 1200);
  EXPECT_EQ(ScratchNames(), std::vector<std::string>{"photo.jpg"});
}

TEST_F(SegmentAdderTest, KeepFileTimesLeavesTheTimesAlone) {
  options_[ProgramOption::KeepFileTimes] = true;
  const std::string source = Write("source.jpg", test::BuildJpeg(test::BuildTiff(test::SourceLayout(false))));
  for (SegmentKind kind : {SegmentKind::kCreate, SegmentKind::kRestore}) {
    const std::string target = Write("photo.jpg", TargetJpeg(false, 10, 10));
    test::SetFileTimes(target, 1200000000, 1100000000);
    ASSERT_EQ(Add(target, kind, source), AddSegmentResult::kOk);
    EXPECT_EQ(test::StatOf(target).st_mtime, 1100000000);
    EXPECT_EQ(test::StatOf(target).st_atime, 1200000000);
  }
}

// A restored segment without a valid taken time gives no file time: 7, with
// the segment added and the target's own times kept.
TEST_F(SegmentAdderTest, FileTimesThatCannotBeSetGiveSevenWithTheSegmentInPlace) {
  test::TiffLayout undated = test::SourceLayout(false);
  (*undated.exif)[1] = test::Ascii(0x9003, "2007:13:12 09:08:07");
  const std::string source = Write("source.jpg", test::BuildJpeg(test::BuildTiff(undated)));
  const std::string target = Write("photo.jpg", TargetJpeg(false, 10, 10));
  EXPECT_EQ(Add(target, SegmentKind::kRestore, source), AddSegmentResult::kTimesNotSet);
  ReadBack(target);
  EXPECT_EQ(test::StatOf(target).st_mtime, test::kFileTimeSeconds);
}

TEST_F(SegmentAdderTest, RestoreWritesTheTargetSizeInTheSourceByteOrderAndType) {
  for (bool bigEndian : {false, true}) {
    for (bool widthShort : {true, false}) {
      SCOPED_TRACE(std::string(bigEndian ? "MM" : "II") + (widthShort ? " SHORT width" : " LONG width"));
      test::ScratchFolder folder;
      const Bytes sourceBytes = test::BuildJpeg(test::BuildTiff(test::SourceLayout(bigEndian, widthShort)));
      const std::string source = folder.File("source.jpg");
      test::WriteBytes(source, sourceBytes);
      const Bytes before = TargetJpeg(true, 480, 640);
      const std::string target = folder.File("target.jpg");
      test::WriteBytes(target, before);

      ASSERT_EQ(Add(target, SegmentKind::kRestore, source), AddSegmentResult::kOk);

      // The source's segment with the size values replaced and 2048 bytes of room added.
      const ExifReading sourceReading = ReadBack(source);
      Bytes expected = SegmentOf(sourceBytes, sourceReading.segment);
      const auto place = [&](int slot, const Bytes& value) {
        const auto at = static_cast<size_t>(sourceReading.tags[slot].dataPosition - sourceReading.segment[kLocMarker]);
        std::copy(value.begin(), value.end(), expected.begin() + static_cast<long>(at));
      };
      Bytes width = widthShort ? test::U16Bytes(640, bigEndian) : test::U32Bytes(640, bigEndian);
      width.resize(4, 0);
      place(kSlotImageWidth, width);
      place(kSlotImageHeight, test::U32Bytes(480, bigEndian));
      const size_t length = expected.size() - 2 + 2048;
      expected[2] = static_cast<uint8_t>(length >> 8);
      expected[3] = static_cast<uint8_t>(length);
      expected.resize(expected.size() + 2048, 0);
      EXPECT_EQ(test::ReadBytes(target), Inserted(before, kApp0End, expected));
      EXPECT_EQ(ReadBack(target).tags[kSlotCopyright].text, std::string("Photographer") + '\0');
    }
  }
}

TEST_F(SegmentAdderTest, RestoreAddsRoomOnlyWhenLittleFollowsTheExifData) {
  const struct {
    const char* name;
    size_t bigIfd0Value;          // an unknown IFD0 tag of this many bytes before the Exif IFD
    size_t trailingZeros;         // zero bytes after the Exif IFD's data
    int32_t expectedLengthField;  // 0: the source's own + what is added below
    int32_t added;
  } cases[] = {
      {"little room: 2048 added", 0, 0, 0, 2048},
      {"1023 bytes of room: 2048 added", 0, 1023, 0, 2048},
      {"1024 bytes of room: kept as it is", 0, 1024, 0, 0},
      {"near the length limit: filled up to 65535", 64000, 0, 65535, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TiffLayout layout = test::SourceLayout(false);
    if (c.bigIfd0Value > 0) layout.ifd0.push_back(test::Undefined(0xC4A5, std::string(c.bigIfd0Value, 'p')));
    Bytes tiff = test::BuildTiff(layout);
    tiff.resize(tiff.size() + c.trailingZeros, 0);
    const std::string source = Write("source.jpg", test::BuildJpeg(tiff));
    const int32_t sourceLength = ReadBack(source).segment[kLocLength];
    const std::string target = Write("target.jpg", TargetJpeg(false, 10, 10));

    ASSERT_EQ(Add(target, SegmentKind::kRestore, source), AddSegmentResult::kOk);

    const ExifReading restored = ReadBack(target);
    const int32_t expected = c.expectedLengthField != 0 ? c.expectedLengthField : sourceLength + c.added;
    EXPECT_EQ(restored.segment[kLocLength], expected);
    EXPECT_EQ(test::ReadBytes(target).size(), TargetJpeg(false, 10, 10).size() + expected + 2);
  }
}

TEST_F(SegmentAdderTest, RefusesAndLeavesTheTargetAsItWas) {
  using enum AddSegmentResult;
  const Bytes plain = TargetJpeg(true, 10, 10);
  Bytes exifTarget = test::BuildJpeg(test::BuildTiff(test::SourceLayout(false)), {.app0 = true});
  Bytes farExifTarget =
      test::BuildJpeg(test::BuildTiff(test::SourceLayout(false)), {.app0 = true, .paddingBefore = 120000});
  Bytes noSoi = plain;
  noSoi[0] = 0;
  noSoi[1] = 0;
  // An APP0 whose length bytes start with 0xFF: the segment walk passes it as
  // a marker without length, but the insertion point it gives lies past the end.
  Bytes app0PastEnd = {0xFF, 0xD8, 0xFF, 0xE0};
  Append(app0PastEnd, Bytes(plain.begin() + kApp0End + 69, plain.end()));

  test::TiffLayout noExifIfd = test::SourceLayout(false);
  noExifIfd.exif.reset();
  test::TiffLayout asciiWidth = test::SourceLayout(false);
  (*asciiWidth.exif)[2] = test::Ascii(0xA002, "640");
  test::TiffLayout noHeight = test::SourceLayout(false);
  noHeight.exif->pop_back();
  test::TiffLayout widthOutside = test::SourceLayout(false);
  (*widthOutside.exif)[2] = {0xA002, 3, 4, {}, 0x7000};  // four SHORTs at an offset past the segment

  const struct {
    const char* name;
    SegmentKind kind;
    Bytes target;
    std::optional<Bytes> source;  // restore only; nothing = no source file
    AddSegmentResult code;
  } cases[] = {
      {"target has Exif", SegmentKind::kCreate, exifTarget, std::nullopt, kHasExif},
      {"target has Exif beyond 100,000 bytes", SegmentKind::kCreate, farExifTarget, std::nullopt, kHasExif},
      {"target without start-of-image marker", SegmentKind::kCreate, noSoi, std::nullopt, kHasExif},
      {"no frame header, only a table", SegmentKind::kCreate, Bytes(plain.begin(), plain.begin() + kApp0End + 69),
       std::nullopt, kNoImageSize},
      {"not a JPEG file", SegmentKind::kCreate, AsBytes("plain text, no photo"), std::nullopt, kNoImageSize},
      {"insertion point past the end", SegmentKind::kCreate, app0PastEnd, std::nullopt, kNotPossible},
      {"source missing", SegmentKind::kRestore, plain, std::nullopt, kSourceUnusable},
      {"source without Exif", SegmentKind::kRestore, plain, plain, kSourceUnusable},
      {"source not a JPEG", SegmentKind::kRestore, plain, AsBytes("text"), kSourceUnusable},
      {"source without Exif IFD", SegmentKind::kRestore, plain, test::BuildJpeg(test::BuildTiff(noExifIfd)),
       kNotPossible},
      {"source width as text", SegmentKind::kRestore, plain, test::BuildJpeg(test::BuildTiff(asciiWidth)),
       kNotPossible},
      {"source without height", SegmentKind::kRestore, plain, test::BuildJpeg(test::BuildTiff(noHeight)), kNotPossible},
      {"source width outside its segment", SegmentKind::kRestore, plain, test::BuildJpeg(test::BuildTiff(widthOutside)),
       kNotPossible},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScratchFolder folder;
    const std::string target = folder.File("target.jpg");
    test::WriteBytes(target, c.target);
    test::SetFileTimes(target, test::kLaterAccess, test::kFileTimeSeconds);
    const std::string source = folder.File("source.jpg");
    if (c.source) test::WriteBytes(source, *c.source);
    EXPECT_EQ(Add(target, c.kind, source), c.code);
    EXPECT_EQ(test::ReadBytes(target), c.target);
    EXPECT_EQ(test::StatOf(target).st_mtime, test::kFileTimeSeconds) << "times untouched";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), c.source ? 2 : 1);
  }
}

// A file time before 1980 is no Exif date/time: no segment is built.
TEST_F(SegmentAdderTest, CreateFailsWhenTheFileTimeCannotBeHad) {
  const Bytes before = TargetJpeg(false, 10, 10);
  const std::string target = Write("photo.jpg", before);
  test::SetFileTimes(target, test::kLaterAccess, 300000000);  // 1979
  EXPECT_EQ(Add(target, SegmentKind::kCreate), AddSegmentResult::kNotBuilt);
  EXPECT_EQ(test::ReadBytes(target), before);
}

TEST_F(SegmentAdderTest, MissingTargetEmptiesTheName) {
  std::string target = scratch_.File("gone.jpg");
  EXPECT_EQ(AddExifSegment(target, SegmentKind::kCreate, {}, options_).result, AddSegmentResult::kTargetMissing);
  EXPECT_TRUE(target.empty());
}

}  // namespace
}  // namespace kelvane
