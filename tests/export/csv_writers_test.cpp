// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/csv_writers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "export/staged_text_file.h"
#include "export_harness.h"

namespace kelvane {
namespace {

using test::ExportHarness;
using test::ReadText;

// A table already in export order: rows[k][p] is tag k's value for photo p.
ExportTable TableOf(std::vector<std::string> names, std::vector<int32_t> tags,
                    std::vector<std::vector<std::string>> rows) {
  ExportTable table;
  table.photoNames = std::move(names);
  table.slotTags = std::move(tags);
  table.values = std::move(rows);
  table.photoOrder.resize(table.photoNames.size());
  table.slotOrder.resize(table.slotTags.size());
  std::iota(table.photoOrder.begin(), table.photoOrder.end(), 0);
  std::iota(table.slotOrder.begin(), table.slotOrder.end(), 0);
  return table;
}

ExportTable CanonTable() {
  return TableOf({"IMG_0001.JPG"}, {271, 272, 36867}, {{"Canon"}, {"Canon EOS 350D DIGITAL"}, {"2007:06:02 14:11:05"}});
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
       ",271,272,36867\r\nFilename,Make,Model,DateTimeOriginal\r\n"
       "IMG_0001.JPG,Canon,Canon EOS 350D DIGITAL,2007:06:02 14:11:05,\r\n"},
      {9, false,
       "\t271\t272\t36867\r\nFilename\tMake\tModel\tDateTimeOriginal\r\n"
       "IMG_0001.JPG\tCanon\tCanon EOS 350D DIGITAL\t2007:06:02 14:11:05\t\r\n"},
      {',', true,
       ",010F,0110,9003\r\nFilename,Make,Model,DateTimeOriginal\r\n"
       "IMG_0001.JPG,Canon,Canon EOS 350D DIGITAL,2007:06:02 14:11:05,\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    ExportHarness h;
    h.writer.csvDelimiter = c.delimiter;
    h.writer.hexTagIds = c.hex;
    ASSERT_TRUE(WriteSheetCsv(CanonTable(), h.Out("a.csv"), h.writer));
    EXPECT_EQ(ReadText(h.Out("a.csv")), c.expected);
  }
}

TEST(SheetCsv, EmptyValuesUnknownTagsAndTagsWithoutRecord) {
  ExportHarness h;
  // 0x0001 is below 33; 0xA500 has no record and keeps an untitled column.
  const ExportTable table =
      TableOf({"A.JPG", "B.JPG"}, {1, 271, 272, 0xA500}, {{"x", ""}, {"Canon", ""}, {"", "Nikon"}, {"v", "w"}});
  ASSERT_TRUE(WriteSheetCsv(table, h.Out("a.csv"), h.writer));
  EXPECT_EQ(ReadText(h.Out("a.csv")),
            ",271,272,42240\r\n"
            "Filename,Make,Model,,[Unknown Tags]\r\n"
            "A.JPG,Canon,,v,[0001]\r\n"
            "B.JPG,,Nikon,w,[0001]\r\n");
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
  ASSERT_TRUE(WriteSheetCsv(TableOf({"A.JPG"}, tags, rows), h.Out("a.csv"), h.writer));
  EXPECT_EQ(ReadText(h.Out("a.csv")), ",271\r\nFilename,Make,[Unknown Tags]\r\nA.JPG,Canon,[0001|0002|0003|0 ++\r\n");
}

TEST(SheetCsv, FollowsThePhotoAndSlotOrders) {
  ExportHarness h;
  ExportTable table;
  table.photoNames = {"A.JPG", "B.JPG"};
  table.slotTags = {271, 272};
  // Collected as B, A and Model, Make.
  table.values = {{"ModelB", "ModelA"}, {"MakeB", "MakeA"}};
  table.photoOrder = {1, 0};
  table.slotOrder = {1, 0};
  ASSERT_TRUE(WriteSheetCsv(table, h.Out("a.csv"), h.writer));
  EXPECT_EQ(ReadText(h.Out("a.csv")),
            ",271,272\r\nFilename,Make,Model\r\nA.JPG,MakeA,ModelA,\r\nB.JPG,MakeB,ModelB,\r\n");
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
  ASSERT_TRUE(WriteSheetCsv(TableOf({"a,b.jpg"}, {270}, {{"x \"y\"\r\nz"}}), h.Out("a.csv"), h.writer));
  EXPECT_EQ(ReadText(h.Out("a.csv")), ",270\r\nFilename,ImageDescription\r\n\"a,b.jpg\",\"x \"\"y\"\"\r\nz\",\r\n");
}

TEST(SheetCsv, ProgressAndReleaseNotice) {
  ExportHarness h;
  h.settings.WriteSetting("GENERAL", "RESVer", "3");
  const ExportTable table = TableOf({"A.JPG", "B.JPG"}, {271}, {{"a", "b"}});
  ASSERT_TRUE(WriteSheetCsv(table, h.Out("a.csv"), h.writer));
  EXPECT_EQ(h.ui.progress, (std::vector<int>{5, 10, 15, 41}));
  ASSERT_EQ(h.ui.shown.size(), 1u);
  EXPECT_EQ(h.ui.shown[0].title, "Tag Library update");
  EXPECT_NE(h.ui.shown[0].text.find("re-create earlier Worksheets"), std::string::npos);
  EXPECT_EQ(h.settings.ReadSetting("GENERAL", "RESVer"), "4");
}

TEST(CsvWriters, NothingToWriteOrAFailedWriteLeavesNoFile) {
  ExportHarness h;
  EXPECT_FALSE(WriteSheetCsv(TableOf({}, {271}, {{}}), h.Out("a.csv"), h.writer));
  EXPECT_FALSE(WriteSheetCsv(TableOf({"A.JPG"}, {}, {}), h.Out("a.csv"), h.writer));
  EXPECT_FALSE(WriteDbCsv(TableOf({}, {271}, {{}}), h.Out("d"), {"_T.csv", "_F.csv", "_D.csv"}, h.writer));
  EXPECT_FALSE(WriteSheetCsv(CanonTable(), h.Out("missing/a.csv"), h.writer));
  // A target that can't be replaced (a folder of that name) stays as it was,
  // and no temporary file is left beside it.
  std::filesystem::create_directory(h.Out("b.csv"));
  EXPECT_FALSE(WriteSheetCsv(CanonTable(), h.Out("b.csv"), h.writer));
  EXPECT_TRUE(std::filesystem::is_directory(h.Out("b.csv")));
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(h.out)) {
    ++entries;
    EXPECT_EQ(entry.path().filename(), "b.csv");
  }
  EXPECT_EQ(entries, 1u);
}

