// SPDX-License-Identifier: GPL-2.0-or-later
// insert2 / insert: every mode, chunked resumption, every error code.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "qmrfio.h"
#include "support/test_support.h"

namespace {

using kelvane::test::Bytes;
using kelvane::test::ReadBytes;
using kelvane::test::ScratchFolder;
using kelvane::test::WriteBytes;

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string ToText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Bytes that differ from their neighbours, so a misplaced block shows.
Bytes Pattern(size_t length, uint8_t seed) {
  Bytes bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + seed + i / 251) % 256);
  return bytes;
}

struct Files {
  ScratchFolder dir;
  std::string source = dir.File("source");
  std::string donor = dir.File("donor");
  std::string output = dir.File("output");
};

struct BuildArgs {
  int32_t sourceLength;
  int32_t cutAt;
  int32_t cutLength;
  int32_t insertAt;
  int32_t donorOffset;
  int32_t insertLength;
  bool withDonor;
  bool inPlace;
};

// Calls insert2 the way the program does: again with the returned position
// while it is above 0. Returns every result.
std::vector<int32_t> RunInsert2(const Files& f, const BuildArgs& a, int32_t chunkLimit) {
  std::vector<int32_t> results;
  int32_t resumeAt = 0;
  do {
    const int32_t r =
        insert2(resumeAt, chunkLimit, a.sourceLength, a.cutAt, a.cutLength, a.insertAt, a.donorOffset, a.insertLength,
                f.source.c_str(), a.withDonor ? f.donor.c_str() : "", a.inPlace ? "" : f.output.c_str());
    results.push_back(r);
    if (r > 0 && r <= resumeAt) break;  // no progress: report rather than loop
    resumeAt = r;
  } while (resumeAt > 0);
  return results;
}

// The positions a chunk limit must give on an output of total bytes:
// limit, 2 x limit, ... up to total, then 0.
std::vector<int32_t> ExpectedPositions(int32_t total, int32_t limit) {
  std::vector<int32_t> positions;
  for (int32_t p = limit; p <= total; p += limit) positions.push_back(p);
  positions.push_back(0);
  return positions;
}

struct ModeCase {
  const char* name;
  BuildArgs args;
  const char* expected;  // the output (in place: the source afterwards)
};

// Source "ABCDEFGHIJ", donor "vwxyz".
const ModeCase kModes[] = {
    {"insert in front", {10, 0, 0, 0, 0, 5, true, false}, "vwxyzABCDEFGHIJ"},
    {"insert at the end", {10, 0, 0, 10, 0, 5, true, false}, "ABCDEFGHIJvwxyz"},
    {"insert part of the donor", {10, 0, 0, 4, 1, 3, true, false}, "ABCDwxyEFGHIJ"},
    {"append", {10, 0, 0, -1, 2, 3, true, false}, "ABCDEFGHIJxyz"},
    {"cut", {10, 2, 3, 0, 0, 0, false, false}, "ABFGHIJ"},
    {"cut running past the end", {10, 8, 5, 0, 0, 0, false, false}, "ABCDEFGH"},
    {"cut everything", {10, 0, 10, 0, 0, 0, false, false}, ""},
    {"replace, same length", {10, 2, 3, 2, 0, 3, true, false}, "ABvwxFGHIJ"},
    {"replace, shorter donor", {10, 2, 5, 2, 0, 2, true, false}, "ABvwHIJ"},
    {"replace, longer donor", {10, 2, 1, 2, 0, 5, true, false}, "ABvwxyzDEFGHIJ"},
    {"replace at the front", {10, 0, 4, 0, 1, 4, true, false}, "wxyzEFGHIJ"},
    {"extract", {10, 0, -1, 3, 0, 4, false, false}, "DEFG"},
    {"plain copy", {10, 0, 0, 0, 0, 0, false, false}, "ABCDEFGHIJ"},
    {"declared length shorter than the file", {6, 0, 0, 6, 0, 5, true, false}, "ABCDEFvwxyz"},
    {"in place", {10, 0, 0, 3, 0, 2, true, true}, "ABCvwFGHIJ"},
    {"in place past the end", {10, 0, 0, 8, 1, 4, true, true}, "ABCDEFGHwxyz"},
};

