// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/filename_prefix.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "batch/rename_all.h"
#include "batch_test_context.h"

namespace kelvane {
namespace {

using test::ScratchFolder;
using Names = std::vector<std::string>;

const std::string kNotApplied = "No Prefixes action applied as the following files could not be processed:\r\r";

// Taken times by file name (a name without one has no usable time); renames
// on disk, failing the n-th one when asked.
class FakePrefixOperations : public PrefixOperations {
 public:
  std::map<std::string, TakenTime> times;
  int failRename = 0;
  bool refuseJournal = false;
  int renames = 0;
  int reads = 0;
  std::vector<std::pair<std::string, std::string>> journalled;
  std::vector<std::string> done;

  PhotoRun::Start Begin(const std::string&) override { return PhotoRun::Start::kStarted; }
  int BeginError() const override { return 0; }
  bool RecordRenames(const std::vector<std::pair<std::string, std::string>>& renames) override {
    if (refuseJournal) errno = ENOSPC;
    journalled = renames;
    return !refuseJournal;
  }
  void RenamesDone(const std::vector<std::string>& oldNames) override { done = oldNames; }
  void End() override {}

  TakenTime ReadTakenTime(const std::string& path) override {
    ++reads;
    const auto it = times.find(path.substr(path.rfind('/') + 1));
    return it == times.end() ? TakenTime{} : it->second;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return ++renames != failRename && RenameWithoutReplacing(from, to);
  }
};

TakenTime Taken(double day, bool fromFileTime = false) { return {true, fromFileTime, 39000 + day}; }

struct PrefixRun : test::BatchTestContext {
  ScratchFolder photos;
  BatchInputs inputs;
  FakePrefixOperations operations;

  PrefixRun(const Names& names, const std::string& remove, const std::string& fixed, bool timeSequence) {
    state.SelectedFunction = ProgramFunction::FilenamePrefix;
    state.PrefixRemoveChars = !remove.empty();
    state.PrefixAddFixed = !fixed.empty();
    state.PrefixTimeSequence = timeSequence;
    inputs.removeCountText = remove;
    inputs.prefixText = fixed;
    inputs.sourcePath = photos.path().string() + "/";
    test::MakeFiles(photos, names);
  }
  void Run() { RunFilenamePrefix(context, inputs, operations); }
  Names NamesOnDisk() const { return test::NamesIn(photos); }
  const Message& Box() const { return ui.shown.at(0); }
};

TEST(FilenamePrefix, RemovesAndAddsCharacters) {
  const struct {
    Names names;
    std::string remove;
    std::string fixed;
    Names expected;
  } cases[] = {
      {{"IMG_0001.jpg"}, "4", "", {"0001.jpg"}},
      {{"IMG 0001.jpg"}, "3", "", {"_0001.jpg"}},
      {{"IMG 0001.jpg"}, "3", "X", {"X 0001.jpg"}},
      {{"a.jpg", "b.jpg"}, "", "P_", {"P_a.jpg", "P_b.jpg"}},
      // The first file's new name is the second one's current name.
      {{"1bb.jpg", "bb.jpg"}, "1", "", {"b.jpg", "bb.jpg"}},
  };
  for (const auto& c : cases) {
    PrefixRun run(c.names, c.remove, c.fixed, false);
    run.Run();
    EXPECT_EQ(run.NamesOnDisk(), c.expected) << c.names[0];
    ASSERT_EQ(run.ui.shown.size(), 1u);
    EXPECT_EQ(run.Box().text, "All files processed successfully");
    EXPECT_EQ(run.Box().title, "Completion Message");
    EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Success});
    EXPECT_EQ(run.operations.reads, 0);
  }
  PrefixRun chain({"1bb.jpg", "bb.jpg"}, "1", "", false);
  chain.Run();
  EXPECT_EQ(test::ReadBytes(chain.photos.File("bb.jpg")), test::Bytes({'1', 'b', 'b', '.', 'j', 'p', 'g'}));
}

