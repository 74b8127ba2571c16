// SPDX-License-Identifier: GPL-2.0-or-later
// Edits every camera photo of the samples and checks with exiftool and
// exiv2 that nothing but the edited tag changed and no new fault appeared.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>

#include "engine/exif_directory_walk.h"
#include "engine/text_tag_writer.h"
#include "support/exiftool_oracle.h"
#include "support/test_support.h"
#include "tag_records.h"

namespace kelvane {
namespace {

using test::Removal;
using test::StoredText;

using json = nlohmann::json;

// exiv2's complaints when it reads the photo, and its exit status.
std::string Exiv2Errors(const std::string& path) {
  const auto out = test::RunCommand("exiv2 -pa " + test::ShellQuote(path) + " 2>&1 >/dev/null; echo rc=$?");
  return out.value_or("exiv2 did not run");
}

// The program's own reading of the photo.
std::optional<ExifReading> Reading(const std::string& path) {
  PhotoFile file;
  ExifReading reading;
  int32_t request = 0;
  if (!file.Open(path, PhotoFile::Mode::kRead) || ReadExifTags(file, request, reading) != ReadResult::kOk) {
    return std::nullopt;
  }
  return reading;
}

// The maker note's TIFF offset and bytes, as the photo holds them.
std::pair<uint32_t, test::Bytes> MakerNote(const std::string& path) {
  const auto read = Reading(path);
  if (!read) return {};
  const ExifReading& reading = *read;
  const test::Bytes bytes = test::ReadBytes(path);
  const size_t tiff = static_cast<size_t>(reading.segment[kLocTiffBase] - 1);
  const size_t end = static_cast<size_t>(reading.segment[kLocMarker] - 1 + reading.segment[kLocLength] + 2);
  const std::span<const uint8_t> structure(bytes.data() + tiff, end - tiff);
  ExifStructure walked;
  if (WalkExifDirectories(structure, walked) != WalkResult::kOk) return {};
  for (const IfdEntry& e : walked[IfdKind::kExif].entries) {
    if (e.tag == 0x927C && e.OutOfLine()) {
      const auto value = structure.subspan(e.valueOffset, e.byteLength);
      return {e.valueOffset, test::Bytes(value.begin(), value.end())};
    }
  }
  return {};
}

// The camera photos: every sample folder but the ones without (usable) Exif.
std::vector<std::string> CameraPhotos() {
  std::vector<std::string> photos;
  for (const auto& relative : test::SamplePhotos()) {
    const std::string folder = relative.begin()->string();
    if (folder != "no-exif" && folder != "broken") photos.push_back(relative.string());
  }
  if (photos.empty()) photos.push_back("none");
  return photos;
}

struct Step {
  const char* name;
  int slot;
  ExifTagRecord tag;
  std::string key;
  std::optional<std::string> shown;  // exiftool's reading afterwards; nothing = absent
};

class TextTagWriterSamples : public testing::TestWithParam<std::string> {};

TEST_P(TextTagWriterSamples, EditsChangeNothingElse) {
  KELVANE_REQUIRE_SAMPLES();
  if (!test::HaveExiftool() || !test::HaveProgram("exiv2")) GTEST_SKIP() << "exiftool or exiv2 missing";
  const std::string ann = "Copyright(C) 2008 Ann Smith - All Rights Reserved.";
  const std::string bob = "Copyright(C) 2009 Bob Jones - All Rights Reserved.";
  const Step steps[] = {
      {"both notices", kSlotCopyright, StoredText(kSlotCopyright, ann + '\0' + bob + '\0'), "IFD0:Copyright",
       ann + '\n' + bob},
      {"shorter notice", kSlotCopyright, StoredText(kSlotCopyright, bob + '\0'), "IFD0:Copyright", bob},
      {"long description", kSlotImageDescription, StoredText(kSlotImageDescription, std::string(299, 'd') + '\0'),
       "IFD0:ImageDescription", std::string(299, 'd')},
      {"no description", kSlotImageDescription, Removal(kSlotImageDescription), "IFD0:ImageDescription", {}},
  };
  const std::set<std::string> edited = {"IFD0:Copyright", "IFD0:ImageDescription"};

  test::ScratchFolder scratch;
  const std::string photo = scratch.CopySample(GetParam());
  const auto before = test::ExiftoolTags(photo);
  ASSERT_TRUE(before.has_value());
  const auto warningsBefore = test::ExiftoolWarnings(photo);
  const std::string exiv2Before = Exiv2Errors(photo);
  const auto makerNote = MakerNote(photo);
  const bool hasExifIfd = std::any_of(before->items().begin(), before->items().end(),
                                      [](const auto& item) { return item.key().rfind("ExifIFD:", 0) == 0; });

  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const test::Bytes original = test::ReadBytes(photo);
    std::string name = photo;
    const WriteTagResult result = WriteExifTag(name, step.slot, step.tag, ProgramOptions{}).result;
    if (!hasExifIfd) {
      EXPECT_EQ(result, WriteTagResult::kNoExifIfd);
      EXPECT_TRUE(test::ReadBytes(photo) == original) << "the photo was changed";
      continue;
    }
    ASSERT_EQ(result, WriteTagResult::kOk);
    const auto after = test::ExiftoolTags(photo);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(test::TagDifferences(*before, *after, edited), std::vector<std::string>{});
    EXPECT_EQ(test::NewWarnings(warningsBefore, test::ExiftoolWarnings(photo)), std::vector<std::string>{});
    if (step.shown) {
      EXPECT_EQ(after->value(step.key, json()), json(*step.shown));
    } else {
      EXPECT_FALSE(after->contains(step.key));
    }
    EXPECT_EQ(Exiv2Errors(photo), exiv2Before);
    const auto reading = Reading(photo);
    ASSERT_TRUE(reading.has_value());
    EXPECT_EQ(reading->tags[static_cast<size_t>(step.slot)].text, step.tag.text);
    EXPECT_TRUE(MakerNote(photo) == makerNote) << "the maker note moved or changed";
  }
}

INSTANTIATE_TEST_SUITE_P(Photos, TextTagWriterSamples, testing::ValuesIn(CameraPhotos()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace_if(
                               name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                           return name;
                         });

}  // namespace
}  // namespace kelvane