void WriteFixture(const Files& f) {
  WriteBytes(f.source, ToBytes("ABCDEFGHIJ"));
  WriteBytes(f.donor, ToBytes("vwxyz"));
}

std::string Result(const Files& f, const BuildArgs& a) { return ToText(ReadBytes(a.inPlace ? f.source : f.output)); }

TEST(Insert2, EachModeBuildsItsOutputInOneCall) {
  for (const auto& c : kModes) {
    SCOPED_TRACE(c.name);
    Files f;
    WriteFixture(f);
    EXPECT_EQ(RunInsert2(f, c.args, 0), std::vector<int32_t>{0});
    EXPECT_EQ(Result(f, c.args), c.expected);
  }
}

// Every chunk limit from 1 to past the output length: chunks end in the
// source before the cut or insert point, inside the donor block and after
// the cut, at the very end and beyond it.
TEST(Insert2, ChunkedCallsGiveTheSameOutputAndCountPositions) {
  for (const auto& c : kModes) {
    // In place, the output positions are the donor bytes written.
    const int32_t total = c.args.inPlace ? c.args.insertLength : static_cast<int32_t>(std::string(c.expected).size());
    for (int32_t limit = 1; limit <= total + 2; ++limit) {
      SCOPED_TRACE(std::string(c.name) + ", chunk limit " + std::to_string(limit));
      Files f;
      WriteFixture(f);
      EXPECT_EQ(RunInsert2(f, c.args, limit), ExpectedPositions(total, limit));
      EXPECT_EQ(Result(f, c.args), c.expected);
    }
  }
}

TEST(Insert2, ChunkLimitThreeOnTenBytes) {
  Files f;
  WriteFixture(f);
  const BuildArgs args{7, 0, 0, 3, 0, 3, true, false};
  EXPECT_EQ(RunInsert2(f, args, 3), (std::vector<int32_t>{3, 6, 9, 0}));
  EXPECT_EQ(ToText(ReadBytes(f.output)), "ABCvwxDEFG");
}

TEST(Insert2, OutputIsAppendedToWhatTheFileHolds) {
  Files f;
  WriteFixture(f);
  WriteBytes(f.output, ToBytes("old"));
  EXPECT_EQ(insert2(0, 0, 10, 0, 0, 5, 0, 2, f.source.c_str(), f.donor.c_str(), f.output.c_str()), 0);
  EXPECT_EQ(ToText(ReadBytes(f.output)), "oldABCDEvwFGHIJ");
}

