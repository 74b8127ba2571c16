// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/export_driver.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export_harness.h"
#include "support/jpeg_builder.h"

namespace kelvane {
namespace {

using test::Ascii;
using test::BuildJpeg;
using test::BuildTiff;
using test::Bytes;
using test::ExportHarness;
using test::Long;
using test::Short;
using test::TiffEntry;
using test::TiffLayout;
using test::Undefined;

constexpr uint16_t kMake = 0x010F;
constexpr uint16_t kArtist = 0x013B;
constexpr uint16_t kCopyright = 0x8298;
constexpr uint16_t kExifOffset = 0x8769;
constexpr uint16_t kMakerNote = 0x927C;

TiffEntry SRational(uint16_t tag, int32_t num, int32_t den, bool be) {
  Bytes data = test::U32Bytes(static_cast<uint32_t>(num), be);
  const Bytes d = test::U32Bytes(static_cast<uint32_t>(den), be);
  data.insert(data.end(), d.begin(), d.end());
  return {tag, 10, 1, data, std::nullopt};
}

// A driver harness whose writers keep what they are given.
struct DriverHarness : ExportHarness {
  DriverHarness() {
    const auto keep = [this](const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext&) {
      tags = photos.Tags();
      written.clear();
      photos.ForEach([this](const PhotoValues& photo) {
        written.push_back(photo);
        return true;
      });
      writtenTarget = target;
      ++writes;
      return writerSucceeds;
    };
    writers.sheetCsv = keep;
    writers.workbook = keep;
    writers.database = keep;
    writers.dbCsv = keep;
    writers.json = keep;
  }

  void AddPhoto(const std::string& name, const TiffLayout& layout) {
    test::WriteBytes(Photo(name), BuildJpeg(BuildTiff(layout)));
  }

  // Every file of the photos folder, as the batch runner hands them over.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(photos)) {
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    }
    return names;
  }

  ExportFolderCode Folder(const std::string& target = "export.csv") {
    return ExportFolder(photos, Names(), out + target, context).code;
  }

  std::vector<std::string> Written() const {
    std::vector<std::string> names;
    for (const PhotoValues& photo : written) names.push_back(photo.name);
    return names;
  }

  // The written value of tag for the named photo; nothing when the photo
  // has no value of the tag.
  std::optional<std::string> Cell(int32_t tag, const std::string& photo = "a.jpg") const {
    for (const PhotoValues& values : written) {
      if (values.name != photo) continue;
      if (const CollectedValue* value = values.Find(tag)) return value->text;
    }
    return std::nullopt;
  }

  std::vector<int32_t> tags;
  std::vector<PhotoValues> written;
  ExportTarget writtenTarget;
  int writes = 0;
  bool writerSucceeds = true;
};

TiffLayout Camera(bool bigEndian = false) {
  TiffLayout t;
  t.bigEndian = bigEndian;
  t.ifd0 = {Ascii(kMake, "Canon"), Ascii(kArtist, "Jane")};
  t.exif = std::vector<TiffEntry>{Ascii(0x9003, "2007:06:02 14:11:05")};
  return t;
}

TEST(ExportFolder, TargetInThePhotosFolderIsRefusedWithoutAQuestion) {
  DriverHarness h;
  h.AddPhoto("a.jpg", Camera());
  test::WriteBytes(h.Photo("export.csv"), {'x'});
  for (const std::string& target : {h.Photo("export.csv"), " " + h.scratch.File("photos/./export.csv") + " "}) {
    SCOPED_TRACE(target);
    EXPECT_EQ(ExportFolder(h.photos, h.Names(), target, h.context).code, ExportFolderCode::kTargetInPhotoFolder);
  }
  EXPECT_TRUE(h.ui.shown.empty());
  EXPECT_TRUE(h.ui.cues.empty());
  EXPECT_EQ(h.writes, 0);
  EXPECT_TRUE(std::filesystem::exists(h.Photo("export.csv")));
}

