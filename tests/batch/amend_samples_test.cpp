// SPDX-License-Identifier: GPL-2.0-or-later
// Whole amend runs over copies of the sample photos, checked on disk and
// with exiftool.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch/amend_operation.h"
#include "batch/copyright_notice.h"
#include "batch/engine_amend_operations.h"
#include "batch_test_context.h"
#include "support/exiftool_oracle.h"

namespace kelvane {
namespace {

using test::ScratchFolder;

const std::string kHeading = "The following files where not processed successfuly:\r";

std::string Tag(const nlohmann::json& tags, const char* key) {
  if (!tags.contains(key)) return {};
  const auto& value = tags[key];
  return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string Tag(const std::string& path, const char* key) {
  const auto tags = test::ExiftoolTags(path);
  return tags ? Tag(*tags, key) : std::string();
}

struct SampleRun : test::BatchTestContext {
  ScratchFolder photos;
  ScratchFolder elsewhere;
  BatchInputs inputs;

  explicit SampleRun(ProgramFunction function) {
    state.SelectedFunction = function;
    inputs.sourcePath = photos.path().string() + "/";
  }
  void Run() {
    EngineAmendOperations operations(context, inputs);
    RunAmendOperation(context, inputs, operations);
  }
  const std::string& Text() const { return ui.shown.back().text; }
};

class AmendSampleRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    KELVANE_REQUIRE_SAMPLES();
    if (!test::HaveExiftool()) GTEST_SKIP() << "no exiftool";
  }
};

TEST_F(AmendSampleRuns, CreateGivesPhotosWithoutMetadataTheirDatesAndSize) {
  SampleRun run(ProgramFunction::CreateMetadata);
  const std::string jfif = run.photos.CopySample("no-exif/Pentax_K10D_jfif_only.jpg");
  const std::string bare = run.photos.CopySample("no-exif/branches.jpg");
  const std::string progressive = run.photos.CopySample("no-exif/jolla_progressive_no_exif.jpg");
  const std::string camera = run.photos.CopySample("cameras/Canon_40D.jpg");
  const auto cameraBytes = test::ReadBytes(camera);
  run.Run();
  EXPECT_EQ(run.Text(), kHeading + "Canon_40D.jpg as Create and Metadata already in file\r");
  EXPECT_EQ(test::ReadBytes(camera), cameraBytes);
  for (const std::string& path : {jfif, bare, progressive}) {
    const auto tags = test::ExiftoolTags(path);
    ASSERT_TRUE(tags);
    EXPECT_EQ(Tag(*tags, "ExifIFD:DateTimeOriginal").size(), 19u) << path;
    EXPECT_EQ(Tag(*tags, "ExifIFD:ExifImageWidth"), Tag(*tags, "File:ImageWidth")) << path;
    EXPECT_EQ(Tag(*tags, "ExifIFD:ExifImageHeight"), Tag(*tags, "File:ImageHeight")) << path;
    EXPECT_EQ(Tag(*tags, "IFD0:ModifyDate"), Tag(*tags, "ExifIFD:DateTimeOriginal")) << path;
  }
}

TEST_F(AmendSampleRuns, RestoreCopiesTheSourceSegment) {
  SampleRun run(ProgramFunction::RestoreMetadata);
  const std::string target = run.photos.CopySample("no-exif/Pentax_K10D_jfif_only.jpg");
  run.photos.CopySample("cameras/Pentax_K10D.jpg", "with_exif.jpg");
  run.inputs.secondPath = run.elsewhere.CopySample("cameras/Pentax_K10D.jpg");
  run.state.ExportTargetSet = true;
  run.Run();
  EXPECT_EQ(run.Text(), kHeading + "with_exif.jpg as Restore and Metadata already in file\r");
  const auto source = test::ExiftoolTags(run.inputs.secondPath);
  const auto restored = test::ExiftoolTags(target);
  ASSERT_TRUE(source && restored);
  EXPECT_EQ(Tag(*restored, "IFD0:Make"), Tag(*source, "IFD0:Make"));
  EXPECT_EQ(Tag(*restored, "ExifIFD:DateTimeOriginal"), Tag(*source, "ExifIFD:DateTimeOriginal"));
  EXPECT_EQ(Tag(*restored, "ExifIFD:ExifImageWidth"), Tag(*restored, "File:ImageWidth"));
}

TEST_F(AmendSampleRuns, CopyrightWritesBothNoticesAndNothingElse) {
  SampleRun run(ProgramFunction::AddCopyright);
  const std::string canon = run.photos.CopySample("cameras/Canon_40D.jpg");
  const std::string two = run.photos.CopySample("text/Pentax_K10D_two_notices.jpg");
  run.photos.CopySample("no-exif/branches.jpg");
  const auto canonBefore = test::ExiftoolTags(canon);
  const auto canonWarnings = test::ExiftoolWarnings(canon);
  run.state.NoticeForEditor = true;
  run.state.OverwriteExisting = true;
  run.inputs.copyright = {"Ann Lee", "2008", "Bob Ray", "2010"};
  run.Run();
  EXPECT_EQ(run.Text(), kHeading + "branches.jpg as No Metadata in file\r");
  // exiftool shows the zero character between the notices as a line break.
  const std::string expected =
      "Copyright(C) 2008 Ann Lee - All Rights Reserved.\n"
      " Copyright(C) 2010 Bob Ray - All Rights Reserved.";
  EXPECT_EQ(Tag(canon, "IFD0:Copyright"), expected);
  EXPECT_EQ(Tag(two, "IFD0:Copyright"), expected);
  const auto canonAfter = test::ExiftoolTags(canon);
  ASSERT_TRUE(canonBefore && canonAfter);
  EXPECT_TRUE(test::TagDifferences(*canonBefore, *canonAfter, {"IFD0:Copyright"}).empty());
  EXPECT_TRUE(test::NewWarnings(canonWarnings, test::ExiftoolWarnings(canon)).empty());

  // The notices read back into the panel's four fields.
  EXPECT_EQ(ReadExistingText(canon, ProgramFunction::AddCopyright), "Ann Lee\t2008\tBob Ray\t2010");
}

TEST_F(AmendSampleRuns, CopyrightYearFromThePhotoAndSkip) {
  SampleRun run(ProgramFunction::AddCopyright);
  const std::string dscn = run.photos.CopySample("gps/DSCN0010.jpg");
  const std::string two = run.photos.CopySample("text/Pentax_K10D_two_notices.jpg");
  run.photos.CopySample("nodate/PaintTool_sample.jpg");
  run.state.NoticeForEditor = true;
  run.state.YearFromPhoto = true;
  run.state.OverwriteExisting = false;
  run.inputs.copyright = {"Ann", "", "Bob", ""};
  run.Run();
  EXPECT_EQ(run.Text(), kHeading + "PaintTool_sample.jpg as Copyright text unspecified processing error\r");
  EXPECT_EQ(Tag(dscn, "IFD0:Copyright"),
            "Copyright(C) 2008 Ann - All Rights Reserved.\n Copyright(C) 2008 Bob - All Rights Reserved.");
  EXPECT_EQ(Tag(two, "IFD0:Copyright"),
            "Laitche (This file is in the public domain.)\n Copyright(C) 2008 Example Editor - All Rights Reserved.");
}

TEST_F(AmendSampleRuns, DescriptionAppendAndSinglePhotoReload) {
  SampleRun run(ProgramFunction::AddDescription);
  const std::string samsung = run.photos.CopySample("cameras/Samsung_Digimax_i50_MP3.jpg");
  const std::string canon = run.photos.CopySample("cameras/Canon_40D.jpg");
  run.state.NoticeForPhotographer = true;  // Append
  run.inputs.descriptionText = "Paris";
  run.Run();
  EXPECT_EQ(run.Text(), "All files processed successfully");
  EXPECT_EQ(Tag(samsung, "IFD0:ImageDescription"), "<Digimax i50 MP3, Samsung #1 MP3> Paris");
  EXPECT_EQ(Tag(canon, "IFD0:ImageDescription"), "Paris");

  run.state.SinglePhotoMode = true;
  run.state.NoticeForPhotographer = false;
  run.state.OverwriteExisting = true;
  run.state.TextEditedByUser = true;
  run.inputs.sourcePath = canon;
  run.inputs.descriptionText = "abc";
  run.Run();
  EXPECT_EQ(run.Text(), "All files processed successfully");
  EXPECT_EQ(Tag(canon, "IFD0:ImageDescription"), "abc ");
  EXPECT_EQ(run.inputs.descriptionText, "abc");
}

TEST_F(AmendSampleRuns, ExportFolderAndFilePerPhoto) {
  SampleRun run(ProgramFunction::ExportMetadata);
  run.photos.CopySample("cameras/Canon_40D.jpg");
  run.photos.CopySample("gps/DSCN0010.jpg");
  run.photos.CopySample("no-exif/branches.jpg");
  run.state.ExportTargetSet = true;
  run.inputs.secondPath = run.elsewhere.File("table.csv");
  run.Run();
  EXPECT_EQ(run.Text(), "All files processed successfully\r - but excluding those files without Metadata included.");
  EXPECT_EQ(run.ui.cues.back(), SoundCue::Attention);
  const auto table = test::ReadBytes(run.inputs.secondPath);
  const std::string text(table.begin(), table.end());
  EXPECT_NE(text.find("Canon_40D.jpg"), std::string::npos);
  EXPECT_NE(text.find("DSCN0010.jpg"), std::string::npos);

  run.ui = test::ScriptedUi{};
  run.exportOptions.perPhoto = true;
  run.inputs.secondPath = run.elsewhere.path().string() + "/";
  run.Run();
  EXPECT_EQ(run.Text(), kHeading + "branches.jpg as no Metadata in file\r");
  EXPECT_TRUE(std::filesystem::exists(run.elsewhere.File("Canon_40D.csv")));
  EXPECT_TRUE(std::filesystem::exists(run.elsewhere.File("DSCN0010.csv")));
  EXPECT_FALSE(std::filesystem::exists(run.elsewhere.File("branches.csv")));
}

TEST_F(AmendSampleRuns, WipeRemovesEveryFile) {
  SampleRun run(ProgramFunction::WipeFiles);
  run.photos.CopySample("cameras/Canon_40D.jpg");
  run.photos.CopySample("gps/DSCN0010.jpg", ".hidden.jpg");
  test::WriteBytes(run.photos.File("notes.txt"), {'a'});
  run.ui.answers = {MessageAnswer::kOk, MessageAnswer::kOk};
  run.Run();
  EXPECT_EQ(run.ui.shown.size(), 3u) << "the folder, then the hidden file";
  EXPECT_EQ(run.Text(), "All files processed successfully");
  EXPECT_TRUE(test::NamesIn(run.photos).empty());
}

}  // namespace
}  // namespace kelvane
