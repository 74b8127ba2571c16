// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "engine/folder_lock.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// A process id that is surely gone: a child that has been waited for.
long DeadProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(ListFolder, ListsFilesAndLinksSortedAndKeepsTemporariesApart) {
  test::ScratchFolder scratch;
  for (const char* name : {"b.jpg", ".hidden.jpg", "a.jpg", ".kelvane-tmp-1-abcdefgh"}) {
    test::WriteBytes(scratch.File(name), {1});
  }
  fs::create_symlink("a.jpg", scratch.File("c-link.jpg"));
  fs::create_symlink("nowhere", scratch.File("d-dangling.jpg"));
  fs::create_directory(scratch.File("folder.jpg"));
  ASSERT_EQ(::mkfifo(scratch.File("fifo.jpg").c_str(), 0600), 0);

  const auto listing = ListFolder(scratch.path().string() + "/");
  ASSERT_TRUE(listing);
  std::vector<std::pair<std::string, bool>> entries;
  for (const FolderEntry& e : listing->entries) entries.emplace_back(e.name, e.link);
  EXPECT_EQ(
      entries,
      (std::vector<std::pair<std::string, bool>>{
          {".hidden.jpg", false}, {"a.jpg", false}, {"b.jpg", false}, {"c-link.jpg", true}, {"d-dangling.jpg", true}}));
  EXPECT_EQ(listing->temporaries, std::vector<std::string>{".kelvane-tmp-1-abcdefgh"});
  EXPECT_EQ(listing->FileNames(), (std::vector<std::string>{".hidden.jpg", "a.jpg", "b.jpg"}));
  EXPECT_EQ(ListFolderFiles(scratch.path().string()), listing->FileNames());

  int error = 0;
  EXPECT_FALSE(ListFolder(scratch.File("absent"), &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(ListFolder(scratch.File("a.jpg"), &error));
  EXPECT_EQ(error, ENOTDIR);
}

// A temporary file whose process still runs is another run's work in
// progress; one whose process is gone was left by a killed run.
TEST(ListFolder, RemovesOnlyTheTemporariesOfRunsThatAreGone) {
  test::ScratchFolder scratch;
  const std::string live = ".kelvane-tmp-" + std::to_string(::getpid()) + "-live0000";
  const std::string dead = ".kelvane-tmp-" + std::to_string(DeadProcess()) + "-dead0000";
  const std::string unowned = ".kelvane-tmp-nobody";
  for (const std::string& name : {live, dead, unowned}) test::WriteBytes(scratch.File(name), {1});
  const auto listing = ListFolder(scratch.path().string());
  ASSERT_TRUE(listing);
  ASSERT_EQ(listing->temporaries.size(), 3u);
  EXPECT_EQ(RemoveStaleTemporaries(scratch.path().string(), listing->temporaries), 1u);
  EXPECT_TRUE(fs::exists(scratch.File(live)));
  EXPECT_FALSE(fs::exists(scratch.File(dead)));
  EXPECT_TRUE(fs::exists(scratch.File(unowned)));
}

// Files that come and go while the folder is read (another run's temporary
// files) never make the listing fail.
TEST(ListFolder, FilesVanishingMeanwhileDoNotFailTheListing) {
  test::ScratchFolder scratch;
  for (int i = 0; i < 200; ++i) test::WriteBytes(scratch.File("p" + std::to_string(i) + ".jpg"), {1});
  const pid_t churn = ::fork();
  if (churn == 0) {
    for (;;) {
      for (int i = 0; i < 50; ++i) test::WriteBytes(scratch.File("t" + std::to_string(i)), {1});
      for (int i = 0; i < 50; ++i) ::unlink(scratch.File("t" + std::to_string(i)).c_str());
    }
  }
  int failures = 0;
  for (int round = 0; round < 300; ++round) {
    if (!ListFolder(scratch.path().string())) ++failures;
  }
  ::kill(churn, SIGKILL);
  ::waitpid(churn, nullptr, 0);
  EXPECT_EQ(failures, 0);
}

// The lock goes with its holder: a second holder is refused until then.
TEST(FolderLock, ASecondRunOnTheFolderIsRefusedUntilTheFirstEnds) {
  test::ScratchFolder scratch;
  FolderLock first;
  ASSERT_EQ(first.TryTake(scratch.path().string()), FolderLock::Attempt::kTaken);
  EXPECT_TRUE(first.Held());
  FolderLock second;
  EXPECT_EQ(second.TryTake(scratch.path().string()), FolderLock::Attempt::kBusy);
  EXPECT_FALSE(second.Held());
  first.Release();
  EXPECT_EQ(second.TryTake(scratch.path().string()), FolderLock::Attempt::kTaken);

  FolderLock missing;
  EXPECT_EQ(missing.TryTake(scratch.File("absent")), FolderLock::Attempt::kFailed);
  EXPECT_EQ(missing.error(), ENOENT);
}

}  // namespace
}  // namespace kelvane
