// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/rename_all.h"

#include <gtest/gtest.h>

#include <map>

#include "batch_test_context.h"

namespace kelvane {
namespace {

using test::ScratchFolder;

// Name -> content of every file in the folder.
std::map<std::string, std::string> Contents(const ScratchFolder& folder) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : test::NamesIn(folder)) {
    const test::Bytes bytes = test::ReadBytes(folder.File(name));
    contents[name] = std::string(bytes.begin(), bytes.end());
  }
  return contents;
}

// A chain (a -> b -> c), a swap (x <-> y), a plain rename and an entry left
// alone.
const std::vector<PlannedRename> kPlan = {{"a", "b"}, {"b", "c"}, {"x", "y"}, {"y", "x"}, {"p", "q"}, {"same", "same"}};

TEST(RenameAll, ChainsAndSwapsReachTheirNewNames) {
  ScratchFolder folder;
  test::MakeFiles(folder, {"a", "b", "x", "y", "p", "same"});
  int calls = 0;
  const RenameFunction rename = [&](const std::string& from, const std::string& to) {
    ++calls;
    return RenameWithoutReplacing(from, to);
  };
  ASSERT_TRUE(RenameAllOrNothing(folder.path().string() + "/", kPlan, rename));
  EXPECT_EQ(Contents(folder), (std::map<std::string, std::string>{
                                  {"b", "a"}, {"c", "b"}, {"y", "x"}, {"x", "y"}, {"q", "p"}, {"same", "same"}}));
  EXPECT_EQ(calls, 5 + 3) << "only the files whose names are taken move aside";
}

TEST(RenameAll, AFailedRenamePutsEveryFileBack) {
  for (int failing = 1; failing <= 8; ++failing) {
    ScratchFolder folder;
    test::MakeFiles(folder, {"a", "b", "x", "y", "p", "same"});
    const auto before = Contents(folder);
    int calls = 0;
    const RenameFunction rename = [&](const std::string& from, const std::string& to) {
      return ++calls != failing && RenameWithoutReplacing(from, to);
    };
    EXPECT_FALSE(RenameAllOrNothing(folder.path().string() + "/", kPlan, rename)) << failing;
    EXPECT_EQ(Contents(folder), before) << "failing call " << failing;
  }
}

TEST(RenameAll, NeverReplacesAnExistingEntry) {
  ScratchFolder folder;
  test::MakeFiles(folder, {"a", "b", "taken"});
  std::filesystem::create_directory(folder.path() / "dir");
  EXPECT_FALSE(RenameWithoutReplacing(folder.File("a"), folder.File("taken")));
  EXPECT_FALSE(RenameWithoutReplacing(folder.File("a"), folder.File("dir")));
  // An entry outside the plan holds a new name: nothing moves.
  EXPECT_FALSE(RenameAllOrNothing(folder.path().string() + "/", {{"b", "c"}, {"a", "taken"}}, RenameWithoutReplacing));
  EXPECT_EQ(Contents(folder), (std::map<std::string, std::string>{{"a", "a"}, {"b", "b"}, {"taken", "taken"}}));
}

}  // namespace
}  // namespace kelvane