TEST(FilenamePrefix, AnyFailureRenamesNothing) {
  const struct {
    Names names;
    std::string remove;
    bool timeSequence;
    std::map<std::string, TakenTime> times;
    std::string expected;
  } cases[] = {
      {{"IMG_0001.jpg", "IMG_00002.jpg"},
       "8",
       false,
       {},
       "IMG_0001.jpg as no filename stem after characters removal\r"},
      {{"a1.jpg", "b1.jpg"}, "1", false, {}, "a1.jpg as characters removal created duplicate filename\r"},
      // Listed once for every later file of the same new name.
      {{"a1.jpg", "b1.jpg", "c1.jpg", "d2.jpg"},
       "1",
       false,
       {},
       "a1.jpg as characters removal created duplicate filename\r"
       "a1.jpg as characters removal created duplicate filename\r"
       "b1.jpg as characters removal created duplicate filename\r"},
      {{"a.jpg", "b.jpg"}, "", true, {{"a.jpg", Taken(1)}}, "b.jpg as could not extract time\r"},
      {{"a.jpg", "b.jpg"},
       "",
       true,
       {{"a.jpg", Taken(1, true)}},
       "Sort used File Times where Metadata not available\rb.jpg as could not extract time\r"},
      // A symbolic link is never renamed, so nothing is.
      {{"a.jpg", "c.jpg"},
       "",
       true,
       {{"a.jpg", Taken(1)}, {"c.jpg", Taken(2)}},
       "b.jpg as Symbolic link - not followed\r"},
  };
  for (const auto& c : cases) {
    PrefixRun run(c.names, c.remove, "", c.timeSequence);
    if (c.expected.find("link") != std::string::npos)
      std::filesystem::create_symlink("a.jpg", run.photos.File("b.jpg"));
    run.operations.times = c.times;
    const Names before = run.NamesOnDisk();
    run.Run();
    EXPECT_EQ(run.NamesOnDisk(), before);
    ASSERT_EQ(run.ui.shown.size(), 1u);
    EXPECT_EQ(run.Box().text, kNotApplied + c.expected);
    EXPECT_EQ(run.Box().icon, MessageIcon::kNone);
    EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Error});
    EXPECT_EQ(run.operations.renames, 0);
  }
}

TEST(FilenamePrefix, ManyDuplicatesListTenAndCountTheRest) {
  Names names;
  for (char c = 'a'; c < 'a' + 12; ++c) names.push_back(std::string(1, c) + "1.jpg");
  PrefixRun run(names, "1", "", false);
  run.Run();
  std::string expected = kNotApplied;
  for (int i = 0; i < 10; ++i) expected += "a1.jpg as characters removal created duplicate filename\r";
  expected += " - and an additional 56 errors found not listed.\r";  // 66 pairs
  EXPECT_EQ(run.Box().text, expected);
}

TEST(FilenamePrefix, TimeSequenceNumbersByTakenTime) {
  const struct {
    int files;
    std::string start;
    std::string fixed;
    std::string firstName;  // of the earliest photo
    std::string lastName;   // of the latest photo
  } cases[] = {
      {12, "1", "", "01p12.jpg", "12p01.jpg"},  {12, "1", "_x_", "01_x_p12.jpg", "12_x_p01.jpg"},
      {9, "1", "", "01p09.jpg", "09p01.jpg"},   {8, "1", "", "1p08.jpg", "8p01.jpg"},
      {5, " 5 ", "", "05p05.jpg", "09p01.jpg"},
  };
  for (const auto& c : cases) {
    Names names;
    PrefixRun run({}, "", c.fixed, true);
    for (int i = 1; i <= c.files; ++i) {
      const std::string name = (i < 10 ? "p0" : "p") + std::to_string(i) + ".jpg";
      test::MakeFiles(run.photos, {name});
      run.operations.times[name] = Taken(c.files - i);  // the last file was taken first
    }
    run.inputs.startValueText = c.start;
    run.Run();
    const Names after = run.NamesOnDisk();
    ASSERT_EQ(after.size(), static_cast<size_t>(c.files));
    EXPECT_EQ(after.front(), c.firstName) << c.files << c.fixed;
    EXPECT_EQ(after.back(), c.lastName) << c.files << c.fixed;
    EXPECT_EQ(run.Box().text, "All files processed successfully");
  }
}

