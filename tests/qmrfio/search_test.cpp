// SPDX-License-Identifier: GPL-2.0-or-later
// filefindstr / cbfindstr: results, error codes, modes, block boundaries.
#include <gtest/gtest.h>

#include <string>

#include "qmrfio.h"
#include "support/test_support.h"

namespace {

using kelvane::test::Bytes;
using kelvane::test::ScratchFolder;
using kelvane::test::WriteBytes;

void WriteText(const std::string& path, const std::string& text) { WriteBytes(path, Bytes(text.begin(), text.end())); }

struct SearchCase {
  const char* name;
  std::string data;
  int32_t mode;
  int32_t start;
  int32_t end;
  std::string pattern;
  int32_t expected;
};

// No zero bytes in the data: each case runs on a file and on a text.
const SearchCase kCases[] = {
    {"marker after a false start", std::string(10, 'x') + "\xFF\xFF\xE1yy", 2, 5, 0, "\xFF\xE1", 11},
    {"no backtracking", "aaab", 2, 0, 0, "aab", -1},
    {"restart at the failing byte", "aab", 2, 0, 0, "ab", 1},
    {"absent", "abcdef", 2, 0, 0, "xy", -1},
    {"match at start", "abcabc", 2, 3, 0, "abc", 3},
    {"match before start", "abcxx", 2, 1, 0, "abc", -1},
    {"start beyond the end", "abc", 2, 10, 0, "a", -4},
    {"pattern runs past the end", "abcdef", 2, 5, 0, "fg", -4},
    {"pattern ends at the end", "abcdef", 2, 4, 0, "ef", 4},
    {"negative start", "abcdef", 2, -1, 0, "ab", -5},
    {"empty pattern", "abcdef", 2, 0, 0, "", -3},
    {"end before the match ends", "0123456789", 2, 0, 8, "78", -1},
    {"end just after the match", "0123456789", 2, 0, 9, "78", 7},
    {"end 0 is the end of the data", "0123456789", 2, 0, 0, "78", 7},
    {"negative end", "0123456789", 2, 0, -3, "78", 7},
    {"end past the data", "0123456789", 2, 0, 100, "78", 7},
    {"end before start", "0123456789", 2, 5, 3, "78", -1},
    {"exact bytes", "xxEXIFyy", 2, 0, 0, "Exif", -1},
    {"letters in either case", "xxEXIFyy", 3, 0, 0, "Exif", 2},
    {"only ASCII letters fold", "a{b", 3, 0, 0, "[", -1},
    {"high bytes don't fold",
     "a\xE0"
     "b",
     3, 0, 0, "\xC0", -1},
    {"line at the start of a line", "first line\nkey=1\r\nKEY=2\n", 0, 0, 0, "KEY", 18},
    {"line in either case", "first line\nkey=1\r\nKEY=2\n", 1, 0, 0, "KEY", 11},
    {"negative odd mode is line mode in either case", "first line\nkey=1\r\nKEY=2\n", -1, 0, 0, "KEY", 11},
    {"line: not in the middle of a line", "a key\nb", 0, 0, 0, "key", -1},
    {"line: rest of a mismatched line skipped", "kekey\nkey", 0, 0, 0, "key", 6},
    {"binary finds it mid-line", "kekey\nkey", 2, 0, 0, "key", 2},
    {"line: start counts as a line start", "xxkey", 0, 2, 0, "key", 2},
    {"line: carriage return ends a line", "a\rkey", 0, 0, 0, "key", 2},
    {"line: match must end before end", "ab\nkey", 0, 0, 5, "key", -1},
};

TEST(Search, FileAndTextGiveTheDescribedResults) {
  ScratchFolder dir;
  const std::string file = dir.File("data");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    WriteText(file, c.data);
    EXPECT_EQ(filefindstr(c.mode, c.start, c.end, c.pattern.c_str(), file.c_str()), c.expected);
    EXPECT_EQ(cbfindstr(c.mode, c.start, c.end, c.pattern.c_str(), c.data.c_str()), c.expected);
  }
}

TEST(Search, MissingArgumentsAndFiles) {
  ScratchFolder dir;
  const std::string file = dir.File("data");
  WriteText(file, "abc");
  EXPECT_EQ(filefindstr(2, 0, 0, "a", ""), -2);
  EXPECT_EQ(filefindstr(2, 0, 0, "a", nullptr), -2);
  EXPECT_EQ(filefindstr(2, 0, 0, nullptr, file.c_str()), -3);
  EXPECT_EQ(filefindstr(2, 0, 0, "a", dir.File("missing").c_str()), -7);
  EXPECT_EQ(filefindstr(2, 0, 0, "a", dir.path().c_str()), -2);  // a folder has no size
  EXPECT_EQ(cbfindstr(2, 0, 0, "a", ""), -2);
  EXPECT_EQ(cbfindstr(2, 0, 0, "a", nullptr), -2);
  EXPECT_EQ(cbfindstr(2, 0, 0, nullptr, "abc"), -3);
  EXPECT_EQ(cbfindstr(2, 0, 0, "abcd", "abc"), -4);
}

// The file is read in blocks of 1 MiB; the text in one piece. Matches and
// failed partial matches that straddle block boundaries must come out the
// same.
TEST(Search, BlockReadsMatchTheSinglePassOverText) {
  const std::string line = "lorem ipsum dolor sit amet\n";
  std::string data;
  while (data.size() < 2'600'000) data += line;
  const auto plant = [&](size_t at, const std::string& what) { data.replace(at, what.size(), what); };
  plant((1 << 20) - 3, "needle");
  plant((2 << 20) - 2, "aaab");
  plant(2'300'000, "aab");
  plant((1 << 20) + 100 - 1, "\nKEY=9");

  ScratchFolder dir;
  const std::string file = dir.File("data");
  WriteText(file, data);
  EXPECT_EQ(filefindstr(2, 0, 0, "needle", file.c_str()), (1 << 20) - 3);
  EXPECT_EQ(filefindstr(2, 2'000'000, 0, "aab", file.c_str()), 2'300'000);
  EXPECT_EQ(filefindstr(0, 0, 0, "KEY=9", file.c_str()), (1 << 20) + 100);

  for (const std::string pattern : {"needle", "aab", "key=9", "dolor sit amet\nlorem", "zzz"}) {
    for (const int32_t mode : {0, 1, 2, 3}) {
      for (const int32_t start : {0, (1 << 20) - 10, (1 << 20) + 5}) {
        for (const int32_t end : {0, (1 << 20) + 2}) {
          SCOPED_TRACE(pattern + " mode " + std::to_string(mode) + " start " + std::to_string(start) + " end " +
                       std::to_string(end));
          EXPECT_EQ(filefindstr(mode, start, end, pattern.c_str(), file.c_str()),
                    cbfindstr(mode, start, end, pattern.c_str(), data.c_str()));
        }
      }
    }
  }
}

}  // namespace
