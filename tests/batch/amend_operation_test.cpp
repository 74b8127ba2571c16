// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/amend_operation.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "batch/engine_amend_operations.h"
#include "batch_test_context.h"
#include "fake_amend_operations.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

using test::FakeAmendOperations;

const std::string kHeading = "The following files where not processed successfuly:\r";

class AmendRunTest : public ::testing::Test, protected test::BatchTestContext {
 protected:
  AmendRunTest() {
    photos_ = photosFolder_.path().string() + "/";
    inputs_.sourcePath = photos_;
  }

  void Select(ProgramFunction function, bool single = false) {
    state.SelectedFunction = function;
    state.SinglePhotoMode = single;
  }

  // Plain files in the photos folder.
  void Files(std::initializer_list<const char*> names) {
    for (const char* name : names) test::WriteBytes(photosFolder_.File(name), {1, 2, 3});
  }

  void Run() { RunAmendOperation(context, inputs_, operations_); }

  const Message& LastBox() const { return ui.shown.back(); }

  std::vector<std::string> Operations() const {
    std::vector<std::string> out;
    for (const auto& call : operations_.calls) out.push_back(call.operation + " " + FileNameOf(call.path));
    return out;
  }

  void ExpectCompletion(const std::string& text, SoundCue cue) {
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(LastBox().title, "Completion Message");
    EXPECT_EQ(LastBox().icon, MessageIcon::kNone);
    EXPECT_EQ(LastBox().buttons, MessageButtons::kOk);
    EXPECT_EQ(LastBox().text, text);
    ASSERT_FALSE(ui.cues.empty());
    EXPECT_EQ(ui.cues.back(), cue);
  }

  test::ScratchFolder photosFolder_;
  std::string photos_;
  BatchInputs inputs_;
  FakeAmendOperations operations_;
};

