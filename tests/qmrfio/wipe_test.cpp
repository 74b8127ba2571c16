// SPDX-License-Identifier: GPL-2.0-or-later
// wipefile: nothing-to-do cases, failures, and the zeroed result.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>

#include "qmrfio.h"
#include "support/test_support.h"

namespace {

using kelvane::test::Bytes;
using kelvane::test::ReadBytes;
using kelvane::test::ScratchFolder;
using kelvane::test::WriteBytes;

const Bytes kContent = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};

TEST(Wipe, NothingToDoLeavesTheFileAlone) {
  ScratchFolder dir;
  const std::string file = dir.File("photo.jpg");
  WriteBytes(file, kContent);
  EXPECT_EQ(wipefile(0, file.c_str()), 0);
  EXPECT_EQ(wipefile(-5, file.c_str()), 0);
  EXPECT_EQ(wipefile(5, ""), 0);
  EXPECT_EQ(wipefile(5, nullptr), 0);
  EXPECT_EQ(ReadBytes(file), kContent);
}

TEST(Wipe, UnopenableFiles) {
  ScratchFolder dir;
  EXPECT_EQ(wipefile(5, dir.File("missing").c_str()), -6);
  EXPECT_EQ(wipefile(5, dir.path().c_str()), -6);
}

// The file ends up exactly length zero bytes long, whatever it held.
TEST(Wipe, ZeroesTheFile) {
  struct Case {
    const char* name;
    int32_t length;
  };
  for (const auto& c :
       {Case{"its own length", 11}, Case{"shorter", 4}, Case{"longer", 20}, Case{"several blocks", 2'500'000}}) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    const std::string file = dir.File("photo.jpg");
    WriteBytes(file, kContent);
    EXPECT_EQ(wipefile(c.length, file.c_str()), -1);
    EXPECT_EQ(ReadBytes(file), Bytes(static_cast<size_t>(c.length), 0));
  }
}

// A write the system refuses (here: past the file size limit) is a failure,
// not "done".
TEST(Wipe, WriteFailureIsReported) {
  ScratchFolder dir;
  const std::string file = dir.File("photo.jpg");
  WriteBytes(file, kContent);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int32_t result = wipefile(100'000, file.c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, -8);
}

}  // namespace
