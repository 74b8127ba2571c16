// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/test_support.h"

namespace kelvane {
namespace {

TEST(TempFolder, MadeOnFirstUseAndRemovedWithItsContent) {
  std::string folder;
  {
    TempFolder temp;
    folder = temp.GetTempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(temp.GetTempFolder(), folder);
    EXPECT_EQ(temp.FirstTempFile(), folder + "QMR018T1");
    EXPECT_EQ(temp.SecondTempFile(), folder + "QMR018T2");
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    test::WriteBytes(temp.FirstTempFile(), {1});
    TempFolder other;
    EXPECT_NE(other.GetTempFolder(), folder);
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace kelvane
