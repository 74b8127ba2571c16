// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/workbook_writer.h"

#include <gtest/gtest.h>

#include "export_test_support.h"

namespace kelvane {
namespace {

using nlohmann::json;
using test::FileTarget;
using test::TestPhotos;
using test::WriterSetup;

constexpr int32_t kMake = 271;
constexpr int32_t kModel = 272;

class WorkbookWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::HaveOpenpyxl()) GTEST_SKIP() << "no /usr/bin/python3 with openpyxl";
  }

  json Read(const std::string& path) {
    const auto book = test::ReadWorkbook(path);
    EXPECT_TRUE(book && !book->is_discarded()) << "openpyxl could not read " << path;
    return book ? *book : json();
  }

  bool Write(TestPhotos& photos, const std::string& target) {
    return WriteWorkbook(photos.Collected(), FileTarget(target), w.ctx);
  }
  bool Write(TestPhotos&& photos, const std::string& target) { return Write(photos, target); }

  WriterSetup w;
};

TestPhotos TwoCameras() {
  return TestPhotos({"IMG_0001.JPG", "IMG_0002.JPG"}, {kMake, kModel},
                    {{"Canon", "NIKON"}, {"Canon EOS 350D DIGITAL", ""}});
}

TEST_F(WorkbookWriter, NewWorkbookHoldsIdentifiersTitlesAndOneRowPerPhoto) {
  const std::string target = w.File("out.xlsx");
  ASSERT_TRUE(Write(TwoCameras(), target));
  const json book = Read(target);
  EXPECT_EQ(book["sheets"], json({"Metadata 001"}));
  const json expected = {
      {"B1", {{"type", "n"}, {"value", 271}, {"bold", false}}},
      {"C1", {{"type", "n"}, {"value", 272}, {"bold", false}}},
      {"A2", {{"type", "s"}, {"value", "Filename"}, {"bold", false}}},
      {"B2", {{"type", "s"}, {"value", "Make"}, {"bold", false}}},
      {"C2", {{"type", "s"}, {"value", "Model"}, {"bold", false}}},
      {"D2", {{"type", "s"}, {"value", "Folder"}, {"bold", false}}},
      {"A3", {{"type", "s"}, {"value", "IMG_0001.JPG"}, {"bold", false}}},
      {"B3", {{"type", "s"}, {"value", "Canon"}, {"bold", false}}},
      {"C3", {{"type", "s"}, {"value", "Canon EOS 350D DIGITAL"}, {"bold", false}}},
      {"D3", {{"type", "s"}, {"value", "/photos/"}, {"bold", false}}},
      {"A4", {{"type", "s"}, {"value", "IMG_0002.JPG"}, {"bold", false}}},
      {"B4", {{"type", "s"}, {"value", "NIKON"}, {"bold", false}}},
      {"D4", {{"type", "s"}, {"value", "/photos/"}, {"bold", false}}},
  };  // C4 stays empty: the photo has no Model
  EXPECT_EQ(book["cells"]["Metadata 001"], expected);
  EXPECT_EQ(w.ui.progress, (std::vector<int>{5, 10, 10, 36}));
  EXPECT_TRUE(w.ui.shown.empty());
}

TEST_F(WorkbookWriter, IdentifiersTitlesAndUnknownTagsFollowTheSheetLayout) {
  // 0x0001 is unknown (below 33); 0xA500 has no record and keeps a column
  // with an empty title. Values are text even when they look like numbers;
  // characters XML can't carry come back in the spreadsheet's escaped form.
  w.ctx.hexTagIds = true;
  const std::string target = w.File("hex.xlsx");
  ASSERT_TRUE(Write(TestPhotos({"caf\xe9.jpg"}, {1, kMake, 0xA500}, {{"x"}, {" 72 "}, {"a<b&c>\x01\r"}}), target));
  const json cells = Read(target)["cells"]["Metadata 001"];
  EXPECT_EQ(cells["B1"]["value"], "010F");
  EXPECT_EQ(cells["B1"]["type"], "s");
  EXPECT_EQ(cells["C1"]["value"], "A500");
  EXPECT_FALSE(cells.contains("C2"));
  EXPECT_EQ(cells["D2"]["value"], "[Unknown Tags]");
  EXPECT_EQ(cells["A3"]["value"], "caf\xc3\xa9.jpg");
  EXPECT_EQ(cells["B3"]["value"], " 72 ");
  EXPECT_EQ(cells["B3"]["type"], "s");
  EXPECT_EQ(cells["C3"]["value"], "a<b&c>_x0001__x000D_");
  EXPECT_EQ(cells["D3"]["value"], "[0001]");
  EXPECT_EQ(cells["E2"]["value"], "Folder");
  EXPECT_EQ(cells["E3"]["value"], "/photos/");
  EXPECT_FALSE(cells.contains("D1") || cells.contains("E1"));
}