// The engine's answers as the run lists them, in the order of the files
// whether they come at once or with their group's commit; a symbolic link
// is listed without being touched.
TEST_F(AmendRunTest, RestoreFolderListsEngineResults) {
  Select(ProgramFunction::RestoreMetadata);
  Files({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
  std::filesystem::create_symlink("b.jpg", photosFolder_.File("f-link.jpg"));
  const std::string source = settingsFolder.File("source.jpg");
  test::WriteBytes(source, {1});
  inputs_.secondPath = " " + source + " ";
  state.ExportTargetSet = true;
  const auto restore = [](AddSegmentResult result) {
    return SegmentStepOf({result, 0}, ProgramFunction::RestoreMetadata);
  };
  operations_.steps = {{"a.jpg", restore(AddSegmentResult::kSourceUnusable)},
                       {"c.jpg", restore(AddSegmentResult::kNoImageSize)},
                       {"d.jpg", restore(AddSegmentResult::kHasExif)},
                       {"e.jpg", restore(AddSegmentResult::kNotPossible)}};
  operations_.late = {"a.jpg", "d.jpg"};
  Run();
  ExpectCompletion(kHeading + "a.jpg as No Metadata in Source file selected\r" + "c.jpg as Not a JPG (JPEG) file\r" +
                       "d.jpg as Restore and Metadata already in file\r" +
                       "e.jpg as Metadata extract problem for restore\r" +
                       "f-link.jpg as Symbolic link - not followed\r",
                   SoundCue::Error);
  ASSERT_EQ(operations_.calls.size(), 5u);
  EXPECT_EQ(operations_.calls[0].second, source);
  EXPECT_EQ(Operations(), (std::vector<std::string>{"Restore a.jpg", "Restore b.jpg", "Restore c.jpg", "Restore d.jpg",
                                                    "Restore e.jpg"}));
  EXPECT_EQ(operations_.begun, std::vector<std::string>{photos_});
  EXPECT_EQ(operations_.ends, 1);
}

TEST_F(AmendRunTest, CreateSinglePhotoKeepsCodeFive) {
  Select(ProgramFunction::CreateMetadata, true);
  Files({"a.jpg"});
  inputs_.sourcePath = photos_ + "a.jpg";
  operations_.steps = {{"a.jpg", SegmentStepOf({AddSegmentResult::kNoImageSize, 0}, ProgramFunction::CreateMetadata)}};
  Run();
  ExpectCompletion(kHeading + "a.jpg as Undefined processing error\r", SoundCue::Error);
  ASSERT_EQ(operations_.calls.size(), 1u);
  EXPECT_EQ(operations_.begun, std::vector<std::string>{photos_}) << "the photo's folder is the run's";
  EXPECT_EQ(ui.statuses.front(), (std::pair<int, std::string>{2, "Total Files: 1"}));
  EXPECT_EQ(ui.progress, (std::vector<int>{5, 100, 0}));
}

TEST_F(AmendRunTest, FolderRunProgressAndCounters) {
  Select(ProgramFunction::CreateMetadata);
  Files({"c.jpg", "a.jpg", "b.jpg"});
  state.TextEditedByUser = true;
  Run();
  ExpectCompletion("All files processed successfully", SoundCue::Success);
  EXPECT_EQ(Operations(), (std::vector<std::string>{"Create a.jpg", "Create b.jpg", "Create c.jpg"}));
  EXPECT_EQ(ui.progress, (std::vector<int>{5, 35, 65, 95, 100, 0}));
  EXPECT_EQ(ui.statuses, (std::vector<std::pair<int, std::string>>{{2, "Total Files: 3"},
                                                                   {1, "Files Processed: 1"},
                                                                   {1, "Files Processed: 2"},
                                                                   {1, "Files Processed: 3"},
                                                                   {1, "Files Processed: 0"},
                                                                   {2, "Total Files: 0"}}));
  EXPECT_EQ(ui.pumps, 3);
  EXPECT_FALSE(state.TextEditedByUser);
  EXPECT_EQ(ui.arrangements, 1);
  EXPECT_TRUE(ui.runEnabled.empty()) << "Run stays as the window's rearrangement sets it";
}

TEST_F(AmendRunTest, ElevenFailuresListTenAndTheTail) {
  Select(ProgramFunction::CreateMetadata);
  for (int i = 10; i < 21; ++i) {
    const std::string name = "f" + std::to_string(i) + ".jpg";
    test::WriteBytes(photosFolder_.File(name), {1});
    operations_.steps[name] = FileStep::Failed(ListMessage::kCreateHasMetadata);
  }
  Run();
  std::string expected = kHeading;
  for (int i = 10; i < 20; ++i) expected += "f" + std::to_string(i) + ".jpg as Create and Metadata already in file\r";
  expected += " - and an additional 1 errors found not listed.\r";
  ExpectCompletion(expected, SoundCue::Error);
}

TEST_F(AmendRunTest, CancelStopsAfterTheCurrentFile) {
  Select(ProgramFunction::CreateMetadata);
  Files({"a.jpg", "b.jpg", "c.jpg"});
  operations_.steps = {{"a.jpg", FileStep::Failed(ListMessage::kNotJpeg)},
                       {"b.jpg", FileStep::Failed(ListMessage::kNotJpeg)}};
  operations_.late = {"b.jpg"};
  ui.cancelAfterPumps = 2;
  Run();
  EXPECT_EQ(Operations(), (std::vector<std::string>{"Create a.jpg", "Create b.jpg"}));
  EXPECT_EQ(LastBox().title, "User Process Cancellation");
  EXPECT_EQ(LastBox().text, "Files only partially processed due to user abort.");
  EXPECT_EQ(LastBox().icon, MessageIcon::kExclamation);
  EXPECT_EQ(ui.shown.size(), 1u) << "no list after a cancellation";
  EXPECT_EQ(ui.cues, (std::vector<SoundCue>{SoundCue::Attention}));
  EXPECT_TRUE(state.CancelRequested);
  EXPECT_EQ(ui.progress.back(), 0);
  EXPECT_EQ(operations_.ends, 1) << "what is pending is finished";
}

TEST_F(AmendRunTest, UnexpectedFailureShowsTheStepMessage) {
  class ThrowingEngine : public FakeAmendOperations {
    FileStep AddExifSegment(size_t, const std::string&, ProgramFunction, const std::string&) override {
      throw std::runtime_error("boom");
    }
  } operations;
  Select(ProgramFunction::CreateMetadata);
  Files({"a.jpg"});
  state.TextEditedByUser = true;
  RunAmendOperation(context, inputs_, operations);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(LastBox().title, "Error");
  EXPECT_EQ(LastBox().text, "Undefined processing error");
  EXPECT_EQ(LastBox().icon, MessageIcon::kCritical);
  EXPECT_EQ(ui.cues, (std::vector<SoundCue>{SoundCue::Error}));
  EXPECT_FALSE(state.TextEditedByUser);
  EXPECT_EQ(ui.statuses.back(), (std::pair<int, std::string>{2, "Total Files: 0"}));
}

// Boxes that end a run before any file is touched.
TEST_F(AmendRunTest, ParameterBoxes) {
  using F = ProgramFunction;
  enum Kind { kWarning, kFailure };
  const std::string existing = settingsFolder.File("source.jpg");
  test::WriteBytes(existing, {1});
  Files({"a.jpg"});
  const std::string inFolder = photos_ + "a.jpg";
  const struct {
    F function;
    bool single;
    std::string source;
    std::string second;
    bool targetSet;
    Kind kind;
    std::string message;
    bool targetSetAfter;
  } cases[] = {
      {F::CreateMetadata, false, photos_ + "missing/", "", false, kFailure, "Folder/File not found", false},
      {F::CreateMetadata, true, photos_ + "missing.jpg", "", false, kFailure, "Folder/File not found", false},
      {F::CreateMetadata, true, photos_, "", false, kFailure, "Folder/File not found", false},
      {F::AdjustFileTime, false, photos_, "", false, kFailure, "Undefined processing error", false},
      {F::RestoreMetadata, false, photos_, existing, false, kWarning, "Restore file not set", false},
      {F::RestoreMetadata, false, photos_, existing + "x", true, kWarning, "Restore file not found", false},
      {F::RestoreMetadata, false, photos_, inFolder, true, kWarning,
       "Restore Source file cannot be in same Folder as file(s) to Restore", false},
      {F::RestoreMetadata, true, inFolder, inFolder, true, kWarning,
       "Restore Source file cannot be in same Folder as file(s) to Restore", false},
      {F::ExportMetadata, false, photos_, "/tmp/out.csv", false, kWarning, "Export path not set", false},
      {F::ExportMetadata, false, photos_, photos_ + "nothere/out.csv", true, kWarning, "Export path not found", false},
      {F::ExportMetadata, false, photos_, photos_ + "out.csv", true, kWarning,
       "Export file cannot be in same Folder as source files", false},
      {F::ExportMetadata, true, inFolder, photos_, true, kWarning,
       "Export file cannot be in same Folder as source files", false},
      {F::AddCopyright, true, inFolder, "", false, kWarning, "Copyright text without change to existing", false},
      {F::AddDescription, true, inFolder, "", false, kWarning, "Image description text without change to existing",
       false},
  };
  for (const auto& c : cases) {
    ui = test::ScriptedUi{};
    operations_.calls.clear();
    state = RunState{};
    Select(c.function, c.single);
    inputs_.sourcePath = c.source;
    inputs_.secondPath = c.second;
    state.ExportTargetSet = c.targetSet;
    exportOptions.perPhotoRunStarted = true;
    Run();
    ASSERT_EQ(ui.shown.size(), 1u) << c.message;
    EXPECT_EQ(LastBox().title, "Error");
    EXPECT_EQ(LastBox().text, c.message);
    EXPECT_EQ(LastBox().icon, c.kind == kWarning ? MessageIcon::kExclamation : MessageIcon::kCritical) << c.message;
    EXPECT_EQ(ui.cues, (std::vector<SoundCue>{c.kind == kWarning ? SoundCue::Attention : SoundCue::Error}));
    EXPECT_TRUE(operations_.calls.empty()) << c.message;
    EXPECT_EQ(state.ExportTargetSet, c.targetSetAfter) << c.message;
    EXPECT_FALSE(exportOptions.perPhotoRunStarted);
    EXPECT_EQ(ui.progress, (std::vector<int>{0}));
    EXPECT_EQ(ui.arrangements, 1);
  }
}

// The folder can't be had for the run: nothing is touched.
TEST_F(AmendRunTest, AFolderThatCanNotBeTakenEndsTheRun) {
  Files({"a.jpg"});
  const struct {
    PhotoRun::Start start;
    int error;
    std::string title;
    std::string text;
  } cases[] = {
      {PhotoRun::Start::kLockFailed, EACCES, "Error", "Folder could not be read: Permission denied"},
      {PhotoRun::Start::kJournalFailed, ENOSPC, "Error",
       "The run's journal could not be written, so nothing was changed: No space left on device"},
      {PhotoRun::Start::kCancelled, 0, "User Process Cancellation",
       "Files only partially processed due to user abort."},
  };
  for (const bool single : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.text);
      ui = test::ScriptedUi{};
      operations_.calls.clear();
      Select(ProgramFunction::CreateMetadata, single);
      inputs_.sourcePath = single ? photos_ + "a.jpg" : photos_;
      operations_.begin = c.start;
      operations_.beginError = c.error;
      Run();
      ASSERT_EQ(ui.shown.size(), 1u);
      EXPECT_EQ(LastBox().title, c.title);
      EXPECT_EQ(LastBox().text, c.text);
      EXPECT_TRUE(operations_.calls.empty());
    }
  }
}

