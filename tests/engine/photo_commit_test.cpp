// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/photo_commit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "engine/atomic_replace.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

const Bytes kOld = {1, 2, 3, 4, 5, 6, 7, 8};

PhotoEdit Patch() {
  PhotoEdit edit;
  edit.patch = BytePatch{2, {3, 4, 5}, {9, 9, 9}};
  return edit;
}
const Bytes kPatched = {1, 2, 9, 9, 9, 6, 7, 8};

PhotoEdit Replacement() {
  PhotoEdit edit;
  edit.replacement = HeadReplacement{3, {7, 7}};
  return edit;
}
const Bytes kReplaced = {7, 7, 4, 5, 6, 7, 8};

size_t TemporariesIn(const fs::path& folder) {
  return static_cast<size_t>(std::count_if(fs::directory_iterator(folder), fs::directory_iterator(), [](const auto& e) {
    return IsTemporaryName(e.path().filename().string());
  }));
}

class PhotoCommitTest : public ::testing::Test {
 protected:
  PhotoFile Open(const std::string& name, const Bytes& bytes = kOld) {
    const std::string path = scratch_.File(name);
    test::WriteBytes(path, bytes);
    PhotoFile photo;
    EXPECT_TRUE(photo.OpenForEdit(path));
    return photo;
  }

  test::ScratchFolder scratch_;
};

