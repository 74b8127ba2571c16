// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/tag_library.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvane {
namespace {

struct IdRange {
  const char* name;
  int first;
  int last;
  int strings;
};

// The built-in library answers in four id ranges and nowhere else.
TEST(TagLibrary, BuiltInHoldsExactlyTheHeaderRecordsUnitsAndValueTexts) {
  const std::vector<IdRange> ranges = {
      {"header", 16, 23, 8},
      {"tag records", 254, 50341, 120},
      {"unit texts", 63488, 63508, 12},
      {"value texts", 63744, 64031, 124},
  };
  std::vector<int> found(ranges.size(), 0);
  int answered = 0;
  for (int id = 0; id <= 65535; ++id) {
    if (!LoadLibraryString(static_cast<uint16_t>(id))) continue;
    ++answered;
    bool inRange = false;
    for (size_t r = 0; r < ranges.size(); ++r) {
      if (id >= ranges[r].first && id <= ranges[r].last) {
        ++found[r];
        inRange = true;
      }
    }
    EXPECT_TRUE(inRange) << "stray id " << id;
  }
  EXPECT_EQ(answered, 264);
  EXPECT_EQ(BuiltInLibraryStrings().size(), 264u);
  for (size_t r = 0; r < ranges.size(); ++r) EXPECT_EQ(found[r], ranges[r].strings) << ranges[r].name;
}

TEST(TagLibrary, StoresTheStringsExactly) {
  const std::vector<std::pair<uint16_t, std::string>> expected = {
      {16, "QMR0118.RES - JPG Exif Tag titles, values text, suffixes"},
      {17, "0004 2007:01:13"},
      {18, "121"},
      {19, "50341"},
      {20, "63488"},
      {21, "02.00.001"},
      {22, "XP"},
      {254, "001000000000000000      NewSubfileType"},
      {259, "001128063860007000      Compression"},
      {279, "001000000000000000      StripByteConunts"},
      {33434, "001000000000000003      ExposureTime"},
      {37385, "001128063936096000      Flash"},
      {40091, "003006063780001000      Windows XP - Title"},
      {50341, "001003063776001000      Print Image Matching Info"},
      {63488, "000    meters"},
      {63504, "000   Infinity"},
      {63508, "000    EV"},
      {63744, "000   < content interpretation unknown >"},
      {63924, "000   Recangular location"},
      {64031, "000   Fired, auto mode, return light detected, red-eye reduction mode"},
  };
  for (const auto& [id, text] : expected) {
    const std::optional<std::string_view> stored = LoadLibraryString(id);
    ASSERT_TRUE(stored) << id;
    EXPECT_EQ(*stored, text) << id;
  }
  ASSERT_TRUE(LoadLibraryString(library_id::kNotice));
  EXPECT_FALSE(LoadLibraryString(library_id::kNotice)->empty());
}

TEST(TagLibrary, IdsWithoutAStringFail) {
  for (const uint16_t id : {0, 15, 24, 253, 260, 0x9999, 50342, 63495, 63503, 63509, 63743, 63818, 64032, 65535}) {
    EXPECT_FALSE(LoadLibraryString(id)) << id;
  }
}

TEST(TagLibrary, EveryRecordCarriesFormattingFieldsAndATitle) {
  int records = 0;
  for (const LibraryString& entry : BuiltInLibraryStrings()) {
    if (entry.id < library_id::kFirstTagRecord || entry.id > 50341) continue;
    ++records;
    const std::optional<TagRecord> record = TagLibrary::BuiltIn().Record(entry.id);
    ASSERT_TRUE(record) << entry.id;
    EXPECT_TRUE(record->classFlags == 1 || record->classFlags == 3) << entry.id;
    EXPECT_FALSE(record->title.empty()) << entry.id;
    EXPECT_EQ(entry.text.substr(18, 6), "      ") << entry.id;
  }
  EXPECT_EQ(records, 120);
}

struct RecordCase {
  const char* record;
  uint8_t classFlags;
  int32_t formatCode;
  int32_t valueTextBase;
  int32_t valueCount;
  int32_t suffixNumber;
  const char* title;
};

TEST(TagLibrary, ParsesRecordColumns) {
  const std::vector<RecordCase> cases = {
      {"001128063936096000      Flash", 1, 128, 63936, 96, 0, "Flash"},
      {"003006063780001000      Windows XP - Title", 3, 6, 63780, 1, 0, "Windows XP - Title"},
      {"001017000000000020      ExposureBiasValue  ", 1, 17, 0, 0, 20, "ExposureBiasValue"},
      // Without bit 0 the formatting columns are not read.
      {"002128063936096000      Artist", 2, 0, 0, 0, 0, "Artist"},
      {"000   Fired", 0, 0, 0, 0, 0, ""},
      // A class that does not fit 8 bits reads as 0.
      {"634128063936096000      Big", 0, 0, 0, 0, 0, "Big"},
      // Short records: missing columns read as 0, no title before column 25.
      {"001018", 1, 18, 0, 0, 0, ""},
      {"", 0, 0, 0, 0, 0, ""},
  };
  for (const RecordCase& c : cases) {
    const TagRecord record = ParseTagRecord(c.record);
    EXPECT_EQ(record.classFlags, c.classFlags) << c.record;
    EXPECT_EQ(record.formatCode, c.formatCode) << c.record;
    EXPECT_EQ(record.valueTextBase, c.valueTextBase) << c.record;
    EXPECT_EQ(record.valueCount, c.valueCount) << c.record;
    EXPECT_EQ(record.suffixNumber, c.suffixNumber) << c.record;
    EXPECT_EQ(record.title, c.title) << c.record;
  }
}

TEST(TagLibrary, ClassTellsTechnicalFromNonTechnicalTags) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  EXPECT_FALSE(library.Record(271)->IsNonTechnical());  // Make
  EXPECT_TRUE(library.Record(315)->IsNonTechnical());   // Artist
  EXPECT_EQ(library.Record(279)->title, "StripByteConunts");
}

