// SPDX-License-Identifier: GPL-2.0-or-later
// kelvane-cli run as a program over copies of the sample photos: each
// command's effect on disk (read back with exiftool, file times and names),
// its output, and the exit statuses scripts see.
#include "cli_program.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "kelvane_version.h"
#include "support/exiftool_oracle.h"

namespace kelvane::cli {
namespace {

using test::CliProgram;
using test::CliRun;
using test::LastWriteText;
using test::ScratchFolder;

std::string Tag(const std::string& path, const char* key) {
  const auto tags = test::ExiftoolTags(path);
  if (!tags || !tags->contains(key)) return {};
  return (*tags)[key].get<std::string>();
}

std::vector<std::string> NamesIn(const ScratchFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

#define REQUIRE_SAMPLES_AND_EXIFTOOL()                        \
  do {                                                        \
    KELVANE_REQUIRE_SAMPLES();                                \
    if (!test::HaveExiftool()) GTEST_SKIP() << "no exiftool"; \
  } while (0)

TEST(CliProgram, FileTimeSetsFileTimesFromTheTakenTime) {
  KELVANE_REQUIRE_SAMPLES();
  CliProgram cli;
  ScratchFolder photos;
  const std::string dscn = photos.CopySample("gps/DSCN0010.jpg");
  photos.CopySample("no-exif/branches.jpg");

  const CliRun run = cli.Run({"file-time", photos.path().string()});
  EXPECT_EQ(run.status, kExitFailedFiles);
  EXPECT_EQ(LastWriteText(dscn), "2008:10:22 16:28:39");
  EXPECT_EQ(run.out,
            "Completion Message: The following files where not processed successfuly:\n"
            "  branches.jpg as File's date/time could not be modified\n");
  EXPECT_EQ(run.err, "") << "no terminal: no progress line";
}

TEST(CliProgram, ShiftTimeMovesThePhotosDateTimes) {
  REQUIRE_SAMPLES_AND_EXIFTOOL();
  CliProgram cli;
  ScratchFolder photos;
  const std::string a = photos.CopySample("gps/DSCN0021.jpg");
  const std::string b = photos.CopySample("gps/DSCN0025.jpg");

  CliRun run = cli.Run({"shift-time", "--days", "-1", "--time", "+01:00:05", photos.path().string()});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_EQ(run.out, "Completion Message: All files processed successfully\n");
  EXPECT_EQ(Tag(a, "ExifIFD:DateTimeOriginal"), "2008:10:21 17:38:25");
  EXPECT_EQ(Tag(a, "ExifIFD:CreateDate"), "2008:10:21 17:38:25");
  EXPECT_EQ(Tag(b, "ExifIFD:DateTimeOriginal"), "2008:10:21 17:43:26");
  EXPECT_EQ(LastWriteText(b), "2008:10:21 17:43:26");

  // "As Date" on one photo: the date is set, the time shifted.
  run = cli.Run({"--quiet", "shift-time", "--date", "20090501", "--time", "-00:30:00", a});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(run.out, "") << "--quiet: nothing when every file succeeded";
  EXPECT_EQ(Tag(a, "ExifIFD:DateTimeOriginal"), "2009:05:01 17:08:25");
  EXPECT_EQ(Tag(b, "ExifIFD:DateTimeOriginal"), "2008:10:21 17:43:26") << "only the chosen photo";
}

TEST(CliProgram, SettingsFileOptionsApply) {
  REQUIRE_SAMPLES_AND_EXIFTOOL();
  CliProgram cli;
  test::WriteBytes(cli.settings, test::Bytes{'[', 'G', 'E', 'N', 'E', 'R', 'A', 'L', ']', '\n',
                                             'O', 'p', 't', 'i', 'o', 'n', '2', '=', '1', '\n'});
  ScratchFolder photos;
  const std::string photo = photos.CopySample("gps/DSCN0010.jpg");

  const CliRun run = cli.Run({"shift-time", "--days", "2", photo});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(Tag(photo, "ExifIFD:DateTimeOriginal"), "2008:10:24 16:28:39");
  EXPECT_NE(LastWriteText(photo), "2008:10:24 16:28:39")
      << "KeepFileTimes (Option2) from the --settings file: the file times are not set from the photo";
}

TEST(CliProgram, PrefixNumbersFilesInTakenTimeOrder) {
  KELVANE_REQUIRE_SAMPLES();
  CliProgram cli;
  ScratchFolder photos;
  photos.CopySample("gps/DSCN0027.jpg", "a.jpg");  // taken last
  photos.CopySample("gps/DSCN0021.jpg", "m.jpg");
  photos.CopySample("gps/DSCN0010.jpg", "z.jpg");  // taken first

  CliRun run = cli.Run({"prefix", "--sequence", "--start", "9", "--add", "T_", photos.path().string()});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_EQ(NamesIn(photos), (std::vector<std::string>{"09T_z.jpg", "10T_m.jpg", "11T_a.jpg"}));

  run = cli.Run({"prefix", "--remove", "3", photos.File("10T_m.jpg")});
  EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
  EXPECT_EQ(NamesIn(photos), (std::vector<std::string>{"09T_z.jpg", "11T_a.jpg", "_m.jpg"}));
}

TEST(CliProgram, DumpShowsTheReadingAndTheFormattedTags) {
  KELVANE_REQUIRE_SAMPLES();
  CliProgram cli;
  const std::string photo = test::SamplesFolder()->string() + "/gps/DSCN0010.jpg";
  CliRun run = cli.Run({"dump", photo});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_NE(run.out.find("result 0  slotRequest 0\nlocator "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("slot 3 DateTimeOriginal: tag 36867 dir 1 type 2 count 20"), std::string::npos);
  EXPECT_NE(run.out.find("  0x010F Make: NIKON\n"), std::string::npos);
  EXPECT_NE(run.out.find("  0x9003 DateTimeOriginal: 2008:10:22 16:28:39\n"), std::string::npos);

  run = cli.Run({"--json", "dump", photo});
  EXPECT_EQ(run.status, kExitSuccess);
  const nlohmann::json json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["result"], 0);
  EXPECT_EQ(json["locator"].size(), 10u);
  EXPECT_EQ(json["slots"][3]["text"], "2008:10:22 16:28:39\\x00");
  bool makeFound = false;
  for (const auto& tag : json["tags"]) makeFound = makeFound || (tag["tag"] == 0x010F && tag["value"] == "NIKON");
  EXPECT_TRUE(makeFound);

  run = cli.Run({"dump", test::SamplesFolder()->string() + "/no-exif/branches.jpg"});
  EXPECT_EQ(run.status, kExitFailedFiles);
  EXPECT_NE(run.out.find("result 3"), std::string::npos);
}

TEST(CliProgram, JsonReportOfARun) {
  KELVANE_REQUIRE_SAMPLES();
  CliProgram cli;
  ScratchFolder photos;
  photos.CopySample("gps/DSCN0010.jpg");
  photos.CopySample("no-exif/branches.jpg");
  const CliRun run = cli.Run({"--json", "file-time", photos.path().string()});
  EXPECT_EQ(run.status, kExitFailedFiles);
  const nlohmann::json json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["command"], "file-time");
  EXPECT_EQ(json["total"], 2);
  EXPECT_EQ(json["processed"], 2);
  ASSERT_EQ(json["failures"].size(), 1u);
  EXPECT_EQ(json["failures"][0]["file"], "branches.jpg");
  EXPECT_EQ(json["failures"][0]["code"], 7);
  EXPECT_EQ(json["failures"][0]["message"], "File's date/time could not be modified");
  ASSERT_EQ(json["messages"].size(), 1u);
  EXPECT_EQ(json["messages"][0]["title"], "Completion Message");
  EXPECT_EQ(json["exitStatus"], 1);
}

TEST(CliProgram, JsonListsEveryFailureWhereTheMessageStopsAtTen) {
  CliProgram cli;
  ScratchFolder files;
  for (int i = 1; i <= 12; ++i) test::WriteBytes(files.File("note" + std::to_string(i) + ".txt"), test::Bytes{'x'});
  const CliRun run = cli.Run({"--json", "--all-files", "file-time", files.path().string()});
  EXPECT_EQ(run.status, kExitFailedFiles);
  const nlohmann::json json = nlohmann::json::parse(run.out);
  ASSERT_EQ(json["failures"].size(), 12u);
  EXPECT_EQ(json["failures"][11]["file"], "note9.txt");
  EXPECT_EQ(json["failuresNotListed"], 0);
  EXPECT_NE(json["messages"][0]["text"].get<std::string>().find(" - and an additional 2 errors"), std::string::npos);
}

TEST(CliProgram, VersionAndShortHelp) {
  CliProgram cli;
  const CliRun version = cli.Run({"--version"});
  EXPECT_EQ(version.status, kExitSuccess);
  EXPECT_EQ(version.out, std::string("kelvane-cli ") + kKelvaneVersion + "\n");
  const CliRun help = cli.Run({"-h"});
  EXPECT_EQ(help.status, kExitSuccess);
  EXPECT_EQ(help.out, ProgramHelp());
}

TEST(CliProgram, ExitStatuses) {
  CliProgram cli;
  ScratchFolder photos;
  test::WriteBytes(photos.File("note.txt"), test::Bytes{'x'});
  const std::string folder = photos.path().string();
  const struct {
    std::vector<std::string> args;
    int status;
    const char* errorText;  // part of stderr
  } cases[] = {
      {{}, kExitUsage, "kelvane-cli: no command given\nTry 'kelvane-cli --help'.\n"},
      {{"rename", folder}, kExitUsage, "unknown command 'rename'"},
      {{"shift-time", "--days", "12345", folder}, kExitUsage, "Days entry of 12345 is invalid, please correct"},
      {{"dump", "--days", "1", folder}, kExitUsage, "unknown option '--days' for dump"},
      {{"file-time", folder + "/missing"}, kExitRefused, "Error: Folder not found\n"},
      {{"shift-time", "--days", "0", folder}, kExitRefused, "Error: Bad date and/or time adjust value\n"},
      {{"prefix", "--add", "", folder}, kExitRefused, "No valid parameters specified for Prefix Function"},
      {{"--all-files", "file-time", folder}, kExitFailedFiles, ""},
      {{"file-time", folder}, kExitSuccess, "passed over 1 file(s) that are no JPEG photos"},
      {{"--help"}, kExitSuccess, ""},
      {{"prefix", "--help"}, kExitSuccess, ""},
  };
  for (const auto& c : cases) {
    const CliRun run = cli.Run(c.args);
    const std::string label = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.status, c.status) << label << "\n" << run.err;
    EXPECT_NE(run.err.find(c.errorText), std::string::npos) << label << "\n" << run.err;
  }
  EXPECT_TRUE(test::ReadBytes(cli.settings).empty()) << "the console program never writes the settings file";
}

}  // namespace
}  // namespace kelvane::cli
