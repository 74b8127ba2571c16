// SPDX-License-Identifier: GPL-2.0-or-later
// Exports of the sample photos, read back by an independent CSV reader
// (Python's csv module) and compared with exiftool's reading.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "export/export_driver.h"
#include "export_harness.h"
#include "support/exiftool_oracle.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using test::ExportHarness;

using CsvRows = std::vector<std::vector<std::string>>;

// The rows of a delimited file as Python's csv module reads them (strict
// RFC 4180 quoting); nothing when it can't read the file.
std::optional<CsvRows> ReadCsv(const std::string& path, char delimiter) {
  static const char* kScript =
      "import csv, json, sys\n"
      "with open(sys.argv[1], newline='', encoding='utf-8', errors='strict') as f:\n"
      "    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[2], strict=True))))\n";
  const auto output = test::RunCommand("/usr/bin/python3 -c " + test::ShellQuote(kScript) + " " +
                                       test::ShellQuote(path) + " " + test::ShellQuote(std::string(1, delimiter)));
  if (!output) return std::nullopt;
  return nlohmann::json::parse(*output).get<CsvRows>();
}

// Copies every photo of the samples folder (or of one of its sub-folders)
// into folder.
std::vector<std::string> CopySamples(const ExportHarness& h, const std::string& subFolder = {}) {
  std::vector<std::string> names;
  for (const fs::path& photo : test::SamplePhotos()) {
    if (!subFolder.empty() && photo.parent_path() != subFolder) continue;
    fs::copy_file(*test::SamplesFolder() / photo, h.Photo(photo.filename().string()));
    names.push_back(photo.filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

size_t IndexOf(const std::vector<std::string>& row, const std::string& cell) {
  return static_cast<size_t>(std::find(row.begin(), row.end(), cell) - row.begin());
}

bool HavePython() { return fs::exists("/usr/bin/python3"); }

TEST(ExportSamples, SpreadsheetCsvOfTheCameraPhotos) {
  KELVANE_REQUIRE_SAMPLES();
  if (!HavePython()) GTEST_SKIP() << "no /usr/bin/python3";
  ExportHarness h;
  const std::vector<std::string> names = CopySamples(h, "cameras");
  ASSERT_EQ(ExportFolder(h.photos, names, h.Out("cameras.csv"), h.context).code, ExportFolderCode::kExported);
  // Clean text: no zero byte anywhere (the reader below takes nothing but UTF-8).
  const test::Bytes written = test::ReadBytes(h.Out("cameras.csv"));
  EXPECT_EQ(std::count(written.begin(), written.end(), 0), 0);

  const auto rows = ReadCsv(h.Out("cameras.csv"), ',');
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 2 + names.size());
  const auto& ids = (*rows)[0];
  const auto& titles = (*rows)[1];
  EXPECT_EQ(ids[0], "");
  EXPECT_EQ(titles[0], "Filename");
  EXPECT_EQ(titles.back(), "Folder");
  for (size_t r = 1; r < rows->size(); ++r) {
    // Every line has as many fields as the first.
    EXPECT_EQ((*rows)[r].size(), ids.size()) << r;
    if (r < 2) continue;
    EXPECT_EQ((*rows)[r][0], names[r - 2]);
    EXPECT_EQ((*rows)[r].back(), fs::canonical(h.photos).string() + "/");
  }

  const struct {
    const char* id;
    const char* title;
  } columns[] = {{"271", "Make"},
                 {"272", "Model"},
                 {"33434", "ExposureTime"},
                 {"33437", "FNumber"},
                 {"36867", "DateTimeOriginal"},
                 {"37386", "FocalLength"}};
  for (const auto& c : columns) {
    const size_t at = IndexOf(ids, c.id);
    ASSERT_LT(at, ids.size()) << c.id;
    EXPECT_EQ(titles[at], c.title);
  }
  const auto cell = [&](const std::string& photo, const char* id) {
    return (*rows)[2 + IndexOf(names, photo)][IndexOf(ids, id)];
  };
  EXPECT_EQ(cell("Canon_40D.jpg", "271"), "Canon");
  EXPECT_EQ(cell("Canon_40D.jpg", "272"), "Canon EOS 40D");
  EXPECT_EQ(cell("Canon_40D.jpg", "33434"), "1/160 seconds");
  EXPECT_EQ(cell("Canon_40D.jpg", "33437"), "F 7.10");
  EXPECT_EQ(cell("Canon_40D.jpg", "36867"), "2008:05:30 15:56:01");
  EXPECT_EQ(cell("Canon_40D.jpg", "37386"), "135.00 mm");
  // Values holding the delimiter survive the round trip.
  EXPECT_EQ(cell("35-empty.jpg", "271"), "CASIO COMPUTER CO.,LTD ");  // stored with a trailing blank
  // A maker note's bytes stop at their first zero byte.
  EXPECT_EQ(cell("Fujifilm_FinePix6900ZOOM.jpg", "37500"), "FUJIFILM\x0C");
  EXPECT_EQ(cell("olympus-c960.jpg", "272"), "C960Z,D460Z");
  // A big-endian photo.
  EXPECT_EQ(cell("kodak-dc240.jpg", "37386"), "14.00 mm");
}

TEST(ExportSamples, DatabaseCsvOfTheCameraPhotos) {
  KELVANE_REQUIRE_SAMPLES();
  if (!HavePython()) GTEST_SKIP() << "no /usr/bin/python3";
  ExportHarness h;
  h.options.exportType = ExportType::DbCsv;
  h.writer.csvDelimiter = 9;
  h.initialFileNumber = "0";
  const std::vector<std::string> names = CopySamples(h, "cameras");
  const ExportFolderResult result = ExportFolder(h.photos, names, h.Out("Trip_D.csv"), h.context);
  ASSERT_EQ(result.code, ExportFolderCode::kExported);
  EXPECT_EQ(result.targetText, h.Out("Trip.csv"));
  EXPECT_EQ(h.initialFileNumber, "1");

  const auto tags = ReadCsv(h.Out("Trip_T.csv"), '\t');
  const auto files = ReadCsv(h.Out("Trip_F.csv"), '\t');
  const auto data = ReadCsv(h.Out("Trip_D.csv"), '\t');
  ASSERT_TRUE(tags && files && data);
  ASSERT_EQ(tags->size(), TagLibrary::BuiltIn().RecordedTags().size() + 1);
  EXPECT_EQ(tags->back(), (std::vector<std::string>{"65535", "0", "[Unknown Tags]"}));
  EXPECT_NE(std::find(tags->begin(), tags->end(), std::vector<std::string>{"271", "0", "Make"}), tags->end());

  ASSERT_EQ(files->size(), names.size());
  for (size_t p = 0; p < names.size(); ++p) {
    EXPECT_EQ((*files)[p],
              (std::vector<std::string>{std::to_string(p + 1), names[p], fs::canonical(h.photos).string() + "/"}));
  }
  const std::string canonRef = std::to_string(IndexOf(names, "Canon_40D.jpg") + 1);
  const auto has = [&](const std::vector<std::string>& row) {
    return std::find(data->begin(), data->end(), row) != data->end();
  };
  EXPECT_TRUE(has({canonRef, "271", "Canon"}));
  EXPECT_TRUE(has({canonRef, "33437", "F 7.10"}));
  EXPECT_TRUE(has({canonRef, "36867", "2008:05:30 15:56:01"}));
  for (const auto& row : *data) EXPECT_EQ(row.size(), 3u);
}

std::string Fixed2(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", x);
  return text;
}

std::string RightTrimmed(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// exiftool's number for the tag, in the library's formatting.
std::string AsExported(int32_t tag, const nlohmann::json& value) {
  if (value.is_string()) return value.get<std::string>();
  const double v = value.get<double>();
  switch (tag) {
    case 33434:  // ExposureTime: the reciprocal form
      return (v < 1 ? "1/" + std::to_string(std::llround(1 / v)) : std::to_string(std::llround(v))) + " seconds";
    case 33437:
      return "F " + Fixed2(v);
    case 37386:
      return Fixed2(v) + " mm";
    default:
      return std::to_string(std::llround(v));
  }
}

TEST(ExportSamples, ValuesAgreeWithExiftool) {
  KELVANE_REQUIRE_SAMPLES();
  if (!test::HaveExiftool()) GTEST_SKIP() << "no exiftool";
  ExportHarness h;
  std::map<std::string, PhotoValues> photos;
  h.writers.sheetCsv = [&](const CollectedPhotos& collected, const ExportTarget&, ExportWriterContext&) {
    return collected.ForEach([&](const PhotoValues& photo) {
      photos[photo.name] = photo;
      return true;
    });
  };
  const std::vector<std::string> names = CopySamples(h);
  const ExportFolderCode code = ExportFolder(h.photos, names, h.Out("all.csv"), h.context).code;
  ASSERT_EQ(code, ExportFolderCode::kExportedSomeWithout);  // the no-exif photos

  const struct {
    int32_t tag;
    const char* key;
  } compared[] = {{271, "IFD0:Make"},
                  {272, "IFD0:Model"},
                  {36867, "ExifIFD:DateTimeOriginal"},
                  {33434, "ExifIFD:ExposureTime"},
                  {33437, "ExifIFD:FNumber"},
                  {34855, "ExifIFD:ISO"},
                  {37386, "ExifIFD:FocalLength"},
                  {kGpsTagBase + 1, "GPS:GPSLatitudeRef"},
                  {kGpsTagBase + 29, "GPS:GPSDateStamp"}};
  int comparisons = 0;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const auto oracle = test::ExiftoolTags(h.Photo(name));
    ASSERT_TRUE(oracle);
    for (const auto& c : compared) {
      if (!oracle->contains(c.key)) continue;
      ASSERT_TRUE(photos.count(name)) << "exiftool reads " << c.key << " but the export has no such photo";
      const CollectedValue* value = photos[name].Find(c.tag);
      ASSERT_TRUE(value) << c.key;
      const std::string expected = AsExported(c.tag, (*oracle)[c.key]);
      EXPECT_EQ(RightTrimmed(value->text), c.tag == kGpsTagBase + 1 ? (expected == "N" ? "North" : "South") : expected)
          << c.key;
      ++comparisons;
    }
  }
  EXPECT_GT(comparisons, 150);
}

}  // namespace
}  // namespace kelvane