TEST(FilenamePrefix, SequenceSwapsNamesThatAreAlreadyNumbered) {
  PrefixRun run({"10x.jpg", "11x.jpg"}, "2", "", true);
  run.operations.times = {{"10x.jpg", Taken(2)}, {"11x.jpg", Taken(1)}};
  run.inputs.startValueText = "10";
  run.Run();
  EXPECT_EQ(run.Box().text, "All files processed successfully");
  EXPECT_EQ(run.NamesOnDisk(), (Names{"10x.jpg", "11x.jpg"}));
  EXPECT_EQ(test::ReadBytes(run.photos.File("10x.jpg")), test::Bytes({'1', '1', 'x', '.', 'j', 'p', 'g'}));
}

TEST(FilenamePrefix, FileTimesInTheSortAreMentioned) {
  PrefixRun run({"a.jpg", "b.jpg"}, "", "", true);
  run.operations.times = {{"a.jpg", Taken(2, true)}, {"b.jpg", Taken(1)}};
  run.Run();
  EXPECT_EQ(run.NamesOnDisk(), (Names{"1b.jpg", "2a.jpg"}));
  EXPECT_EQ(run.Box().text, "All files processed successfully\rSort used some File Times as Metadata not available");
  EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Attention});
  EXPECT_EQ(run.ui.progress, (std::vector<int>{15, 35, 50, 63, 75, 95, 100, 0}));
  EXPECT_EQ(run.ui.statuses.front(), (std::pair<int, std::string>{2, "Total Files: 2"}));
}

TEST(FilenamePrefix, StartValueIsAtLeastOneAndWrittenBack) {
  for (const auto& [text, expected] :
       std::map<std::string, std::string>{{"0", "1"}, {"", "1"}, {"abc", "1"}, {"-4", "1"}, {" 7 ", "7"}}) {
    PrefixRun run({"a.jpg"}, "", "", true);
    run.operations.times = {{"a.jpg", Taken(1)}};
    run.inputs.startValueText = text;
    run.Run();
    EXPECT_EQ(run.inputs.startValueText, expected) << text;
    EXPECT_EQ(run.NamesOnDisk(), Names{expected + "a.jpg"});
  }
}

TEST(FilenamePrefix, FailureBoxes) {
  const struct {
    const char* situation;
    std::string remove;
    std::string fixed;
    bool single;
    std::string source;  // relative to the photos folder
    const char* expected;
  } cases[] = {
      {"remove count 0, no prefix", "0", "", false, "", "No valid parameters specified for Prefix Function"},
      {"a prefix that leaves the folder", "", "../", false, "", "No valid parameters specified for Prefix Function"},
      {"missing folder", "1", "", false, "gone/", "Folder not found"},
      {"missing photo", "1", "", true, "gone.jpg", "File not found"},
  };
  for (const auto& c : cases) {
    PrefixRun run({"ab.jpg"}, c.remove, c.fixed, false);
    run.state.SinglePhotoMode = c.single;
    run.inputs.sourcePath = run.photos.path().string() + "/" + c.source;
    run.Run();
    EXPECT_EQ(run.NamesOnDisk(), Names{"ab.jpg"}) << c.situation;
    ASSERT_EQ(run.ui.shown.size(), 1u) << c.situation;
    EXPECT_EQ(run.Box().text, c.expected) << c.situation;
    EXPECT_EQ(run.Box().title, "Error");
    EXPECT_EQ(run.Box().icon, MessageIcon::kCritical);
    EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Error});
    EXPECT_EQ(run.ui.progress.back(), 0);
    EXPECT_EQ(run.ui.runEnabled, std::vector<bool>{false});
    EXPECT_EQ(run.ui.arrangements, 1);
  }
  PrefixRun empty({}, "1", "", false);
  empty.Run();
  EXPECT_EQ(empty.Box().text, "Processing aborted as no files found");
  PrefixRun switchedOff({"ab.jpg"}, "0", "", false);
  switchedOff.Run();
  EXPECT_FALSE(switchedOff.state.PrefixRemoveChars) << "a remove count of 0 stays switched off";
}

