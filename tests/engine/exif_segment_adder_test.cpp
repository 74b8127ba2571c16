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

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  struct tm t {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return mktime(&t);
}

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st;
}

using SegmentAdderTest = test::SegmentAdderTest;

TEST_F(SegmentAdderTest, CreateInsertsAfterApp0OrElseAfterTheStartOfImage) {
  for (bool app0 : {true, false}) {
    SCOPED_TRACE(app0 ? "APP0" : "no APP0");
    const Bytes before = TargetJpeg(app0, 16, 24);
    const std::string target = Write(app0 ? "a.jpg" : "b.jpg", before);
    ASSERT_EQ(Add(target, Request(ProgramFunction::CreateMetadata)), add_segment_code::kOk);
    const Bytes segment = AsBytes(BuildMinimalExifSegment(kFileTime, 16, 24));
    EXPECT_EQ(test::ReadBytes(target), Inserted(before, app0 ? kApp0End : 2, segment));
  }
}

TEST_F(SegmentAdderTest, CreateTakesTheEarliestFileTimeAndTheFrameSize) {
  const ScopedTimeZone zone("UTC0");
  const Bytes before = TargetJpeg(true, 1200, 1600, 5000);
  const std::string target = Write("photo.jpg", before);
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  // Accessed 2008-01-02, modified 2007-04-30 09:15:22: the modified time is the earliest.
  const struct timespec times[2] = {{LocalTime(2008, 1, 2, 0, 0, 0), 0}, {LocalTime(2007, 4, 30, 9, 15, 22), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, target.c_str(), times, 0), 0);
  AddSegmentRequest request = Request(ProgramFunction::CreateMetadata);
  request.fileTimes.earliestFileTime = [](const std::string& path) {
    const struct stat st = StatOf(path);
    const time_t earliest = std::min(st.st_atime, st.st_mtime);
    struct tm local {};
    localtime_r(&earliest, &local);
    char text[32];
    strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
    return std::string(text);
  };

  ASSERT_EQ(Add(target, request), add_segment_code::kOk);

  EXPECT_EQ(test::ReadBytes(target).size(), before.size() + 1198);
  const ExifReading reading = ReadBack(target);
  for (int slot : {kSlotDateTime, kSlotDateTimeOriginal, kSlotDateTimeDigitized}) {
    EXPECT_EQ(reading.tags[slot].text, std::string("2007:04:30 09:15:22") + '\0');
  }
  EXPECT_EQ(reading.tags[kSlotImageWidth].valueField, 1600);
  EXPECT_EQ(reading.tags[kSlotImageHeight].valueField, 1200);
  EXPECT_EQ(timesSetFor_, std::vector<std::string>{target});
  const struct stat after = StatOf(target);
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  EXPECT_EQ(after.st_mtime, times[1].tv_sec) << "the new photo keeps the target's times until they are set";
  EXPECT_EQ(ScratchNames(), std::vector<std::string>{"photo.jpg"});
  EXPECT_EQ(TemporaryFileCount(), 0u);
}

// With the program's own file-time functions the created photo's file time
// becomes its (new) taken time.
TEST_F(SegmentAdderTest, CreateWithThePhotoFileTimesSetsTheFileTimeFromTheNewSegment) {
  const ScopedTimeZone zone("UTC0");
  const std::string target = Write("photo.jpg", TargetJpeg(true, 120, 160, 500));
  const struct timespec times[2] = {{LocalTime(2008, 1, 2, 0, 0, 0), 0}, {LocalTime(2007, 4, 30, 9, 15, 23), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, target.c_str(), times, 0), 0);
  TempFolder tempFolder;
  EngineContext context{fileOps_, tempFolder, {}, nullptr, {}};
  AddSegmentRequest request = Request(ProgramFunction::CreateMetadata);
  request.fileTimes = PhotoFileTimes(context);
  std::string name = target;
  ASSERT_EQ(AddExifSegment(name, request, context), add_segment_code::kOk);
  EXPECT_EQ(ReadBack(target).tags[kSlotDateTimeOriginal].text, std::string("2007:04:30 09:15:23") + '\0');
  EXPECT_EQ(StatOf(target).st_mtime, times[1].tv_sec);
}

TEST_F(SegmentAdderTest, KeepFileTimesLeavesTheTimesAlone) {
  options_[ProgramOption::KeepFileTimes] = true;
  const std::string target = Write("photo.jpg", TargetJpeg(false, 10, 10));
  const struct timespec times[2] = {{1200000000, 0}, {1100000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, target.c_str(), times, 0), 0);
  ASSERT_EQ(Add(target, Request(ProgramFunction::CreateMetadata)), add_segment_code::kOk);
  EXPECT_TRUE(timesSetFor_.empty());
  EXPECT_EQ(StatOf(target).st_mtime, 1100000000);
  EXPECT_EQ(StatOf(target).st_atime, 1200000000);
}

TEST_F(SegmentAdderTest, FileTimesThatCannotBeSetGiveSevenWithTheSegmentInPlace) {
  setTimesWorks_ = false;
  const std::string target = Write("photo.jpg", TargetJpeg(false, 10, 10));
  EXPECT_EQ(Add(target, Request(ProgramFunction::CreateMetadata)), add_segment_code::kTimesNotSet);
  ReadBack(target);
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

      ASSERT_EQ(Add(target, Request(ProgramFunction::RestoreMetadata, source)), add_segment_code::kOk);

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

    ASSERT_EQ(Add(target, Request(ProgramFunction::RestoreMetadata, source)), add_segment_code::kOk);

    const ExifReading restored = ReadBack(target);
    const int32_t expected = c.expectedLengthField != 0 ? c.expectedLengthField : sourceLength + c.added;
    EXPECT_EQ(restored.segment[kLocLength], expected);
    EXPECT_EQ(test::ReadBytes(target).size(), TargetJpeg(false, 10, 10).size() + expected + 2);
  }
}

