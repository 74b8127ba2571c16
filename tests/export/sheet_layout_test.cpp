// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/sheet_layout.h"

#include <gtest/gtest.h>

#include "export/library_release.h"
#include "support/scripted_ui.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

TEST(SheetLayout, UnknownTagsGetNoColumnButACell) {
  // 0x0001 is below 33; 0xA500 has no record (keeps a column); Make and Model are known.
  const auto layout = MakeSheetLayout({1, 2, 271, 272, 0xA500}, TagLibrary::BuiltIn(), 250);
  EXPECT_EQ(layout.columnTags, (std::vector<int32_t>{271, 272, 0xA500}));
  EXPECT_EQ(layout.titles, (std::vector<std::string>{"Make", "Model", ""}));
  EXPECT_EQ(layout.unknownCell, "[0001|0002]");
}

TEST(SheetLayout, UnknownCellIsCutToTheValueLimit) {
  std::vector<int32_t> tags;
  for (int t = 1; t <= 20; ++t) tags.push_back(t);
  const auto layout = MakeSheetLayout(tags, TagLibrary::BuiltIn(), 20);
  EXPECT_EQ(layout.unknownCell, "[0001|0002|0003|0 ++");
  EXPECT_TRUE(layout.columnTags.empty());
  EXPECT_EQ(MakeSheetLayout({271}, TagLibrary::BuiltIn(), 250).unknownCell, "");
}

TEST(SheetLayout, RowCellsFollowTheColumns) {
  const auto layout = MakeSheetLayout({1, 271, 272, 315, kGpsTagBase + 2}, TagLibrary::BuiltIn(), 250);
  PhotoValues photo;
  photo.values = {{1, "x", {}}, {272, "D70", {}}, {kGpsTagBase + 2, "47\u00B0 39' 36.00\"", {}}};
  EXPECT_EQ(RowCells(layout, photo), (std::vector<std::string_view>{"", "D70", "", "47\u00B0 39' 36.00\""}));
  EXPECT_EQ(layout.titles.back(), "GPSLatitude");
}

TEST(SheetLayout, HexIdentifiersAndCuts) {
  EXPECT_EQ(Hex4(0x9003), "9003");
  EXPECT_EQ(Hex4(kGpsTagBase + 2), "10002");
  EXPECT_EQ(Hex4(271), "010F");
  EXPECT_EQ(CutToLimit("abcdef", 6), "abcdef");
  EXPECT_EQ(CutToLimit("abcdefg", 6), "abc ++");
}

TEST(LibraryRelease, TellsOfANewerLibraryAndRecordsIt) {
  test::ScratchFolder scratch;
  const struct {
    const char* stored;
    bool told;
    const char* after;
  } cases[] = {{"", false, "5"}, {"4", true, "5"}, {"5", false, "5"}, {"9", false, "9"}, {"40000", false, "5"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    SettingsStore settings(scratch.File(std::string("s") + c.stored + ".ini"));
    settings.WriteSetting("GENERAL", "RESVer", c.stored);
    test::ScriptedUi ui;
    CheckLibraryRelease(TagLibrary::BuiltIn(), settings, ui.Ports(), ReleaseAdvice::Databases);
    ASSERT_EQ(ui.shown.size(), c.told ? 1u : 0u);
    if (c.told) {
      EXPECT_EQ(ui.shown[0].title, "Tag Library update");
      EXPECT_EQ(ui.shown[0].text,
                "Tag Library update detected to Release 5\n\nYou may wish to re-create earlier databases\n"
                "if missing values were present.");
      EXPECT_EQ(ui.shown[0].icon, MessageIcon::kInformation);
    }
    EXPECT_EQ(settings.ReadSetting("GENERAL", "RESVer"), c.after);
  }
}

}  // namespace
}  // namespace kelvane
