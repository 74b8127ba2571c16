// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/run_journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/test_support.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

JournalPhoto Patched(const std::string& name, size_t length) {
  JournalPhoto p;
  p.name = name;
  p.device = 2049;
  p.inode = 1234567;
  p.sizeBefore = p.sizeAfter = 5000;
  std::vector<uint8_t> before(length), after(length);
  for (size_t i = 0; i < length; ++i) {
    before[i] = static_cast<uint8_t>(i * 37);
    after[i] = static_cast<uint8_t>(i * 91 + 3);
  }
  p.patches = {BytePatch{300, before, after}, BytePatch{static_cast<int64_t>(400 + length), {1, 2}, {3, 4}}};
  p.oldTimes = std::array<timespec, 2>{timespec{1100000000, 5}, timespec{1200000000, 999999999}};
  return p;
}

JournalPhoto Rewritten() {
  JournalPhoto p;
  p.name = std::string("caf\xE9 \"1\".jpg");  // not UTF-8, with a quote
  p.newName = "1 caf\xC3\xA9.jpg";
  p.sizeBefore = 100;
  p.sizeAfter = 2200;
  p.oldHead = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16};
  p.hashBefore.fill(0xAB);
  p.hashAfter.fill(0x01);
  p.newHeadLength = 2106;
  p.newTimes = std::array<timespec, 2>{timespec{0, UTIME_OMIT}, timespec{1300000000, 0}};
  p.wiped = true;
  return p;
}

void ExpectSame(const JournalPhoto& a, const JournalPhoto& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.newName, b.newName);
  EXPECT_EQ(a.device, b.device);
  EXPECT_EQ(a.inode, b.inode);
  EXPECT_EQ(a.sizeBefore, b.sizeBefore);
  EXPECT_EQ(a.sizeAfter, b.sizeAfter);
  EXPECT_EQ(a.hashBefore, b.hashBefore);
  EXPECT_EQ(a.hashAfter, b.hashAfter);
  ASSERT_EQ(a.patches.size(), b.patches.size());
  for (size_t i = 0; i < a.patches.size(); ++i) {
    EXPECT_EQ(a.patches[i].offset, b.patches[i].offset);
    EXPECT_EQ(a.patches[i].before, b.patches[i].before);
    EXPECT_EQ(a.patches[i].after, b.patches[i].after);
  }
  EXPECT_EQ(a.oldHead, b.oldHead);
  EXPECT_EQ(a.newHeadLength, b.newHeadLength);
  for (const auto& [x, y] : {std::pair{&a.oldTimes, &b.oldTimes}, {&a.newTimes, &b.newTimes}}) {
    ASSERT_EQ(x->has_value(), y->has_value());
    if (!x->has_value()) continue;
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ((**x)[i].tv_sec, (**y)[i].tv_sec);
      EXPECT_EQ((**x)[i].tv_nsec, (**y)[i].tv_nsec);
    }
  }
  EXPECT_EQ(a.wiped, b.wiped);
}

TEST(RunJournal, KeepsOnlyTheRunsOfBytesThatDiffer) {
  // Old and new bytes of a patch at 1000; the runs expected as (offset, length).
  const struct {
    std::string before, after;
    std::vector<std::pair<int64_t, size_t>> runs;
  } cases[] = {
      {"2006:12:17", "2006:12:17", {}},
      {"2006:12:17 ........................ 2006:12:17",
       "2006:12:18 ........................ 2006:12:18",
       {{1009, 1}, {1045, 1}}},
      {"a.b.c........d", "x.y.z........e", {{1000, 5}, {1013, 1}}},
      {"abc", "xyz", {{1000, 3}}},
  };
  for (const auto& c : cases) {
    const BytePatch patch{1000, {c.before.begin(), c.before.end()}, {c.after.begin(), c.after.end()}};
    const std::vector<BytePatch> runs = DifferingRuns(patch);
    ASSERT_EQ(runs.size(), c.runs.size()) << c.after;
    for (size_t i = 0; i < runs.size(); ++i) {
      EXPECT_EQ(runs[i].offset, c.runs[i].first) << c.after;
      ASSERT_EQ(runs[i].after.size(), c.runs[i].second) << c.after;
      const auto at = static_cast<size_t>(runs[i].offset - 1000);
      EXPECT_EQ(std::string(runs[i].before.begin(), runs[i].before.end()), c.before.substr(at, c.runs[i].second));
      EXPECT_EQ(std::string(runs[i].after.begin(), runs[i].after.end()), c.after.substr(at, c.runs[i].second));
    }
  }
}