TEST_F(SegmentAdderTest, RefusesAndLeavesTheTargetAsItWas) {
  using namespace add_segment_code;
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
    ProgramFunction function;
    Bytes target;
    std::optional<Bytes> source;  // restore only; nothing = no source file
    int16_t code;
  } cases[] = {
      {"not restore or create", ProgramFunction::AddCopyright, plain, std::nullopt, kNotPossible},
      {"target has Exif", ProgramFunction::CreateMetadata, exifTarget, std::nullopt, kHasExif},
      {"target has Exif beyond 100,000 bytes", ProgramFunction::CreateMetadata, farExifTarget, std::nullopt, kHasExif},
      {"target without start-of-image marker", ProgramFunction::CreateMetadata, noSoi, std::nullopt, kHasExif},
      {"progressive target", ProgramFunction::CreateMetadata, TargetJpeg(true, 10, 10, 64, 0xC2), std::nullopt,
       kNoImageSize},
      {"not a JPEG file", ProgramFunction::CreateMetadata, AsBytes("plain text, no photo"), std::nullopt, kNoImageSize},
      {"insertion point past the end", ProgramFunction::CreateMetadata, app0PastEnd, std::nullopt, kNotPossible},
      {"source missing", ProgramFunction::RestoreMetadata, plain, std::nullopt, kSourceUnusable},
      {"source without Exif", ProgramFunction::RestoreMetadata, plain, plain, kSourceUnusable},
      {"source not a JPEG", ProgramFunction::RestoreMetadata, plain, AsBytes("text"), kSourceUnusable},
      {"source without Exif IFD", ProgramFunction::RestoreMetadata, plain, test::BuildJpeg(test::BuildTiff(noExifIfd)),
       kNotPossible},
      {"source width as text", ProgramFunction::RestoreMetadata, plain, test::BuildJpeg(test::BuildTiff(asciiWidth)),
       kNotPossible},
      {"source without height", ProgramFunction::RestoreMetadata, plain, test::BuildJpeg(test::BuildTiff(noHeight)),
       kNotPossible},
      {"source width outside its segment", ProgramFunction::RestoreMetadata, plain,
       test::BuildJpeg(test::BuildTiff(widthOutside)), kNotPossible},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScratchFolder folder;
    const std::string target = folder.File("target.jpg");
    test::WriteBytes(target, c.target);
    const std::string source = folder.File("source.jpg");
    if (c.source) test::WriteBytes(source, *c.source);
    EXPECT_EQ(Add(target, Request(c.function, source)), c.code);
    EXPECT_EQ(test::ReadBytes(target), c.target);
    EXPECT_EQ(TemporaryFileCount(), 0u);
  }
  EXPECT_TRUE(timesSetFor_.empty());
}

TEST_F(SegmentAdderTest, CreateFailsWhenTheFileTimeCannotBeHad) {
  const Bytes before = TargetJpeg(false, 10, 10);
  const std::string target = Write("photo.jpg", before);
  for (const std::string& time : {std::string(), std::string("2007:04:30")}) {
    earliestTime_ = time;
    EXPECT_EQ(Add(target, Request(ProgramFunction::CreateMetadata)), add_segment_code::kNotBuilt);
    EXPECT_EQ(test::ReadBytes(target), before);
  }
  EXPECT_EQ(earliestAskedFor_, (std::vector<std::string>{target, target}));
}

TEST_F(SegmentAdderTest, MissingTargetEmptiesTheName) {
  std::string target = scratch_.File("gone.jpg");
  EngineContext context{fileOps_, tempFolder_, options_, nullptr, {}};
  EXPECT_EQ(AddExifSegment(target, Request(ProgramFunction::CreateMetadata), context),
            add_segment_code::kTargetMissing);
  EXPECT_TRUE(target.empty());
}

TEST_F(SegmentAdderTest, ATemporaryFileThatCannotBeRemovedGivesEight) {
  std::filesystem::create_directories(std::filesystem::path(tempFolder_.FirstTempFile()) / "inside");
  const Bytes before = TargetJpeg(false, 10, 10);
  const std::string target = Write("photo.jpg", before);
  EXPECT_EQ(Add(target, Request(ProgramFunction::CreateMetadata)), add_segment_code::kNotPossible);
  EXPECT_EQ(test::ReadBytes(target), before);
}

TEST_F(SegmentAdderTest, ProgressMovesWithinTheFileRangeBetweenChunks) {
  test::ScriptedLibrary library;
  library.chunk = 4096;
  test::RecordingUi ui;
  const std::string target = Write("photo.jpg", TargetJpeg(false, 10, 10, 20000));
  ASSERT_EQ(Add(target, Request(ProgramFunction::CreateMetadata), library, &ui), add_segment_code::kOk);
  EXPECT_EQ(library.calls, 6);  // 21,296 bytes in chunks of 4096
  ASSERT_EQ(ui.progress.size(), 5u);
  EXPECT_TRUE(std::is_sorted(ui.progress.begin(), ui.progress.end()));
  EXPECT_GE(ui.progress.front(), 10);
  EXPECT_LE(ui.progress.back(), 20);
  EXPECT_EQ(ui.pumps, 5);
  ReadBack(target);
}

}  // namespace
}  // namespace kelvane
