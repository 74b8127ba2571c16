// SPDX-License-Identifier: GPL-2.0-or-later
// A failure at any write step of the text tag writer leaves the photo as it
// was or completely written: the flush and the rename of a new photo, the
// write over the old segment, a full disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>

#include "engine/text_tag_writer.h"
#include "support/jpeg_builder.h"
#include "support/test_support.h"
#include "tag_records.h"

namespace kelvane {
namespace {

using test::Text;

namespace fs = std::filesystem;
using test::Bytes;

// A photo whose segment has room for a shorter Copyright (the in-place
// path) but none for a new ImageDescription (the rewrite path).
Bytes Photo() {
  return test::BuildJpeg(test::BuildTiff({false,
                                          {test::Ascii(0x010F, "Camera"), test::Ascii(0x8298, std::string(60, 'c'))},
                                          std::vector<test::TiffEntry>{test::Ascii(0x9003, "2008:05:30 15:56:01")}}),
                         {.app0 = true});
}

struct Edit {
  const char* name;
  int slot;
  ExifTagRecord tag;
};
const Edit kInPlace{"in place", kSlotCopyright, Text(kSlotCopyright, "Ann Smith")};
const Edit kRewrite{"rewrite", kSlotImageDescription, Text(kSlotImageDescription, "A description of the photo")};

// The photo after the edit went through without faults.
Bytes Expected(const Edit& edit) {
  test::ScratchFolder scratch;
  const std::string path = scratch.File("photo.jpg");
  test::WriteBytes(path, Photo());
  std::string name = path;
  EXPECT_EQ(WriteExifTag(name, edit.slot, edit.tag, ProgramOptions{}).result, WriteTagResult::kOk);
  return test::ReadBytes(path);
}

size_t FilesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Runs the edit (after `prepare`) and checks the outcome: kOk with the
// photo completely written, or kWriteFailed with the photo as it was.
WriteTagResult RunAndCheck(
    const Edit& edit, bool keepCopy, const CommitSteps& steps, const Bytes& expected,
    const std::function<void()>& prepare = [] {}) {
  test::ScratchFolder scratch;
  const std::string path = scratch.File("photo.jpg");
  test::WriteBytes(path, Photo());
  prepare();
  ProgramOptions options;
  options[ProgramOption::KeepOriginalCopy] = keepCopy;
  std::string name = path;
  const WriteTagOutcome outcome = WriteExifTag(name, edit.slot, edit.tag, options, steps);
  const Bytes after = test::ReadBytes(path);
  if (outcome.result == WriteTagResult::kOk) {
    EXPECT_TRUE(after == expected) << "reported as written but not completely written";
  } else {
    EXPECT_EQ(outcome.result, WriteTagResult::kWriteFailed);
    EXPECT_NE(outcome.osError, 0);
    EXPECT_TRUE(after == Photo()) << "a failed edit changed the photo";
  }
  EXPECT_EQ(FilesIn(scratch.path()), 1u) << "nothing is left beside the photo";
  return outcome.result;
}

TEST(TextTagWriterFaults, AFailedStepLeavesThePhotoAsItWas) {
  const CommitSteps system = CommitSteps::System();
  const auto fail = [](auto...) {
    errno = EIO;
    return -1;
  };
  CommitSteps badWrite = system;
  badWrite.write = [&](PhotoFile& photo, int64_t offset, const std::vector<uint8_t>& bytes) {
    // Torn: half of the span reaches the photo.
    system.write(photo, offset, std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    badWrite.write = system.write;  // the old bytes go back
    return false;
  };
  const struct {
    const char* name;
    CommitSteps steps;
    bool hitsRewrites;  // else the write over the old segment
  } faults[] = {
      {"write over the segment", badWrite, false},
      {"flush", {system.write, {fail, system.replace.rename}, {}}, true},
      {"rename", {system.write, {system.replace.sync, fail}, {}}, true},
  };
  for (const Edit& edit : {kInPlace, kRewrite}) {
    const bool inPlace = edit.slot == kInPlace.slot;
    const Bytes expected = Expected(edit);
    ASSERT_EQ(expected.size() == Photo().size(), inPlace) << edit.name;
    for (const bool keepCopy : {false, true}) {
      // With a safety copy an edit that fits is written as a new photo too.
      const bool rewrite = !inPlace || keepCopy;
      for (const auto& fault : faults) {
        SCOPED_TRACE(std::string(edit.name) + ", " + fault.name + (keepCopy ? ", with a safety copy" : ""));
        const CommitSteps steps = fault.steps;
        const WriteTagResult result = RunAndCheck(edit, keepCopy, steps, expected);
        EXPECT_EQ(result == WriteTagResult::kOk, rewrite != fault.hitsRewrites);
      }
    }
  }
}

// The length of the Exif segment that follows the JFIF segment.
rlim_t SegmentSize(const Bytes& photo) { return rlim_t{photo[22]} << 8 | photo[23]; }

// A file position between the first and the last byte the edit changes.
rlim_t InsideTheChange(const Bytes& before, const Bytes& after) {
  const auto first = std::mismatch(before.begin(), before.end(), after.begin()).first - before.begin();
  const auto last = before.rend() - std::mismatch(before.rbegin(), before.rend(), after.rbegin()).first;
  return static_cast<rlim_t>((first + last) / 2);
}

TEST(TextTagWriterFaults, AFullDiskLeavesThePhotoAsItWas) {
  // Each limit stops the step named; the new segment still reaches its
  // temporary file on the way to a new photo.
  const struct {
    const char* name;
    Edit edit;
    bool keepCopy;
    rlim_t limit;
  } cases[] = {
      {"new photo beside it", kRewrite, false, SegmentSize(Expected(kRewrite)) + 50},
      {"safety copy", kInPlace, true, SegmentSize(Photo()) + 50},
      {"write over the segment", kInPlace, false, InsideTheChange(Photo(), Expected(kInPlace))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes expected = Expected(c.edit);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{c.limit, c.limit};
      const WriteTagResult result = RunAndCheck(c.edit, c.keepCopy, CommitSteps::System(), expected,
                                                [&] { ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0); });
      _exit(testing::Test::HasFailure() ? 100 : static_cast<int>(result));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(WriteTagResult::kWriteFailed))
        << "100 = a check failed in the child";
  }
}

}  // namespace
}  // namespace kelvane
