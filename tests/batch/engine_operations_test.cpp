// SPDX-License-Identifier: GPL-2.0-or-later
// The engine-backed operations, and whole runs over copies of the sample
// photos checked on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>

#include "batch/engine_prefix_operations.h"
#include "batch/engine_time_operations.h"
#include "batch/filename_prefix.h"
#include "batch/time_corrections.h"
#include "batch_test_context.h"
#include "engine/exif_date_time.h"
#include "support/exiftool_oracle.h"

namespace kelvane {
namespace {

using test::LastWriteText;
using test::ScratchFolder;

// Sets the file's last-write and last-access times to a local date/time.
void SetLocalTimes(const std::string& path, int year, int month, int day, int hour, int minute) {
  struct tm local {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_isdst = -1;
  const struct timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::string Tag(const std::string& path, const char* key) {
  const auto tags = test::ExiftoolTags(path);
  if (!tags || !tags->contains(key)) return {};
  return (*tags)[key].get<std::string>();
}

struct SampleRun : test::BatchTestContext {
  ScratchFolder photos;
  BatchInputs inputs;

  explicit SampleRun(ProgramFunction function) {
    state.SelectedFunction = function;
    inputs.sourcePath = photos.path().string() + "/";
  }
  void RunTimes() {
    EngineTimeOperations operations(context, inputs);
    RunTimeCorrections(context, inputs, operations);
  }
  void RunPrefix() {
    EnginePrefixOperations operations(context, inputs);
    RunFilenamePrefix(context, inputs, operations);
  }
  const std::string& Text() const { return ui.shown.at(0).text; }
};

TEST(EngineTimeOperations, AsDateIsValidOnlyForAnAcceptedCalendarDate) {
  const struct {
    ProgramFunction function;
    bool asDate;
    bool entryValid;
    std::string text;
    bool expectValid;
  } cases[] = {
      {ProgramFunction::AdjustMetadataTime, true, true, "2008/05/01", true},
      {ProgramFunction::AdjustMetadataTime, true, true, "2007/02/30", false},
      {ProgramFunction::AdjustMetadataTime, true, true, "2008-05-01", false},
      {ProgramFunction::AdjustMetadataTime, true, false, "2008/05/01", false},
      {ProgramFunction::AdjustFileTime, false, true, "", false},
  };
  for (const auto& c : cases) {
    RunState state;
    state.SelectedFunction = c.function;
    state.DaysAsDate = c.asDate;
    state.DaysEntryValid = c.entryValid;
    BatchInputs inputs;
    inputs.asDateText = c.text;
    const PhotoTimeParameters parameters = PhotoTimeParametersOf(state, inputs);
    EXPECT_EQ(parameters.metadataTimeSelected, c.function == ProgramFunction::AdjustMetadataTime);
    EXPECT_EQ(parameters.asDateChosen, c.asDate);
    EXPECT_EQ(parameters.asDateValid, c.expectValid) << c.text;
    if (c.expectValid) {
      EXPECT_EQ(FormatExifDateTime(parameters.asDateValue), "2008:05:01 00:00:00");
    }
  }
}

TEST(SampleRuns, AdjustPhotoTimeShiftsTakenTimesAndFileTimes) {
  KELVANE_REQUIRE_SAMPLES();
  if (!test::HaveExiftool()) GTEST_SKIP() << "no exiftool";
  SampleRun run(ProgramFunction::AdjustMetadataTime);
  const std::string dscn = run.photos.CopySample("gps/DSCN0010.jpg");
  run.photos.CopySample("no-exif/branches.jpg");
  run.photos.CopySample("nodate/PaintTool_sample.jpg");
  run.state.DaysEntryValid = true;
  run.inputs.daysText = "1";
  run.inputs.timeTexts = {"2", "", ""};
  run.inputs.timeDirection = TimeDirection::kEarlier;
  run.RunTimes();
  EXPECT_EQ(run.Text(),
            "The following files where not processed successfuly:\r"
            "PaintTool_sample.jpg as Missing date/time in Metadata\r"
            "branches.jpg as No Metadata in file\r");
  EXPECT_EQ(Tag(dscn, "ExifIFD:DateTimeOriginal"), "2008:10:23 14:28:39");
  EXPECT_EQ(Tag(dscn, "ExifIFD:CreateDate"), "2008:10:23 14:28:39");
  EXPECT_EQ(Tag(dscn, "IFD0:ModifyDate"), "2008:11:01 21:15:07") << "a modified time of its own keeps its value";
  EXPECT_EQ(LastWriteText(dscn), "2008:10:23 14:28:39");
}

TEST(SampleRuns, AsDateMovesASinglePhotoToTheDate) {
  KELVANE_REQUIRE_SAMPLES();
  if (!test::HaveExiftool()) GTEST_SKIP() << "no exiftool";
  SampleRun run(ProgramFunction::AdjustMetadataTime);
  const std::string dscn = run.photos.CopySample("gps/DSCN0021.jpg");
  run.state.SinglePhotoMode = true;
  run.state.DaysAsDate = true;
  run.state.DaysEntryValid = true;
  run.inputs.sourcePath = dscn;
  run.inputs.daysText = "20090501";
  run.inputs.asDateText = "2009/05/01";
  run.inputs.timeTexts = {"2", "", ""};
  run.RunTimes();
  EXPECT_EQ(run.Text(), "All files processed successfully");
  EXPECT_EQ(Tag(dscn, "ExifIFD:DateTimeOriginal"), "2009:05:01 18:38:20");
}

TEST(SampleRuns, AdjustFileTimeSetsTheTakenTime) {
  KELVANE_REQUIRE_SAMPLES();
  SampleRun run(ProgramFunction::AdjustFileTime);
  const std::string a = run.photos.CopySample("gps/DSCN0025.jpg");
  const std::string b = run.photos.CopySample("gps/DSCN0027.jpg");
  const std::string none = run.photos.CopySample("no-exif/branches.jpg");
  const test::Bytes before = test::ReadBytes(a);
  const std::string noneTime = LastWriteText(none);
  run.RunTimes();
  EXPECT_EQ(run.Text(),
            "The following files where not processed successfuly:\r"
            "branches.jpg as File's date/time could not be modified\r");
  EXPECT_EQ(LastWriteText(a), "2008:10:22 16:43:21");
  EXPECT_EQ(LastWriteText(b), "2008:10:22 16:44:01");
  EXPECT_EQ(LastWriteText(none), noneTime);
  EXPECT_EQ(test::ReadBytes(a), before) << "the photo itself is not changed";
}

TEST(SampleRuns, TimeSequencePrefixFollowsTheTakenTimes) {
  KELVANE_REQUIRE_SAMPLES();
  SampleRun run(ProgramFunction::FilenamePrefix);
  run.state.PrefixTimeSequence = true;
  run.state.PrefixAddFixed = true;
  run.inputs.prefixText = "_";
  // Named against the order in which they were taken.
  run.photos.CopySample("gps/DSCN0010.jpg", "d.jpg");
  run.photos.CopySample("gps/DSCN0021.jpg", "c.jpg");
  run.photos.CopySample("gps/DSCN0025.jpg", "b.jpg");
  run.photos.CopySample("gps/DSCN0027.jpg", "a.jpg");
  // Without metadata: its file time falls between the second and third.
  SetLocalTimes(run.photos.CopySample("no-exif/branches.jpg", "e.jpg"), 2008, 10, 22, 16, 40);
  run.RunPrefix();
  EXPECT_EQ(run.Text(), "All files processed successfully\rSort used some File Times as Metadata not available");
  EXPECT_EQ(test::NamesIn(run.photos),
            (std::vector<std::string>{"1_d.jpg", "2_c.jpg", "3_e.jpg", "4_b.jpg", "5_a.jpg"}));
  EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Attention});
}

TEST(SampleRuns, APhotoWithoutTakenTimeStopsTheSequence) {
  KELVANE_REQUIRE_SAMPLES();
  SampleRun run(ProgramFunction::FilenamePrefix);
  run.state.PrefixTimeSequence = true;
  run.photos.CopySample("gps/DSCN0010.jpg");
  run.photos.CopySample("nodate/Canon_40D_photoshop_import.jpg");
  run.RunPrefix();
  EXPECT_EQ(run.Text(),
            "No Prefixes action applied as the following files could not be processed:\r\r"
            "Canon_40D_photoshop_import.jpg as could not extract time\r");
  EXPECT_EQ(test::NamesIn(run.photos), (std::vector<std::string>{"Canon_40D_photoshop_import.jpg", "DSCN0010.jpg"}));
}

}  // namespace
}  // namespace kelvane
