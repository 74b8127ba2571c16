// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/time_corrections.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include "batch/engine_time_operations.h"
#include "batch_test_context.h"

namespace kelvane {
namespace {

using test::BatchTestContext;
using test::ScratchFolder;

const std::string kHeading = "The following files where not processed successfuly:\r";

// Answers with the outcome chosen for the file's name (done when none is
// chosen) as the engine's would be listed; an outcome of a name marked late
// comes, as a commit's does, only when the run ends.
class FakeTimeOperations : public TimeOperations {
 public:
  std::map<std::string, AdjustOutcome> outcomes;
  std::set<std::string> late;
  std::string throwFor;
  PhotoRun::Start begin = PhotoRun::Start::kStarted;
  int beginError = 0;
  std::vector<std::string> paths;
  std::vector<double> adjustments;
  std::vector<std::string> begun;

  PhotoRun::Start Begin(const std::string& folder) override {
    begun.push_back(folder);
    return begin;
  }
  int BeginError() const override { return beginError; }
  FileStep SetFileTimesFromPhoto(size_t order, const std::string& path) override {
    const bool failed = Outcome(path).result != AdjustResult::kOk;
    return Answer(order, path, failed ? FileStep::Failed(ListMessage::kDateNotModified) : FileStep::Done());
  }
  FileStep AdjustPhotoDates(size_t order, const std::string& path, double adjustDays) override {
    adjustments.push_back(adjustDays);
    return Answer(order, path, TimeStepOf(Outcome(path)));
  }
  std::vector<PhotoRun::Completed> TakeCompleted() override {
    std::vector<PhotoRun::Completed> taken;
    if (ended_) taken.swap(pending_);
    return taken;
  }
  void End() override { ended_ = true; }

 private:
  static std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
  AdjustOutcome Outcome(const std::string& path) {
    paths.push_back(path);
    if (NameOf(path) == throwFor) throw std::runtime_error("engine failure");
    const auto it = outcomes.find(NameOf(path));
    return it == outcomes.end() ? AdjustOutcome{} : it->second;
  }
  FileStep Answer(size_t order, const std::string& path, const FileStep& step) {
    if (!late.contains(NameOf(path))) return step;
    pending_.push_back({order, path, step});
    return FileStep::Pending();
  }

  std::vector<PhotoRun::Completed> pending_;
  bool ended_ = false;
};

struct TimeRun : BatchTestContext {
  ScratchFolder photos;
  BatchInputs inputs;
  FakeTimeOperations operations;