TEST(FilenamePrefix, CancelRenamesNothing) {
  for (int pumps : {1, 3}) {  // while the names are collected; while the times are read
    PrefixRun run({"a.jpg", "b.jpg"}, "", "", true);
    run.operations.times = {{"a.jpg", Taken(1)}, {"b.jpg", Taken(2)}};
    run.ui.cancelAfterPumps = pumps;
    run.Run();
    EXPECT_EQ(run.NamesOnDisk(), (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(run.operations.reads, pumps == 1 ? 0 : 1);
    ASSERT_EQ(run.ui.shown.size(), 1u);
    EXPECT_EQ(run.Box().text, "Files only partially processed due to user abort.");
    EXPECT_EQ(run.Box().title, "User Process Cancellation");
    EXPECT_EQ(run.ui.cues, std::vector<SoundCue>{SoundCue::Attention});
  }
}

TEST(FilenamePrefix, ARefusedRenamePutsEveryNameBack) {
  PrefixRun run({"a.jpg", "b.jpg", "c.jpg"}, "", "X", false);
  run.operations.failRename = 3;
  run.Run();
  EXPECT_EQ(run.NamesOnDisk(), (Names{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(run.Box().text, "Undefined processing error");
  EXPECT_EQ(run.Box().title, "Error");
  EXPECT_EQ(run.operations.journalled.size(), 3u) << "journalled before the first rename";
  EXPECT_TRUE(run.operations.done.empty());

  // A journal that can't take the renames: none is made.
  PrefixRun unjournalled({"a.jpg", "b.jpg"}, "", "X", false);
  unjournalled.operations.refuseJournal = true;
  unjournalled.Run();
  EXPECT_EQ(unjournalled.NamesOnDisk(), (Names{"a.jpg", "b.jpg"}));
  EXPECT_EQ(unjournalled.operations.renames, 0);
  EXPECT_EQ(unjournalled.Box().text,
            "The run's journal could not be written, so nothing was changed: No space left on device");

  // A folder already holding a new name is never replaced.
  PrefixRun blocked({"a.jpg", "b.jpg"}, "", "X", false);
  std::filesystem::create_directory(blocked.photos.path() / "Xb.jpg");
  blocked.Run();
  EXPECT_EQ(blocked.NamesOnDisk(), (Names{"a.jpg", "b.jpg"}));
  EXPECT_TRUE(std::filesystem::is_directory(blocked.photos.path() / "Xb.jpg"));
  EXPECT_EQ(blocked.Box().text, "Undefined processing error");
}

TEST(FilenamePrefix, SinglePhotoStaysInItsFolder) {
  PrefixRun run({"IMG_0001.jpg", "IMG_0002.jpg", "0002.jpg"}, "4", "", false);
  run.state.SinglePhotoMode = true;
  run.inputs.sourcePath = " " + run.photos.File("IMG_0001.jpg") + " ";
  run.Run();
  EXPECT_EQ(run.NamesOnDisk(), (Names{"0001.jpg", "0002.jpg", "IMG_0002.jpg"}));
  EXPECT_EQ(run.ui.statuses.front(), (std::pair<int, std::string>{2, "Total Files: 1"}));

  run.ui.shown.clear();
  run.inputs.sourcePath = run.photos.File("IMG_0002.jpg");
  run.Run();
  EXPECT_EQ(run.Box().text, kNotApplied + "IMG_0002.jpg as characters removal created duplicate filename\r");
}

}  // namespace
}  // namespace kelvane