TEST(ExportFolder, DatabaseCsvTargetLosesItsSuffixAndTheBoxIsRewritten) {
  DriverHarness h;
  h.options.exportType = ExportType::DbCsv;
  h.AddPhoto("a.jpg", Camera());
  const ExportFolderResult result = ExportFolder(h.photos, h.Names(), h.Out("Trip_D.csv"), h.context);
  EXPECT_EQ(result.code, ExportFolderCode::kExported);
  EXPECT_EQ(result.targetText, h.Out("Trip.csv"));
  EXPECT_EQ(h.writtenTarget.path, h.Out("Trip"));
  EXPECT_EQ(h.writtenTarget.suffixes, (DbCsvSuffixes{"_T.csv", "_F.csv", "_D.csv"}));
  EXPECT_EQ(result.written, (std::vector<std::string>{h.Out("Trip_T.csv"), h.Out("Trip_F.csv"), h.Out("Trip_D.csv")}));
  EXPECT_EQ(result.photosExported, 1u);

  EXPECT_FALSE(ExportFolder(h.photos, h.Names(), h.Out("Trip.csv"), h.context).targetText);
}

TEST(ExportFolder, CollectsBothDirectoriesSortedByNameAndTag) {
  DriverHarness h;
  TiffLayout b = Camera();
  b.ifd0 = {Ascii(kMake, "Nikon")};
  h.AddPhoto("b.jpg", b);
  h.AddPhoto("a.jpg", Camera());
  h.AddPhoto("B.jpg", Camera(true));
  ASSERT_EQ(h.Folder(), ExportFolderCode::kExported);
  // Byte order of names: upper case first.
  EXPECT_EQ(h.Written(), (std::vector<std::string>{"B.jpg", "a.jpg", "b.jpg"}));
  EXPECT_EQ(h.tags, (std::vector<int32_t>{kMake, kArtist, kExifOffset, 0x9003}));
  EXPECT_EQ(h.Cell(kMake, "b.jpg"), "Nikon");
  EXPECT_EQ(h.Cell(kArtist, "b.jpg"), std::nullopt);
  EXPECT_EQ(h.Cell(kArtist, "B.jpg"), "Jane");
  EXPECT_EQ(h.Cell(0x9003, "a.jpg"), "2007:06:02 14:11:05");
  EXPECT_EQ(h.writtenTarget.path, h.Out("export.csv"));
  // Whole paths: the folder as the system names it.
  EXPECT_EQ(h.written[0].folder, std::filesystem::canonical(h.photos).string() + "/");
}

