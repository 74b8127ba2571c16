// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/csv_writers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "export/export_output.h"
#include "export_harness.h"
#include "export_test_support.h"

namespace kelvane {
namespace {

using test::ExportHarness;
using test::ReadText;

using test::DbCsvTarget;
using test::FileTarget;
using test::TestPhotos;

TestPhotos CanonPhotos() {
  return TestPhotos({"IMG_0001.JPG"}, {271, 272, 36867},
                    {{"Canon"}, {"Canon EOS 350D DIGITAL"}, {"2007:06:02 14:11:05"}});
}

size_t LineCount(const std::string& text) {
  size_t lines = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  return lines;
}

TEST(SheetCsv, DelimiterAndIdentifierForms) {
  const struct {
    uint8_t delimiter;
    bool hex;
    const char* expected;
  } cases[] = {
      {',', false,
       ",271,272,36867,\r\nFilename,Make,Model,DateTimeOriginal,Folder\r\n"
       "IMG_0001.JPG,Canon,Canon EOS 350D DIGITAL,2007:06:02 14:11:05,/photos/\r\n"},
      {9, false,
       "\t271\t272\t36867\t\r\nFilename\tMake\tModel\tDateTimeOriginal\tFolder\r\n"
       "IMG_0001.JPG\tCanon\tCanon EOS 350D DIGITAL\t2007:06:02 14:11:05\t/photos/\r\n"},
      {',', true,
       ",010F,0110,9003,\r\nFilename,Make,Model,DateTimeOriginal,Folder\r\n"
       "IMG_0001.JPG,Canon,Canon EOS 350D DIGITAL,2007:06:02 14:11:05,/photos/\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    ExportHarness h;
    h.writer.csvDelimiter = c.delimiter;
    h.writer.hexTagIds = c.hex;
    TestPhotos photos = CanonPhotos();
    ASSERT_TRUE(WriteSheetCsv(photos.Collected(), FileTarget(h.Out("a.csv")), h.writer));
    EXPECT_EQ(ReadText(h.Out("a.csv")), c.expected);
  }
}

TEST(SheetCsv, EmptyValuesUnknownTagsAndTagsWithoutRecord) {
  ExportHarness h;
  // 0x0001 is below 33; 0xA500 has no record and keeps an untitled column.
  TestPhotos photos({"A.JPG", "B.JPG"}, {1, 271, 272, 0xA500}, {{"x", ""}, {"Canon", ""}, {"", "Nikon"}, {"v", "w"}});
  ASSERT_TRUE(WriteSheetCsv(photos.Collected(), FileTarget(h.Out("a.csv")), h.writer));
  EXPECT_EQ(ReadText(h.Out("a.csv")),
            ",271,272,42240,,\r\n"
            "Filename,Make,Model,,[Unknown Tags],Folder\r\n"
            "A.JPG,Canon,,v,[0001],/photos/\r\n"
            "B.JPG,,Nikon,w,[0001],/photos/\r\n");
}

TEST(SheetCsv, TwentyUnknownTagsAreCutToTheValueLimit) {
  ExportHarness h;
  h.writer.valueCharLimit = 20;
  std::vector<int32_t> tags;
  std::vector<std::vector<std::string>> rows;
  for (int32_t t = 1; t <= 20; ++t) {
    tags.push_back(t);
    rows.push_back({"u"});
  }
  tags.push_back(271);
  rows.push_back({"Canon"});
  TestPhotos photos({"A.JPG"}, tags, rows);
  ASSERT_TRUE(WriteSheetCsv(photos.Collected(), FileTarget(h.Out("a.csv")), h.writer));
  EXPECT_EQ(ReadText(h.Out("a.csv")),
            ",271,,\r\nFilename,Make,[Unknown Tags],Folder\r\nA.JPG,Canon,[0001|0002|0003|0 ++,/photos/\r\n");
}

TEST(SheetCsv, QuotesOnlyFieldsThatWouldBreakTheLine) {
  const struct {
    const char* field;
    char delimiter;
    const char* written;
  } cases[] = {
      {"plain", ',', "plain"},
      {"a;b", ',', "a;b"},
      {"a,b", ',', "\"a,b\""},
      {"a,b", '\t', "a,b"},
      {"a\tb", '\t', "\"a\tb\""},
      {"say \"hi\"", ',', "\"say \"\"hi\"\"\""},
      {"two\nlines", ',', "\"two\nlines\""},
      {"cr\rhere", ',', "\"cr\rhere\""},
      {"", ',', ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CsvField(c.field, c.delimiter), c.written) << c.field;
  }

  ExportHarness h;
  TestPhotos photos({"a,b.jpg"}, {270}, {{"x \"y\"\r\nz"}});
  ASSERT_TRUE(WriteSheetCsv(photos.Collected(), FileTarget(h.Out("a.csv")), h.writer));
  EXPECT_EQ(ReadText(h.Out("a.csv")),
            ",270,\r\nFilename,ImageDescription,Folder\r\n\"a,b.jpg\",\"x \"\"y\"\"\r\nz\",/photos/\r\n");
}

TEST(SheetCsv, ProgressAndReleaseNotice) {
  ExportHarness h;
  h.settings.WriteSetting("GENERAL", "RESVer", "4");
  TestPhotos photos({"A.JPG", "B.JPG"}, {271}, {{"a", "b"}});
  ASSERT_TRUE(WriteSheetCsv(photos.Collected(), FileTarget(h.Out("a.csv")), h.writer));
  EXPECT_EQ(h.ui.progress, (std::vector<int>{5, 10, 15, 41}));
  ASSERT_EQ(h.ui.shown.size(), 1u);
  EXPECT_EQ(h.ui.shown[0].title, "Tag Library update");
  EXPECT_NE(h.ui.shown[0].text.find("re-create earlier Worksheets"), std::string::npos);
  EXPECT_EQ(h.ui.shown[0].text.rfind("Tag Library update detected to Release 5\n\n", 0), 0u);
  EXPECT_EQ(h.settings.ReadSetting("GENERAL", "RESVer"), "5");
}

TEST(CsvWriters, NothingToWriteOrAFailedWriteLeavesNoFile) {
  ExportHarness h;
  TestPhotos none({}, {271}, {});
  TestPhotos noTags({"A.JPG"}, {}, {});
  TestPhotos canon = CanonPhotos();
  EXPECT_FALSE(WriteSheetCsv(none.Collected(), FileTarget(h.Out("a.csv")), h.writer));
  EXPECT_FALSE(WriteSheetCsv(noTags.Collected(), FileTarget(h.Out("a.csv")), h.writer));
  EXPECT_FALSE(WriteDbCsv(none.Collected(), DbCsvTarget(h.Out("d")), h.writer));
  EXPECT_FALSE(WriteSheetCsv(canon.Collected(), FileTarget(h.Out("missing/a.csv")), h.writer));
  // A target that can't be replaced (a folder of that name) stays as it was,
  // and no temporary file is left beside it.
  std::filesystem::create_directory(h.Out("b.csv"));
  EXPECT_FALSE(WriteSheetCsv(canon.Collected(), FileTarget(h.Out("b.csv")), h.writer));
  EXPECT_TRUE(std::filesystem::is_directory(h.Out("b.csv")));
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(h.out)) {
    ++entries;
    EXPECT_EQ(entry.path().filename(), "b.csv");
  }
  EXPECT_EQ(entries, 1u);
}

TEST(ExportOutput, ReachesItsTargetOnlyOnCommitAndWritesThroughALink) {
  ExportHarness h;
  const std::string target = h.Out("t.csv");
  test::WriteBytes(target, {'o', 'l', 'd'});
  ::chmod(target.c_str(), 0640);
  {
    ExportOutput file = ExportOutput::File(target);
    ASSERT_TRUE(file.Open() && file.WriteLine("new"));
    EXPECT_EQ(ReadText(target), "old");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.out), {}), 1);
  // Through a link: the file it names is replaced and keeps its permissions; the link stays.
  const std::string link = h.scratch.File("link.csv");
  std::filesystem::create_symlink(target, link);
  ExportOutput file = ExportOutput::File(link);
  ASSERT_TRUE(file.Open() && file.WriteLine("new") && file.Finish() && file.Commit());
  EXPECT_EQ(ReadText(target), "new\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
  // A new export file gets the permissions any new file gets here.
  ExportOutput fresh = ExportOutput::File(h.Out("new.csv"));
  ASSERT_TRUE(fresh.Open() && fresh.Finish() && fresh.Commit());
  std::ofstream(h.Out("plain.txt")) << "x";
  EXPECT_EQ(std::filesystem::status(h.Out("new.csv")).permissions(),
            std::filesystem::status(h.Out("plain.txt")).permissions());
}

TEST(DbCsv, WritesTagsFilesAndDataFiles) {
  for (const bool hex : {false, true}) {
    SCOPED_TRACE(hex ? "hex ids" : "decimal ids");
    ExportHarness h;
    h.writer.hexTagIds = hex;  // never applies to the database files
    TestPhotos photos({"IMG_0001.JPG", "IMG_0002.JPG"}, {1, 271, 272}, {{"x", "y"}, {"Canon", "Nikon"}, {"", "D70"}});
    ASSERT_TRUE(WriteDbCsv(photos.Collected(), DbCsvTarget(h.Out("Trip")), h.writer));

    const std::string tags = ReadText(h.Out("Trip_T.csv"));
    EXPECT_EQ(LineCount(tags), TagLibrary::BuiltIn().RecordedTags().size() + 1);
    EXPECT_EQ(tags.rfind("254,0,NewSubfileType\r\n", 0), 0u);
    EXPECT_NE(tags.find("\r\n271,0,Make\r\n"), std::string::npos);
    EXPECT_NE(tags.find("\r\n315,-1,Artist\r\n"), std::string::npos);
    EXPECT_NE(tags.find("\r\n50341,0,Print Image Matching Info\r\n65536,0,GPSVersionID\r\n"), std::string::npos);
    EXPECT_NE(tags.find("\r\n65538,-1,GPSLatitude\r\n"), std::string::npos);
    EXPECT_TRUE(tags.ends_with("\r\n65535,0,[Unknown Tags]\r\n"));

    EXPECT_EQ(ReadText(h.Out("Trip_F.csv")), "1,IMG_0001.JPG,/photos/\r\n2,IMG_0002.JPG,/photos/\r\n");
    EXPECT_EQ(ReadText(h.Out("Trip_D.csv")),
              "1,271,Canon\r\n1,272,\r\n1,65535,[0001]\r\n"
              "2,271,Nikon\r\n2,272,D70\r\n2,65535,[0001]\r\n");
    EXPECT_EQ(h.ui.progress, (std::vector<int>{10, 15, 41}));
  }
}

TEST(DbCsv, InitialFileNumber) {
  const struct {
    const char* box;
    const char* firstRef;
    const char* boxAfter;
  } cases[] = {{"0", "1", "1"}, {"abc", "1", "1"}, {"-3", "1", "1"},
               {"", "1", "1"},  {"7", "7", "7"},   {" 12", "12", " 12"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    ExportHarness h;
    h.initialFileNumber = c.box;
    TestPhotos photos({"A.JPG"}, {271}, {{"Canon"}});
    ASSERT_TRUE(WriteDbCsv(photos.Collected(), DbCsvTarget(h.Out("t")), h.writer));
    EXPECT_EQ(ReadText(h.Out("t_F.csv")), std::string(c.firstRef) + ",A.JPG,/photos/\r\n");
    EXPECT_EQ(ReadText(h.Out("t_D.csv")), std::string(c.firstRef) + ",271,Canon\r\n");
    EXPECT_EQ(h.initialFileNumber, c.boxAfter);
  }
}

TEST(DbCsv, AppendModeKeepsTheTagsFile) {
  ExportHarness h;
  h.options.appendMode = true;
  TestPhotos photos = CanonPhotos();
  ASSERT_TRUE(WriteDbCsv(photos.Collected(), DbCsvTarget(h.Out("t")), h.writer));
  EXPECT_FALSE(std::filesystem::exists(h.Out("t_T.csv")));
  EXPECT_TRUE(std::filesystem::exists(h.Out("t_D.csv")));
}

// A library with a formatting record under 32 and 30, and a highest tag of 300.
const LibraryString kSmallLibrary[] = {
    {17, "0004 2007:01:13"},
    {18, "121"},
    {19, "300"},
    {20, "63488"},
    {30, "001000000000000000      Thirty"},
    {32, "003000000000000000      ThirtyTwo"},
    {271, "001000000000000000      Make"},
    {315, "003000000000000000      Artist"},
};

TEST(CsvWriters, LowTagNumbersAndTagsBeyondTheLibrary) {
  const TagLibrary library(kSmallLibrary);
  ExportHarness h(library);
  // 30 and 32 hold records; 315 lies beyond the library's highest tag.
  TestPhotos photos({"A.JPG"}, {30, 32, 271, 315}, {{"a"}, {"b"}, {"c"}, {"d"}});
  ASSERT_TRUE(WriteSheetCsv(photos.Collected(), FileTarget(h.Out("s.csv")), h.writer));
  // Below 33 is always unknown in the spreadsheet; 315 still has its record there.
  EXPECT_EQ(ReadText(h.Out("s.csv")),
            ",271,315,,\r\nFilename,Make,Artist,[Unknown Tags],Folder\r\nA.JPG,c,d,[001E|0020],/photos/\r\n");

  ASSERT_TRUE(WriteDbCsv(photos.Collected(), DbCsvTarget(h.Out("d")), h.writer));
  // The tags file starts at 32 and ends at the highest tag.
  EXPECT_EQ(ReadText(h.Out("d_T.csv")), "32,-1,ThirtyTwo\r\n271,0,Make\r\n65535,0,[Unknown Tags]\r\n");
  EXPECT_EQ(ReadText(h.Out("d_D.csv")), "1,32,b\r\n1,271,c\r\n1,65535,[001E|013B]\r\n");
}

}  // namespace
}  // namespace kelvane