TEST(TagLibrary, HeaderIdsAndValueTextsAreNotTagRecords) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  for (const int64_t tag : {16, 18, 20, 21, 23, 0x9999, 63488, 63744, -1, 70000}) {
    EXPECT_FALSE(library.Record(tag)) << tag;
  }
}

TEST(TagLibrary, ValueTextsStartAtColumnSeven) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  EXPECT_EQ(library.Text(63489), " mm");
  EXPECT_EQ(library.Text(63961), "Fired, auto mode");
  EXPECT_EQ(library.Text(63818), "");
  EXPECT_EQ(library.Text(-5), "");
  EXPECT_EQ(library.Text(65536 + 63961), "");
}

TEST(TagLibrary, ReadsItsHeaderNumbers) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  EXPECT_EQ(library.ReleaseNumber(), 4);
  EXPECT_EQ(library.SlotCount(), 121);
  EXPECT_EQ(library.HighestTag(), 50341);
  EXPECT_EQ(library.SuffixBase(), 63487);
}

TEST(TagLibrary, UnusableFirstUnitIdLeavesNoSuffixBase) {
  struct Case {
    const char* header20;  // nullptr: no string
    int32_t suffixBase;
  };
  for (const Case& c :
       std::vector<Case>{{nullptr, -1}, {"", -1}, {"abc", -1}, {"31", -1}, {"32", 31}, {" 63488", 63487}}) {
    std::vector<LibraryString> strings = {{17, "0004 2007:01:13"}};
    if (c.header20) strings.push_back({20, c.header20});
    EXPECT_EQ(TagLibrary(strings).SuffixBase(), c.suffixBase) << (c.header20 ? c.header20 : "(none)");
  }
}

TEST(TagLibrary, DamagedHeaderReadsAsZero) {
  const std::vector<LibraryString> strings = {{18, "x121"}, {20, "63488"}};
  const TagLibrary library(strings);
  EXPECT_EQ(library.SlotCount(), 0);
  EXPECT_EQ(library.HighestTag(), 0);
  EXPECT_EQ(library.ReleaseNumber(), 0);
}

TEST(TagLibrary, FindsStringsGivenInAnyOrder) {
  const std::vector<LibraryString> strings = {{300, "c"}, {17, "a"}, {200, "b"}};
  const TagLibrary library(strings);
  EXPECT_EQ(library.LoadLibraryString(17), "a");
  EXPECT_EQ(library.LoadLibraryString(200), "b");
  EXPECT_EQ(library.LoadLibraryString(300), "c");
  EXPECT_FALSE(library.LoadLibraryString(250));
}

}  // namespace
}  // namespace kelvane