  explicit TimeRun(ProgramFunction function = ProgramFunction::AdjustFileTime) {
    state.SelectedFunction = function;
    inputs.sourcePath = photos.path().string() + "/";
  }
  void Run() { RunTimeCorrections(context, inputs, operations); }
  const Message& LastBox() const { return ui.shown.back(); }
};

void ExpectReset(const test::ScriptedUi& ui) {
  ASSERT_GE(ui.statuses.size(), 2u);
  EXPECT_EQ(ui.statuses[ui.statuses.size() - 2], (std::pair<int, std::string>{1, "Files Processed: 0"}));
  EXPECT_EQ(ui.statuses.back(), (std::pair<int, std::string>{2, "Total Files: 0"}));
  EXPECT_EQ(ui.progress.back(), 0);
  EXPECT_EQ(ui.arrangements, 1);
  EXPECT_EQ(ui.runEnabled, std::vector<bool>{false});
  EXPECT_EQ(ui.cancelEnabled.back(), false);
}

TEST(TimeCorrections, AdjustmentSignsEachPartBeforeTheSum) {
  const struct {
    std::string days;
    DaysDirection daysDirection;
    bool daysValid;
    bool asDate;
    std::array<std::string, 3> time;
    TimeDirection timeDirection;
    double expected;
  } cases[] = {
      {"1", DaysDirection::kLater, true, false, {"2", "", ""}, TimeDirection::kEarlier, 1 - 2.0 / 24},
      {"3",
       DaysDirection::kEarlier,
       true,
       false,
       {"1", "30", "15"},
       TimeDirection::kLater,
       -3 + 1.0 / 24 + 30.0 / 1440 + 15.0 / 86400},
      {"3", DaysDirection::kLater, false, false, {"", "", "45"}, TimeDirection::kLater, 45.0 / 86400},
      {"20080501", DaysDirection::kAsDate, true, true, {"2", "", ""}, TimeDirection::kLater, 2.0 / 24},
      {"x", DaysDirection::kLater, true, false, {"ab", "1", "-"}, TimeDirection::kLater, 1.0 / 1440},
      {"1", DaysDirection::kLater, true, false, {"24", "", ""}, TimeDirection::kEarlier, 0},
  };
  for (const auto& c : cases) {
    RunState state;
    state.DaysEntryValid = c.daysValid;
    state.DaysAsDate = c.asDate;
    BatchInputs inputs;
    inputs.daysText = c.days;
    inputs.daysDirection = c.daysDirection;
    inputs.timeTexts = c.time;
    inputs.timeDirection = c.timeDirection;
    EXPECT_DOUBLE_EQ(AdjustmentInDays(state, inputs), c.expected) << c.days << " " << c.time[0];
  }
}

// Every answer of the engine as the list shows it, in the order of the files
// however late it comes; a symbolic link is listed and left alone.
TEST(TimeCorrections, FolderRunListsEveryAnswerWithItsMessage) {
  using enum AdjustResult;
  TimeRun run(ProgramFunction::AdjustMetadataTime);
  run.state.DaysEntryValid = true;
  run.inputs.daysText = "1";
  const std::pair<const char*, AdjustOutcome> answers[] = {
      {"c01.jpg", {kFileMissing, 0}},
      {"c02.jpg", {kNotJpeg, 0}},
      {"c03.jpg", {kNoExif, 0}},
      {"c06.jpg", {kNoTakenTime, 0}},
      {"c07.jpg", {kFileTimesNotSet, EPERM}},
      {"c09.jpg", {kFailed, 0}},
      {"c20.jpg", {kChanged, 0}},
      {"c21.jpg", {kReadFailed, EIO}},
      {"c22.jpg", {kWriteFailed, ENOSPC}},
  };
  for (const auto& [name, outcome] : answers) {
    test::MakeFiles(run.photos, {name});
    run.operations.outcomes[name] = outcome;
  }
  test::MakeFiles(run.photos, {"ok.jpg"});
  std::filesystem::create_symlink("ok.jpg", run.photos.File("link.jpg"));
  run.operations.late = {"c02.jpg", "c09.jpg", "c21.jpg"};
  run.Run();
  EXPECT_EQ(run.operations.adjustments, std::vector<double>(10, 1.0));
  EXPECT_EQ(run.operations.begun, std::vector<std::string>{run.inputs.sourcePath});
  ASSERT_EQ(run.ui.shown.size(), 1u);
  EXPECT_EQ(run.LastBox().title, "Completion Message");
  EXPECT_EQ(run.LastBox().text, kHeading +
                                    "c01.jpg as File not found\r"
                                    "c02.jpg as Not a JPG (JPEG) file\r"
                                    "c03.jpg as No Metadata in file\r"
                                    "c06.jpg as Missing date/time in Metadata\r"
                                    "c07.jpg as File's date/time could not be modified: Operation not permitted\r"
                                    "c09.jpg as Undefined processing error\r"
                                    "c20.jpg as Changed by another program - left as it is\r"
                                    "c21.jpg as Could not read: Input/output error\r"
                                    "c22.jpg as Could not write: No space left on device\r"
                                    "link.jpg as Symbolic link - not followed\r");
  EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Error});
  ExpectReset(run.ui);
}

