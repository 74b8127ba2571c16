// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_report.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace kelvane {
namespace {

constexpr ListMessage kTimes = ListMessage::kDateNotModified;

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
    for (int i = 1; i <= c.failures; ++i) report.Add("f" + std::to_string(i) + ".jpg", kTimes);
    EXPECT_EQ(report.CompletionText(kFailuresHeading), c.expected);
  }
  for (int failures : {10, 11, 25}) {
    RunReport report;
    for (int i = 1; i <= failures; ++i) {
      report.Add("f" + std::to_string(i) + ".jpg", i == 3 ? ListMessage::kCouldNotWrite : kTimes, i == 3 ? ENOSPC : 0);
    }
    const std::string text = report.CompletionText(kFailuresHeading);
    size_t lines = 0;
    for (char c : text) lines += c == '\r';
    EXPECT_EQ(lines, failures == 10 ? 11u : 12u) << failures;
    EXPECT_NE(text.find("\rf3.jpg as Could not write: No space left on device\r"), std::string::npos)
        << "the system's reason follows the message";
    const std::string tail = " - and an additional " + std::to_string(failures - 10) + " errors found not listed.\r";
    EXPECT_EQ(text.ends_with(tail), failures > 10) << failures;
    EXPECT_EQ(text.find("f11.jpg"), std::string::npos);
  }
}

TEST(RunReport, FailuresAreListedInTheOrderOfTheFiles) {
  RunReport report;
  report.Add("c.jpg", kTimes, 0, 2);
  report.Add("a.jpg", kTimes, 0, 0);
  report.Add("b.jpg", ListMessage::kChangedMeanwhile, 0, 1);
  EXPECT_EQ(report.CompletionText("H"),
            "H\ra.jpg as File's date/time could not be modified\r"
            "b.jpg as Changed by another program - left as it is\r"
            "c.jpg as File's date/time could not be modified\r");
}

TEST(RunReport, RepeatsPastTheListedOnesAreOnlyCounted) {
  RunReport report;
  report.Add("a.jpg", kTimes);
  report.AddRepeated("b.jpg", kTimes, 1'000'000'000);
  report.Add("c.jpg", ListMessage::kCouldNotRead, EACCES);
  EXPECT_EQ(report.Count(), 1'000'000'002u);
  EXPECT_EQ(report.Failures().size(), 11u);
  const std::string line = " as File's date/time could not be modified\r";
  std::string expected = std::string(kFailuresHeading) + "\ra.jpg" + line;
  for (int i = 0; i < 9; ++i) expected += "b.jpg" + line;
  expected += " - and an additional 999999992 errors found not listed.\r";
  EXPECT_EQ(report.CompletionText(kFailuresHeading), expected);

  // A front end listing every failure gets those held, with their codes,
  // messages and the system's error names.
  const RunFailures all = report.AllFailures();
  ASSERT_EQ(all.files.size(), 11u);
  EXPECT_EQ(all.files[0], (ReportedFailure{"a.jpg", 7, "File's date/time could not be modified", ""}));
  EXPECT_EQ(all.files[10], (ReportedFailure{"c.jpg", 72, "Could not read: Permission denied", "EACCES"}));
  EXPECT_EQ(all.notListed, 999'999'991u);
}

TEST(RunReport, CompletionBoxHasNoIcon) {
  const Message m = CompletionMessage("x");
  EXPECT_EQ(m.title, "Completion Message");
  EXPECT_EQ(m.icon, MessageIcon::kNone);
  EXPECT_EQ(m.buttons, MessageButtons::kOk);
}

// Every message has its entry; a failure of the operating system is named
// after the text, in words and by its symbol.
TEST(ListMessages, TextsWithTheSystemsReason) {
  for (int i = 0; i < static_cast<int>(ListMessage::kCount); ++i) {
    const auto message = static_cast<ListMessage>(i);
    EXPECT_EQ(EntryOf(message).message, message);
    EXPECT_GT(EntryOf(message).code, 0);
    EXPECT_EQ(ListText(message), EntryOf(message).text);
  }
  const struct {
    ListMessage message;
    int error;
    std::string text;
    std::string name;
  } cases[] = {
      {ListMessage::kCouldNotWrite, ENOSPC, "Could not write: No space left on device", "ENOSPC"},
      {ListMessage::kCouldNotWrite, EROFS, "Could not write: Read-only file system", "EROFS"},
      {ListMessage::kCouldNotRead, EIO, "Could not read: Input/output error", "EIO"},
      {ListMessage::kDateNotModified, EPERM, "File's date/time could not be modified: Operation not permitted",
       "EPERM"},
      {ListMessage::kSymbolicLink, 0, "Symbolic link - not followed", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ListText(c.message, c.error), c.text);
    EXPECT_EQ(ErrorName(c.error), c.name);
  }
}

}  // namespace
}  // namespace kelvane
