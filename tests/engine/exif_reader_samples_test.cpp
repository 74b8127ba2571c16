// SPDX-License-Identifier: GPL-2.0-or-later
// Reads every sample photo and compares the nine slots with exiftool.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "engine/exif_reader.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

// exiftool's reading of every sample photo, keyed by path relative to the
// samples folder.
std::map<std::string, json> ExiftoolReadings() {
  std::map<std::string, json> readings;
  const auto folder = test::SamplesFolder();
  const auto output = test::RunCommand("cd " + test::ShellQuote(folder->string()) +
                                       " && exiftool -j -a -G1 -s -n -r -ext jpg . 2>/dev/null");
  if (!output) return readings;
  for (const auto& entry : json::parse(*output)) {
    readings[fs::path(entry["SourceFile"].get<std::string>()).lexically_normal().string()] = entry;
  }
  return readings;
}

std::string AsText(const json& value) { return value.is_string() ? value.get<std::string>() : value.dump(); }

// The slot's text as exiftool shows it: closing zero bytes dropped, a zero
// byte inside (the Copyright separator) as a line break.
std::string ShownText(std::string text) {
  while (!text.empty() && text.back() == '\0') text.pop_back();
  for (char& c : text) {
    if (c == '\0') c = '\n';
  }
  return text;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.pop_back();
  return text;
}

// The first component of a SHORT or LONG slot (a single SHORT's field holds
// its value).
int64_t FirstNumber(const ExifTagRecord& r, int order) {
  const auto v = static_cast<uint32_t>(r.valueField);
  if (r.type == 4 || r.count == 1) return v;
  return order == 1 ? v >> 16 : v & 0xFFFF;
}

const json* Find(const json& reading, const std::vector<const char*>& keys) {
  for (const char* key : keys) {
    if (reading.contains(key)) return &reading[key];
  }
  return nullptr;
}

TEST(ExifReaderSamples, AgreesWithExiftool) {
  KELVANE_REQUIRE_SAMPLES();
  if (!test::HaveProgram("exiftool")) GTEST_SKIP() << "exiftool missing";
  const auto readings = ExiftoolReadings();
  ASSERT_FALSE(readings.empty());
  const fs::path folder = *test::SamplesFolder();
  int compared = 0;
  for (const auto& relative : test::SamplePhotos()) {
    SCOPED_TRACE(relative.string());
    const std::string path = (folder / relative).string();
    PhotoFile file;
    ASSERT_TRUE(file.Open(path, PhotoFile::Mode::kRead));
    ExifReading reading;
    int32_t slot = 0;
    const ReadResult code = ReadExifTags(file, slot, reading);
    const json& theirs = readings.at(relative.lexically_normal().string());

    if (relative.begin()->string() == "no-exif") {
      EXPECT_EQ(code, ReadResult::kNoExif);
      const auto bytes = test::ReadBytes(path);
      const int32_t expected = bytes[2] == 0xFF && bytes[3] == 0xE0 ? 4 + (bytes[4] << 8 | bytes[5]) : 2;
      EXPECT_EQ(slot, expected);
      continue;
    }
    if (!theirs.contains("File:ExifByteOrder")) {
      // exiftool gives up on this file; the reader may still read it.
      EXPECT_NE(code, ReadResult::kTagNotFound);
      continue;
    }
    ASSERT_EQ(code, ReadResult::kOk);
    ++compared;
    const auto& seg = reading.segment;
    const auto& tags = reading.tags;
    EXPECT_EQ(seg[kLocByteOrder] == 1 ? "MM" : "II", theirs["File:ExifByteOrder"].get<std::string>());

    const struct {
      int slot;
      std::vector<const char*> keys;
    } texts[] = {{kSlotDateTime, {"IFD0:ModifyDate"}},
                 {kSlotDateTimeOriginal, {"ExifIFD:DateTimeOriginal", "IFD0:DateTimeOriginal"}},
                 {kSlotDateTimeDigitized, {"ExifIFD:CreateDate", "IFD0:CreateDate"}},
                 {kSlotImageDescription, {"IFD0:ImageDescription"}}};
    for (const auto& t : texts) {
      const json* value = Find(theirs, t.keys);
      EXPECT_EQ(tags[t.slot].tag != 0, value != nullptr) << "slot " << t.slot;
      if (value != nullptr) {
        EXPECT_EQ(ShownText(tags[t.slot].text), AsText(*value)) << "slot " << t.slot;
      }
    }
    // exiftool drops trailing blanks of a Copyright notice.
    const json* copyright = Find(theirs, {"IFD0:Copyright"});
    EXPECT_EQ(tags[kSlotCopyright].tag != 0, copyright != nullptr);
    if (copyright != nullptr) {
      EXPECT_EQ(TrimRight(ShownText(tags[kSlotCopyright].text)), TrimRight(AsText(*copyright)));
    }
    const std::pair<int, std::vector<const char*>> sizes[] = {
        {kSlotImageWidth, {"ExifIFD:ExifImageWidth", "IFD0:ExifImageWidth"}},
        {kSlotImageHeight, {"ExifIFD:ExifImageHeight", "IFD0:ExifImageHeight"}}};
    for (const auto& [slotNo, keys] : sizes) {
      const json* value = Find(theirs, keys);
      EXPECT_EQ(tags[slotNo].tag != 0, value != nullptr) << "slot " << slotNo;
      if (value != nullptr) {
        EXPECT_EQ(std::to_string(FirstNumber(tags[slotNo], seg[kLocByteOrder])),
                  AsText(*value).substr(0, AsText(*value).find(' ')));
      }
    }
  }
  EXPECT_GT(compared, 30);
}

}  // namespace
}  // namespace kelvane