TEST_F(WorkbookWriter, AppendingAddsNumberedSheetsAndKeepsTheEarlierOnes) {
  const std::string target = w.File("book.xlsx");
  ASSERT_TRUE(Write(TwoCameras(), target));
  const json first = Read(target)["cells"]["Metadata 001"];
  w.options.appendMode = true;
  ASSERT_TRUE(Write(TestPhotos({"B.JPG"}, {kModel}, {{"E-M5"}}), target));
  // Same-named photos of another folder: both kept, each with its folder.
  ASSERT_TRUE(Write(TestPhotos({"IMG_0001.JPG", "IMG_0002.JPG"}, {kMake, kModel},
                               {{"Canon", "NIKON"}, {"Canon EOS 350D DIGITAL", ""}}, "/other/"),
                    target));
  const json book = Read(target);
  EXPECT_EQ(book["sheets"], json({"Metadata 001", "Metadata 002", "Metadata 003"}));
  EXPECT_EQ(book["cells"]["Metadata 001"], first);
  EXPECT_EQ(book["cells"]["Metadata 002"]["B3"]["value"], "E-M5");
  EXPECT_EQ(book["cells"]["Metadata 003"]["A3"], first["A3"]);
  EXPECT_EQ(book["cells"]["Metadata 003"]["D3"]["value"], "/other/");
  EXPECT_EQ(book["cells"]["Metadata 001"]["D3"]["value"], "/photos/");
}

// A workbook made by another program, with three sheets, a formula and a
// bold cell; appending must keep all of it and every part it does not need
// to change byte for byte.
TEST_F(WorkbookWriter, AppendingToAnotherProgramsWorkbookKeepsItsContent) {
  const std::string target = w.File("theirs.xlsx");
  const std::string copy = w.File("theirs-before.xlsx");
  const auto made = test::RunPython(R"py(
import sys, shutil, openpyxl
from openpyxl.styles import Font
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Totals"
ws["A1"] = 2
ws["A2"] = 3
ws["A3"] = "=SUM(A1:A2)"
ws["B1"] = "bold"
ws["B1"].font = Font(bold=True)
wb.create_sheet("Notes")["A1"] = "kept"
wb.create_sheet("Third")
wb.save(sys.argv[1])
shutil.copy(sys.argv[1], sys.argv[2])
)py",
                                    {target, copy});
  ASSERT_TRUE(made);
  w.options.appendMode = true;
  ASSERT_TRUE(Write(TwoCameras(), target));

  const json book = Read(target);
  EXPECT_EQ(book["sheets"], json({"Totals", "Notes", "Third", "Metadata 004"}));
  EXPECT_EQ(book["cells"]["Totals"]["A3"]["value"], "=SUM(A1:A2)");
  EXPECT_EQ(book["cells"]["Totals"]["A3"]["type"], "f");
  EXPECT_EQ(book["cells"]["Totals"]["B1"]["bold"], true);
  EXPECT_EQ(book["cells"]["Notes"]["A1"]["value"], "kept");
  EXPECT_EQ(book["cells"]["Metadata 004"]["B3"]["value"], "Canon");

  const auto changed = test::RunPython(R"py(
import sys, zipfile
old, new = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2])
names = set(new.namelist())
print(" ".join(n for n in old.namelist() if n not in names or old.read(n) != new.read(n)))
)py",
                                       {copy, target});
  ASSERT_TRUE(changed);
  EXPECT_EQ(*changed, "xl/workbook.xml xl/_rels/workbook.xml.rels [Content_Types].xml\n");
}

