// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_report.h"

#include <gtest/gtest.h>

#include "engine/folder_listing.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

std::string MessageOf(int code) { return code == 7 ? "File's date/time could not be modified" : ""; }

TEST(RunReport, CompletionTextListsAtMostTenFailures) {
  const struct {
    int failures;
    std::string expected;
  } cases[] = {
      {0, "All files processed successfully"},
      {1, "The following files where not processed successfuly:\rf1.jpg as File's date/time could not be modified\r"},
  };
  for (const auto& c : cases) {
    RunReport report;
    for (int i = 1; i <= c.failures; ++i) report.Add("f" + std::to_string(i) + ".jpg", 7);
    EXPECT_EQ(report.CompletionText(kFailuresHeading, MessageOf), c.expected);
  }
  for (int failures : {10, 11, 25}) {
    RunReport report;
    for (int i = 1; i <= failures; ++i) report.Add("f" + std::to_string(i) + ".jpg", i == 3 ? 99 : 7);
    const std::string text = report.CompletionText(kFailuresHeading, MessageOf);
    size_t lines = 0;
    for (char c : text) lines += c == '\r';
    EXPECT_EQ(lines, failures == 10 ? 11u : 12u) << failures;
    EXPECT_NE(text.find("f3.jpg as \r"), std::string::npos) << "a code without a message adds nothing";
    const std::string tail = " - and an additional " + std::to_string(failures - 10) + " errors found not listed.\r";
    EXPECT_EQ(text.ends_with(tail), failures > 10) << failures;
    EXPECT_EQ(text.find("f11.jpg"), std::string::npos);
  }
}

TEST(RunReport, RepeatsPastTheListedOnesAreOnlyCounted) {
  RunReport report;
  report.Add("a.jpg", 7);
  report.AddRepeated("b.jpg", 7, 1'000'000'000);
  report.Add("c.jpg", 7);
  EXPECT_EQ(report.Count(), 1'000'000'002u);
  EXPECT_EQ(report.Failures().size(), 11u);
  const std::string line = " as File's date/time could not be modified\r";
  std::string expected = std::string(kFailuresHeading) + "\ra.jpg" + line;
  for (int i = 0; i < 9; ++i) expected += "b.jpg" + line;
  expected += " - and an additional 999999992 errors found not listed.\r";
  EXPECT_EQ(report.CompletionText(kFailuresHeading, MessageOf), expected);

  // A front end listing every failure gets those held, with their messages.
  const RunFailures all = report.AllFailures(MessageOf);
  ASSERT_EQ(all.files.size(), 11u);
  EXPECT_EQ(all.files[10], (ReportedFailure{"c.jpg", 7, "File's date/time could not be modified"}));
  EXPECT_EQ(all.notListed, 999'999'991u);
}

TEST(RunReport, CompletionBoxHasNoIcon) {
  const Message m = CompletionMessage("x");
  EXPECT_EQ(m.title, "Completion Message");
  EXPECT_EQ(m.icon, MessageIcon::kNone);
  EXPECT_EQ(m.buttons, MessageButtons::kOk);
}

TEST(FolderListing, RegularFilesSortedHiddenIncluded) {
  test::ScratchFolder scratch;
  for (const char* name : {"b.jpg", ".hidden.jpg", "A.JPG", "a.txt"}) test::WriteBytes(scratch.File(name), {1});
  std::filesystem::create_directory(scratch.path() / "sub");
  const auto names = ListFolderFiles(scratch.path().string() + "/");
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, (std::vector<std::string>{".hidden.jpg", "A.JPG", "a.txt", "b.jpg"}));
  EXPECT_FALSE(ListFolderFiles(scratch.File("missing/")));
}

}  // namespace
}  // namespace kelvane
