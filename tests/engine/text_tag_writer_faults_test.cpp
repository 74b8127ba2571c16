// SPDX-License-Identifier: GPL-2.0-or-later
// A failure at any write step of the text tag writer leaves the photo as it
// was or completely written: the library call, the flush and the rename of
// a new photo, the write over the old segment, a full disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "engine/text_tag_writer.h"
#include "support/jpeg_builder.h"
#include "support/scripted_ui.h"
#include "support/test_support.h"
#include "tag_records.h"

namespace kelvane {
namespace {

using test::Text;

namespace fs = std::filesystem;
using test::Bytes;

// Copies in small chunks, so that one copy takes several calls, and fails
// chosen calls after they did their work.
class FaultyLibrary : public FileOpsLibrary {
 public:
  int failAt = 0;  // 1-based; 0 = never
  int calls = 0;

  int32_t insert2(int32_t resumeAt, int32_t, int32_t sourceLength, int32_t cutAt, int32_t cutLength, int32_t insertAt,
                  int32_t donorOffset, int32_t insertLength, const std::string& sourceName,
                  const std::string& donorName, const std::string& outputName) override {
    const int32_t result = FileOpsLibrary::insert2(resumeAt, 64, sourceLength, cutAt, cutLength, insertAt, donorOffset,
                                                   insertLength, sourceName, donorName, outputName);
    return ++calls == failAt ? -18 : result;
  }
};

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
  FileOpsLibrary fileOps;
  TempFolder temp;
  EngineContext context{fileOps, temp, {}, nullptr, {}};
  std::string name = path;
  EXPECT_EQ(WriteExifTag(name, edit.slot, edit.tag, context), 0);
  return test::ReadBytes(path);
}

size_t FilesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Runs the edit (after `prepare`) and checks the outcome: result 0 with the
// photo completely written, or 9 with the photo as it was.
int16_t RunAndCheck(
    const Edit& edit, FileOpsLibrary& fileOps, bool keepCopy, const RewriteSteps& steps, const Bytes& expected,
    const std::function<void()>& prepare = [] {}) {
  test::ScratchFolder scratch;
  const std::string path = scratch.File("photo.jpg");
  test::WriteBytes(path, Photo());
  prepare();
  TempFolder temp;
  EngineContext context{fileOps, temp, {}, nullptr, {}};
  context.options[ProgramOption::KeepOriginalCopy] = keepCopy;
  std::string name = path;
  const int16_t result = WriteExifTag(name, edit.slot, edit.tag, context, steps);
  const Bytes after = test::ReadBytes(path);
  if (result == 0) {
    EXPECT_TRUE(after == expected) << "reported as written but not completely written";
  } else {
    EXPECT_EQ(result, 9);
    EXPECT_TRUE(after == Photo()) << "a failed edit changed the photo";
  }
  EXPECT_EQ(FilesIn(scratch.path()), 1u) << "nothing is left beside the photo";
  EXPECT_EQ(FilesIn(temp.GetTempFolder()), 0u) << "the temporary files are gone";
  return result;
}

TEST(TextTagWriterFaults, AFailedStepLeavesThePhotoAsItWas) {
  const auto fail = [](auto...) { return -1; };
  const RewriteSteps system = RewriteSteps::System();
  const struct {
    const char* name;
    int failAt;
    RewriteSteps steps;
    bool inPlaceUnaffected;  // a step only a new photo takes
  } faults[] = {
      {"first library call", 1, system, true},
      {"second library call", 2, system, true},
      {"a later library call, after its work", 20, system, true},
      {"flush", 0, {fail, system.rename}, true},
      {"rename", 0, {system.sync, fail}, true},
  };
  for (const Edit& edit : {kInPlace, kRewrite}) {
    const bool inPlace = edit.slot == kInPlace.slot;
    const Bytes expected = Expected(edit);
    ASSERT_EQ(expected.size() == Photo().size(), inPlace) << edit.name;
    for (const bool keepCopy : {false, true}) {
      for (const auto& fault : faults) {
        SCOPED_TRACE(std::string(edit.name) + ", " + fault.name + (keepCopy ? ", with a safety copy" : ""));
        FaultyLibrary fileOps;
        fileOps.failAt = fault.failAt;
        const int16_t result = RunAndCheck(edit, fileOps, keepCopy, fault.steps, expected);
        EXPECT_EQ(result == 0, inPlace && fault.inPlaceUnaffected);
        if (fault.failAt > 0 && !inPlace) {
          EXPECT_EQ(fileOps.calls, fault.failAt) << "no call after a failure";
        }
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
    bool libraryCalled;
  } cases[] = {
      {"new photo beside it", kRewrite, false, SegmentSize(Expected(kRewrite)) + 50, true},
      {"safety copy", kInPlace, true, SegmentSize(Photo()) + 50, false},
      {"write over the segment", kInPlace, false, InsideTheChange(Photo(), Expected(kInPlace)), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes expected = Expected(c.edit);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int16_t result = -1;
      {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{c.limit, c.limit};
        FaultyLibrary fileOps;
        result = RunAndCheck(c.edit, fileOps, c.keepCopy, RewriteSteps::System(), expected,
                             [&] { ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0); });
        EXPECT_EQ(fileOps.calls > 0, c.libraryCalled);
      }
      _exit(testing::Test::HasFailure() ? 100 : result);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 9) << "100 = a check failed in the child";
  }
}

TEST(TextTagWriterFaults, ALongCopyMovesTheProgressBarWithinTheFileRange) {
  FaultyLibrary fileOps;
  test::ScriptedUi ui;
  test::ScratchFolder scratch;
  const std::string path = scratch.File("photo.jpg");
  test::WriteBytes(path, Photo());
  TempFolder temp;
  EngineContext context{fileOps, temp, {}, &ui, {40, 60}};
  std::string name = path;
  ASSERT_EQ(WriteExifTag(name, kRewrite.slot, kRewrite.tag, context), 0);
  ASSERT_GT(ui.progress.size(), 10u);
  EXPECT_TRUE(std::is_sorted(ui.progress.begin(), ui.progress.end()));
  EXPECT_GE(ui.progress.front(), 40);
  EXPECT_LE(ui.progress.back(), 60);
  EXPECT_EQ(ui.pumps, static_cast<int>(ui.progress.size()));
}

}  // namespace
}  // namespace kelvane