TEST_F(AmendRunTest, EmptyFolderAndInvalidYears) {
  Select(ProgramFunction::WipeFiles);
  settings.Options[ProgramOption::ConfirmEachWipe] = true;
  Run();
  EXPECT_EQ(LastBox().text, "Processing aborted as no files found");
  EXPECT_EQ(LastBox().icon, MessageIcon::kCritical);

  Files({"a.jpg"});
  Select(ProgramFunction::AddCopyright);
  state.NoticeForEditor = true;
  const struct {
    CopyrightEntries entries;
    std::string message;
  } cases[] = {
      {{"P", "1799", "E", "2000"}, "Copyright Photographer Year invalid"},
      {{"P", "2000", "E", "3000"}, "Copyright Editor Year invalid"},
  };
  for (const auto& c : cases) {
    ui = test::ScriptedUi{};
    inputs_.copyright = c.entries;
    Run();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(LastBox().text, c.message);
    EXPECT_EQ(LastBox().icon, MessageIcon::kCritical);
    EXPECT_EQ(ui.cues, (std::vector<SoundCue>{SoundCue::Error}));
  }
  EXPECT_TRUE(operations_.calls.empty());
}

TEST_F(AmendRunTest, CopyrightDeleteConfirmation) {
  Files({"a.jpg"});
  const struct {
    bool single;
    CopyrightEntries entries;
    bool editor;
    std::string text;
  } cases[] = {
      {false,
       {"", "bad year", "", ""},
       false,
       "This will delete Photographer Copyright entries for all files in the selected folder\rPlease confirm"},
      {true,
       {"P", "2001", " ", ""},
       true,
       "This will delete any Editor Copyright entry for the selected file\rPlease confirm"},
      {false,
       {"", "", "", ""},
       true,
       "This will delete both Photographer and Editor Copyright entries for all files in the selected folder\r"
       "Please confirm"},
  };
  for (const auto& c : cases) {
    for (const MessageAnswer answer : {MessageAnswer::kNo, MessageAnswer::kYes}) {
      ui = test::ScriptedUi{};
      ui.answers = {answer};
      operations_.calls.clear();
      Select(ProgramFunction::AddCopyright, c.single);
      inputs_.sourcePath = c.single ? photos_ + "a.jpg" : photos_;
      state.NoticeForEditor = c.editor;
      state.TextEditedByUser = true;
      inputs_.copyright = c.entries;
      Run();
      const Message& question = ui.shown.front();
      EXPECT_EQ(question.title, "Confirm Copyright Delete");
      EXPECT_EQ(question.text, c.text);
      EXPECT_EQ(question.icon, MessageIcon::kQuestion);
      EXPECT_EQ(question.buttons, MessageButtons::kYesNo);
      EXPECT_EQ(question.defaultButton, 1);
      EXPECT_EQ(ui.cues.front(), SoundCue::Attention);
      if (answer == MessageAnswer::kNo) {
        EXPECT_EQ(ui.shown.size(), 1u) << "a refused delete ends without a box";
        EXPECT_TRUE(operations_.calls.empty());
      } else {
        EXPECT_EQ(ui.shown.size(), 2u);
        EXPECT_EQ(LastBox().title, "Completion Message");
      }
      EXPECT_FALSE(state.TextEditedByUser);
    }
  }
}

