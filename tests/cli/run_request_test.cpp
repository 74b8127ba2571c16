// SPDX-License-Identifier: GPL-2.0-or-later
// Commands turned into the window's run state and entries: the function and
// mode chosen from PATH, and every option through the window's entry rules.
#include "cli/run_request.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kelvane::cli {
namespace {

using test::ScratchFolder;

BuiltRequest Build(std::vector<std::string> args) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  EXPECT_EQ(parsed.error, "");
  return BuildRunRequest(parsed.line, parsed.line.path);
}

struct Photos {
  ScratchFolder folder;
  std::string photo = folder.File("a.jpg");
  std::string empty = folder.File("empty");
  Photos() {
    test::WriteBytes(photo, {0xFF, 0xD8});
    std::filesystem::create_directory(empty);
  }
  std::string Folder() const { return folder.path().string(); }
};

TEST(RunRequest, PathChoosesSinglePhotoModeAndSourceChosen) {
  const Photos photos;
  BuiltRequest built = Build({"file-time", photos.photo});
  EXPECT_EQ(built.error, "");
  EXPECT_TRUE(built.request.state.SinglePhotoMode);
  EXPECT_TRUE(built.request.state.SourceChosen);
  EXPECT_EQ(built.request.inputs.sourcePath, photos.photo);
  EXPECT_EQ(built.request.state.SelectedFunction, ProgramFunction::AdjustFileTime);
  EXPECT_TRUE(built.request.state.TimeFunction);
  EXPECT_FALSE(built.request.state.MetadataTimeFunction);

  built = Build({"file-time", photos.Folder()});
  EXPECT_FALSE(built.request.state.SinglePhotoMode);
  EXPECT_TRUE(built.request.state.SourceChosen);

  built = Build({"file-time", photos.empty});
  EXPECT_FALSE(built.request.state.SinglePhotoMode);
  EXPECT_FALSE(built.request.state.SourceChosen) << "an empty folder is not a choice the window keeps";

  built = Build({"prefix", "--remove", "2", photos.Folder() + "/missing"});
  EXPECT_EQ(built.error, "") << "a missing folder is for the run to report";
  EXPECT_FALSE(built.request.state.SourceChosen);
  EXPECT_TRUE(built.request.state.NonTimeFunction);
}