TEST(TimeCorrections, CompletionListsAtMostTenFileTimeFailures) {
  for (int failures : {0, 10, 11}) {
    TimeRun run;
    std::string expected = failures == 0 ? "All files processed successfully" : kHeading;
    for (int i = 0; i < 12; ++i) {
      const std::string name = "f" + std::to_string(10 + i) + ".jpg";
      test::MakeFiles(run.photos, {name});
      if (i >= failures) continue;
      run.operations.outcomes[name] = {AdjustResult::kFailed, 0};  // any failure of the file times is code 7
      if (i < 10) expected += name + " as File's date/time could not be modified\r";
    }
    if (failures == 11) expected += " - and an additional 1 errors found not listed.\r";
    run.Run();
    ASSERT_EQ(run.ui.shown.size(), 1u);
    EXPECT_EQ(run.LastBox().text, expected) << failures;
    EXPECT_EQ(run.LastBox().icon, MessageIcon::kNone);
    EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{failures == 0 ? SoundCue::Success : SoundCue::Error});
    EXPECT_TRUE(run.operations.adjustments.empty());
  }
}

TEST(TimeCorrections, FolderRunShowsProgressAndCounters) {
  TimeRun run;
  test::MakeFiles(run.photos, {"c.jpg", "a.jpg", "b.jpg"});
  run.Run();
  const std::string folder = run.inputs.sourcePath;
  EXPECT_EQ(run.operations.paths, (std::vector<std::string>{folder + "a.jpg", folder + "b.jpg", folder + "c.jpg"}));
  EXPECT_EQ(run.ui.progress, (std::vector<int>{5, 35, 65, 95, 100, 0}));
  EXPECT_EQ(run.ui.statuses, (std::vector<std::pair<int, std::string>>{{2, "Total Files: 3"},
                                                                       {1, "Files Processed: 1"},
                                                                       {1, "Files Processed: 2"},
                                                                       {1, "Files Processed: 3"},
                                                                       {1, "Files Processed: 0"},
                                                                       {2, "Total Files: 0"}}));
  EXPECT_EQ(run.ui.pumps, 3);
  EXPECT_EQ(run.ui.cancelEnabled, (std::vector<bool>{true, false}));
  EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Success});
  EXPECT_FALSE(run.ui.busy);
  ExpectReset(run.ui);
}

TEST(TimeCorrections, CancelStopsAfterTheCurrentFile) {
  TimeRun run;
  test::MakeFiles(run.photos, {"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
  run.operations.outcomes["a.jpg"] = {AdjustResult::kFailed, 0};
  run.ui.cancelAfterPumps = 2;
  run.Run();
  EXPECT_EQ(run.operations.paths.size(), 2u);
  ASSERT_EQ(run.ui.shown.size(), 1u);
  EXPECT_EQ(run.LastBox().text, "Files only partially processed due to user abort.");
  EXPECT_EQ(run.LastBox().title, "User Process Cancellation");
  EXPECT_EQ(run.LastBox().icon, MessageIcon::kCritical);
  EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Attention});
  EXPECT_TRUE(run.state.CancelRequested);
  EXPECT_EQ(run.ui.progress, (std::vector<int>{5, 28, 0}));
  ExpectReset(run.ui);
}