TEST_F(AmendRunTest, DescriptionDeleteConfirmation) {
  Files({"a.jpg"});
  Select(ProgramFunction::AddDescription);
  state.NoticeForPhotographer = false;
  state.OverwriteExisting = true;
  inputs_.descriptionText = "  ";
  ui.answers = {MessageAnswer::kNo};
  Run();
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(LastBox().title, "Image description Delete");
  EXPECT_EQ(LastBox().text,
            "This will delete Image description entries for all files in the selected folder\rPlease confirm");
  EXPECT_EQ(LastBox().defaultButton, 1);
  EXPECT_TRUE(operations_.calls.empty());

  // With "Skip if text already present" nothing is asked: existing texts stay.
  ui = test::ScriptedUi{};
  state.OverwriteExisting = false;
  Run();
  EXPECT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(LastBox().title, "Completion Message");
  // Append with an empty box deletes nothing and asks nothing.
  ui = test::ScriptedUi{};
  state.OverwriteExisting = true;
  state.NoticeForPhotographer = true;
  Run();
  EXPECT_EQ(LastBox().title, "Completion Message");
  EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(AmendRunTest, ExportFolderResults) {
  Select(ProgramFunction::ExportMetadata);
  exportOptions.exportType = ExportType::Workbook;
  state.ExportTargetSet = true;
  inputs_.secondPath = settingsFolder.File("out.xlsx");
  const struct {
    ExportFolderCode code;
    std::string text;
  } cases[] = {
      {ExportFolderCode::kNoMetadataFound, "No files with Metadata found"},
      {ExportFolderCode::kNoTagsCollected, "No Metadata in files"},
      {ExportFolderCode::kWriteFailed, "Write to export file failed"},
      {ExportFolderCode::kOverwriteCancelled, "Export file exists and Overwrite Cancelled"},
      {ExportFolderCode::kDeleteFailed, "Previous Export file delete failed"},
      {ExportFolderCode::kTargetInPhotoFolder, "Export file cannot be in same Folder as source files"},
      {ExportFolderCode::kProcessingError, "Unidentified Export processing error"},
  };
  for (const auto& c : cases) {
    ui = test::ScriptedUi{};
    operations_.exportFolder.code = c.code;
    Run();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(LastBox().title, "Error");
    EXPECT_EQ(LastBox().text, c.text);
    EXPECT_EQ(LastBox().icon, MessageIcon::kCritical);
    EXPECT_EQ(ui.cues, (std::vector<SoundCue>{SoundCue::Error}));
  }
  ui = test::ScriptedUi{};
  operations_.exportFolder.code = ExportFolderCode::kExported;
  Run();
  ExpectCompletion("All files processed successfully", SoundCue::Success);

  ui = test::ScriptedUi{};
  operations_.calls.clear();
  operations_.exportFolder.code = ExportFolderCode::kExportedSomeWithout;
  Run();
  ExpectCompletion("All files processed successfully\r - but excluding those files without Metadata included.",
                   SoundCue::Attention);
  ASSERT_EQ(operations_.calls.size(), 1u);
  EXPECT_EQ(operations_.calls[0].operation, "ExportFolder");
  EXPECT_EQ(operations_.calls[0].path, photos_);
  EXPECT_EQ(operations_.calls[0].second, inputs_.secondPath);
}

TEST_F(AmendRunTest, ExportPerPhoto) {
  Files({"a.jpg", "b.JPG", "c.jpeg"});
  Select(ProgramFunction::ExportMetadata);
  exportOptions.exportType = ExportType::SheetCsv;
  exportOptions.perPhoto = true;
  state.ExportTargetSet = true;
  const std::string out = settingsFolder.path().string();
  inputs_.secondPath = out;
  operations_.exportCodes = {{"a.jpg", ExportPhotoCode::kExifUnreadable}, {"c.jpeg", ExportPhotoCode::kPhotoMissing}};
  Run();
  ExpectCompletion(kHeading + "a.jpg as no Metadata in file\r" + "c.jpeg as No files with Metadata found\r",
                   SoundCue::Error);
  ASSERT_EQ(operations_.calls.size(), 3u);
  EXPECT_EQ(operations_.calls[1].second, out + "/b.csv");

  // Single photo: a target that is no folder is the output itself; into a
  // folder goes a CSV named after the photo.
  const struct {
    ExportType type;
    std::string target;
    std::string output;
  } cases[] = {
      {ExportType::Workbook, out + "/book.xlsx", out + "/book.xlsx"},
      {ExportType::Database, out + "/book.xlsx", out + "/book.xlsx"},
      {ExportType::Json, out + "/one.json", out + "/one.json"},
      {ExportType::SheetCsv, out + "/one.csv", out + "/one.csv"},
      {ExportType::SheetCsv, out, out + "/b.csv"},
      {ExportType::DbCsv, out, out + "/b.csv"},
  };
  for (const auto& c : cases) {
    operations_.calls.clear();
    Select(ProgramFunction::ExportMetadata, true);
    inputs_.sourcePath = photos_ + "b.JPG";
    inputs_.secondPath = c.target;
    exportOptions.exportType = c.type;
    Run();
    ASSERT_EQ(operations_.calls.size(), 1u);
    EXPECT_EQ(operations_.calls[0].operation, "ExportPhoto");
    EXPECT_EQ(operations_.calls[0].second, c.output);
  }
}

TEST_F(AmendRunTest, WipeFolderConfirmation) {
  Files({"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
  Select(ProgramFunction::WipeFiles);
  ui.answers = {MessageAnswer::kCancel};
  Run();
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(LastBox().title, "File 'Wipe'");
  EXPECT_EQ(LastBox().text, "Confirm Unrecoverable Delete of All Files in Folder:\r" + photos_);
  EXPECT_EQ(LastBox().icon, MessageIcon::kExclamation);
  EXPECT_EQ(LastBox().buttons, MessageButtons::kOkCancel);
  EXPECT_EQ(LastBox().defaultButton, 1);
  EXPECT_TRUE(operations_.calls.empty());

  ui = test::ScriptedUi{};
  ui.answers = {MessageAnswer::kOk};
  operations_.steps = {{"a.jpg", FileStep::Failed(ListMessage::kWipeAborted)},
                       {"b.jpg", WipeStepOf({WipeResult::kNotOverwritten, 0})},
                       {"c.jpg", WipeStepOf({WipeResult::kNotDeleted, 0})},
                       {"d.jpg", WipeStepOf({WipeResult::kLink, 0})}};
  Run();
  ExpectCompletion(kHeading + "a.jpg as 'Wipe' function aborted\r" + "b.jpg as Error during 'Wipe' function\r" +
                       "c.jpg as 'Wipe File' completed, error during Delete function\r" +
                       "d.jpg as Symbolic link - not followed\r",
                   SoundCue::Error);
  EXPECT_EQ(ui.shown.size(), 2u);
}

TEST_F(AmendRunTest, WipeAsksForAHiddenFile) {
  Files({".hidden", "a.jpg"});
  Select(ProgramFunction::WipeFiles);
  ui.answers = {MessageAnswer::kOk, MessageAnswer::kCancel};
  Run();
  ASSERT_EQ(ui.shown.size(), 3u);
  EXPECT_EQ(ui.shown[1].title, "File 'Wipe'");
  EXPECT_EQ(ui.shown[1].text,
            "Confirm Unrecoverable Delete of File\r" + photos_ + ".hidden - is a HIDDEN file\r** WARNING **");
  EXPECT_EQ(ui.shown[1].defaultButton, 1);
  EXPECT_EQ(Operations(), (std::vector<std::string>{"Wipe a.jpg"}));
  ExpectCompletion(kHeading + ".hidden as Hidden file - user cancelled 'Wipe'\r", SoundCue::Error);
}

TEST_F(AmendRunTest, WipeAsksForEachFile) {
  Files({"a.jpg", "b.jpg"});
  Select(ProgramFunction::WipeFiles);
  settings.Options[ProgramOption::ConfirmEachWipe] = true;
  ui.answers = {MessageAnswer::kCancel, MessageAnswer::kOk};
  Run();
  ASSERT_EQ(ui.shown.size(), 3u);
  EXPECT_EQ(ui.shown[0].text, "Confirm Unrecoverable Delete of File:\r" + photos_ + "a.jpg");
  EXPECT_EQ(Operations(), (std::vector<std::string>{"Wipe b.jpg"}));
  ExpectCompletion(kHeading + "a.jpg as User cancelled 'Wipe'\r", SoundCue::Error);

  // A single photo is always confirmed; once gone it is no longer chosen.
  ui = test::ScriptedUi{};
  operations_.calls.clear();
  settings.Options[ProgramOption::ConfirmEachWipe] = false;
  Select(ProgramFunction::WipeFiles, true);
  state.SourceChosen = true;
  inputs_.sourcePath = photos_ + "b.jpg";
  ui.answers = {MessageAnswer::kOk};
  Run();
  EXPECT_EQ(ui.shown[0].text, "Confirm Unrecoverable Delete of File:\r" + photos_ + "b.jpg");
  EXPECT_EQ(Operations(), (std::vector<std::string>{"Wipe b.jpg"}));
  EXPECT_TRUE(state.SourceChosen) << "the double does not remove the file";
  ui = test::ScriptedUi{};
  ui.answers = {MessageAnswer::kOk};
  class RemovingEngine : public FakeAmendOperations {
    FileStep WipeFile(const std::string& path) override {
      std::filesystem::remove(path);
      return FileStep::Done();
    }
  } removing;
  RunAmendOperation(context, inputs_, removing);
  ExpectCompletion("All files processed successfully", SoundCue::Success);
  EXPECT_FALSE(state.SourceChosen);
}

}  // namespace
}  // namespace kelvane