// Blocks larger than the copy buffer, chunks that end anywhere within it.
TEST(Insert2, LargeBlocksMatchTheBytesExpected) {
  const Bytes source = Pattern(3'000'123, 1);
  const Bytes donor = Pattern(1'500'000, 77);
  const auto slice = [](const Bytes& b, size_t from, size_t length) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + length));
  };
  const auto concat = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const int32_t n = static_cast<int32_t>(source.size());
  struct Case {
    const char* name;
    BuildArgs args;
    Bytes expected;
  };
  const Case cases[] = {
      {"insert",
       {n, 0, 0, 1'234'567, 100'000, 1'200'000, true, false},
       concat({slice(source, 0, 1'234'567), slice(donor, 100'000, 1'200'000),
               slice(source, 1'234'567, source.size() - 1'234'567)})},
      {"replace with a longer block",
       {n, 2'000'001, 700'000, 2'000'001, 0, 1'300'000, true, false},
       concat({slice(source, 0, 2'000'001), slice(donor, 0, 1'300'000),
               slice(source, 2'700'001, source.size() - 2'700'001)})},
  };
  for (const auto& c : cases) {
    for (const int32_t limit : {0, 65'537, 999'983, 1 << 20, 4'000'000}) {
      SCOPED_TRACE(std::string(c.name) + ", chunk limit " + std::to_string(limit));
      Files f;
      WriteBytes(f.source, source);
      WriteBytes(f.donor, donor);
      const auto results = RunInsert2(f, c.args, limit);
      EXPECT_EQ(results.back(), 0);
      EXPECT_TRUE(ReadBytes(f.output) == c.expected);
    }
  }
}

TEST(Insert2, DefaultChunkLimitIsOneMillion) {
  Files f;
  WriteBytes(f.source, Pattern(2'500'000, 3));
  const BuildArgs copy{2'500'000, 0, 0, 0, 0, 0, false, false};
  EXPECT_EQ(RunInsert2(f, copy, 0), (std::vector<int32_t>{1'000'000, 2'000'000, 0}));
  std::filesystem::remove(f.output);
  EXPECT_EQ(RunInsert2(f, copy, -5), (std::vector<int32_t>{1'000'000, 2'000'000, 0}));
  EXPECT_TRUE(ReadBytes(f.output) == ReadBytes(f.source));
}

TEST(Insert, TakesTheDonorFromItsFirstByteWithADefaultChunkOf100000) {
  Files f;
  WriteFixture(f);
  EXPECT_EQ(insert(0, 0, 10, 0, 0, 4, 3, f.source.c_str(), f.donor.c_str(), f.output.c_str()), 0);
  EXPECT_EQ(ToText(ReadBytes(f.output)), "ABCDvwxEFGHIJ");

  // A negative cut length is no cut (insert has no extract mode).
  std::filesystem::remove(f.output);
  EXPECT_EQ(insert(0, 0, 10, 0, -1, 10, 2, f.source.c_str(), f.donor.c_str(), f.output.c_str()), 0);
  EXPECT_EQ(ToText(ReadBytes(f.output)), "ABCDEFGHIJvw");

  std::filesystem::remove(f.output);
  EXPECT_EQ(insert(0, 0, 10, 2, 3, 2, 5, f.source.c_str(), f.donor.c_str(), f.output.c_str()), 0);
  EXPECT_EQ(ToText(ReadBytes(f.output)), "ABvwxyzFGHIJ");

  Files big;
  WriteBytes(big.source, Pattern(250'000, 9));
  std::vector<int32_t> results;
  int32_t resumeAt = 0;
  do {
    resumeAt = insert(resumeAt, 0, 250'000, 0, 0, 0, 0, big.source.c_str(), "", big.output.c_str());
    results.push_back(resumeAt);
  } while (resumeAt > 0 && results.size() < 10);
  EXPECT_EQ(results, (std::vector<int32_t>{100'000, 200'000, 0}));
  EXPECT_TRUE(ReadBytes(big.output) == ReadBytes(big.source));
}

// Which file a name argument gets.
enum class Name { kFile, kEmpty, kNull, kMissing };

struct ErrorCase {
  const char* name;
  bool olderForm;  // insert instead of insert2 (donorOffset unused)
  int32_t resumeAt, chunkLimit, sourceLength, cutAt, cutLength, insertAt, donorOffset, insertLength;
  Name source, donor, output;
  int32_t expected;
};

constexpr auto F = Name::kFile;
constexpr auto E = Name::kEmpty;
constexpr auto N = Name::kNull;
constexpr auto M = Name::kMissing;

// Source "ABCDEFGHIJ", donor "vwxyz".
const ErrorCase kErrors[] = {
    {"cut at a negative offset", false, 0, 0, 10, -1, 2, 0, 0, 0, F, E, F, -1},
    {"source missing", false, 0, 0, 10, 2, 2, 0, 0, 0, M, E, F, -2},
    {"source null", false, 0, 0, 10, 2, 2, 0, 0, 0, N, E, F, -2},
    {"output can't be opened", false, 0, 0, 10, 2, 2, 0, 0, 0, F, E, M, -3},
    {"donor missing", false, 0, 0, 10, 0, 0, 4, 0, 2, F, M, F, -4},
    {"donor without length", false, 0, 0, 10, 0, 0, 4, 0, 0, F, F, F, -5},
    {"cut: source ends before the cut", false, 0, 0, 30, 20, 2, 0, 0, 0, F, E, F, -6},
    {"cut: source ends after the cut", false, 0, 0, 30, 2, 2, 0, 0, 0, F, E, F, -7},
    {"insert: source ends before the insert point", false, 0, 0, 30, 0, 0, 20, 0, 2, F, F, F, -8},
    {"insert: donor too short", false, 0, 0, 10, 0, 0, 4, 3, 5, F, F, F, -9},
    {"insert: source ends after the insert point", false, 0, 0, 30, 0, 0, 4, 0, 2, F, F, F, -10},
    {"append: source too short", false, 0, 0, 30, 0, 0, -1, 0, 2, F, F, F, -11},
    {"append: negative donor offset", false, 0, 0, 10, 0, 0, -1, -1, 2, F, F, F, -12},
    {"extract past the end", false, 0, 0, 10, 0, -1, 8, 0, 5, F, E, F, -13},
    {"in place without insertAt", false, 0, 0, 10, 0, 0, -1, 0, 2, F, F, E, -14},
    {"in place without length", false, 0, 0, 10, 0, 0, 2, 0, 0, F, F, E, -15},
    {"in place with a cut", false, 0, 0, 10, 0, 2, 2, 0, 2, F, F, N, -16},
    {"in place: donor too short", false, 0, 0, 10, 0, 0, 2, 3, 5, F, F, E, -17},
    {"in place: no donor", false, 0, 0, 10, 0, 0, 2, 0, 2, F, N, N, -4},
    {"extract without length", false, 0, 0, 10, 0, -1, 2, 0, 0, F, E, F, -19},
    {"extract with a donor", false, 0, 0, 10, 0, -1, 2, 0, 2, F, F, F, -20},
    {"replace: donor too short", false, 0, 0, 10, 2, 3, 2, 3, 5, F, F, F, -21},
    {"replace: source ends after the old block", false, 0, 0, 30, 2, 3, 2, 0, 2, F, F, F, -22},
    {"replace with insertAt not at the cut", false, 0, 0, 10, 2, 3, 4, 0, 2, F, F, F, -24},
    {"resume before the start", false, -1, 0, 10, 0, 0, 0, 0, 0, F, E, F, -25},
    {"resume position beyond 32 bits", false, INT32_MAX - 5, 10, INT32_MAX, 0, 0, 0, 0, 100, F, F, F, -25},
    {"insert: output required", true, 0, 0, 10, 0, 0, 4, 0, 2, F, F, E, -3},
    {"insert: source missing", true, 0, 0, 10, 0, 0, 4, 0, 2, M, F, F, -2},
    {"insert: donor too short", true, 0, 0, 10, 0, 0, 4, 0, 6, F, F, F, -9},
};

const char* NameFor(Name which, const std::string& file) {
  switch (which) {
    case Name::kFile:
      return file.c_str();
    case Name::kEmpty:
      return "";
    case Name::kNull:
      return nullptr;
    case Name::kMissing:
      return "/nonexistent-folder/file";
  }
  return nullptr;
}

TEST(Insert2, ErrorCodesLeaveTheSourceAlone) {
  for (const auto& c : kErrors) {
    SCOPED_TRACE(c.name);
    Files f;
    WriteFixture(f);
    const char* source = NameFor(c.source, f.source);
    const char* donor = NameFor(c.donor, f.donor);
    const char* output = NameFor(c.output, f.output);
    const int32_t result = c.olderForm ? insert(c.resumeAt, c.chunkLimit, c.sourceLength, c.cutAt, c.cutLength,
                                                c.insertAt, c.insertLength, source, donor, output)
                                       : insert2(c.resumeAt, c.chunkLimit, c.sourceLength, c.cutAt, c.cutLength,
                                                 c.insertAt, c.donorOffset, c.insertLength, source, donor, output);
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(ToText(ReadBytes(f.source)), "ABCDEFGHIJ");
  }
}

// Preconditions are checked before any file is opened or created.
TEST(Insert2, FailedPreconditionCreatesNoOutput) {
  Files f;
  WriteFixture(f);
  EXPECT_EQ(insert2(0, 0, 10, 2, 3, 4, 0, 2, f.source.c_str(), f.donor.c_str(), f.output.c_str()), -24);
  EXPECT_EQ(insert2(0, 0, 10, 0, 0, 4, 0, 2, f.source.c_str(), "/nonexistent/donor", f.output.c_str()), -4);
  EXPECT_FALSE(std::filesystem::exists(f.output));
}

TEST(Insert2, WriteFailuresAreReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Files f;
  WriteFixture(f);
  EXPECT_EQ(insert2(0, 0, 10, 0, 0, 4, 0, 2, f.source.c_str(), f.donor.c_str(), "/dev/full"), -23);
  EXPECT_EQ(insert2(0, 0, 10, 0, 0, 4, 0, 2, "/dev/full", f.donor.c_str(), ""), -18);
}

}  // namespace
