// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/time_corrections.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "batch_test_context.h"

namespace kelvane {
namespace {

using test::BatchTestContext;
using test::ScratchFolder;

const std::string kHeading = "The following files where not processed successfuly:\r";

// Answers with a chosen code per file name (0 when none is set).
class FakeTimeOperations : public TimeOperations {
 public:
  std::map<std::string, int> codes;
  std::string throwFor;
  std::vector<std::string> paths;
  std::vector<double> adjustments;

  bool SetFileTimesFromPhoto(const std::string& path) override { return Code(path) == 0; }
  int AdjustPhotoDates(std::string& path, double adjustDays) override {
    adjustments.push_back(adjustDays);
    const int code = Code(path);
    if (code == 1) path.clear();
    return code;
  }

 private:
  int Code(const std::string& path) {
    paths.push_back(path);
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name == throwFor) throw std::runtime_error("engine failure");
    const auto it = codes.find(name);
    return it == codes.end() ? 0 : it->second;
  }
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

TEST(TimeCorrections, FolderRunListsEveryCodeWithItsMessage) {
  TimeRun run(ProgramFunction::AdjustMetadataTime);
  run.state.DaysEntryValid = true;
  run.inputs.daysText = "1";
  test::MakeFiles(run.photos,
                  {"c1.jpg", "c2.jpg", "c3.jpg", "c4.jpg", "c5.jpg", "c6.jpg", "c7.jpg", "c8.jpg", "c9.jpg", "ok.jpg"});
  for (int code = 1; code <= 9; ++code) run.operations.codes["c" + std::to_string(code) + ".jpg"] = code;
  run.Run();
  EXPECT_EQ(run.operations.adjustments, std::vector<double>(10, 1.0));
  ASSERT_EQ(run.ui.shown.size(), 1u);
  EXPECT_EQ(run.LastBox().title, "Completion Message");
  EXPECT_EQ(run.LastBox().text, kHeading +
                                    "c1.jpg as File not found\r"
                                    "c2.jpg as Not a JPG (JPEG) file\r"
                                    "c3.jpg as No Metadata in file\r"
                                    "c4.jpg as Bad Metadata\r"
                                    "c5.jpg as Undefined processing error\r"
                                    "c6.jpg as Missing date/time in Metadata\r"
                                    "c7.jpg as File's date/time could not be modified\r"
                                    "c8.jpg as Metadata could not be restored\r"
                                    "c9.jpg as Undefined processing error\r");
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
      run.operations.codes[name] = 1;  // any failure of the file times is code 7
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
  run.operations.codes["a.jpg"] = 9;
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
  } cases[] = {
      {"zero shift", ProgramFunction::AdjustMetadataTime, false, false, "", "Bad date and/or time adjust value"},
      {"missing folder", ProgramFunction::AdjustFileTime, false, false, "gone/", "Folder not found"},
      {"empty folder", ProgramFunction::AdjustFileTime, false, false, "", "Processing aborted as no files found"},
      {"missing photo", ProgramFunction::AdjustMetadataTime, true, true, "gone.jpg", "File not found"},
      {"a folder as the photo", ProgramFunction::AdjustFileTime, true, false, "", "File not found"},
  };
  for (const auto& c : cases) {
    TimeRun run(c.function);
    run.state.SinglePhotoMode = c.single;
    run.state.DaysAsDate = c.asDate;
    run.inputs.sourcePath = "  " + run.photos.path().string() + "/" + c.source + " ";
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
  run.operations.codes["one.jpg"] = 1;
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