TEST(RunJournal, WhatIsWrittenReadsBack) {
  test::ScratchFolder scratch;
  const std::string folder = scratch.File("runs");  // made when missing
  const RunHeader header{"20260101T000000Z-42", "", "copyright", "/photos/", "Photographer notice", ""};
  int error = 0;
  auto writer = JournalWriter::Create(folder, header, error);
  ASSERT_TRUE(writer) << error;
  const std::vector<JournalPhoto> photos = {Patched("a.jpg", 19), Rewritten()};
  ASSERT_TRUE(writer->Append(photos));
  writer->Done({"a.jpg", photos[1].name});
  ASSERT_TRUE(writer->Complete());
  EXPECT_EQ(writer->Changed(), 2u);

  const auto journal = ReadJournal(writer->Path());
  ASSERT_TRUE(journal);
  EXPECT_EQ(journal->header.id, header.id);
  EXPECT_EQ(journal->header.function, "copyright");
  EXPECT_EQ(journal->header.folder, "/photos/");
  EXPECT_EQ(journal->header.details, "Photographer notice");
  EXPECT_FALSE(journal->header.started.empty());
  ASSERT_EQ(journal->photos.size(), 2u);
  for (size_t i = 0; i < 2; ++i) ExpectSame(journal->photos[i], photos[i]);
  EXPECT_EQ(journal->done, (std::vector<std::string>{"a.jpg", photos[1].name}));
  EXPECT_TRUE(journal->complete);
  EXPECT_EQ(fs::status(writer->Path()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  const auto listed = ListJournals(folder, true);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].photos, 2u);
  EXPECT_EQ(listed[0].changed, 2u);
  EXPECT_TRUE(listed[0].complete);
}

// Two runs of one process can start within one second: each gets a journal.
// A killed run's journal ends in the middle of a line: what was flushed
// before still reads, and the run shows as interrupted.
TEST(RunJournal, AJournalCutShortReadsUpToItsLastWholeLine) {
  test::ScratchFolder scratch;
  int error = 0;
  auto writer = JournalWriter::Create(scratch.path().string(), {"run", "", "shift-time", "/p/", "", ""}, error);
  ASSERT_TRUE(writer);
  const JournalPhoto first = Patched("a.jpg", 19);
  ASSERT_TRUE(writer->Append({first}));
  writer->Done({"a.jpg"});
  ASSERT_TRUE(writer->Append({}));
  const auto flushed = fs::file_size(writer->Path());
  ASSERT_TRUE(writer->Append({Patched("b.jpg", 4000)}));
  const auto grown = fs::file_size(writer->Path());
  const std::string path = writer->Path();
  const std::string copy = scratch.File("copy.journal");
  fs::copy_file(path, copy);
  writer.reset();
  fs::resize_file(copy, (flushed + grown) / 2);

  const auto journal = ReadJournal(copy);
  ASSERT_TRUE(journal);
  EXPECT_EQ(journal->header.function, "shift-time");
  ASSERT_EQ(journal->photos.size(), 1u);
  ExpectSame(journal->photos[0], first);
  EXPECT_EQ(journal->done, std::vector<std::string>{"a.jpg"});
  EXPECT_FALSE(journal->complete);

  test::WriteBytes(scratch.File("other.journal"), {'n', 'o', 't', '\n'});
  EXPECT_FALSE(ReadJournal(scratch.File("other.journal")));
}

}  // namespace
}  // namespace kelvane
