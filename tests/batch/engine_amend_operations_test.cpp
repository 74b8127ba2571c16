// SPDX-License-Identifier: GPL-2.0-or-later
// The amend functions' engine operations: their answers as list messages,
// and runs over synthetic photos and copies of real ones.
#include "batch/engine_amend_operations.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "batch/amend_operation.h"
#include "batch_test_context.h"
#include "support/exiftool_oracle.h"
#include "text_tag_photos.h"

namespace kelvane {
namespace {

const std::string kNul("\0", 1);
const std::string kHeading = "The following files where not processed successfuly:\r";

TEST(EngineAmendSteps, EveryEngineAnswerHasItsCodeAndText) {
  using A = AddSegmentResult;
  using W = WriteTagResult;
  const auto restore = [](A result, int error = 0) {
    return SegmentStepOf({result, error}, ProgramFunction::RestoreMetadata);
  };
  const auto create = [](A result, int error = 0) {
    return SegmentStepOf({result, error}, ProgramFunction::CreateMetadata);
  };
  const auto writer = [](W result, int error = 0) { return WriterStepOf({result, error}); };
  const struct {
    const char* name;
    FileStep step;
    int code;  // 0: done
    std::string text;
  } cases[] = {
      {"create done", create(A::kOk), 0, ""},
      {"create: target missing", create(A::kTargetMissing), 1, "File not found"},
      {"restore: source unusable", restore(A::kSourceUnusable), 3, "No Metadata in Source file selected"},
      {"create: no image size", create(A::kNoImageSize), 5, "Undefined processing error"},
      {"create: not built", create(A::kNotBuilt), 6, "Missing date/time in Metadata"},
      {"create: times not set", create(A::kTimesNotSet), 7, "File's date/time could not be modified"},
      {"restore: not possible", restore(A::kNotPossible), 8, "Metadata extract problem for restore"},
      {"create: not possible", create(A::kNotPossible), 8, "Metadata extract problem for create"},
      {"create: not replaced", create(A::kNotReplaced), 9, "Undefined processing error"},
      {"restore: has Exif", restore(A::kHasExif), 10, "Restore and Metadata already in file"},
      {"create: has Exif", create(A::kHasExif), 10, "Create and Metadata already in file"},
      {"create: changed", create(A::kChanged), 71, "Changed by another program - left as it is"},
      {"create: read failed", create(A::kReadFailed, EACCES), 72, "Could not read: Permission denied"},
      {"restore: write failed", restore(A::kWriteFailed, ENOSPC), 73, "Could not write: No space left on device"},
      {"writer done", writer(W::kOk), 0, ""},
      {"writer: no file", writer(W::kNoFile), 1, "File not found"},
      {"writer: not a JPEG", writer(W::kNotJpeg), 2, "Not a JPG (JPEG) file"},
      {"writer: no Exif", writer(W::kNoExif), 3, "No Metadata in file"},
      {"writer: no Exif IFD", writer(W::kNoExifIfd), 3, "No Metadata in file"},
      {"writer: malformed", writer(W::kFailed), 4, "Bad Metadata"},
      {"writer: segment full", writer(W::kSegmentFull), 74, "Metadata would exceed the 64 KB segment limit"},
      {"writer: changed", writer(W::kChanged), 71, "Changed by another program - left as it is"},
      {"writer: write failed", writer(W::kWriteFailed, EROFS), 73, "Could not write: Read-only file system"},
      {"wipe done", WipeStepOf({WipeResult::kDone, 0}), 0, ""},
      {"wipe: not overwritten", WipeStepOf({WipeResult::kNotOverwritten, 0}), 52, "Error during 'Wipe' function"},
      {"wipe: not deleted", WipeStepOf({WipeResult::kNotDeleted, EBUSY}), 53,
       "'Wipe File' completed, error during Delete function: Device or resource busy"},
      {"wipe: a link", WipeStepOf({WipeResult::kLink, 0}), 70, "Symbolic link - not followed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.step.failure.has_value(), c.code != 0);
    EXPECT_FALSE(c.step.pending);
    if (!c.step.failure) continue;
    EXPECT_EQ(EntryOf(*c.step.failure).code, c.code);
    EXPECT_EQ(ListText(*c.step.failure, c.step.osError), c.text);
  }
}

// The operations of one run; outcomes of the commit come at its end.
struct EngineRun : test::BatchTestContext {
  test::ScratchFolder photos;
  BatchInputs inputs;

  // Runs the selected function over the photos folder (or the one photo).
  void Run() {
    EngineAmendOperations operations(context, inputs);
    RunAmendOperation(context, inputs, operations);
  }
  void Select(ProgramFunction function, const std::string& photo = {}) {
    state.SelectedFunction = function;
    state.SinglePhotoMode = !photo.empty();
    inputs.sourcePath = photo.empty() ? photos.path().string() + "/" : photo;
    ui = test::ScriptedUi{};
  }
  const std::string& LastText() const { return ui.shown.back().text; }
};

TEST(EngineAmendOperations, CreateTextTagAndWipeReachTheEngine) {
  KELVANE_REQUIRE_SAMPLES();
  test::BatchTestContext t;
  BatchInputs inputs;
  EngineAmendOperations operations(t.context, inputs);
  test::ScratchFolder photos;
  const std::string plain = photos.CopySample("no-exif/Pentax_K10D_jfif_only.jpg");
  ASSERT_EQ(operations.Begin(photos.path().string()), PhotoRun::Start::kStarted);

  EXPECT_TRUE(operations.AddExifSegment(0, plain, ProgramFunction::CreateMetadata, "").pending);
  operations.End();
  const auto created = operations.TakeCompleted();
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].path, plain);
  EXPECT_FALSE(created[0].step.failure);