TEST(CsvWriters, StagedFileReachesItsTargetOnlyOnCommit) {
  ExportHarness h;
  const std::string target = h.Out("t.csv");
  test::WriteBytes(target, {'o', 'l', 'd'});
  {
    StagedTextFile file(target);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.WriteLine("new"));
    EXPECT_FALSE(file.Commit());  // not finished
    EXPECT_EQ(ReadText(target), "old");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.out), {}), 1);
  StagedTextFile file(target);
  ASSERT_TRUE(file.Open() && file.WriteLine("new") && file.Finish() && file.Commit());
  EXPECT_EQ(ReadText(target), "new\r\n");
  // A new export file gets the permissions any new file gets here.
  std::ofstream(h.Out("plain.txt")) << "x";
  EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::status(h.Out("plain.txt")).permissions());
}

TEST(DbCsv, WritesTagsFilesAndDataFiles) {
  for (const bool hex : {false, true}) {
    SCOPED_TRACE(hex ? "hex ids" : "decimal ids");
    ExportHarness h;
    h.writer.hexTagIds = hex;  // never applies to the database files
    const ExportTable table =
        TableOf({"IMG_0001.JPG", "IMG_0002.JPG"}, {1, 271, 272}, {{"x", "y"}, {"Canon", "Nikon"}, {"", "D70"}});
    ASSERT_TRUE(WriteDbCsv(table, h.Out("Trip"), {"_T.csv", "_F.csv", "_D.csv"}, h.writer));

    const std::string tags = ReadText(h.Out("Trip_T.csv"));
    EXPECT_EQ(LineCount(tags), 121u);
    EXPECT_EQ(tags.rfind("254,0,NewSubfileType\r\n", 0), 0u);
    EXPECT_NE(tags.find("\r\n271,0,Make\r\n"), std::string::npos);
    EXPECT_NE(tags.find("\r\n315,-1,Artist\r\n"), std::string::npos);
    EXPECT_NE(tags.find("\r\n50341,0,Print Image Matching Info\r\n"), std::string::npos);
    EXPECT_TRUE(tags.ends_with("\r\n65535,0,[Unknown Tags]\r\n"));

    EXPECT_EQ(ReadText(h.Out("Trip_F.csv")), "1,IMG_0001.JPG\r\n2,IMG_0002.JPG\r\n");
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
    ASSERT_TRUE(
        WriteDbCsv(TableOf({"A.JPG"}, {271}, {{"Canon"}}), h.Out("t"), {"_T.csv", "_F.csv", "_D.csv"}, h.writer));
    EXPECT_EQ(ReadText(h.Out("t_F.csv")), std::string(c.firstRef) + ",A.JPG\r\n");
    EXPECT_EQ(ReadText(h.Out("t_D.csv")), std::string(c.firstRef) + ",271,Canon\r\n");
    EXPECT_EQ(h.initialFileNumber, c.boxAfter);
  }
}

TEST(DbCsv, AppendModeKeepsTheTagsFile) {
  ExportHarness h;
  h.options.appendMode = true;
  ASSERT_TRUE(WriteDbCsv(CanonTable(), h.Out("t"), {"_T.csv", "_F.csv", "_D.csv"}, h.writer));
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
  const ExportTable table = TableOf({"A.JPG"}, {30, 32, 271, 315}, {{"a"}, {"b"}, {"c"}, {"d"}});
  ASSERT_TRUE(WriteSheetCsv(table, h.Out("s.csv"), h.writer));
  // Below 33 is always unknown in the spreadsheet; 315 still has its record there.
  EXPECT_EQ(ReadText(h.Out("s.csv")), ",271,315\r\nFilename,Make,Artist,[Unknown Tags]\r\nA.JPG,c,d,[001E|0020]\r\n");

  ASSERT_TRUE(WriteDbCsv(table, h.Out("d"), {"_T.csv", "_F.csv", "_D.csv"}, h.writer));
  // The tags file starts at 32 and ends at the highest tag.
  EXPECT_EQ(ReadText(h.Out("d_T.csv")), "32,-1,ThirtyTwo\r\n271,0,Make\r\n65535,0,[Unknown Tags]\r\n");
  EXPECT_EQ(ReadText(h.Out("d_D.csv")), "1,32,b\r\n1,271,c\r\n1,65535,[001E|013B]\r\n");
}

}  // namespace
}  // namespace kelvane
