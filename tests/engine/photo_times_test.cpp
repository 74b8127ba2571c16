// SPDX-License-Identifier: GPL-2.0-or-later
// The photo's date/times shifted in place, and the file's times set from
// them, on synthetic photos.
#include "engine/photo_times.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "engine/exif_reader.h"
#include "engine/file_times.h"
#include "support/jpeg_builder.h"
#include "support/test_support.h"
#include "time_zone_guard.h"

namespace kelvane {
namespace {

constexpr double kHour = 1.0 / 24;
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr double k20080501 = 39569;  // 2008-05-01 as a date value

// The three date/time texts of a synthetic photo, as stored (without the
// closing zero byte); nothing = no such tag.
struct Dates {
  std::optional<std::string> modified;
  std::optional<std::string> original;
  std::optional<std::string> digitized;
};

test::Bytes PhotoWith(const Dates& dates, bool bigEndian) {
  test::TiffLayout layout;
  layout.bigEndian = bigEndian;
  layout.ifd0.push_back(test::Ascii(0x010F, "Maker"));
  if (dates.modified) layout.ifd0.push_back(test::Ascii(0x0132, *dates.modified));
  layout.exif.emplace();
  if (dates.original) layout.exif->push_back(test::Ascii(0x9003, *dates.original));
  if (dates.digitized) layout.exif->push_back(test::Ascii(0x9004, *dates.digitized));
  layout.exif->push_back(test::Short(0xA002, 640, bigEndian));
  return test::BuildJpeg(test::BuildTiff(layout), {.app0 = true});
}

PhotoTimeParameters Shift() { return {.metadataTimeSelected = true}; }
PhotoTimeParameters AsDate(double date) {
  return {.metadataTimeSelected = true, .asDateChosen = true, .asDateValid = true, .asDateValue = date};
}

time_t ModifiedTimeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mtim.tv_sec;
}

void SetModifiedTime(const std::string& path, time_t when) {
  const timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// The photo's DateTimeOriginal as the reader finds it, closing zero dropped.
std::string TakenText(const std::string& path) {
  PhotoFile file;
  if (!file.Open(path, PhotoFile::Mode::kRead)) return "(can't open)";
  ExifReading reading;
  int32_t slot = 0;
  if (ReadExifTags(file, slot, reading) != ReadResult::kOk) return "(can't read)";
  std::string text = reading.tags[kSlotDateTimeOriginal].text;
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::string LastWriteText(const std::string& path) {
  int32_t which = kLastWriteTime;
  return FileTimeAsExifText(path, which);
}

class PhotoTimesTest : public ::testing::Test {
 protected:
  PhotoTimesTest() : zone_(kCentralEurope) {}

  static ProgramOptions Options(bool keepFileTimes = true, bool fromModified = false) {
    ProgramOptions options;
    options[ProgramOption::KeepFileTimes] = keepFileTimes;
    options[ProgramOption::FileTimeFromModified] = fromModified;
    return options;
  }

  std::string Write(const test::Bytes& bytes, const std::string& name = "photo.jpg") {
    const std::string path = scratch_.File(name);
    test::WriteBytes(path, bytes);
    return path;
  }

  test::ScratchFolder scratch_;
  test::TimeZoneGuard zone_;
};

TEST_F(PhotoTimesTest, ShiftsTheDateTimesThatEqualTheTakenTime) {
  const std::string t = "2007:01:13 09:05:07";
  const struct {
    const char* name;
    Dates before;
    double adjustment;
    PhotoTimeParameters parameters;
    AdjustResult code;
    Dates after;
  } cases[] = {
      {"all three equal, one day later",
       {t, t, t},
       1,
       Shift(),
       AdjustResult::kOk,
       {"2007:01:14 09:05:07", "2007:01:14 09:05:07", "2007:01:14 09:05:07"}},
      {"digitised differs and keeps its value",
       {t, t, "2007:01:12 08:00:00"},
       1,
       Shift(),
       AdjustResult::kOk,
       {"2007:01:14 09:05:07", "2007:01:14 09:05:07", "2007:01:12 08:00:00"}},
      {"modified differs and keeps its value",
       {"2009:09:09 09:09:09", t, t},
       -1,
       Shift(),
       AdjustResult::kOk,
       {"2009:09:09 09:09:09", "2007:01:12 09:05:07", "2007:01:12 09:05:07"}},
      {"a missing modified time stays missing",
       {std::nullopt, t, t},
       2 * kHour,
       Shift(),
       AdjustResult::kOk,
       {std::nullopt, "2007:01:13 11:05:07", "2007:01:13 11:05:07"}},
      {"an invalid modified time is left alone",
       {"2007-01-13 09:05:07", t, t},
       kHour,
       Shift(),
       AdjustResult::kOk,
       {"2007-01-13 09:05:07", "2007:01:13 10:05:07", "2007:01:13 10:05:07"}},
      {"as date plus two hours",
       {"2008:01:01 00:00:00", t, t},
       2 * kHour,
       AsDate(k20080501),
       AdjustResult::kOk,
       {"2008:01:01 00:00:00", "2008:05:01 11:05:07", "2008:05:01 11:05:07"}},
      {"as date alone keeps the time of day",
       {t, t, t},
       0,
       AsDate(k20080501),
       AdjustResult::kOk,
       {"2008:05:01 09:05:07", "2008:05:01 09:05:07", "2008:05:01 09:05:07"}},
      {"as date without a valid date shifts only",
       {t, t, t},
       kHour,
       {.metadataTimeSelected = true, .asDateChosen = true},
       AdjustResult::kOk,
       {"2007:01:13 10:05:07", "2007:01:13 10:05:07", "2007:01:13 10:05:07"}},
      {"past midnight into a new year",
       {"2007:12:31 23:30:00", "2007:12:31 23:30:00", std::nullopt},
       kHour,
       Shift(),
       AdjustResult::kOk,
       {"2008:01:01 00:30:00", "2008:01:01 00:30:00", std::nullopt}},
      {"earlier across a leap day",
       {std::nullopt, "2008:03:01 01:00:00", std::nullopt},
       -(1 + 2 * kHour + 3.0 / 1440 + 4.0 / 86400),
       Shift(),
       AdjustResult::kOk,
       {std::nullopt, "2008:02:28 22:56:56", std::nullopt}},
      {"leading spaces stay in front of the new text",
       {"  " + t, "  " + t, t},
       1,
       Shift(),
       AdjustResult::kOk,
       {"  2007:01:14 09:05:07", "  2007:01:14 09:05:07", "2007:01:14 09:05:07"}},
      {"no adjustment and no as date", {t, t, t}, 0, Shift(), AdjustResult::kFailed, {t, t, t}},
      {"photo time not the selected function", {t, t, t}, 1, {}, AdjustResult::kFailed, {t, t, t}},
      {"no taken time", {t, std::nullopt, t}, 1, Shift(), AdjustResult::kNoTakenTime, {t, std::nullopt, t}},
      {"invalid taken time",
       {t, "2007:02:30 10:00:00", t},
       1,
       Shift(),
       AdjustResult::kNoTakenTime,
       {t, "2007:02:30 10:00:00", t}},
      {"shifted before the first date value", {t, t, t}, -50000, Shift(), AdjustResult::kFailed, {t, t, t}},
  };
  for (const bool bigEndian : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (bigEndian ? " (MM)" : " (II)"));
      std::string path = Write(PhotoWith(c.before, bigEndian));
      EXPECT_EQ(AdjustPhotoDates(path, c.adjustment, c.parameters, Options()).result, c.code);
      EXPECT_EQ(test::ReadBytes(path), PhotoWith(c.after, bigEndian));
    }
  }
}

TEST_F(PhotoTimesTest, AnswersForFilesItCannotChange) {
  std::string missing = scratch_.File("missing.jpg");
  EXPECT_EQ(AdjustPhotoDates(missing, 1, Shift(), Options()).result, AdjustResult::kFileMissing);
  EXPECT_EQ(missing, "");

  const struct {
    const char* name;
    test::Bytes bytes;
    AdjustResult code;
  } cases[] = {
      {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a', 0, 0}, AdjustResult::kNotJpeg},
      {"no Exif segment", test::BuildJpeg({}, {.app0 = true, .exif = false}), AdjustResult::kNoExif},
      {"unusable Exif segment", test::BuildJpeg({'I', 'M', 42, 0, 8, 0, 0, 0}), AdjustResult::kFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = Write(c.bytes);
    EXPECT_EQ(AdjustPhotoDates(path, 1, Shift(), Options()).result, c.code);
    EXPECT_EQ(path, scratch_.File("photo.jpg"));
    EXPECT_EQ(test::ReadBytes(path), c.bytes);
  }
}

// A date/time whose offset points outside the Exif segment is never
// written, even when the bytes there read as a date/time.
TEST_F(PhotoTimesTest, NeverWritesOutsideTheExifSegment) {
  const std::string t = "2007:01:13 09:05:07";
  test::TiffLayout layout;
  layout.exif.emplace();
  layout.exif->push_back(test::Ascii(0x9003, t));
  const test::Bytes tiff = test::BuildTiff(layout);
  test::Bytes bytes = test::BuildJpeg(tiff, {});
  const size_t tiffStart = 2 + 4 + 6;  // SOI, APP1 marker and length, "Exif\0\0"
  const size_t stray = bytes.size();   // a copy of the text behind the end of the image
  bytes.insert(bytes.end(), t.begin(), t.end());
  bytes.push_back(0);
  layout.exif->back().valueField = static_cast<uint32_t>(stray - tiffStart);
  const test::Bytes tiffPointingOut = test::BuildTiff(layout);
  std::copy(tiffPointingOut.begin(), tiffPointingOut.end(), bytes.begin() + tiffStart);

  std::string path = Write(bytes);
  EXPECT_EQ(AdjustPhotoDates(path, 1, Shift(), Options(false)).result, AdjustResult::kFailed);
  EXPECT_EQ(test::ReadBytes(path), bytes);
}

TEST_F(PhotoTimesTest, SetsTheFileTimesFromTheNewTakenTime) {
  const std::string t = "2007:01:13 09:05:07";
  const struct {
    const char* name;
    Dates dates;
    bool keepFileTimes;
    bool fromModified;
    AdjustResult code;
    const char* lastWrite;  // nullptr: left as it was before the call
  } cases[] = {
      {"taken time", {"2009:09:09 09:09:09", t, t}, false, false, AdjustResult::kOk, "2007:01:14 09:05:07"},
      {"modified time by option", {"2009:09:09 09:09:09", t, t}, false, true, AdjustResult::kOk, "2009:09:09 09:09:09"},
      {"modified time that moved with the taken time",
       {t, t, t},
       false,
       true,
       AdjustResult::kOk,
       "2007:01:14 09:05:07"},
      {"modified time missing", {std::nullopt, t, t}, false, true, AdjustResult::kFileTimesNotSet, nullptr},
      {"file times kept", {t, t, t}, true, false, AdjustResult::kOk, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = Write(PhotoWith(c.dates, false));
    EXPECT_EQ(AdjustPhotoDates(path, 1, Shift(), Options(c.keepFileTimes, c.fromModified)).result, c.code);
    EXPECT_EQ(TakenText(path), "2007:01:14 09:05:07");
    if (c.lastWrite != nullptr) {
      EXPECT_EQ(LastWriteText(path), c.lastWrite);
    } else {
      EXPECT_GT(ModifiedTimeOf(path), time(nullptr) - 3600) << "the write's own time";
    }
  }
}

TEST_F(PhotoTimesTest, FileTimesFromThePhoto) {
  const std::string t = "2007:01:13 09:05:07";
  const std::string m = "2008:11:01 21:15:07";
  const struct {
    const char* name;
    test::Bytes bytes;
    bool fromModified;
    bool result;
    const char* lastWrite;  // nullptr: left as it was
  } cases[] = {
      {"taken time", PhotoWith({m, t, t}, true), false, true, "2007:01:13 09:05:07"},
      {"modified time by option", PhotoWith({m, t, t}, false), true, true, "2008:11:01 21:15:07"},
      {"no modified time", PhotoWith({std::nullopt, t, t}, false), true, false, nullptr},
      {"no taken time", PhotoWith({m, std::nullopt, t}, false), false, false, nullptr},
      {"invalid taken time", PhotoWith({m, "2007:13:13 09:05:07", t}, false), false, false, nullptr},
      {"no Exif segment", test::BuildJpeg({}, {.exif = false}), false, false, nullptr},
  };
  const time_t before = 1000000000;  // 2001
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(c.bytes);
    SetModifiedTime(path, before);
    EXPECT_EQ(SetFileTimesFromPhoto(path, Options(false, c.fromModified)), c.result);
    if (c.lastWrite != nullptr) {
      EXPECT_EQ(LastWriteText(path), c.lastWrite);
    } else {
      EXPECT_EQ(ModifiedTimeOf(path), before);
    }
    EXPECT_EQ(test::ReadBytes(path), c.bytes);
  }
  EXPECT_FALSE(SetFileTimesFromPhoto(scratch_.File("missing.jpg"), Options(false)));
}

// The changed texts are one write of the span that holds them: a failed
// (or torn) write is put back, and the photo is as it was.
TEST_F(PhotoTimesTest, AFailedWriteLeavesThePhotoAsItWas) {
  const std::string t = "2007:01:13 09:05:07";
  const test::Bytes original = PhotoWith({t, t, t}, true);
  const CommitSteps system = CommitSteps::System();
  for (const bool torn : {false, true}) {
    SCOPED_TRACE(torn ? "torn" : "refused");
    int calls = 0;
    CommitSteps steps = system;
    steps.write = [&](PhotoFile& file, int64_t offset, const std::vector<uint8_t>& bytes) {
      if (++calls != 1) return system.write(file, offset, bytes);
      if (torn) system.write(file, offset, std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
      errno = 0;
      return false;
    };
    std::string path = Write(original);
    const AdjustOutcome outcome = AdjustPhotoDates(path, 1, Shift(), Options(false), steps);
    EXPECT_EQ(outcome.result, AdjustResult::kWriteFailed);
    EXPECT_NE(outcome.osError, 0);
    EXPECT_EQ(test::ReadBytes(path), original);
    EXPECT_EQ(calls, 2) << "one write of the span, one to put it back";
  }
}

TEST_F(PhotoTimesTest, WritesThroughAReadOnlyDescriptorChangeNothing) {
  const std::string t = "2007:01:13 09:05:07";
  const test::Bytes original = PhotoWith({t, t, t}, false);
  std::string path = Write(original);
  CommitSteps steps = CommitSteps::System();
  steps.write = [&](PhotoFile&, int64_t offset, const std::vector<uint8_t>& bytes) {
    PhotoFile readOnly;
    return readOnly.Open(path, PhotoFile::Mode::kRead) && readOnly.WriteAt(offset, bytes.data(), bytes.size());
  };
  EXPECT_EQ(AdjustPhotoDates(path, 1, Shift(), Options(false), steps).result, AdjustResult::kWriteFailed);
  EXPECT_EQ(test::ReadBytes(path), original);
}

// An overwrite of equal length allocates nothing, so a full disk can't stop
// it; a file-size limit at the photo's size shows that the file never grows.
TEST_F(PhotoTimesTest, NeverGrowsThePhoto) {
  const std::string t = "2007:01:13 09:05:07";
  const test::Bytes original = PhotoWith({t, t, t}, false);
  std::string path = Write(original);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{original.size(), original.size()};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(static_cast<int>(AdjustPhotoDates(path, 1, Shift(), Options(false)).result));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(AdjustResult::kOk));
  const std::string n = "2007:01:14 09:05:07";
  EXPECT_EQ(test::ReadBytes(path), PhotoWith({n, n, n}, false));
}

}  // namespace
}  // namespace kelvane
