// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/database_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "export/export_database.h"
#include "export_test_support.h"

namespace kelvane {
namespace {

using test::FileTarget;
using test::Sqlite;
using test::TestPhotos;
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

  // Writes photos into target, adding to the database there when append.
  bool Write(TestPhotos& photos, bool append = true) {
    w.options.appendMode = append;
    return WriteAccessDb(photos.Collected(), FileTarget(target), w.ctx);
  }

  WriterSetup w;
  std::string target;
};

// Two photos, one name with an apostrophe; the second photo's only value
// belongs to a tag the tags table lacks.
TestPhotos TwoPhotos(const std::string& folder = "/photos/") {
  return TestPhotos({"IMG_0001.JPG", "O'Brien.JPG"}, {kMake, kModel, kDateTimeOriginal, kNoRecord},
                    {{"Canon", ""}, {"Canon EOS 350D DIGITAL", ""}, {"2007:06:02 14:11:05", ""}, {"", "x"}}, folder);
}

TEST_F(DatabaseWriter, FirstExportCreatesTheTablesTagRecordsQueryAndView) {
  TestPhotos photos = TwoPhotos();
  ASSERT_TRUE(Write(photos, false));
  EXPECT_EQ(Query("PRAGMA integrity_check"), "ok\n");
  EXPECT_EQ(Query("SELECT type, name FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' ORDER BY type, name"),
            "index|FileName\nindex|FileRefs\nindex|TagDat\nindex|Tags\nindex|Updates\n"
            "table|ExifTagDataPG\ntable|ExifTagsPG\ntable|PhotoFilesPG\ntable|Photos\ntable|StoredQueries\n"
            "table|UpdateInfoPG\nview|MetadataViewPG\n");
  EXPECT_EQ(Query("SELECT count(*) FROM ExifTagsPG"), "177\n");
  EXPECT_EQ(Query("SELECT * FROM ExifTagsPG WHERE ExifID IN (271, 315, 40091, 65538, 65535) ORDER BY ExifID"),
            "271|0|Make\n315|1|Artist\n40091|1|Windows XP - Title\n65535|0|<Unknown Tags>\n65538|1|GPSLatitude\n");
  EXPECT_EQ(Query("SELECT * FROM PhotoFilesPG ORDER BY FileRef"), "1|IMG_0001.JPG|/photos/\n2|O'Brien.JPG|/photos/\n");
  EXPECT_EQ(Query("SELECT * FROM ExifTagDataPG ORDER BY FileRef, ExifID"),
            "1|271|Canon\n1|272|Canon EOS 350D DIGITAL\n1|36867|2007:06:02 14:11:05\n2|65535|[42240]\n");
  const std::string updates = Query("SELECT * FROM UpdateInfoPG");
  EXPECT_TRUE(std::regex_match(updates, std::regex(R"(1\|\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\|5\n)"))) << updates;
  EXPECT_EQ(Query("SELECT QueryText FROM StoredQueries WHERE Name = 'MetadataViewPG'"),
            "TRANSFORM First(ExifTagDataPG.TagText) AS FirstOfTagText SELECT PhotoFilesPG.Filename FROM "
            "(ExifTagDataPG LEFT JOIN ExifTagsPG ON ExifTagDataPG.ExifID = ExifTagsPG.ExifID) RIGHT JOIN "
            "PhotoFilesPG ON ExifTagDataPG.FileRef = PhotoFilesPG.FileRef GROUP BY PhotoFilesPG.Filename ORDER BY "
            "PhotoFilesPG.Filename PIVOT ExifTagsPG.Description;\n");
  EXPECT_EQ(Query("SELECT * FROM MetadataViewPG", true),
            "Filename|Folder|<Unknown Tags>|DateTimeOriginal|Make|Model\n"
            "IMG_0001.JPG|/photos/||2007:06:02 14:11:05|Canon|Canon EOS 350D DIGITAL\n"
            "O'Brien.JPG|/photos/|[42240]|||\n");
  EXPECT_EQ(w.settings.ReadSetting("DB", "Tbl2"), "ExifTagDataPG");
  EXPECT_EQ(w.ui.progress, (std::vector<int>{10, 52}));
  EXPECT_TRUE(w.ui.shown.empty());
  // Nothing is left beside the database.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.scratch.path()), {}), 2);
}

TEST_F(DatabaseWriter, PhotosAreKeyedByTheirWholePath) {
  TestPhotos first = TwoPhotos();
  ASSERT_TRUE(Write(first, false));
  const std::string before = Query("SELECT rowid, FileRef, ExifID FROM ExifTagDataPG ORDER BY rowid");
  // The same folder again, a name differing in letter case, and a photo of
  // the same name in another folder.
  TestPhotos again({"IMG_0001.JPG", "img_0001.jpg"}, {kMake, kModel}, {{"Canon Inc.", "Pentax"}, {"EOS", ""}});
  ASSERT_TRUE(Write(again));
  TestPhotos other({"IMG_0001.JPG"}, {kMake}, {{"Nikon"}}, "/elsewhere/");
  ASSERT_TRUE(Write(other));
  EXPECT_EQ(Query("SELECT * FROM PhotoFilesPG ORDER BY FileRef"),
            "1|IMG_0001.JPG|/photos/\n2|O'Brien.JPG|/photos/\n3|img_0001.jpg|/photos/\n4|IMG_0001.JPG|/elsewhere/\n");
  EXPECT_EQ(Query("SELECT rowid, FileRef, ExifID FROM ExifTagDataPG WHERE FileRef < 3 ORDER BY rowid"), before);
  EXPECT_EQ(Query("SELECT FileRef, TagText FROM ExifTagDataPG WHERE ExifID = 271 ORDER BY FileRef"),
            "1|Canon Inc.\n3|Pentax\n4|Nikon\n");
  EXPECT_EQ(Query("SELECT count(*), max(\"Update\") FROM UpdateInfoPG"), "3|3\n");
  EXPECT_EQ(Query("SELECT Filename, Folder, Make FROM MetadataViewPG"),
            "IMG_0001.JPG|/elsewhere/|Nikon\nIMG_0001.JPG|/photos/|Canon Inc.\nO'Brien.JPG|/photos/|\n"
            "img_0001.jpg|/photos/|Pentax\n");
  EXPECT_EQ(Query("SELECT FileRef, Folder, Filename FROM Photos ORDER BY FileRef"),
            "1|/photos/|IMG_0001.JPG\n2|/photos/|O'Brien.JPG\n3|/photos/|img_0001.jpg\n4|/elsewhere/|IMG_0001.JPG\n");
  EXPECT_EQ(Query("PRAGMA integrity_check"), "ok\n");

  // Without appending, a new database replaces the old one.
  ASSERT_TRUE(Write(other, false));
  EXPECT_EQ(Query("SELECT * FROM PhotoFilesPG"), "1|IMG_0001.JPG|/elsewhere/\n");
}

TEST_F(DatabaseWriter, TypedTableForAnalysis) {
  TestPhotos photos({kMake, 0x829D, 0x8827, 0x9003, kGpsTagBase + 2, 0xA432});
  const auto typed = [](TypedValue::Kind kind, int64_t integer, double real, std::string text) {
    TypedValue value;
    value.kind = kind;
    value.integer = integer;
    value.real = real;
    value.text = std::move(text);
    return value;
  };
  const auto photo = [&](std::string name, double fNumber, int64_t iso, std::string taken, double latitude) {
    PhotoValues values;
    values.folder = "/photos/";
    values.name = std::move(name);
    TypedValue lens;
    lens.kind = TypedValue::Kind::kList;
    lens.numbers = {24, 70, 2.8, 4};
    values.values = {{kMake, "Canon", typed(TypedValue::Kind::kText, 0, 0, "Canon")},
                     {0x829D, "F 7.10", typed(TypedValue::Kind::kReal, 0, fNumber, "")},
                     {0x8827, std::to_string(iso), typed(TypedValue::Kind::kInteger, iso, 0, "")},
                     {0x9003, "x", typed(TypedValue::Kind::kDate, 0, 0, std::move(taken))},
                     {0xA432, "24-70 mm f/2.8-4", lens},
                     {kGpsTagBase + 2, "x", typed(TypedValue::Kind::kReal, 0, latitude, "")}};
    values.gpsDateTime = "2008-10-23T14:27:07Z";
    return values;
  };
  photos.Add(photo("A.JPG", 7.1, 100, "2008-05-30T15:56:01", -33.5));
  photos.Add(photo("B.JPG", 2.8, 400, "2007-01-01T10:00:00+02:00", 12.25));
  photos.Add(photo("C.JPG", 11, 200, "2006-03-04T05:06:07", 0));
  ASSERT_TRUE(Write(photos, false));
  EXPECT_EQ(Query("SELECT name, type FROM pragma_table_info('Photos')"),
            "FileRef|INTEGER\nFolder|TEXT\nFilename|TEXT\nMake|TEXT\nFNumber|REAL\nISOSpeedRatings|INTEGER\n"
            "DateTimeOriginal|TEXT\nLensSpecification|TEXT\nGPSLatitude|REAL\nGPSDateTime|TEXT\n");
  EXPECT_EQ(Query("SELECT Filename FROM Photos WHERE FNumber > 5 ORDER BY DateTimeOriginal"), "C.JPG\nA.JPG\n");
  EXPECT_EQ(Query("SELECT ISOSpeedRatings * 2, GPSLatitude, LensSpecification FROM Photos WHERE Filename = 'A.JPG'"),
            "200|-33.5|[24,70,2.8,4]\n");
}

// The layout written before photos were keyed by their whole path, with the
// records an export of IMG_0001.JPG made then.
constexpr const char* kEarlierLayout =
    "CREATE TABLE \"ExifTagsPG\" (\"ExifID\" INTEGER NOT NULL, \"NonTech\" INTEGER, \"Description\" TEXT);"
    "CREATE UNIQUE INDEX \"Tags\" ON \"ExifTagsPG\" (\"ExifID\");"
    "CREATE TABLE \"PhotoFilesPG\" (\"FileRef\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,"
    " \"Filename\" TEXT NOT NULL);"
    "CREATE UNIQUE INDEX \"FileRefs\" ON \"PhotoFilesPG\" (\"FileRef\");"
    "CREATE UNIQUE INDEX \"FileName\" ON \"PhotoFilesPG\" (\"Filename\");"
    "CREATE TABLE \"ExifTagDataPG\" (\"FileRef\" INTEGER NOT NULL, \"ExifID\" INTEGER NOT NULL, \"TagText\" TEXT);"
    "CREATE UNIQUE INDEX \"TagDat\" ON \"ExifTagDataPG\" (\"FileRef\", \"ExifID\");"
    "CREATE TABLE \"UpdateInfoPG\" (\"Update\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,"
    " \"DateTime\" TEXT NOT NULL, \"TagLibrary\" INTEGER NOT NULL);"
    "CREATE UNIQUE INDEX \"Updates\" ON \"UpdateInfoPG\" (\"Update\");"
    "CREATE TABLE \"StoredQueries\" (\"Name\" TEXT PRIMARY KEY NOT NULL, \"QueryText\" TEXT NOT NULL);"
    "INSERT INTO ExifTagsPG VALUES (271, 0, 'Make'), (272, 0, 'Model'), (65535, 0, '<Unknown Tags>');"
    "INSERT INTO PhotoFilesPG (Filename) VALUES ('IMG_0001.JPG'), ('IMG_0002.JPG');"
    "INSERT INTO ExifTagDataPG VALUES (1, 271, 'Canon'), (1, 272, 'EOS'), (2, 271, 'Kept');"
    "INSERT INTO UpdateInfoPG (DateTime, TagLibrary) VALUES ('2024-01-01T10:00:00', 4);"
    "CREATE VIEW MetadataViewPG AS SELECT p.Filename AS Filename FROM PhotoFilesPG AS p GROUP BY p.Filename;";

TEST_F(DatabaseWriter, ADatabaseOfTheEarlierLayoutIsMovedToWholePathsAndAppendedTo) {
  ASSERT_TRUE(Sqlite(target, kEarlierLayout));
  w.ui.answers = {MessageAnswer::kYes};  // refresh the tags table to release 5
  w.settings.WriteSetting("GENERAL", "RESVer", "4");
  TestPhotos first({"IMG_0001.JPG"}, {kMake, kModel}, {{"Canon"}, {"EOS 40D"}}, "/trip/a/");
  ASSERT_TRUE(Write(first));
  TestPhotos second({"IMG_0001.JPG"}, {kMake}, {{"Nikon"}}, "/trip/b/");
  ASSERT_TRUE(Write(second));
  // The earlier record of the name becomes the first folder's photo; the
  // second folder's photo of that name gets its own; the untouched record
  // keeps its values and no folder.
  EXPECT_EQ(Query("SELECT * FROM PhotoFilesPG ORDER BY FileRef"),
            "1|IMG_0001.JPG|/trip/a/\n2|IMG_0002.JPG|\n3|IMG_0001.JPG|/trip/b/\n");
  EXPECT_EQ(Query("SELECT * FROM ExifTagDataPG ORDER BY FileRef, ExifID"),
            "1|271|Canon\n1|272|EOS 40D\n2|271|Kept\n3|271|Nikon\n");
  EXPECT_EQ(Query("SELECT count(*) FROM ExifTagsPG"), "177\n");
  EXPECT_EQ(Query("SELECT TagLibrary FROM UpdateInfoPG ORDER BY \"Update\""), "4\n5\n5\n");
  EXPECT_EQ(Query("SELECT Filename, Folder, Make FROM MetadataViewPG"),
            "IMG_0001.JPG|/trip/a/|Canon\nIMG_0001.JPG|/trip/b/|Nikon\nIMG_0002.JPG||Kept\n");
  EXPECT_EQ(Query("SELECT sql FROM sqlite_master WHERE name = 'FileName'"),
            "CREATE UNIQUE INDEX \"FileName\" ON \"PhotoFilesPG\" (\"Folder\", \"Filename\")\n");
  EXPECT_EQ(Query("PRAGMA integrity_check"), "ok\n");
}

TEST_F(DatabaseWriter, LongValuesAndUnknownListsAreCut) {
  w.ctx.valueCharLimit = 20;
  std::vector<int32_t> tags = {kMake};
  std::vector<std::vector<std::string>> values = {{std::string(25, 'M')}};
  for (int32_t t = 0xA500; t < 0xA505; ++t) {
    tags.push_back(t);
    values.push_back({"v"});
  }
  TestPhotos photos({"A.JPG"}, tags, values);
  ASSERT_TRUE(Write(photos, false));
  EXPECT_EQ(Query("SELECT ExifID, TagText FROM ExifTagDataPG ORDER BY ExifID"),
            "271|MMMMMMMMMMMMMMMMM ++\n65535|[42240|42241|4224 ++\n");
}

TEST_F(DatabaseWriter, TagLibraryUpdateQuestionsAndNotices) {
  // A new database while the last export used release 4: a notice.
  w.settings.WriteSetting("GENERAL", "RESVer", "4");
  TestPhotos photos = TwoPhotos();
  ASSERT_TRUE(Write(photos, false));
  ASSERT_EQ(w.ui.shown.size(), 1u);
  EXPECT_EQ(w.ui.shown[0].title, "Tag Library update");
  EXPECT_EQ(w.ui.shown[0].text,
            "Tag Library update detected to Release 5\n\nYou may wish to import the new ExifTagsPG table\n"
            "into earlier created databases.");
  EXPECT_EQ(w.ui.shown[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(w.settings.ReadSetting("GENERAL", "RESVer"), "5");

  // An existing database and release 4 again: answering No changes nothing
  // and the question comes back; Yes refreshes the tags table.
  ASSERT_TRUE(Sqlite(target,
                     "UPDATE ExifTagsPG SET Description = 'Maker' WHERE ExifID = 271;"
                     "DELETE FROM ExifTagsPG WHERE ExifID = 272"));
  w.settings.WriteSetting("GENERAL", "RESVer", "4");
  const std::string question =
      "Tag Library update detected to Release 5\n\nThe existing ExifTagsPG table should be updated to include the "
      "changes\n\nUpdate the ExifTagsPG table ?";
  for (const MessageAnswer answer : {MessageAnswer::kNo, MessageAnswer::kYes}) {
    w.ui.shown.clear();
    w.ui.answers = {answer};
    ASSERT_TRUE(Write(photos));
    ASSERT_EQ(w.ui.shown.size(), 1u);
    EXPECT_EQ(w.ui.shown[0].text, question);
    EXPECT_EQ(w.ui.shown[0].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(w.ui.shown[0].icon, MessageIcon::kInformation);
    if (answer == MessageAnswer::kNo) {
      EXPECT_EQ(Query("SELECT Description FROM ExifTagsPG WHERE ExifID = 271"), "Maker\n");
      EXPECT_EQ(w.settings.ReadSetting("GENERAL", "RESVer"), "4");
      EXPECT_EQ(Query("SELECT Maker FROM MetadataViewPG WHERE Filename = 'IMG_0001.JPG'"), "Canon\n");
    }
  }
  EXPECT_EQ(Query("SELECT TagLibrary FROM UpdateInfoPG ORDER BY \"Update\""), "5\n4\n5\n");
  EXPECT_EQ(Query("SELECT ExifID, Description FROM ExifTagsPG WHERE ExifID IN (271, 272) ORDER BY ExifID"),
            "271|Make\n272|Model\n");
  EXPECT_EQ(Query("SELECT count(*) FROM ExifTagsPG"), "177\n");
  EXPECT_EQ(w.settings.ReadSetting("GENERAL", "RESVer"), "5");
}

TEST_F(DatabaseWriter, TableNamesComeFromTheSettings) {
  w.settings.WriteSetting("DB", "Tbl0", "MyTags");
  TestPhotos photos = TwoPhotos();
  ASSERT_TRUE(Write(photos, false));
  EXPECT_EQ(Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            "ExifTagDataPG\nMyTags\nPhotoFilesPG\nPhotos\nStoredQueries\nUpdateInfoPG\nsqlite_sequence\n");
  EXPECT_EQ(Query("SELECT count(*) FROM MyTags"), "177\n");
  const std::string stored = Query("SELECT QueryText FROM StoredQueries");
  EXPECT_NE(stored.find("LEFT JOIN ExifTagsPG ON"), std::string::npos);
  EXPECT_EQ(stored.find("MyTags"), std::string::npos);
  EXPECT_EQ(Query("SELECT Filename, Make FROM MetadataViewPG"), "IMG_0001.JPG|Canon\nO'Brien.JPG|\n");
  EXPECT_EQ(w.settings.ReadSetting("DB", "Tbl0"), "MyTags");
  EXPECT_EQ(w.settings.ReadSetting("DB", "Tbl3"), "UpdateInfoPG");

  // A database made under the default names lacks MyTags: refused unchanged.
  WriterSetup other;
  const std::string defaults = other.File("defaults.sqlite");
  ASSERT_TRUE(WriteAccessDb(photos.Collected(), FileTarget(defaults), other.ctx));
  const test::Bytes before = test::ReadBytes(defaults);
  w.options.appendMode = true;
  EXPECT_FALSE(WriteAccessDb(photos.Collected(), FileTarget(defaults), w.ctx));
  EXPECT_EQ(test::ReadBytes(defaults), before);
}

TEST_F(DatabaseWriter, AFailedExportLeavesNothingOfItBehind) {
  // Tables of the earlier layout made elsewhere, whose data table refuses
  // long texts: the second photo's value fails after the first photo's
  // records were written and the layout was moved to whole paths.
  ASSERT_TRUE(Sqlite(target,
                     "CREATE TABLE ExifTagsPG (ExifID INTEGER, NonTech INTEGER, Description TEXT);"
                     "CREATE TABLE PhotoFilesPG (FileRef INTEGER PRIMARY KEY AUTOINCREMENT, Filename TEXT);"
                     "CREATE TABLE ExifTagDataPG (FileRef INTEGER, ExifID INTEGER, TagText TEXT "
                     "CHECK (length(TagText) < 10));"
                     "CREATE TABLE UpdateInfoPG (\"Update\" INTEGER PRIMARY KEY AUTOINCREMENT, DateTime TEXT, "
                     "TagLibrary INTEGER);"
                     "INSERT INTO ExifTagsPG VALUES (271, 0, 'Make');"));
  const test::Bytes before = test::ReadBytes(target);
  TestPhotos failing({"A.JPG", "B.JPG"}, {kMake}, {{"short", "far too long"}});
  EXPECT_FALSE(Write(failing));
  EXPECT_EQ(test::ReadBytes(target), before);

  // The same tables take a fitting export, and a view appears over them.
  TestPhotos fitting({"A.JPG"}, {kMake}, {{"short"}});
  ASSERT_TRUE(Write(fitting));
  EXPECT_EQ(Query("SELECT * FROM MetadataViewPG"), "A.JPG|/photos/|short\n");
}

TEST_F(DatabaseWriter, NothingToWriteOrNotADatabase) {
  TestPhotos none({}, {kMake}, {});
  TestPhotos noTags({"A.JPG"}, {}, {});
  TestPhotos photos = TwoPhotos();
  EXPECT_FALSE(Write(none, false));
  EXPECT_FALSE(Write(noTags, false));
  EXPECT_FALSE(std::filesystem::exists(target));
  w.options.appendMode = false;
  EXPECT_FALSE(WriteAccessDb(photos.Collected(), FileTarget(w.File("no/such/folder.sqlite")), w.ctx));

  const test::Bytes text = {'n', 'o', 't', ' ', 'a', ' ', 'd', 'b', '\n'};
  test::WriteBytes(target, text);
  EXPECT_FALSE(Write(photos));
  EXPECT_EQ(test::ReadBytes(target), text);
}

}  // namespace
}  // namespace kelvane
