// SPDX-License-Identifier: GPL-2.0-or-later
// A write run's hold on its folder, the leftovers of interrupted runs, and
// its journal.
#include "batch/photo_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "batch_test_context.h"
#include "engine/run_journal.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

struct PhotoRunTest : ::testing::Test, test::BatchTestContext {
  test::ScratchFolder photos;
  std::string Folder() const { return photos.path().string() + "/"; }
};

// Another run holds the folder: the run says it waits, and Cancel ends the
// wait without touching anything.
TEST_F(PhotoRunTest, WaitsForAnotherRunUntilCancelled) {
  FolderLock other;
  ASSERT_EQ(other.TryTake(Folder()), FolderLock::Attempt::kTaken);
  ui.cancelAfterPumps = 2;
  PhotoRun run(context, "copyright", "");
  EXPECT_EQ(run.Begin(Folder()), PhotoRun::Start::kCancelled);
  EXPECT_EQ(ui.notices, std::vector<std::string>{"Waiting for another run on this folder to finish"});
  EXPECT_TRUE(state.CancelRequested);

  other.Release();
  PhotoRun next(context, "copyright", "");
  EXPECT_EQ(next.Begin(photos.File("absent")), PhotoRun::Start::kLockFailed);
  EXPECT_EQ(next.BeginError(), ENOENT);
}

// A killed run's temporary file goes, and the run says so; a live run's
// stays.
TEST_F(PhotoRunTest, RemovesTheTemporaryFilesOfRunsThatAreGone) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = ".kelvane-tmp-" + std::to_string(child) + "-abcdefgh";
  const std::string live = ".kelvane-tmp-" + std::to_string(::getpid()) + "-abcdefgh";
  test::MakeFiles(photos, {dead, live, "a.jpg"});
  PhotoRun run(context, "copyright", "");
  ASSERT_EQ(run.Begin(Folder()), PhotoRun::Start::kStarted);
  EXPECT_FALSE(fs::exists(photos.File(dead)));
  EXPECT_TRUE(fs::exists(photos.File(live)));
  EXPECT_EQ(context.removedTemporaries, 1u);
  EXPECT_EQ(ui.notices, std::vector<std::string>{"Removed 1 unfinished temporary file(s) left by an interrupted run"});
}

// The journal has each change before the photo changes, and marks it done
// after; a run that changed nothing leaves no journal.
TEST_F(PhotoRunTest, JournalsWhatItChanges) {
  test::ScratchFolder journals;
  context.safety.journalFolder = journals.path().string();
  test::MakeFiles(photos, {"a.jpg", "b.jpg"});
  {
    PhotoRun idle(context, "copyright", "");
    ASSERT_EQ(idle.Begin(Folder()), PhotoRun::Start::kStarted);
  }
  EXPECT_TRUE(fs::is_empty(journals.path()));

  PhotoRun run(context, "shift-time", "1 day later");
  ASSERT_EQ(run.Begin(Folder()), PhotoRun::Start::kStarted);
  const std::string names[] = {"a.jpg", "b.jpg"};
  for (size_t order = 0; order < 2; ++order) {
    PhotoFile photo;
    ASSERT_FALSE(run.Open(Folder() + names[order], true, photo));
    PhotoEdit edit;
    edit.patch = BytePatch{0, {static_cast<uint8_t>(names[order][0])}, {'x'}};
    const FileStep step = run.Submit(order, Folder() + names[order], std::move(photo), std::move(edit),
                                     [](const CommitOutcome&) { return FileStep::Done(); });
    EXPECT_TRUE(step.pending);
  }
  run.End();
  EXPECT_EQ(run.TakeCompleted().size(), 2u);
  EXPECT_EQ(test::ReadBytes(photos.File("a.jpg")), (test::Bytes{'x', '.', 'j', 'p', 'g'}));

  const auto listed = ListJournals(journals.path().string(), true);
  ASSERT_EQ(listed.size(), 1u);
  const auto journal = ReadJournal(listed[0].path);
  ASSERT_TRUE(journal);
  EXPECT_EQ(journal->header.function, "shift-time");
  EXPECT_EQ(journal->header.folder, fs::canonical(photos.path()).string() + "/");
  ASSERT_EQ(journal->photos.size(), 2u);
  EXPECT_EQ(journal->photos[0].patches.at(0).before, test::Bytes{'a'});
  EXPECT_EQ(journal->done, (std::vector<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_TRUE(journal->complete);
}

}  // namespace
}  // namespace kelvane