  EngineAmendOperations texts(t.context, inputs);
  TextTagRequest request;
  request.parts = {"Copyright(C) 2008 Ann - All Rights Reserved." + kNul, "", "", ""};
  EXPECT_TRUE(texts.AmendTextTag(0, plain, request).pending);
  texts.End();
  ASSERT_EQ(texts.TakeCompleted().size(), 1u);
  if (test::HaveExiftool()) {
    const auto tags = test::ExiftoolTags(plain);
    ASSERT_TRUE(tags);
    EXPECT_EQ((*tags)["IFD0:Copyright"], "Copyright(C) 2008 Ann - All Rights Reserved.");
    EXPECT_EQ((*tags)["ExifIFD:ExifImageWidth"], 100);
  }
  EXPECT_FALSE(texts.WipeFile(plain).failure);
  EXPECT_TRUE(test::NamesIn(photos).empty());
}

TEST(EngineAmendOperations, FolderExportWritesTheSpreadsheetCsv) {
  KELVANE_REQUIRE_SAMPLES();
  test::BatchTestContext t;
  BatchInputs inputs;
  EngineAmendOperations operations(t.context, inputs);
  test::ScratchFolder photos;
  test::ScratchFolder out;
  photos.CopySample("gps/DSCN0010.jpg");
  photos.CopySample("gps/DSCN0021.jpg");
  std::string target = out.File("all.csv");
  const ExportFolderResult result =
      operations.ExportFolder(photos.path().string() + "/", {"DSCN0010.jpg", "DSCN0021.jpg"}, target);
  EXPECT_EQ(result.code, ExportFolderCode::kExported);
  EXPECT_EQ(result.photosExported, 2u);
  EXPECT_EQ(test::NamesIn(out), std::vector<std::string>{"all.csv"});
}

TEST(EngineAmendOperations, TextTagAnswersInTheList) {
  EngineRun run;
  test::WriteTextTagPhoto(run.photos, "1_dated.jpg", {"Old", "Old text", std::nullopt, std::nullopt});
  // A segment with no room left for a notice.
  test::WriteBytes(
      run.photos.File("2_full.jpg"),
      test::BuildJpeg(test::BuildTiff({false,
                                       {test::Undefined(0xC4A5, std::string(65400, 'p'))},
                                       std::vector<test::TiffEntry>{test::Ascii(0x9003, "2001:01:01 00:00:00")}})));
  test::WriteBytes(run.photos.File("3_plain.jpg"), test::BuildJpeg({}, {.exif = false}));
  test::WriteBytes(run.photos.File("4_bad.jpg"), test::BuildJpeg({'M', 'M', 0, 41, 0, 0, 0, 8}));
  test::MakeFiles(run.photos, {"5_notes.txt"});
  std::vector<test::Bytes> before;
  for (const std::string& name : test::NamesIn(run.photos)) before.push_back(test::ReadBytes(run.photos.File(name)));
  const auto unchanged = [&] {
    std::vector<test::Bytes> now;
    for (const std::string& name : test::NamesIn(run.photos)) now.push_back(test::ReadBytes(run.photos.File(name)));
    return now == before;
  };

  run.Select(ProgramFunction::AddCopyright);
  run.state.YearFromPhoto = true;
  run.state.OverwriteExisting = true;
  run.inputs.copyright = {"Ann", "", "", ""};
  run.Run();
  EXPECT_EQ(run.LastText(), kHeading + "1_dated.jpg as Copyright text unspecified processing error\r" +
                                "2_full.jpg as Metadata would exceed the 64 KB segment limit\r" +
                                "3_plain.jpg as No Metadata in file\r" + "4_bad.jpg as Bad Metadata\r" +
                                "5_notes.txt as Not a JPG (JPEG) file\r");
  EXPECT_TRUE(unchanged());

  run.Select(ProgramFunction::AddDescription);
  run.state.NoticeForPhotographer = false;
  run.state.OverwriteExisting = false;
  run.inputs.descriptionText = std::string(100, 'n');
  run.Run();
  EXPECT_EQ(run.LastText(), kHeading + "1_dated.jpg as Image Description change without overwrite permission\r" +
                                "2_full.jpg as Metadata would exceed the 64 KB segment limit\r" +
                                "3_plain.jpg as No Metadata in file\r" + "4_bad.jpg as No Metadata in file\r" +
                                "5_notes.txt as Not a JPG (JPEG) file\r");
  EXPECT_TRUE(unchanged());

  run.Select(ProgramFunction::AddDescription);
  run.state.NoticeForPhotographer = true;  // Append
  run.inputs.descriptionText = "";
  run.Run();
  std::string expected = kHeading;
  for (const char* name : {"1_dated.jpg", "2_full.jpg", "3_plain.jpg", "4_bad.jpg", "5_notes.txt"}) {
    expected += std::string(name) + " as Image Description text without change to existing\r";
  }
  EXPECT_EQ(run.LastText(), expected);
  EXPECT_TRUE(unchanged());

  run.Select(ProgramFunction::AddDescription);
  run.state.NoticeForPhotographer = false;  // Add/Replace with an empty box: a delete, under "Skip"
  run.Run();
  EXPECT_EQ(run.LastText(), kHeading + "1_dated.jpg as Delete invalid with 'Skip if text already present' set\r" +
                                "3_plain.jpg as No Metadata in file\r" + "4_bad.jpg as No Metadata in file\r" +
                                "5_notes.txt as Not a JPG (JPEG) file\r");
  EXPECT_EQ(run.ui.shown.size(), 1u) << "nothing is asked when nothing will be deleted";
  EXPECT_TRUE(unchanged());
}

TEST(EngineAmendOperations, SinglePhotoCopyrightShowsTheNewNotice) {
  EngineRun run;
  const std::string photo = test::WriteTextTagPhoto(run.photos, "p.jpg", {});
  run.Select(ProgramFunction::AddCopyright, photo);
  run.state.TextEditedByUser = true;
  run.state.NoticeForEditor = true;
  run.inputs.copyright = {" Ann Lee ", "2008", "Bob", " 2010.2 "};
  run.Run();
  EXPECT_EQ(run.LastText(), "All files processed successfully");
  EXPECT_EQ(ExistingTextOf(test::ReadTags(photo), ProgramFunction::AddCopyright), "Ann Lee\t2008\tBob\t2010");
  EXPECT_EQ(test::ReadTags(photo)[kSlotCopyright].text, "Copyright(C) 2008 Ann Lee - All Rights Reserved." + kNul +
                                                            " Copyright(C) 2010 Bob - All Rights Reserved." + kNul);
  EXPECT_EQ(run.inputs.copyright, (CopyrightEntries{"Ann Lee", "2008", "Bob", "2010"}));
  EXPECT_FALSE(run.state.TextEditedByUser);
}

TEST(EngineAmendOperations, SinglePhotoDescriptionShowsTheNewText) {
  EngineRun run;
  const std::string photo =
      test::WriteTextTagPhoto(run.photos, "p.jpg", {std::nullopt, "Paris", std::nullopt, std::nullopt});
  run.Select(ProgramFunction::AddDescription, photo);
  run.state.NoticeForPhotographer = true;
  run.inputs.descriptionText = "2008";
  run.state.TextEditedByUser = true;
  run.Run();
  EXPECT_EQ(run.LastText(), "All files processed successfully");
  EXPECT_EQ(run.inputs.descriptionText, "Paris 2008");
}

}  // namespace
}  // namespace kelvane