TEST(TimeCorrections, ErrorBoxesEndTheRunBeforeAnyFile) {
  const struct {
    const char* situation;
    ProgramFunction function;
    bool single;
    bool asDate;
    std::string source;  // relative to the scratch folder, "" = the folder
    const char* expected;
    PhotoRun::Start start = PhotoRun::Start::kStarted;
    int error = 0;
  } cases[] = {
      {"zero shift", ProgramFunction::AdjustMetadataTime, false, false, "", "Bad date and/or time adjust value"},
      {"missing folder", ProgramFunction::AdjustFileTime, false, false, "gone/", "Folder not found"},
      {"empty folder", ProgramFunction::AdjustFileTime, false, false, "", "Processing aborted as no files found"},
      {"missing photo", ProgramFunction::AdjustMetadataTime, true, true, "gone.jpg", "File not found"},
      {"a folder as the photo", ProgramFunction::AdjustFileTime, true, false, "", "File not found"},
      {"folder can't be locked", ProgramFunction::AdjustFileTime, false, false, "",
       "Folder could not be read: Permission denied", PhotoRun::Start::kLockFailed, EACCES},
      {"journal can't be written", ProgramFunction::AdjustFileTime, true, false, "a.jpg",
       "The run's journal could not be written, so nothing was changed: Read-only file system",
       PhotoRun::Start::kJournalFailed, EROFS},
  };
  for (const auto& c : cases) {
    TimeRun run(c.function);
    run.state.SinglePhotoMode = c.single;
    run.state.DaysAsDate = c.asDate;
    run.inputs.sourcePath = "  " + run.photos.path().string() + "/" + c.source + " ";
    run.operations.begin = c.start;
    run.operations.beginError = c.error;
    if (c.start != PhotoRun::Start::kStarted) test::MakeFiles(run.photos, {"a.jpg"});
    run.Run();
    EXPECT_TRUE(run.operations.paths.empty()) << c.situation;
    ASSERT_EQ(run.ui.shown.size(), 1u) << c.situation;
    EXPECT_EQ(run.LastBox().text, c.expected) << c.situation;
    EXPECT_EQ(run.LastBox().title, "Error");
    EXPECT_EQ(run.LastBox().icon, MessageIcon::kCritical);
    EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Error});
    ExpectReset(run.ui);
  }
}

TEST(TimeCorrections, AsDateRunsWithoutAShift) {
  TimeRun run(ProgramFunction::AdjustMetadataTime);
  run.state.DaysAsDate = true;
  run.state.DaysEntryValid = true;
  run.inputs.daysText = "20080501";
  test::MakeFiles(run.photos, {"a.jpg"});
  run.Run();
  EXPECT_EQ(run.operations.adjustments, std::vector<double>{0.0});
  EXPECT_EQ(run.LastBox().text, "All files processed successfully");
}

TEST(TimeCorrections, SinglePhotoRunNeverEnablesCancel) {
  TimeRun run(ProgramFunction::AdjustMetadataTime);
  run.state.SinglePhotoMode = true;
  run.state.SourceChosen = true;
  run.inputs.timeTexts = {"1", "", ""};
  test::MakeFiles(run.photos, {"one.jpg"});
  run.inputs.sourcePath = " " + run.photos.File("one.jpg") + " ";
  run.operations.outcomes["one.jpg"] = {AdjustResult::kFileMissing, 0};
  run.Run();
  EXPECT_EQ(run.operations.paths, std::vector<std::string>{run.photos.File("one.jpg")});
  EXPECT_EQ(run.LastBox().text, kHeading + "one.jpg as File not found\r");
  EXPECT_FALSE(run.state.SourceChosen) << "the photo has gone: its selection is dropped";
  EXPECT_EQ(run.ui.progress, (std::vector<int>{5, 90, 100, 0}));
  EXPECT_EQ(run.ui.statuses.front(), (std::pair<int, std::string>{2, "Total Files: 1"}));
  EXPECT_EQ(run.ui.statuses[1], (std::pair<int, std::string>{1, "Files Processed: 1"}));
  EXPECT_EQ(run.ui.cancelEnabled, std::vector<bool>{false});
  ExpectReset(run.ui);
}

TEST(TimeCorrections, UnexpectedFailureShowsTheStepUnderWay) {
  TimeRun run;
  test::MakeFiles(run.photos, {"a.jpg", "b.jpg"});
  run.operations.throwFor = "b.jpg";
  run.Run();
  ASSERT_EQ(run.ui.shown.size(), 1u);
  EXPECT_EQ(run.LastBox().text, "Undefined processing error");
  EXPECT_EQ(run.LastBox().title, "Error");
  EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Error});
  ExpectReset(run.ui);
}

}  // namespace
}  // namespace kelvane
