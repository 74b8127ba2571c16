// SPDX-License-Identifier: GPL-2.0-or-later
// The exit status of every way a run can end, and the JSON report.
#include "cli/run_outcome.h"

#include <gtest/gtest.h>

#include "batch/filename_prefix.h"
#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "batch/time_corrections.h"
#include "cli/exit_status.h"
#include "cli/json_report.h"

namespace kelvane::cli {
namespace {

ShownMessage Shown(std::string title, std::string text, MessageIcon icon, MessageButtons buttons = MessageButtons::kOk,
                   MessageAnswer answer = MessageAnswer::kOk) {
  return {{std::move(title), std::move(text), icon, buttons, 0}, answer};
}

ShownMessage Completion(std::string text) { return {CompletionMessage(std::move(text)), MessageAnswer::kOk}; }

const ShownMessage kClean = Completion(kAllFilesProcessed);
const ShownMessage kWithFailures = Completion("The following files where not processed successfuly:\ra as B\r");

TEST(RunOutcome, ExitStatusOfEveryEnding) {
  const ShownMessage libraryNotice = Shown("Tag Library update", "Release 5", MessageIcon::kInformation);
  const ShownMessage overwriteAccepted =
      Shown("Confirm file overwrite", "x", MessageIcon::kNone, MessageButtons::kOkCancel, MessageAnswer::kOk);
  const ShownMessage overwriteRefused =
      Shown("Confirm file overwrite", "x", MessageIcon::kNone, MessageButtons::kOkCancel, MessageAnswer::kCancel);
  const ShownMessage replaceChosen =
      Shown("Confirm database amend", "x", MessageIcon::kQuestion, MessageButtons::kYesNoCancel, MessageAnswer::kNo);
  const ShownMessage deleteRefused =
      Shown("Confirm Copyright Delete", "x", MessageIcon::kQuestion, MessageButtons::kYesNo, MessageAnswer::kNo);
  const ShownMessage failureBox = Shown("Error", "Folder not found", MessageIcon::kCritical);
  const ShownMessage warningBox = Shown("Error", "Restore file not set", MessageIcon::kExclamation);
  const ShownMessage cancelled = {UserCancellationMessage(), MessageAnswer::kOk};
  const ShownMessage cancelledAmend = Shown("User Process Cancellation", kUserAbort, MessageIcon::kExclamation);

  const struct {
    const char* label;
    std::vector<ShownMessage> shown;
    int status;
  } cases[] = {
      {"clean", {kClean}, kExitSuccess},
      {"clean with a note",
       {Completion(std::string(kAllFilesProcessed) + "\rSort used some File Times")},
       kExitSuccess},
      {"an information box along the way", {libraryNotice, kClean}, kExitSuccess},
      {"overwrite accepted", {overwriteAccepted, kClean}, kExitSuccess},
      {"replace is a choice, not a refusal", {replaceChosen, kClean}, kExitSuccess},
      {"failed files", {kWithFailures}, kExitFailedFiles},
      {"an error box inside a completed run", {failureBox, kWithFailures}, kExitFailedFiles},
      {"failure box", {failureBox}, kExitRefused},
      {"parameter warning", {warningBox}, kExitRefused},
      {"nothing shown", {}, kExitRefused},
      {"cancelled", {cancelled}, kExitCancelled},
      {"cancelled amend run", {cancelledAmend}, kExitCancelled},
      {"delete confirmation refused", {deleteRefused}, kExitCancelled},
      {"overwrite refused, then the failure box", {overwriteRefused, failureBox}, kExitCancelled},
      {"a wipe refused for one file of a completed run", {overwriteRefused, kWithFailures}, kExitCancelled},
  };
  for (const auto& c : cases) EXPECT_EQ(ExitStatusOf(c.shown), c.status) << c.label;
}

TEST(JsonReport, CarriesCountsFailuresAndEveryBox) {
  RunSummary summary;
  summary.command = "shift-time";
  summary.path = "/p/";
  summary.total = 3;
  summary.processed = 3;
  summary.failures.files = {{"caf\xE9.jpg", 3, "No Metadata in file", ""}};
  summary.messages = {Shown("Q", "Sure?", MessageIcon::kQuestion, MessageButtons::kYesNo, MessageAnswer::kNo),
                      kWithFailures};
  summary.exitStatus = kExitCancelled;
  const nlohmann::json json = nlohmann::json::parse(JsonText(ReportJson(summary)));
  EXPECT_EQ(json["command"], "shift-time");
  EXPECT_EQ(json["total"], 3);
  EXPECT_EQ(json["processed"], 3);
  EXPECT_EQ(json["exitStatus"], 3);
  EXPECT_EQ(json["failures"][0]["file"], "caf\xEF\xBF\xBD.jpg") << "a name that is not UTF-8 still makes JSON";
  EXPECT_EQ(json["failures"][0]["code"], 3);
  EXPECT_EQ(json["messages"][0]["answer"], "no");
  EXPECT_EQ(json["messages"][0]["icon"], "question");
  EXPECT_EQ(json["messages"][1]["text"], "The following files where not processed successfuly:\na as B\n");
  EXPECT_FALSE(json["messages"][1].contains("answer"));
}

}  // namespace
}  // namespace kelvane::cli
