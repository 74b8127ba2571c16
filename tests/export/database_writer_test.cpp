// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/database_writer.h"

#include <gtest/gtest.h>

#include <regex>

#include "export/export_database.h"
#include "export_test_support.h"

namespace kelvane {
namespace {

using test::MakeExportTable;
using test::Sqlite;
using test::WriterSetup;

constexpr int32_t kMake = 271;
constexpr int32_t kModel = 272;
constexpr int32_t kDateTimeOriginal = 36867;
constexpr int32_t kNoRecord = 0xA500;

class DatabaseWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::HaveSqlite3()) GTEST_SKIP() << "no sqlite3 shell";
    target = w.File("photos.sqlite");
  }

  std::string Query(const std::string& sql, bool header = false) {
    const auto output = Sqlite(target, sql, header);
    EXPECT_TRUE(output) << sql;
    return output.value_or("");
  }

  WriterSetup w;
  std::string target;
};

// Two photos, one name with an apostrophe; the second photo's only value
// belongs to a tag the tags table lacks.
ExportTable TwoPhotos() {
  return MakeExportTable({"IMG_0001.JPG", "O'Brien.JPG"}, {kMake, kModel, kDateTimeOriginal, kNoRecord},
                         {{"Canon", "Canon EOS 350D DIGITAL", "2007:06:02 14:11:05", ""}, {"", "", "", "x"}});
}

TEST_F(DatabaseWriter, FirstExportCreatesTheTablesTagRecordsQueryAndView) {
  ASSERT_TRUE(WriteAccessDb(TwoPhotos(), target, w.ctx));
  EXPECT_EQ(Query("PRAGMA integrity_check"), "ok\n");
  EXPECT_EQ(Query("SELECT type, name FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' ORDER BY type, name"),
            "index|FileName\nindex|FileRefs\nindex|TagDat\nindex|Tags\nindex|Updates\n"
            "table|ExifTagDataPG\ntable|ExifTagsPG\ntable|PhotoFilesPG\ntable|StoredQueries\ntable|UpdateInfoPG\n"
            "view|MetadataViewPG\n");
  EXPECT_EQ(Query("SELECT count(*) FROM ExifTagsPG"), "121\n");
  EXPECT_EQ(Query("SELECT * FROM ExifTagsPG WHERE ExifID IN (271, 315, 40091, 65535) ORDER BY ExifID"),
            "271|0|Make\n315|1|Artist\n40091|1|Windows XP - Title\n65535|0|<Unknown Tags>\n");
  EXPECT_EQ(Query("SELECT * FROM PhotoFilesPG ORDER BY FileRef"), "1|IMG_0001.JPG\n2|O'Brien.JPG\n");
  EXPECT_EQ(Query("SELECT * FROM ExifTagDataPG ORDER BY FileRef, ExifID"),
            "1|271|Canon\n1|272|Canon EOS 350D DIGITAL\n1|36867|2007:06:02 14:11:05\n2|65535|[42240]\n");
  const std::string updates = Query("SELECT * FROM UpdateInfoPG");
  EXPECT_TRUE(std::regex_match(updates, std::regex(R"(1\|\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\|4\n)"))) << updates;
  EXPECT_EQ(Query("SELECT QueryText FROM StoredQueries WHERE Name = 'MetadataViewPG'"),
            "TRANSFORM First(ExifTagDataPG.TagText) AS FirstOfTagText SELECT PhotoFilesPG.Filename FROM "
            "(ExifTagDataPG LEFT JOIN ExifTagsPG ON ExifTagDataPG.ExifID = ExifTagsPG.ExifID) RIGHT JOIN "
            "PhotoFilesPG ON ExifTagDataPG.FileRef = PhotoFilesPG.FileRef GROUP BY PhotoFilesPG.Filename ORDER BY "
            "PhotoFilesPG.Filename PIVOT ExifTagsPG.Description;\n");
  EXPECT_EQ(Query("SELECT * FROM MetadataViewPG", true),
            "Filename|<Unknown Tags>|DateTimeOriginal|Make|Model\n"
            "IMG_0001.JPG||2007:06:02 14:11:05|Canon|Canon EOS 350D DIGITAL\n"
            "O'Brien.JPG|[42240]|||\n");
  EXPECT_EQ(w.settings.ReadSetting("DB", "Tbl2"), "ExifTagDataPG");
  EXPECT_EQ(w.ui.progress, (std::vector<int>{10, 52}));
  EXPECT_TRUE(w.ui.shown.empty());
}