TEST(ExportFolder, ValuesAsTheLibraryFormatsThem) {
  const struct {
    const char* what;
    TiffEntry entry;
    bool bigEndian;
    const char* cell;
  } cases[] = {
      {"exposure bias -2/3, big-endian", SRational(0x9204, -2, 3, true), true, "-0.67 EV"},
      {"exposure bias -2/3, little-endian", SRational(0x9204, -2, 3, false), false, "-0.67 EV"},
      {"Windows XP title", {0x9C9B, 1, 6, {'H', 0, 'i', 0, 0, 0}, std::nullopt}, false, "[]"},
      {"LONG of 2^31 and more", Long(0x0100, 3000000000u, true), true, "3000000000"},
      {"flash", Short(0x9209, 25, false), false, "Fired, auto mode"},
      {"unknown UNDEFINED", Undefined(0xA500, "ab"), false, "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DriverHarness h;
    TiffLayout t;
    t.bigEndian = c.bigEndian;
    t.ifd0 = {Ascii(kMake, "Canon")};
    t.exif = std::vector<TiffEntry>{c.entry};
    h.AddPhoto("a.jpg", t);
    ASSERT_EQ(h.Folder(), ExportFolderCode::kExported);
    EXPECT_EQ(h.Cell(c.entry.tag), c.cell);
  }
}

TEST(ExportFolder, ATagMetTwiceKeepsItsFirstValue) {
  const struct {
    int16_t limit;
    const char* cell;
  } cases[] = {{250, "[1st found] Canon"}, {15, "[1st found] Can"}, {10, "[1st found] "}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    DriverHarness h;
    h.writer.valueCharLimit = c.limit;
    TiffLayout t;
    t.ifd0 = {Ascii(kMake, "Canon")};
    t.exif = std::vector<TiffEntry>{Ascii(kMake, "Nikon")};
    h.AddPhoto("a.jpg", t);
    ASSERT_EQ(h.Folder(), ExportFolderCode::kExported);
    EXPECT_EQ(h.Cell(kMake), c.cell);
  }
}

TEST(ExportFolder, ValuesLongerThanTheLimitAreNotShown) {
  DriverHarness h;
  h.writer.valueCharLimit = 255;
  TiffLayout t;
  t.ifd0 = {Ascii(kMake, "Canon"), Ascii(kArtist, std::string(254, 'a'))};  // 255 bytes with the NUL
  t.exif =
      std::vector<TiffEntry>{Undefined(kMakerNote, std::string(3000, 'm')), Ascii(kCopyright, std::string(255, 'c'))};
  h.AddPhoto("a.jpg", t);
  ASSERT_EQ(h.Folder(), ExportFolderCode::kExported);
  EXPECT_EQ(h.Cell(kMakerNote), "<Not shown as is too long (3000 bytes) >");
  EXPECT_EQ(h.Cell(kArtist), std::string(254, 'a'));
  EXPECT_EQ(h.Cell(kCopyright), "<Not shown as is too long (256 bytes) >");
}

TEST(ExportFolder, ExcludingTechnicalTags) {
  DriverHarness h;
  h.options.excludeTechnical = true;
  h.AddPhoto("a.jpg", Camera());  // Make is technical, Artist and DateTimeOriginal are not
  TiffLayout t;
  t.ifd0 = {Ascii(kMake, "Canon"), Short(0x9999, 1, false)};  // 0x9999 has no record
  h.AddPhoto("b.jpg", t);
  ASSERT_EQ(h.Folder(), ExportFolderCode::kExported);
  EXPECT_EQ(h.tags, (std::vector<int32_t>{kArtist, 0x9003}));

  // Photos with technical tags only.
  DriverHarness only;
  only.options.excludeTechnical = true;
  only.AddPhoto("b.jpg", t);
  EXPECT_EQ(only.Folder(), ExportFolderCode::kNoTagsCollected);
  EXPECT_EQ(only.writes, 0);
}

TEST(ExportFolder, FilesWithoutMetadata) {
  const struct {
    const char* what;
    std::vector<std::pair<std::string, Bytes>> files;
    ExportFolderCode code;
    size_t photos;
  } cases[] = {
      {"empty folder", {}, ExportFolderCode::kNoMetadataFound, 0},
      {"no photo has Exif", {{"a.jpg", BuildJpeg({}, {.exif = false})}}, ExportFolderCode::kNoMetadataFound, 0},
      {"some photos lack Exif",
       {{"a.jpg", BuildJpeg(BuildTiff(Camera()))}, {"b.jpg", BuildJpeg({}, {.app0 = true, .exif = false})}},
       ExportFolderCode::kExportedSomeWithout,
       1},
      {"a text file among photos",
       {{"a.jpg", BuildJpeg(BuildTiff(Camera()))}, {"notes.txt", {'h', 'i'}}},
       ExportFolderCode::kExportedSomeWithout,
       1},
      {"a hidden photo counts", {{".a.jpg", BuildJpeg(BuildTiff(Camera()))}}, ExportFolderCode::kExported, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DriverHarness h;
    for (const auto& [name, bytes] : c.files) test::WriteBytes(h.Photo(name), bytes);
    // A sub-folder is not a file of the folder.
    std::filesystem::create_directory(h.Photo("sub.jpg"));
    EXPECT_EQ(h.Folder(), c.code);
    EXPECT_EQ(h.written.size(), c.photos);
  }
}

TEST(ExportFolder, DamagedEntriesLeaveEmptyOrPartialCells) {
  DriverHarness h;
  TiffLayout t;
  TiffEntry farText = Ascii(kArtist, "Somebody");
  farText.valueField = 0x7FFFFF00u;  // past the end of the file
  // A RATIONAL whose numerator is the file's last four bytes: its
  // denominator is missing and reads as 0 (then 1).
  TiffEntry cutRational = {0x011A, 5, 1, Bytes(8, 0), 0u};
  t.ifd0 = {farText, Ascii(kMake, "Canon"), cutRational};
  const size_t fileSize = BuildJpeg(BuildTiff(t)).size();
  const size_t tiffStart = 12;  // SOI, the APP1 marker and length, "Exif\0\0"
  t.ifd0[2].valueField = static_cast<uint32_t>(fileSize - 4 - tiffStart);
  h.AddPhoto("a.jpg", t);
  ASSERT_EQ(h.Folder(), ExportFolderCode::kExported);
  EXPECT_EQ(h.Cell(kArtist), "");
  EXPECT_EQ(h.Cell(kMake), "Canon");
  // The file ends 34 56 FF D9: read little-endian.
  EXPECT_EQ(h.Cell(0x011A), "3657389620");
}

TEST(ExportFolder, MoreTagsThanTheLibraryHasSlotsAndTagsAboveIt) {
  DriverHarness h;
  TiffLayout t;
  for (uint16_t tag = 1000; tag < 1150; ++tag) t.ifd0.push_back(Short(tag, tag, false));
  t.ifd0.push_back(Short(0xEA1C, 7, false));
  h.AddPhoto("a.jpg", t);
  ASSERT_EQ(h.Folder(), ExportFolderCode::kExported);
  EXPECT_EQ(h.tags.size(), 151u);
  EXPECT_EQ(h.Cell(1149), "1149");
  EXPECT_EQ(h.Cell(0xEA1C), "7");
}

TEST(ExportFolder, WriterOutcomes) {
  const struct {
    ExportType type;
    bool provided;
    bool succeeds;
    ExportFolderCode code;
  } cases[] = {
      {ExportType::SheetCsv, true, false, ExportFolderCode::kWriteFailed},
      {ExportType::Workbook, true, true, ExportFolderCode::kExported},
      {ExportType::Workbook, false, true, ExportFolderCode::kProcessingError},
      {ExportType::Database, true, false, ExportFolderCode::kWriteFailed},
      {ExportType::Database, false, true, ExportFolderCode::kProcessingError},
      {ExportType::Json, true, true, ExportFolderCode::kExported},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    DriverHarness h;
    h.options.exportType = c.type;
    h.writerSucceeds = c.succeeds;
    if (!c.provided) h.writers.workbook = h.writers.database = nullptr;
    h.AddPhoto("a.jpg", Camera());
    EXPECT_EQ(h.Folder("export.out"), c.code);
  }
}

TEST(ExportFolder, WorkbookAnswersReachTheWriter) {
  const struct {
    MessageAnswer answer;
    ExportFolderCode code;
    bool appended;
  } cases[] = {{MessageAnswer::kYes, ExportFolderCode::kExported, true},
               {MessageAnswer::kNo, ExportFolderCode::kExported, false},
               {MessageAnswer::kCancel, ExportFolderCode::kOverwriteCancelled, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    DriverHarness h;
    h.options.exportType = ExportType::Workbook;
    bool appendSeen = false;
    h.writers.workbook = [&](const CollectedPhotos&, const ExportTarget&, ExportWriterContext& w) {
      appendSeen = w.options.appendMode;
      return true;
    };
    h.AddPhoto("a.jpg", Camera());
    test::WriteBytes(h.Out("book.xlsx"), {'x'});
    h.ui.answers.push_back(c.answer);
    EXPECT_EQ(h.Folder("book.xlsx"), c.code);
    EXPECT_EQ(appendSeen, c.appended);
    // The workbook is replaced by the writer, never deleted before.
    EXPECT_TRUE(std::filesystem::exists(h.Out("book.xlsx")));
    ASSERT_EQ(h.ui.shown.size(), 1u);
    EXPECT_EQ(h.ui.shown[0].title, "Confirm spread-sheet amend");
  }
}

const LibraryString kNoSlotsLibrary[] = {{17, "0004 2007:01:13"}, {18, "0"}, {19, "50341"}, {20, "63488"}};

TEST(ExportDrivers, ADamagedLibraryStopsBeforeAnythingIsAsked) {
  const TagLibrary library(kNoSlotsLibrary);
  DriverHarness h;
  ExportWriterContext writer{library, h.settings, h.ui.Ports(), h.options};
  ExportDriverContext context{writer, h.writers, h.runAnswer, true};
  h.AddPhoto("a.jpg", Camera());
  test::WriteBytes(h.Out("export.csv"), {'x'});
  EXPECT_EQ(ExportFolder(h.photos, h.Names(), h.Out("export.csv"), context).code, ExportFolderCode::kProcessingError);
  EXPECT_EQ(ExportPhoto(h.Photo("a.jpg"), h.Out("export.csv"), context).code, ExportPhotoCode::kProcessingError);
  EXPECT_TRUE(h.ui.shown.empty());
  EXPECT_TRUE(std::filesystem::exists(h.Out("export.csv")));
}

TEST(ExportPhoto, ModesAndUnreadablePhotos) {
  DriverHarness h;
  h.AddPhoto("a.jpg", Camera());
  test::WriteBytes(h.Photo("notes.txt"), {'h', 'i'});
  std::filesystem::create_symlink(h.Photo("a.jpg"), h.Photo("link.jpg"));
  const auto code = [&](const std::string& name) { return ExportPhoto(h.Photo(name), h.Out("a.csv"), h.context).code; };
  // Neither single-photo mode nor a file per photo.
  EXPECT_EQ(code("a.jpg"), ExportPhotoCode::kProcessingError);
  h.context.singlePhotoMode = true;
  EXPECT_EQ(code("gone.jpg"), ExportPhotoCode::kPhotoMissing);
  EXPECT_EQ(code("notes.txt"), ExportPhotoCode::kExifUnreadable);
  EXPECT_EQ(code("link.jpg"), ExportPhotoCode::kSymbolicLink);
  EXPECT_EQ(h.writes, 0);
  const ExportPhotoResult done = ExportPhoto(h.Photo("a.jpg"), h.Out("a.csv"), h.context);
  EXPECT_EQ(done.code, ExportPhotoCode::kExported);
  EXPECT_EQ(done.written, (std::vector<std::string>{h.Out("a.csv")}));
  EXPECT_EQ(h.Written(), (std::vector<std::string>{"a.jpg"}));
  EXPECT_EQ(h.Cell(kArtist), "Jane");
  EXPECT_FALSE(h.options.perPhotoRunStarted);
}

TEST(ExportFolder, UnreadablePhotosAreListedAndStandardOutputHasNoTarget) {
  DriverHarness h;
  h.AddPhoto("a.jpg", Camera());
  h.AddPhoto("b.jpg", Camera());
  // A file the system refuses to read: a name that is a folder.
  std::filesystem::create_directory(h.Photo("c.jpg"));
  std::vector<std::string> names = h.Names();
  names.push_back("c.jpg");
  names.push_back("vanished.jpg");
  ExportFolderResult result = ExportFolder(h.photos, names, h.Out("x.csv"), h.context);
  EXPECT_EQ(result.code, ExportFolderCode::kExported);
  ASSERT_EQ(result.unread.size(), 1u);
  EXPECT_EQ(result.unread[0].name, "c.jpg");
  EXPECT_NE(result.unread[0].osError, 0);
  EXPECT_EQ(result.photosExported, 2u);

  h.options.toStandardOutput = true;
  result = ExportFolder(h.photos, h.Names(), "-", h.context);
  EXPECT_EQ(result.code, ExportFolderCode::kExported);
  EXPECT_TRUE(h.writtenTarget.standardOutput);
  EXPECT_EQ(result.written, (std::vector<std::string>{"-"}));
  // Formats that can't stream are refused.
  h.options.exportType = ExportType::Workbook;
  EXPECT_EQ(ExportFolder(h.photos, h.Names(), "-", h.context).code, ExportFolderCode::kProcessingError);
}

TEST(ExportPhoto, FilePerPhotoRunAsksOnce) {
  for (const MessageAnswer answer : {MessageAnswer::kOk, MessageAnswer::kCancel}) {
    SCOPED_TRACE(static_cast<int>(answer));
    DriverHarness h;
    h.options.perPhoto = true;
    h.runAnswer = RunAnswer::kCancelled;  // left over from an earlier run
    for (const char* name : {"a", "b", "c"}) h.AddPhoto(std::string(name) + ".jpg", Camera());
    test::WriteBytes(h.Out("a.csv"), {'x'});
    test::WriteBytes(h.Out("b.csv"), {'x'});
    h.ui.answers.push_back(answer);
    const bool overwrite = answer == MessageAnswer::kOk;
    const ExportPhotoCode existingCode = overwrite ? ExportPhotoCode::kExported : ExportPhotoCode::kOverwriteCancelled;
    EXPECT_EQ(ExportPhoto(h.Photo("a.jpg"), h.Out("a.csv"), h.context).code, existingCode);
    EXPECT_TRUE(h.options.perPhotoRunStarted);
    EXPECT_EQ(ExportPhoto(h.Photo("b.jpg"), h.Out("b.csv"), h.context).code, existingCode);
    EXPECT_EQ(ExportPhoto(h.Photo("c.jpg"), h.Out("c.csv"), h.context).code, ExportPhotoCode::kExported);
    ASSERT_EQ(h.ui.shown.size(), 1u);
    EXPECT_EQ(h.ui.shown[0].text, "One or more files already exist,\n\nOverwrite existing files ?");
    EXPECT_EQ(h.writes, overwrite ? 3 : 1);

    // The batch runner ends the run: the next run asks again.
    h.options.perPhotoRunStarted = false;
    test::WriteBytes(h.Out("a.csv"), {'x'});
    h.ui.answers.push_back(MessageAnswer::kCancel);
    EXPECT_EQ(ExportPhoto(h.Photo("a.jpg"), h.Out("a.csv"), h.context).code, ExportPhotoCode::kOverwriteCancelled);
    EXPECT_EQ(h.ui.shown.size(), 2u);
  }
}

TEST(ExportPhoto, SinglePhotoModeAsksEveryTime) {
  DriverHarness h;
  h.context.singlePhotoMode = true;
  h.options.exportType = ExportType::DbCsv;
  h.AddPhoto("a.jpg", Camera());
  test::WriteBytes(h.Out("a_D.csv"), {'x'});
  h.ui.answers = {MessageAnswer::kCancel, MessageAnswer::kOk};
  EXPECT_EQ(ExportPhoto(h.Photo("a.jpg"), h.Out("a.csv"), h.context).code, ExportPhotoCode::kOverwriteCancelled);
  EXPECT_EQ(ExportPhoto(h.Photo("a.jpg"), h.Out("a.csv"), h.context).code, ExportPhotoCode::kExported);
  ASSERT_EQ(h.ui.shown.size(), 2u);
  EXPECT_EQ(h.ui.shown[1].text, "a_D.csv\n - already exist,\n\nOverwrite existing files ?");
  EXPECT_EQ(h.writtenTarget.path, h.Out("a"));
  EXPECT_FALSE(h.options.perPhotoRunStarted);
}

}  // namespace
}  // namespace kelvane