TEST_F(PhotoCommitTest, WritesAPatchOrAReplacement) {
  const struct {
    const char* name;
    PhotoEdit edit;
    Bytes after;
  } cases[] = {{"patch", Patch(), kPatched}, {"replacement", Replacement(), kReplaced}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PhotoFile photo = Open("a.jpg");
    PhotoEdit edit = c.edit;
    edit.times = std::array<timespec, 2>{timespec{0, UTIME_OMIT}, timespec{1000000000, 0}};
    EXPECT_EQ(CommitEdit(photo, scratch_.File("a.jpg"), edit).result, CommitResult::kDone);
    EXPECT_EQ(test::ReadBytes(scratch_.File("a.jpg")), c.after);
    struct stat st {};
    ASSERT_EQ(::stat(scratch_.File("a.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000);
    EXPECT_EQ(TemporariesIn(scratch_.path()), 0u);
  }
}

// Another writer's change between the read and the commit: the photo is
// left as that writer left it.
TEST_F(PhotoCommitTest, APhotoChangedMeanwhileIsLeftAsTheOtherWriterLeftIt) {
  const Bytes theirs = {5, 5, 5, 5, 5, 5, 5, 5};
  const struct {
    const char* name;
    bool renamedOver;  // else written in place
  } writers[] = {{"replaced by another file", true}, {"written in place", false}};
  for (const auto& w : writers) {
    for (const bool replacement : {false, true}) {
      SCOPED_TRACE(std::string(w.name) + (replacement ? ", replacement" : ", patch"));
      PhotoFile photo = Open("a.jpg");
      const std::string path = scratch_.File("a.jpg");
      if (w.renamedOver) {
        test::WriteBytes(scratch_.File("other"), theirs);
        fs::rename(scratch_.File("other"), path);
      } else {
        ::usleep(10000);  // a change time the file system can tell apart
        test::WriteBytes(path, theirs);
      }
      const CommitOutcome outcome = CommitEdit(photo, path, replacement ? Replacement() : Patch());
      EXPECT_EQ(outcome.result, CommitResult::kChanged);
      EXPECT_EQ(test::ReadBytes(path), theirs);
      EXPECT_EQ(TemporariesIn(scratch_.path()), 0u);
    }
  }
}

// A patch write that fails after writing part of the span is undone.
TEST_F(PhotoCommitTest, AFailedPatchPutsTheOldBytesBack) {
  PhotoFile photo = Open("a.jpg");
  CommitSteps steps = CommitSteps::System();
  int calls = 0;
  steps.write = [&](PhotoFile& file, int64_t offset, const std::vector<uint8_t>& bytes) {
    if (++calls > 1) return CommitSteps::System().write(file, offset, bytes);
    file.WriteAt(offset, bytes.data(), 1);
    return false;
  };
  const CommitOutcome outcome = CommitEdit(photo, scratch_.File("a.jpg"), Patch(), steps);
  EXPECT_EQ(outcome.result, CommitResult::kWriteFailed);
  EXPECT_NE(outcome.osError, 0);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(test::ReadBytes(scratch_.File("a.jpg")), kOld);
}

// The journal hook runs once every new file is written and flushed and
// before the first photo changes; when it refuses, nothing is written.
TEST_F(PhotoCommitTest, AGroupCommitsAfterItsJournalHookOrNotAtAll) {
  for (const bool journalled : {true, false}) {
    SCOPED_TRACE(journalled ? "hook agrees" : "hook refuses");
    test::ScratchFolder folder;
    std::vector<std::string> paths;
    CommitGroup group(3);
    for (size_t i = 0; i < 3; ++i) {
      paths.push_back(folder.File("p" + std::to_string(i) + ".jpg"));
      test::WriteBytes(paths[i], kOld);
      PhotoFile photo;
      ASSERT_TRUE(photo.OpenForEdit(paths[i]));
      group.Add({i, paths[i], std::move(photo), i == 1 ? Patch() : Replacement()});
    }
    EXPECT_TRUE(group.Full());
    size_t temporariesAtHook = 0;
    bool untouchedAtHook = false;
    const auto outcomes = group.Commit([&] {
      temporariesAtHook = TemporariesIn(folder.path());
      untouchedAtHook =
          std::all_of(paths.begin(), paths.end(), [](const auto& p) { return test::ReadBytes(p) == kOld; });
      errno = EIO;
      return journalled;
    });
    EXPECT_EQ(temporariesAtHook, 2u);
    EXPECT_TRUE(untouchedAtHook);
    ASSERT_EQ(outcomes.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(outcomes[i].index, i);
      EXPECT_EQ(outcomes[i].outcome.result, journalled ? CommitResult::kDone : CommitResult::kWriteFailed);
      EXPECT_EQ(test::ReadBytes(paths[i]), !journalled ? kOld : i == 1 ? kPatched : kReplaced);
    }
    EXPECT_EQ(TemporariesIn(folder.path()), 0u);
    EXPECT_TRUE(group.Empty());
  }
}

// A failure fails only its own photo.
// The group's one flush of the file system failing, each new file is
// flushed on its own; one that fails fails only its photo.
TEST_F(PhotoCommitTest, AFailedFlushFailsOnlyItsPhoto) {
  int syncs = 0;
  CommitSteps steps = CommitSteps::System();
  steps.flushAll = [](int) {
    errno = EIO;
    return -1;
  };
  steps.replace.sync = [&](int fd) {
    if (++syncs == 2) {
      errno = EIO;
      return -1;
    }
    return ::fsync(fd);
  };
  CommitGroup group(8, steps);
  std::vector<std::string> paths;
  for (size_t i = 0; i < 3; ++i) {
    paths.push_back(scratch_.File("p" + std::to_string(i) + ".jpg"));
    group.Add({i, paths[i], Open("p" + std::to_string(i) + ".jpg"), Replacement()});
  }
  const auto outcomes = group.Commit();
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[1].outcome.result, CommitResult::kWriteFailed);
  EXPECT_EQ(outcomes[1].outcome.osError, EIO);
  for (size_t i : {0, 2}) EXPECT_EQ(outcomes[i].outcome.result, CommitResult::kDone) << i;
  EXPECT_EQ(test::ReadBytes(paths[0]), kReplaced);
  EXPECT_EQ(test::ReadBytes(paths[1]), kOld);
  EXPECT_EQ(test::ReadBytes(paths[2]), kReplaced);
  EXPECT_EQ(TemporariesIn(scratch_.path()), 0u);
}

}  // namespace
}  // namespace kelvane