TEST_F(DatabaseWriter, ASecondExportMergesByFileName) {
  ASSERT_TRUE(WriteAccessDb(TwoPhotos(), target, w.ctx));
  const std::string before = Query("SELECT rowid, FileRef, ExifID FROM ExifTagDataPG ORDER BY rowid");
  ExportTable again = MakeExportTable({"IMG_0001.JPG", "img_0001.jpg"}, {kMake, kModel},
                                      {{"Canon Inc.", "Canon EOS 350D DIGITAL"}, {"Pentax", ""}});
  ASSERT_TRUE(WriteAccessDb(again, target, w.ctx));
  // Names differing in letter case are different files here.
  EXPECT_EQ(Query("SELECT * FROM PhotoFilesPG ORDER BY FileRef"), "1|IMG_0001.JPG\n2|O'Brien.JPG\n3|img_0001.jpg\n");
  EXPECT_EQ(Query("SELECT rowid, FileRef, ExifID FROM ExifTagDataPG WHERE FileRef < 3 ORDER BY rowid"), before);
  EXPECT_EQ(Query("SELECT TagText FROM ExifTagDataPG WHERE FileRef = 1 AND ExifID = 271"), "Canon Inc.\n");
  EXPECT_EQ(Query("SELECT count(*), max(\"Update\") FROM UpdateInfoPG"), "2|2\n");
  EXPECT_EQ(Query("SELECT Filename, Make FROM MetadataViewPG"),
            "IMG_0001.JPG|Canon Inc.\nO'Brien.JPG|\nimg_0001.jpg|Pentax\n");

  ASSERT_TRUE(WriteAccessDb(TwoPhotos(), target, w.ctx));
  EXPECT_EQ(Query("SELECT count(*) FROM PhotoFilesPG"), "3\n");
  EXPECT_EQ(Query("SELECT count(*) FROM UpdateInfoPG"), "3\n");
  EXPECT_EQ(Query("PRAGMA integrity_check"), "ok\n");
}

TEST_F(DatabaseWriter, LongValuesAndUnknownListsAreCut) {
  w.ctx.valueCharLimit = 20;
  std::vector<int32_t> tags = {kMake};
  std::vector<std::string> values = {std::string(25, 'M')};
  for (int32_t t = 0xA500; t < 0xA505; ++t) {
    tags.push_back(t);
    values.push_back("v");
  }
  ASSERT_TRUE(WriteAccessDb(MakeExportTable({"A.JPG"}, tags, {values}), target, w.ctx));
  EXPECT_EQ(Query("SELECT ExifID, TagText FROM ExifTagDataPG ORDER BY ExifID"),
            "271|MMMMMMMMMMMMMMMMM ++\n65535|[42240|42241|4224 ++\n");
}

