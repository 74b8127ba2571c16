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

// The built-in library (release 5) answers in five id ranges and nowhere else.
TEST(TagLibrary, BuiltInHoldsExactlyTheHeaderRecordsUnitsValueTextsAndGpsRecords) {
  const std::vector<IdRange> ranges = {
      {"header", 16, 24, 9},
      {"tag records", 254, 50341, 144},
      {"unit texts", 63488, 63508, 17},
      {"value texts", 63744, 64063, 156},
      {"GPS records", 65024, 65055, 32},
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
  EXPECT_EQ(answered, 358);
  EXPECT_EQ(BuiltInLibraryStrings().size(), 358u);
  for (size_t r = 0; r < ranges.size(); ++r) EXPECT_EQ(found[r], ranges[r].strings) << ranges[r].name;
}

TEST(TagLibrary, StoresTheStringsExactly) {
  const std::vector<std::pair<uint16_t, std::string>> expected = {
      {16, "QMR0118.RES - JPG Exif Tag titles, values text, suffixes"},
      {17, "0005 2026:12:08"},
      {18, "177"},
      {19, "50341"},
      {20, "63488"},
      {21, "02.00.001"},
      {22, "XP"},
      {24, "65024"},
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
      // Release 5: the Exif 2.3x tags, their units and value texts, and the GPS tags.
      {34864, "001128064032008000      SensitivityType"},
      {36881, "003000000000000000      OffsetTimeOriginal"},
      {37510, "003012000000000000      UserComment"},
      {42034, "001043000000000000      LensSpecification"},
      {42036, "001000000000000000      LensModel"},
      {63495, "000    \u00B0C"},
      {64047, "000   S South"},
      {65026, "003040000000000000      GPSLatitude"},
      {65030, "003017000000000001      GPSAltitude"},
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
  for (const uint16_t id :
       {0, 15, 25, 253, 260, 0x9999, 50342, 63500, 63503, 63509, 63743, 63818, 64064, 65056, 65535}) {
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
  EXPECT_EQ(records, 144);
  EXPECT_EQ(TagLibrary::BuiltIn().RecordedTags().size(), 144u + kGpsTagCount);
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

TEST(TagLibrary, HeaderIdsValueTextsAndGpsRecordIdsAreNotTagRecords) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  // 65026 holds GPS tag 2's record, which only GPS tag 2 (65536 + 2) reaches.
  for (const int64_t tag : {16, 18, 20, 21, 23, 24, 0x9999, 63488, 63744, 65026, -1, 70000}) {
    EXPECT_FALSE(library.Record(tag)) << tag;
  }
  EXPECT_EQ(library.Record(kGpsTagBase + 2)->title, "GPSLatitude");
  EXPECT_EQ(library.Record(kGpsTagBase + 31)->title, "GPSHPositioningError");
  EXPECT_FALSE(library.Record(kGpsTagBase + 32));
  // A library without the GPS header knows no GPS tags.
  const std::vector<LibraryString> old = {{18, "121"}, {19, "50341"}, {65026, "003040000000000000      GPSLatitude"}};
  EXPECT_FALSE(TagLibrary(old).Record(kGpsTagBase + 2));
}

TEST(TagLibrary, NamesForFormatsThatNameEachValue) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  const std::vector<std::pair<int32_t, std::string>> names = {
      {271, "Make"},
      {0x9003, "DateTimeOriginal"},
      {kGpsTagBase + 2, "GPSLatitude"},
      // Titles that two records share: the higher tag keeps the title.
      {0xA20B, "FlashEnergy"},
      {0x920B, "FlashEnergy_920B"},
      {0x9214, "SubjectLocation_9214"},
      {0xA500, "Tag_A500"},
  };
  for (const auto& [tag, name] : names) EXPECT_EQ(library.Name(tag), name) << tag;
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
  EXPECT_EQ(library.ReleaseNumber(), 5);
  EXPECT_EQ(library.SlotCount(), 177);
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