TEST_F(WorkbookWriter, SheetPerPhotoIsNamedAfterThePhotoWhereASpreadsheetAcceptsIt) {
  const std::string longName(32, 'L');
  const struct {
    std::vector<std::string> photos;
    std::vector<std::string> sheets;
  } cases[] = {
      {{"IMG_0001.JPG", "IMG_0002.JPG"}, {"IMG_0001", "IMG_0002"}},
      {{"A.JPG", "A.jpeg"}, {"A", "Metadata 002"}},
      {{"A.JPG", "a.jpg", "b[1].jpg"}, {"A", "Metadata 002", "Metadata 003"}},
      {{longName + ".jpg", ".jpg", "Q?.jpg", std::string(31, 'S') + ".jpg"},
       {"Metadata 001", "Metadata 002", "Metadata 003", std::string(31, 'S')}},
  };
  w.options.perPhoto = true;
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.photos[0]);
    const std::string target = w.File("per" + std::to_string(++n) + ".xlsx");
    std::vector<std::string> makes;
    for (size_t p = 0; p < c.photos.size(); ++p) makes.push_back("Make " + std::to_string(p));
    ASSERT_TRUE(Write(TestPhotos(c.photos, {kMake}, {makes}), target));
    const json book = Read(target);
    EXPECT_EQ(book["sheets"], json(c.sheets));
    for (size_t p = 0; p < c.sheets.size(); ++p) {
      const json cells = book["cells"][c.sheets[p]];
      EXPECT_EQ(cells["B1"]["value"], 271);
      EXPECT_EQ(cells["A2"]["value"], "Filename");
      EXPECT_EQ(cells["A3"]["value"], c.photos[p]);
      EXPECT_EQ(cells["B3"]["value"], "Make " + std::to_string(p));
      EXPECT_EQ(cells["C3"]["value"], "/photos/");
      EXPECT_EQ(cells.size(), 7u);
    }
  }
}

TEST_F(WorkbookWriter, SheetPerPhotoAppendedFallsBackToTheNewSheetCount) {
  const std::string target = w.File("per.xlsx");
  w.options.perPhoto = true;
  TestPhotos photos({"IMG_0001.JPG"}, {kMake}, {{"Canon"}});
  ASSERT_TRUE(Write(photos, target));
  w.options.appendMode = true;
  ASSERT_TRUE(Write(photos, target));
  EXPECT_EQ(Read(target)["sheets"], json({"IMG_0001", "Metadata 002"}));
}

TEST_F(WorkbookWriter, FailuresWriteNothingAndLeaveAnExistingWorkbookAsItWas) {
  TestPhotos table = TwoCameras();
  EXPECT_FALSE(Write(TestPhotos({}, {kMake}, {}), w.File("none.xlsx")));
  EXPECT_FALSE(Write(TestPhotos({"A.JPG"}, {}, {}), w.File("none.xlsx")));
  EXPECT_FALSE(std::filesystem::exists(w.File("none.xlsx")));
  EXPECT_FALSE(Write(table, w.File("no/such/folder.xlsx")));

  w.options.appendMode = true;
  EXPECT_FALSE(Write(table, w.File("missing.xlsx")));
  EXPECT_FALSE(std::filesystem::exists(w.File("missing.xlsx")));
  const std::string text = w.File("text.xlsx");
  test::WriteBytes(text, {'n', 'o', 't', ' ', 'a', ' ', 'z', 'i', 'p'});
  EXPECT_FALSE(Write(table, text));
  EXPECT_EQ(test::ReadBytes(text).size(), 9u);

  // Three sheets, one of them already named as the new fourth sheet would be.
  const std::string taken = w.File("taken.xlsx");
  const auto made = test::RunPython(R"py(
import sys, openpyxl
wb = openpyxl.Workbook()
wb.active.title = "A"
wb.create_sheet("B")
wb.create_sheet("metadata 004")
wb.save(sys.argv[1])
)py",
                                    {taken});
  ASSERT_TRUE(made);
  const test::Bytes before = test::ReadBytes(taken);
  EXPECT_FALSE(Write(table, taken));
  EXPECT_EQ(test::ReadBytes(taken), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.scratch.path()), {}), 3)
      << "no temporary file is left behind";
}

TEST_F(WorkbookWriter, TellsOfANewerTagLibraryFirst) {
  w.settings.WriteSetting("GENERAL", "RESVer", "4");
  ASSERT_TRUE(Write(TwoCameras(), w.File("out.xlsx")));
  ASSERT_EQ(w.ui.shown.size(), 1u);
  EXPECT_EQ(w.ui.shown[0].text,
            "Tag Library update detected to Release 5\n\nYou may wish to re-create earlier Worksheets\n"
            "if missing values were present.");
  EXPECT_EQ(w.settings.ReadSetting("GENERAL", "RESVer"), "5");
}

}  // namespace
}  // namespace kelvane