TEST_F(DatabaseWriter, TagLibraryUpdateQuestionsAndNotices) {
  // A new database while the last export used release 3: a notice.
  w.settings.WriteSetting("GENERAL", "RESVer", "3");
  ASSERT_TRUE(WriteAccessDb(TwoPhotos(), target, w.ctx));
  ASSERT_EQ(w.ui.shown.size(), 1u);
  EXPECT_EQ(w.ui.shown[0].title, "Tag Library update");
  EXPECT_EQ(w.ui.shown[0].text,
            "Tag Library update detected to Release 4\n\nYou may wish to import the new ExifTagsPG table\n"
            "into earlier created databases.");
  EXPECT_EQ(w.ui.shown[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(w.settings.ReadSetting("GENERAL", "RESVer"), "4");

  // An existing database and release 3 again: answering No changes nothing
  // and the question comes back; Yes refreshes the tags table.
  ASSERT_TRUE(Sqlite(target,
                     "UPDATE ExifTagsPG SET Description = 'Maker' WHERE ExifID = 271;"
                     "DELETE FROM ExifTagsPG WHERE ExifID = 272"));
  w.settings.WriteSetting("GENERAL", "RESVer", "3");
  const std::string question =
      "Tag Library update detected to Release 4\n\nThe existing ExifTagsPG table should be updated to include the "
      "changes\n\nUpdate the ExifTagsPG table ?";
  for (const MessageAnswer answer : {MessageAnswer::kNo, MessageAnswer::kYes}) {
    w.ui.shown.clear();
    w.ui.answers = {answer};
    ASSERT_TRUE(WriteAccessDb(TwoPhotos(), target, w.ctx));
    ASSERT_EQ(w.ui.shown.size(), 1u);
    EXPECT_EQ(w.ui.shown[0].text, question);
    EXPECT_EQ(w.ui.shown[0].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(w.ui.shown[0].icon, MessageIcon::kInformation);
    if (answer == MessageAnswer::kNo) {
      EXPECT_EQ(Query("SELECT Description FROM ExifTagsPG WHERE ExifID = 271"), "Maker\n");
      EXPECT_EQ(w.settings.ReadSetting("GENERAL", "RESVer"), "3");
      EXPECT_EQ(Query("SELECT Maker FROM MetadataViewPG WHERE Filename = 'IMG_0001.JPG'"), "Canon\n");
    }
  }
  EXPECT_EQ(Query("SELECT TagLibrary FROM UpdateInfoPG ORDER BY \"Update\""), "4\n3\n4\n");
  EXPECT_EQ(Query("SELECT ExifID, Description FROM ExifTagsPG WHERE ExifID IN (271, 272) ORDER BY ExifID"),
            "271|Make\n272|Model\n");
  EXPECT_EQ(Query("SELECT count(*) FROM ExifTagsPG"), "121\n");
  EXPECT_EQ(w.settings.ReadSetting("GENERAL", "RESVer"), "4");
}

TEST_F(DatabaseWriter, TableNamesComeFromTheSettings) {
  w.settings.WriteSetting("DB", "Tbl0", "MyTags");
  ASSERT_TRUE(WriteAccessDb(TwoPhotos(), target, w.ctx));
  EXPECT_EQ(Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            "ExifTagDataPG\nMyTags\nPhotoFilesPG\nStoredQueries\nUpdateInfoPG\nsqlite_sequence\n");
  EXPECT_EQ(Query("SELECT count(*) FROM MyTags"), "121\n");
  const std::string stored = Query("SELECT QueryText FROM StoredQueries");
  EXPECT_NE(stored.find("LEFT JOIN ExifTagsPG ON"), std::string::npos);
  EXPECT_EQ(stored.find("MyTags"), std::string::npos);
  EXPECT_EQ(Query("SELECT Filename, Make FROM MetadataViewPG"), "IMG_0001.JPG|Canon\nO'Brien.JPG|\n");
  EXPECT_EQ(w.settings.ReadSetting("DB", "Tbl0"), "MyTags");
  EXPECT_EQ(w.settings.ReadSetting("DB", "Tbl3"), "UpdateInfoPG");

  // A database made under the default names lacks MyTags: refused unchanged.
  WriterSetup other;
  const std::string defaults = other.File("defaults.sqlite");
  ASSERT_TRUE(WriteAccessDb(TwoPhotos(), defaults, other.ctx));
  const test::Bytes before = test::ReadBytes(defaults);
  EXPECT_FALSE(WriteAccessDb(TwoPhotos(), defaults, w.ctx));
  EXPECT_EQ(test::ReadBytes(defaults), before);
}

TEST_F(DatabaseWriter, AFailedExportLeavesNothingOfItBehind) {
  // Tables made elsewhere under the right names, whose data table refuses
  // long texts: the second photo's value fails after the first photo's
  // records were written.
  ASSERT_TRUE(Sqlite(target,
                     "CREATE TABLE ExifTagsPG (ExifID INTEGER, NonTech INTEGER, Description TEXT);"
                     "CREATE TABLE PhotoFilesPG (FileRef INTEGER PRIMARY KEY AUTOINCREMENT, Filename TEXT);"
                     "CREATE TABLE ExifTagDataPG (FileRef INTEGER, ExifID INTEGER, TagText TEXT "
                     "CHECK (length(TagText) < 10));"
                     "CREATE TABLE UpdateInfoPG (\"Update\" INTEGER PRIMARY KEY AUTOINCREMENT, DateTime TEXT, "
                     "TagLibrary INTEGER);"
                     "INSERT INTO ExifTagsPG VALUES (271, 0, 'Make');"));
  const test::Bytes before = test::ReadBytes(target);
  const ExportTable table = MakeExportTable({"A.JPG", "B.JPG"}, {kMake}, {{"short"}, {"far too long"}});
  EXPECT_FALSE(WriteAccessDb(table, target, w.ctx));
  EXPECT_EQ(Query("SELECT (SELECT count(*) FROM PhotoFilesPG) || (SELECT count(*) FROM ExifTagDataPG) || "
                  "(SELECT count(*) FROM UpdateInfoPG)"),
            "000\n");
  EXPECT_EQ(test::ReadBytes(target), before);

  // The same tables take a fitting export, and a view appears over them.
  ASSERT_TRUE(WriteAccessDb(MakeExportTable({"A.JPG"}, {kMake}, {{"short"}}), target, w.ctx));
  EXPECT_EQ(Query("SELECT * FROM MetadataViewPG"), "A.JPG|short\n");
}

TEST_F(DatabaseWriter, NothingToWriteOrNotADatabase) {
  EXPECT_FALSE(WriteAccessDb(MakeExportTable({}, {kMake}, {}), target, w.ctx));
  EXPECT_FALSE(WriteAccessDb(MakeExportTable({"A.JPG"}, {}, {}), target, w.ctx));
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_FALSE(WriteAccessDb(TwoPhotos(), w.File("no/such/folder.sqlite"), w.ctx));

  const test::Bytes text = {'n', 'o', 't', ' ', 'a', ' ', 'd', 'b', '\n'};
  test::WriteBytes(target, text);
  EXPECT_FALSE(WriteAccessDb(TwoPhotos(), target, w.ctx));
  EXPECT_EQ(test::ReadBytes(target), text);
}

TEST_F(DatabaseWriter, CreateRefusesAnExistingFileAndRefreshAddsMissingTags) {
  test::WriteBytes(target, {'x'});
  EXPECT_FALSE(CreateExportDatabase(target, {}, kCreateDatabase, TagLibrary::BuiltIn(), w.settings));
  EXPECT_EQ(test::ReadBytes(target), test::Bytes{'x'});
  std::filesystem::remove(target);

  ASSERT_TRUE(CreateExportDatabase(target, {}, kCreateDatabase, TagLibrary::BuiltIn(), w.settings));
  ASSERT_TRUE(Sqlite(target, "DELETE FROM ExifTagsPG WHERE ExifID < 300"));
  ASSERT_TRUE(CreateExportDatabase(target, {}, kRefreshTagsTable, TagLibrary::BuiltIn(), w.settings));
  EXPECT_EQ(Query("SELECT count(*), count(DISTINCT ExifID) FROM ExifTagsPG"), "121|121\n");
  EXPECT_EQ(Query("SELECT name FROM pragma_table_info('MetadataViewPG')"), "Filename\n");
}

}  // namespace
}  // namespace kelvane
