// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/export_target.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export_harness.h"

namespace kelvane {
namespace {

using test::ExportHarness;

TEST(ExportTarget, DatabaseCsvNaming) {
  const struct {
    const char* target;
    const char* path;
    const char* rewritten;  // nullptr: the box keeps its text
  } cases[] = {
      {"Trip_D.csv", "Trip", "Trip.csv"},
      {"Trip_T.csv", "Trip", "Trip.csv"},
      {"Trip.csv", "Trip", nullptr},
      {"Trip_F_D.csv", "Trip_F", "Trip_F.csv"},
      // Cutting the suffix would leave no name.
      {"_D.csv", "_D", nullptr},
      // The extension is taken in lower case.
      {"Trip_D.CSV", "Trip", "Trip.csv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    ExportHarness h;
    const ExportTarget named = NameExportTarget("  " + h.Out(c.target) + " ", ExportType::DbCsv, h.settings);
    EXPECT_EQ(named.path, h.Out(c.path));
    EXPECT_EQ(named.suffixes, (DbCsvSuffixes{"_T.csv", "_F.csv", "_D.csv"}));
    EXPECT_EQ(named.files,
              (std::vector<std::string>{h.Out(c.path) + "_T.csv", h.Out(c.path) + "_F.csv", h.Out(c.path) + "_D.csv"}));
    if (c.rewritten) {
      EXPECT_EQ(named.rewrittenText, h.Out(c.rewritten));
    } else {
      EXPECT_FALSE(named.rewrittenText);
    }
    // The defaults were written back.
    EXPECT_EQ(h.settings.ReadSetting("DB", "Ecsv0"), "_T");
    EXPECT_EQ(h.settings.ReadSetting("DB", "Ecsv2"), "_D");
  }
}

TEST(ExportTarget, SuffixesFromTheSettingsAndExistingFiles) {
  ExportHarness h;
  h.settings.WriteSetting("DB", "Ecsv1", " -files ");
  test::WriteBytes(h.Out("Trip-files.csv"), {'x'});
  test::WriteBytes(h.Out("Trip_D.csv"), {'x'});
  const ExportTarget named = NameExportTarget(h.Out("Trip-files.csv"), ExportType::DbCsv, h.settings);
  EXPECT_EQ(named.path, h.Out("Trip"));
  EXPECT_EQ(named.suffixes, (DbCsvSuffixes{"_T.csv", "-files.csv", "_D.csv"}));
  EXPECT_EQ(named.existing, (std::vector<std::string>{h.Out("Trip-files.csv"), h.Out("Trip_D.csv")}));
  EXPECT_EQ(h.settings.ReadSetting("DB", "Ecsv1"), "-files");

  const ExportTarget sheet = NameExportTarget(" " + h.Out("Trip_D.csv"), ExportType::SheetCsv, h.settings);
  EXPECT_EQ(sheet.path, h.Out("Trip_D.csv"));
  EXPECT_EQ(sheet.existing, (std::vector<std::string>{h.Out("Trip_D.csv")}));
  EXPECT_FALSE(sheet.rewrittenText);
}

TEST(ExportTarget, QuestionTexts) {
  const std::vector<std::string> one = {"/out/Trip.xlsx"};
  const std::vector<std::string> two = {"/out/Trip_T.csv", "/out/Trip_D.csv"};
  const struct {
    ExportType type;
    bool perPhoto;
    ExportCaller caller;
    const std::vector<std::string>& existing;
    const char* title;
    const char* text;
    MessageButtons buttons;
    MessageIcon icon;
  } cases[] = {
      {ExportType::Database, false, ExportCaller::kFolder, one, "Confirm database amend",
       "Trip.xlsx\n - already exists,\n\nAppend to the existing database ?\n\n'No' will replace the existing database",
       MessageButtons::kYesNoCancel, MessageIcon::kQuestion},
      {ExportType::Workbook, true, ExportCaller::kPhoto, one, "Confirm spread-sheet amend",
       "Trip.xlsx\n - already exists,\n\nAppend as a New Worksheet in the existing Excel file ?\n\n"
       "'No' will replace the existing file",
       MessageButtons::kYesNoCancel, MessageIcon::kNone},
      {ExportType::DbCsv, false, ExportCaller::kFolder, two, "Confirm file overwrite",
       "Trip_T.csv, Trip_D.csv\n - already exist,\n\nOverwrite all existing files ?", MessageButtons::kOkCancel,
       MessageIcon::kNone},
      {ExportType::DbCsv, false, ExportCaller::kPhoto, two, "Confirm file overwrite",
       "Trip_T.csv, Trip_D.csv\n - already exist,\n\nOverwrite existing files ?", MessageButtons::kOkCancel,
       MessageIcon::kNone},
      {ExportType::SheetCsv, true, ExportCaller::kPhoto, one, "Confirm spread-sheet amend",
       "One or more files already exist,\n\nOverwrite existing files ?", MessageButtons::kOkCancel, MessageIcon::kNone},
      {ExportType::SheetCsv, false, ExportCaller::kPhoto, one, "Confirm file overwrite",
       "Trip.xlsx\n - already exists,\n\nOverwrite existing file ?", MessageButtons::kOkCancel, MessageIcon::kNone},
      {ExportType::SheetCsv, true, ExportCaller::kFolder, one, "Confirm file overwrite",
       "Trip.xlsx\n - already exists,\n\nOverwrite existing file ?", MessageButtons::kOkCancel, MessageIcon::kNone},
      {ExportType::Json, false, ExportCaller::kFolder, one, "Confirm file overwrite",
       "Trip.xlsx\n - already exists,\n\nOverwrite existing file ?", MessageButtons::kOkCancel, MessageIcon::kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Message m = ExistingTargetQuestion(c.type, c.perPhoto, c.caller, c.existing);
    EXPECT_EQ(m.title, c.title);
    EXPECT_EQ(m.text, c.text);
    EXPECT_EQ(m.buttons, c.buttons);
    EXPECT_EQ(m.icon, c.icon);
  }
}

TEST(ExportTarget, AnswersAndTheirEffects) {
  using A = MessageAnswer;
  using R = RunAnswer;
  using S = Settled;
  const struct {
    ExportType type;
    bool perPhoto;
    ExportCaller caller;
    R before;
    std::optional<A> answer;  // nothing: no question expected
    Settled settled;
    bool append;
    R after;
  } cases[] = {
      {ExportType::Workbook, false, ExportCaller::kFolder, R::kNotAsked, A::kYes, S::kGoOn, true, R::kNotAsked},
      {ExportType::Workbook, false, ExportCaller::kFolder, R::kNotAsked, A::kNo, S::kGoOn, false, R::kNotAsked},
      {ExportType::Workbook, false, ExportCaller::kFolder, R::kNotAsked, A::kCancel, S::kCancelled, false,
       R::kNotAsked},
      {ExportType::Database, false, ExportCaller::kPhoto, R::kNotAsked, A::kYes, S::kGoOn, true, R::kDecided},
      {ExportType::Database, false, ExportCaller::kPhoto, R::kNotAsked, A::kNo, S::kGoOn, false, R::kNotAsked},
      {ExportType::SheetCsv, false, ExportCaller::kFolder, R::kNotAsked, A::kOk, S::kGoOn, false, R::kNotAsked},
      {ExportType::SheetCsv, true, ExportCaller::kPhoto, R::kNotAsked, A::kOk, S::kGoOn, false, R::kDecided},
      {ExportType::SheetCsv, true, ExportCaller::kPhoto, R::kNotAsked, A::kCancel, S::kCancelled, false, R::kCancelled},
      // A run's earlier answer is applied without asking again.
      {ExportType::SheetCsv, true, ExportCaller::kPhoto, R::kDecided, std::nullopt, S::kGoOn, false, R::kDecided},
      {ExportType::SheetCsv, true, ExportCaller::kPhoto, R::kCancelled, std::nullopt, S::kCancelled, false,
       R::kCancelled},
      // The folder driver asks whatever the run answered before.
      {ExportType::SheetCsv, false, ExportCaller::kFolder, R::kCancelled, A::kOk, S::kGoOn, false, R::kCancelled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.type) << " caller " << static_cast<int>(c.caller)
                                    << " answer " << (c.answer ? static_cast<int>(*c.answer) : -1));
    ExportHarness h;
    test::WriteBytes(h.Out("t.out"), {'x'});
    h.options.exportType = c.type;
    h.options.perPhoto = c.perPhoto;
    h.options.appendMode = true;  // cleared by every call
    if (c.answer) h.ui.answers.push_back(*c.answer);
    RunAnswer run = c.before;
    const ExportTarget target = NameExportTarget(h.Out("t.out"), c.type, h.settings);
    EXPECT_EQ(SettleExistingTarget(target, c.caller, h.options, run, h.ui.Ports()), c.settled);
    EXPECT_EQ(h.ui.shown.size(), c.answer ? 1u : 0u);
    EXPECT_EQ(h.ui.cues, c.answer ? std::vector<SoundCue>{SoundCue::Attention} : std::vector<SoundCue>{});
    // Nothing is deleted: an export replaces the file when it is complete.
    EXPECT_TRUE(std::filesystem::exists(h.Out("t.out")));
    EXPECT_EQ(h.options.appendMode, c.append);
    EXPECT_EQ(run, c.after);
  }
}

TEST(ExportTarget, DatabaseCsvOverwriteAsksOnceForEveryExistingFile) {
  ExportHarness h;
  h.options.exportType = ExportType::DbCsv;
  for (const char* name : {"Trip_T.csv", "Trip_D.csv", "Other.csv"}) test::WriteBytes(h.Out(name), {'x'});
  const ExportTarget target = NameExportTarget(h.Out("Trip.csv"), ExportType::DbCsv, h.settings);
  RunAnswer run = RunAnswer::kNotAsked;
  EXPECT_EQ(SettleExistingTarget(target, ExportCaller::kFolder, h.options, run, h.ui.Ports()), Settled::kGoOn);
  ASSERT_EQ(h.ui.shown.size(), 1u);
  EXPECT_EQ(h.ui.shown[0].text, "Trip_T.csv, Trip_D.csv\n - already exist,\n\nOverwrite all existing files ?");
}

TEST(ExportTarget, AFileThatCannotBeReplacedGivesTheOverwriteError) {
  ExportHarness h;
  test::WriteBytes(h.Out("t.csv"), {'x'});
  test::UndeletableFile guard(h.Out("t.csv"));
  if (!guard.Active()) GTEST_SKIP() << "no way to make a file undeletable here";
  const ExportTarget target = NameExportTarget(h.Out("t.csv"), ExportType::SheetCsv, h.settings);
  RunAnswer run = RunAnswer::kNotAsked;
  EXPECT_EQ(SettleExistingTarget(target, ExportCaller::kFolder, h.options, run, h.ui.Ports()),
            Settled::kNotReplaceable);
  ASSERT_EQ(h.ui.shown.size(), 2u);
  EXPECT_EQ(h.ui.shown[1].title, "Overwrite error");
  EXPECT_EQ(h.ui.shown[1].text, "Cannot overwrite file\n\nClose file if opened and retry");
  EXPECT_EQ(h.ui.shown[1].icon, MessageIcon::kExclamation);
  EXPECT_EQ(h.ui.cues, (std::vector<SoundCue>{SoundCue::Attention, SoundCue::Error}));

  // Within a run that already chose to overwrite, the failure is only reported by the code.
  test::ScriptedUi quiet;
  run = RunAnswer::kDecided;
  EXPECT_EQ(SettleExistingTarget(target, ExportCaller::kPhoto, h.options, run, quiet.Ports()),
            Settled::kNotReplaceable);
  EXPECT_FALSE(CanReplace(h.Out("t.csv")));
  EXPECT_FALSE(CanReplace(h.out));  // a folder
  EXPECT_FALSE(CanReplace(h.Out("missing.csv")));
  EXPECT_TRUE(quiet.shown.empty());
}

}  // namespace
}  // namespace kelvane