TEST(RunRequest, ShiftTimeEntries) {
  const Photos photos;
  const struct {
    std::vector<std::string> options;
    bool daysValid, timeValid, asDate;
    DaysDirection days;
    TimeDirection time;
    const char* daysText;
    const char* asDateText;
    std::array<std::string, 3> timeTexts;
  } cases[] = {
      {{"--days", "3"}, true, false, false, DaysDirection::kLater, TimeDirection::kLater, "3", "", {}},
      {{"--days", "-12"}, true, false, false, DaysDirection::kEarlier, TimeDirection::kLater, "12", "", {}},
      {{"--days", "0", "--time", "-1:02:3"},
       false,
       true,
       false,
       DaysDirection::kLater,
       TimeDirection::kEarlier,
       "0",
       "",
       {"1", "02", "3"}},
      {{"--time", "+00:00:00"},
       false,
       false,
       false,
       DaysDirection::kLater,
       TimeDirection::kLater,
       "",
       "",
       {"00", "00", "00"}},
      {{"--date", "20080229", "--time", "-02:00:00"},
       true,
       true,
       true,
       DaysDirection::kAsDate,
       TimeDirection::kEarlier,
       "20080229",
       "2008/02/29",
       {"02", "00", "00"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"shift-time"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(photos.Folder());
    const BuiltRequest built = Build(args);
    const std::string label = ::testing::PrintToString(c.options);
    ASSERT_EQ(built.error, "") << label;
    const RunState& state = built.request.state;
    const BatchInputs& inputs = built.request.inputs;
    EXPECT_EQ(state.SelectedFunction, ProgramFunction::AdjustMetadataTime);
    EXPECT_TRUE(state.MetadataTimeFunction);
    EXPECT_EQ(state.DaysEntryValid, c.daysValid) << label;
    EXPECT_EQ(state.TimeEntryValid, c.timeValid) << label;
    EXPECT_EQ(state.DaysAsDate, c.asDate) << label;
    EXPECT_EQ(inputs.daysDirection, c.days) << label;
    EXPECT_EQ(inputs.timeDirection, c.time) << label;
    EXPECT_EQ(inputs.daysText, c.daysText) << label;
    EXPECT_EQ(inputs.asDateText, c.asDateText) << label;
    EXPECT_EQ(inputs.timeTexts, c.timeTexts) << label;
  }
}

TEST(RunRequest, ShiftTimeRefusesWhatTheWindowRefuses) {
  const Photos photos;
  const struct {
    std::vector<std::string> options;
    const char* error;
  } cases[] = {
      {{}, "shift-time needs --days, --time or --date"},
      {{"--date", "20080101", "--days", "1"}, "--days can't be given with --date"},
      {{"--days", "12345"}, "Form entry error: Days entry of 12345 is invalid, please correct"},
      {{"--days", "1a"}, "Form entry error: Invalid character entered"},
      {{"--days", "-"}, "Form entry error: Invalid character entered"},
      {{"--date", "20070230"}, "Form entry error: Date entry of 20070230 is invalid, please correct"},
      {{"--date", "2007023"}, "Form entry error: Date entry of 2007023 is invalid, please correct"},
      {{"--date", "-20070228"}, "Form entry error: Invalid character entered"},
      {{"--time", "24:00:00"}, "Form entry error: Hours entry of 24 is invalid, please correct"},
      {{"--time", "1:60:00"}, "Form entry error: Minutes entry of 60 is invalid, please correct"},
      {{"--time", "1:00:100"}, "Form entry error: Seconds entry of 100 is invalid, please correct"},
      {{"--time", "1:7a:00"}, "Form entry error: Invalid character entered"},
      {{"--time", "1::00"}, "Form entry error: Invalid character entered"},
      {{"--time", "01:30"}, "Form entry error: Time entry of 01:30 is invalid, please give HH:MM:SS"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"shift-time"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(photos.Folder());
    EXPECT_EQ(Build(args).error, c.error) << ::testing::PrintToString(c.options);
  }
}

TEST(RunRequest, PrefixChoices) {
  const Photos photos;
  const struct {
    std::vector<std::string> options;
    bool remove, add, sequence;
    const char* removeCount;
    const char* prefix;
    const char* start;
  } cases[] = {
      {{"--remove", "4"}, true, false, false, "4", "", "1"},
      {{"--add", "Trip_"}, false, true, false, "", "Trip_", "1"},
      {{"--add", ""}, false, false, false, "", "", "1"},
      {{"--sequence", "--start", "120"}, false, false, true, "", "", "120"},
      {{"--sequence", "--add", "x-", "--remove", "1"}, true, true, true, "1", "x-", "1"},
      // The combined choice needs its text: without one, neither part is set.
      {{"--sequence", "--add", ""}, false, false, false, "", "", "1"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"prefix"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(photos.Folder());
    const BuiltRequest built = Build(args);
    const std::string label = ::testing::PrintToString(c.options);
    ASSERT_EQ(built.error, "") << label;
    EXPECT_EQ(built.request.state.PrefixRemoveChars, c.remove) << label;
    EXPECT_EQ(built.request.state.PrefixAddFixed, c.add) << label;
    EXPECT_EQ(built.request.state.PrefixTimeSequence, c.sequence) << label;
    EXPECT_EQ(built.request.inputs.removeCountText, c.removeCount) << label;
    EXPECT_EQ(built.request.inputs.prefixText, c.prefix) << label;
    EXPECT_EQ(built.request.inputs.startValueText, c.start) << label;
  }
}

TEST(RunRequest, PrefixRefusals) {
  const Photos photos;
  const struct {
    std::vector<std::string> options;
    bool singlePhoto;
    const char* error;
  } cases[] = {
      {{}, false, "prefix needs --remove, --add or --sequence"},
      {{"--remove", "0"}, false, "the count of characters to remove is 1 to 9, not '0'"},
      {{"--remove", "10"}, false, "the count of characters to remove is 1 to 9, not '10'"},
      {{"--add", "a/b"}, false, "Form entry error: Invalid character entered"},
      {{"--add", " lead"}, false, "Form entry error: Invalid character entered"},
      {{"--add", "a?"}, false, "Form entry error: Invalid character entered"},
      {{"--sequence", "--start", "0"}, false, "Form entry error: Invalid character entered"},
      {{"--sequence", "--start", "1234567890"}, false, "Form entry error: Invalid character entered"},
      {{"--start", "5", "--remove", "1"}, false, "--start goes with --sequence"},
      {{"--sequence"}, true, "--sequence needs a folder, not one file"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"prefix"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(c.singlePhoto ? photos.photo : photos.Folder());
    EXPECT_EQ(Build(args).error, c.error) << ::testing::PrintToString(c.options);
  }
}

TEST(RunRequest, AmendCommands) {
  const Photos photos;
  BuiltRequest built = Build({"restore", "--source", "/elsewhere/src.jpg", photos.Folder()});
  ASSERT_EQ(built.error, "");
  EXPECT_EQ(built.request.state.SelectedFunction, ProgramFunction::RestoreMetadata);
  EXPECT_EQ(built.request.inputs.secondPath, "/elsewhere/src.jpg");
  EXPECT_TRUE(built.request.state.ExportTargetSet);

  built = Build({"copyright", "--photographer", "Jane", "--photographer-year", "2008", "--editor", "", photos.photo});
  ASSERT_EQ(built.error, "");
  const RunState& state = built.request.state;
  EXPECT_TRUE(state.SinglePhotoMode);
  EXPECT_TRUE(state.NoticeForPhotographer);
  EXPECT_TRUE(state.NoticeForEditor);
  EXPECT_FALSE(state.FirstTextEmpty);
  EXPECT_TRUE(state.SecondTextEmpty) << "an empty Editor name deletes that notice";
  EXPECT_TRUE(state.OverwriteExisting);
  EXPECT_TRUE(state.TextEditedByUser);
  EXPECT_EQ(built.request.inputs.copyright, (CopyrightEntries{"Jane", "2008", "", ""}));

  built = Build({"copyright", "--editor", "Ann", "--year-from-photo", "--skip-existing", photos.Folder()});
  ASSERT_EQ(built.error, "");
  EXPECT_FALSE(built.request.state.NoticeForPhotographer);
  EXPECT_TRUE(built.request.state.YearFromPhoto);
  EXPECT_FALSE(built.request.state.OverwriteExisting);

  built = Build({"describe", "--text", "Lake", "--prefix", photos.Folder()});
  ASSERT_EQ(built.error, "");
  EXPECT_FALSE(built.request.state.NoticeForPhotographer);
  EXPECT_TRUE(built.request.state.NoticeForEditor) << "Prefix";
  EXPECT_EQ(built.request.inputs.descriptionText, "Lake");
  built = Build({"describe", "--text", " ", photos.Folder()});
  ASSERT_EQ(built.error, "");
  EXPECT_TRUE(built.request.state.FirstTextEmpty) << "replacing with nothing deletes";

  built = Build({"export", "--format", "dbcsv", "--initial-number", "40", "--exclude-technical", "--to",
                 "/out/Trip.csv", photos.Folder()});
  ASSERT_EQ(built.error, "");
  EXPECT_EQ(built.request.exportOptions.exportType, ExportType::DbCsv);
  EXPECT_TRUE(built.request.exportOptions.excludeTechnical);
  EXPECT_FALSE(built.request.exportOptions.perPhoto);
  EXPECT_EQ(built.request.inputs.initialFileNumber, "40");
  EXPECT_EQ(built.request.inputs.secondPath, "/out/Trip.csv");
  EXPECT_TRUE(built.request.state.ExportTargetSet);
  built = Build({"export", "--format", "xlsx", "--per-photo", "--to", "/out/t.xlsx", photos.Folder()});
  EXPECT_EQ(built.request.exportOptions.exportType, ExportType::Workbook);
  EXPECT_TRUE(built.request.exportOptions.perPhoto);
  EXPECT_EQ(Build({"export", "--to", "/out/t.csv", photos.Folder()}).request.exportOptions.exportType,
            ExportType::SheetCsv);

  EXPECT_EQ(Build({"wipe", photos.Folder()}).request.state.SelectedFunction, ProgramFunction::WipeFiles);
  EXPECT_EQ(Build({"create", photos.photo}).request.state.SelectedFunction, ProgramFunction::CreateMetadata);
  EXPECT_EQ(Build({"dump", photos.photo}).error, "dump is not a batch command");
}

TEST(RunRequest, AmendRefusals) {
  const Photos photos;
  const struct {
    std::vector<std::string> args;  // PATH is added: the folder, or the photo after a first word "1"
    const char* error;
  } cases[] = {
      {{"restore"}, "restore needs --source PHOTO"},
      {{"copyright", "--skip-existing"}, "copyright needs --photographer and/or --editor"},
      {{"copyright", "--editor", "A", "--photographer-year", "2000"}, "--photographer-year goes with --photographer"},
      {{"copyright", "--photographer", "A", "--editor-year", "2000"}, "--editor-year goes with --editor"},
      {{"copyright", "--photographer", "A", "--photographer-year", "2000", "--year-from-photo"},
       "--year-from-photo can't be given with a year"},
      {{"copyright", "--photographer", "", "--skip-existing"},
       "an empty name deletes a notice, which --skip-existing doesn't allow"},
      {{"describe", "--append"}, "describe needs --text TEXT"},
      {{"describe", "--text", "x", "--append", "--prefix"}, "--append and --prefix can't both be given"},
      {{"describe", "--text", " ", "--append"}, "--append needs a text"},
      {{"describe", "--text", "", "--skip-existing"},
       "an empty --text deletes the description, which --skip-existing doesn't allow"},
      {{"export", "--format", "xls", "--to", "/o"}, "unknown export format 'xls' (csv, dbcsv, xlsx, sqlite or json)"},
      {{"export"}, "export needs --to PATH"},
      {{"export", "--format", "sqlite", "--per-photo", "--to", "/o"}, "--per-photo goes with the csv and xlsx formats"},
      {{"export", "--initial-number", "3", "--to", "/o"}, "--initial-number goes with --format dbcsv"},
      {{"export", "--format", "dbcsv", "--initial-number", "0", "--to", "/o"},
       "Form entry error: Invalid character entered"},
      {{"1", "export", "--per-photo", "--to", "/o"}, "--per-photo needs a folder, not one photo"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    const bool single = args.front() == "1";
    if (single) args.erase(args.begin());
    args.push_back(single ? photos.photo : photos.Folder());
    EXPECT_EQ(Build(args).error, c.error) << ::testing::PrintToString(c.args);
  }
}

}  // namespace
}  // namespace kelvane::cli
