// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/atomic_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "support/test_support.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(AtomicReplace, ReplacesTheFileAndKeepsItsPermissions) {
  test::ScratchFolder scratch;
  const std::string photo = scratch.File("a.jpg");
  test::WriteBytes(photo, {1, 2, 3});
  ASSERT_EQ(chmod(photo.c_str(), 0640), 0);
  struct stat old {};
  ASSERT_EQ(stat(photo.c_str(), &old), 0);
  AtomicReplace replace(photo);
  ASSERT_TRUE(replace.Ready());
  EXPECT_EQ(fs::path(replace.TemporaryPath()).parent_path(), scratch.path());
  const std::string name = fs::path(replace.TemporaryPath()).filename();
  EXPECT_TRUE(IsTemporaryName(name));
  EXPECT_EQ(TemporaryOwner(name), ::getpid());
  ASSERT_TRUE(replace.Write(test::Bytes{4, 5}));
  ASSERT_TRUE(replace.Write(std::string_view("\x06\x07", 2)));
  ASSERT_TRUE(replace.TakeAttributes(old, false));
  EXPECT_EQ(test::ReadBytes(photo), (test::Bytes{1, 2, 3})) << "untouched until the rename";
  ASSERT_TRUE(replace.Commit());
  EXPECT_EQ(test::ReadBytes(photo), (test::Bytes{4, 5, 6, 7}));
  struct stat st {};
  ASSERT_EQ(stat(photo.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(NamesIn(scratch.path()), std::vector<std::string>{"a.jpg"});
}

// A failure at any step, a refusal right before the rename, or the object's
// end before its commit leave the target and no temporary file.
TEST(AtomicReplace, AFailedStepLeavesTheTargetAndNoTemporary) {
  const auto fail = [](auto...) {
    errno = EIO;
    return -1;
  };
  const ReplaceSteps system = ReplaceSteps::System();
  const struct {
    const char* name;
    ReplaceSteps steps;
    bool refuse;
    bool commit;
  } cases[] = {{"flush fails", {fail, system.rename}, false, true},
               {"rename fails", {system.sync, fail}, false, true},
               {"refused before the rename", system, true, true},
               {"abandoned", system, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScratchFolder scratch;
    const std::string photo = scratch.File("a.jpg");
    test::WriteBytes(photo, {1, 2, 3});
    {
      AtomicReplace replace(photo, false, c.steps);
      ASSERT_TRUE(replace.Write(test::Bytes{9, 9}));
      if (c.commit) {
        EXPECT_FALSE(replace.Commit([&] { return !c.refuse; }));
        EXPECT_NE(replace.error(), 0);
      }
    }
    EXPECT_EQ(test::ReadBytes(photo), (test::Bytes{1, 2, 3}));
    EXPECT_EQ(NamesIn(scratch.path()), std::vector<std::string>{"a.jpg"});
  }
  test::ScratchFolder scratch;
  AtomicReplace missingFolder(scratch.File("no/such/folder/b.jpg"));
  EXPECT_FALSE(missingFolder.Ready());
  EXPECT_EQ(missingFolder.error(), ENOENT);
  EXPECT_FALSE(missingFolder.Commit());
}

// A link stays a link when asked to: the file it names is replaced in its
// own folder. Otherwise the link itself is replaced and its target kept.
TEST(AtomicReplace, FollowsALinkOnlyWhenAsked) {
  for (const bool follow : {true, false}) {
    SCOPED_TRACE(follow ? "followed" : "replaced");
    test::ScratchFolder scratch;
    fs::create_directory(scratch.path() / "real");
    const std::string real = scratch.File("real/settings.ini");
    test::WriteBytes(real, {1});
    const std::string link = scratch.File("link.ini");
    fs::create_symlink("real/settings.ini", link);
    AtomicReplace replace(link, follow);
    ASSERT_TRUE(replace.Ready());
    EXPECT_EQ(fs::path(replace.TemporaryPath()).parent_path(), follow ? scratch.path() / "real" : scratch.path());
    ASSERT_TRUE(replace.Write(test::Bytes{2}));
    ASSERT_TRUE(replace.Commit());
    EXPECT_EQ(fs::is_symlink(link), follow);
    EXPECT_EQ(test::ReadBytes(real), follow ? test::Bytes{2} : test::Bytes{1});
    EXPECT_EQ(test::ReadBytes(link), test::Bytes{2});
  }
}

TEST(AtomicReplace, TemporaryNamesTellTheirOwner) {
  const std::pair<const char*, long> names[] = {{".kelvane-tmp-123-abcdefgh", 123},
                                                {".kelvane-tmp-x-abcdefgh", 0},
                                                {".kelvane-tmp-123", 0},
                                                {"kelvane-tmp-123-abcdefgh", 0}};
  for (const auto& [name, owner] : names) {
    EXPECT_EQ(TemporaryOwner(name), owner) << name;
  }
  EXPECT_TRUE(IsTemporaryName(".kelvane-tmp-x-abcdefgh"));
  EXPECT_FALSE(IsTemporaryName(".kelvane-x"));
}

}  // namespace
}  // namespace kelvane
