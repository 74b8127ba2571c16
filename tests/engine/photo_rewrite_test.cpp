// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/photo_rewrite.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/test_support.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

size_t FilesIn(const fs::path& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
  return n;
}

TEST(PhotoRewrite, ReplacesThePhotoAndKeepsItsPermissions) {
  test::ScratchFolder scratch;
  const std::string photo = scratch.File("a.jpg");
  test::WriteBytes(photo, {1, 2, 3});
  ASSERT_EQ(chmod(photo.c_str(), 0640), 0);
  PhotoRewrite rewrite(photo);
  ASSERT_TRUE(rewrite.Ready());
  EXPECT_EQ(fs::path(rewrite.NewPath()).parent_path(), scratch.path());
  test::WriteBytes(rewrite.NewPath(), {4, 5, 6, 7});
  ASSERT_TRUE(rewrite.Commit());
  EXPECT_EQ(test::ReadBytes(photo), (test::Bytes{4, 5, 6, 7}));
  struct stat st {};
  ASSERT_EQ(stat(photo.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesIn(scratch.path()), 1u);
}

TEST(PhotoRewrite, AFailedStepLeavesThePhotoAsItWas) {
  const auto fail = [](auto...) { return -1; };
  const RewriteSteps system = RewriteSteps::System();
  const struct {
    const char* name;
    RewriteSteps steps;
  } cases[] = {{"flush fails", {fail, system.rename}}, {"rename fails", {system.sync, fail}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScratchFolder scratch;
    const std::string photo = scratch.File("a.jpg");
    test::WriteBytes(photo, {1, 2, 3});
    {
      PhotoRewrite rewrite(photo, c.steps);
      test::WriteBytes(rewrite.NewPath(), {9, 9});
      EXPECT_FALSE(rewrite.Commit());
    }
    EXPECT_EQ(test::ReadBytes(photo), (test::Bytes{1, 2, 3}));
    EXPECT_EQ(FilesIn(scratch.path()), 1u) << "the new file is removed";
  }
}

TEST(PhotoRewrite, AbandonedRewriteLeavesNothingBehind) {
  test::ScratchFolder scratch;
  const std::string photo = scratch.File("a.jpg");
  test::WriteBytes(photo, {1});
  { PhotoRewrite rewrite(photo); }
  EXPECT_EQ(FilesIn(scratch.path()), 1u);
  PhotoRewrite missingFolder(scratch.File("no/such/folder/b.jpg"));
  EXPECT_FALSE(missingFolder.Ready());
  EXPECT_FALSE(missingFolder.Commit());
}

}  // namespace
}  // namespace kelvane
