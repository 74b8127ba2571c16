// SPDX-License-Identifier: GPL-2.0-or-later
// Restore and create on the sample photos, read back by exiftool.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>

#include "engine/exif_segment_adder.h"
#include "exif_segment_adder_fixture.h"
#include "support/exiftool_oracle.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

// The first number of a value exiftool shows with -n ("100 0" for two SHORTs).
int64_t FirstNumber(const json& value) {
  return value.is_number() ? value.get<int64_t>() : std::stoll(value.get<std::string>());
}

bool InFolder(const fs::path& relative, std::initializer_list<const char*> folders) {
  for (const char* folder : folders) {
    if (relative.begin()->string() == folder) return true;
  }
  return false;
}

class SegmentAdderSamplesTest : public test::SegmentAdderTest {
 protected:
  void SetUp() override {
    if (!test::SamplesFolder()) GTEST_SKIP() << "no samples";
    if (!test::HaveExiftool()) GTEST_SKIP() << "no exiftool";
  }
};

// exiftool's readings of every photo in a folder, keyed by file name: one
// exiftool run for all of them.
std::map<std::string, json> TagsOfFolder(const fs::path& folder) {
  std::map<std::string, json> tags;
  const auto output =
      test::RunCommand("exiftool -j -a -G1 -s -n -b -ext jpg " + test::ShellQuote(folder) + " 2>/dev/null");
  if (!output) return tags;
  for (const auto& entry : json::parse(*output)) {
    tags[fs::path(entry["SourceFile"].get<std::string>()).filename()] = entry;
  }
  return tags;
}

std::map<std::string, std::multiset<std::string>> WarningsOfFolder(const fs::path& folder) {
  std::map<std::string, std::multiset<std::string>> warnings;
  const auto output =
      test::RunCommand("exiftool -validate -warning -a -s -s -ext jpg " + test::ShellQuote(folder) + " 2>/dev/null");
  if (!output) return warnings;
  std::istringstream lines(*output);
  std::string line;
  std::string file;
  const std::string header = "======== ";
  const std::string warning = "Warning: ";
  while (std::getline(lines, line)) {
    if (line.rfind(header, 0) == 0) {
      file = fs::path(line.substr(header.size())).filename();
      warnings[file];
    } else if (line.rfind(warning, 0) == 0) {
      warnings[file].insert(line.substr(warning.size()));
    }
  }
  return warnings;
}

// Every sample with an Exif segment, stripped of it by exiftool and restored
// from the original, reads back as the original with its own frame size.
TEST_F(SegmentAdderSamplesTest, RestoredCopiesReadLikeTheirOriginals) {
  test::ScratchFolder scratch;
  const fs::path originals = scratch.path() / "originals";
  const fs::path targets = scratch.path() / "targets";
  fs::create_directories(originals);
  for (const auto& relative : test::SamplePhotos()) {
    if (!InFolder(relative, {"cameras", "gps", "large", "xmp", "layout", "nodate", "text"})) continue;
    fs::copy_file(*test::SamplesFolder() / relative, originals / relative.filename());
  }
  ASSERT_TRUE(test::RunCommand("exiftool -q -exif:all= -o " + test::ShellQuote(targets.string() + "/") + " " +
                               test::ShellQuote(originals)));
  const auto before = TagsOfFolder(originals);
  const auto warningsBefore = WarningsOfFolder(originals);
  ASSERT_GT(before.size(), 30u);

  std::set<std::string> restored;
  for (const auto& [name, tags] : before) {
    SCOPED_TRACE(name);
    const std::string target = targets / name;
    ReadBack(target, ReadResult::kNoExif);
    const test::Bytes stripped = test::ReadBytes(target);
    const AddSegmentResult code = Add(target, SegmentKind::kRestore, originals / name);
    if (tags.contains("ExifIFD:ExifImageWidth") && tags.contains("ExifIFD:ExifImageHeight")) {
      // Without a taken time the file times are not set.
      EXPECT_EQ(code,
                tags.contains("ExifIFD:DateTimeOriginal") ? AddSegmentResult::kOk : AddSegmentResult::kTimesNotSet);
      restored.insert(name);
    } else {
      EXPECT_EQ(code, AddSegmentResult::kNotPossible);
      EXPECT_EQ(test::ReadBytes(target), stripped);
    }
  }
  EXPECT_GT(restored.size(), 30u);

  const auto after = TagsOfFolder(targets);
  const auto warningsAfter = WarningsOfFolder(targets);
  for (const auto& name : restored) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(after.count(name));
    const json& tags = after.at(name);
    EXPECT_EQ(test::TagDifferences(before.at(name), tags, {"ExifIFD:ExifImageWidth", "ExifIFD:ExifImageHeight"}),
              std::vector<std::string>{});
    EXPECT_EQ(FirstNumber(tags["ExifIFD:ExifImageWidth"]), tags["File:ImageWidth"].get<int64_t>());
    EXPECT_EQ(FirstNumber(tags["ExifIFD:ExifImageHeight"]), tags["File:ImageHeight"].get<int64_t>());
    EXPECT_EQ(test::NewWarnings(warningsBefore.at(name), warningsAfter.at(name)), std::vector<std::string>{});
  }
}

// The warnings a segment holding only date/times and the size must give:
// the tags the Exif standard requires that it does not hold.
const std::set<std::string> kMissingRequiredTags = {
    "Missing required JPEG IFD0 tag 0x011a XResolution",
    "Missing required JPEG IFD0 tag 0x011b YResolution",
    "Missing required JPEG IFD0 tag 0x0128 ResolutionUnit",
    "Missing required JPEG IFD0 tag 0x0213 YCbCrPositioning",
    "Missing required JPEG ExifIFD tag 0x9101 ComponentsConfiguration",
    "Missing required JPEG ExifIFD tag 0xa000 FlashpixVersion",
    "Missing required JPEG ExifIFD tag 0xa001 ColorSpace",
};

TEST_F(SegmentAdderSamplesTest, CreatedSegmentsReadBackWithTheirDatesAndSize) {
  int created = 0;
  for (const auto& relative : test::SamplePhotos()) {
    if (!InFolder(relative, {"no-exif"})) continue;
    SCOPED_TRACE(relative.string());
    test::ScratchFolder folder;
    const std::string target = folder.CopySample(relative);
    test::SetFileTimes(target, test::kLaterAccess, test::kFileTimeSeconds);

    ASSERT_EQ(Add(target, SegmentKind::kCreate), AddSegmentResult::kOk);
    ++created;
    const auto after = test::ExiftoolTags(target);
    ASSERT_TRUE(after);
    for (const char* key : {"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate"}) {
      EXPECT_EQ((*after).value(key, std::string()), test::kFileTime) << key;
    }
    EXPECT_EQ((*after)["ExifIFD:ExifImageWidth"], (*after)["File:ImageWidth"]);
    EXPECT_EQ((*after)["ExifIFD:ExifImageHeight"], (*after)["File:ImageHeight"]);
    for (const auto& warning : test::ExiftoolWarnings(target)) {
      EXPECT_TRUE(kMissingRequiredTags.count(warning)) << warning;
    }
  }
  EXPECT_EQ(created, 4) << "the progressive photo too";
}

}  // namespace
}  // namespace kelvane
