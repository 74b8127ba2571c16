// SPDX-License-Identifier: GPL-2.0-or-later
// A failure at any write step of a restore or create leaves the photo
// byte-identical to before or completely rewritten, and nothing beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/exif_segment_adder.h"
#include "exif_segment_adder_fixture.h"

namespace kelvane {
namespace {

using test::Bytes;

struct WritePath {
  const char* name;
  ProgramFunction function;
};
constexpr WritePath kWritePaths[] = {{"create", ProgramFunction::CreateMetadata},
                                     {"restore", ProgramFunction::RestoreMetadata}};

class SegmentAdderFaultTest : public test::SegmentAdderTest {
 protected:
  SegmentAdderFaultTest() {
    source_ = Write("source.jpg", test::BuildJpeg(test::BuildTiff(test::SourceLayout(true))));
    before_ = test::TargetJpeg(true, 300, 400, 40000);
  }

  // The target as a successful call leaves it.
  Bytes Rewritten(ProgramFunction function) {
    const std::string target = Write("reference.jpg", before_);
    EXPECT_EQ(Add(target, Request(function, source_)), add_segment_code::kOk);
    Bytes bytes = test::ReadBytes(target);
    std::filesystem::remove(target);
    return bytes;
  }

  // Checks the outcome of one call that met a fault.
  void ExpectIntactOrRewritten(int16_t code, const std::string& target, const Bytes& rewritten) {
    if (code == add_segment_code::kOk) {
      EXPECT_EQ(test::ReadBytes(target), rewritten);
    } else {
      EXPECT_TRUE(code == add_segment_code::kNotPossible || code == add_segment_code::kNotReplaced) << code;
      EXPECT_EQ(test::ReadBytes(target), before_);
    }
    EXPECT_EQ(ScratchNames(), (std::vector<std::string>{"source.jpg", "target.jpg"}));
    EXPECT_EQ(TemporaryFileCount(), 0u);
  }

  std::string source_;
  Bytes before_;
};

TEST_F(SegmentAdderFaultTest, LibraryFailingAtAnyCall) {
  for (const auto& path : kWritePaths) {
    const Bytes rewritten = Rewritten(path.function);
    for (int32_t failWith : {-23, -9, 0}) {  // write failed, donor unreadable, "done" too early
      for (int n = 1;; ++n) {
        SCOPED_TRACE(std::string(path.name) + ", result " + std::to_string(failWith) + " at call " + std::to_string(n));
        const std::string target = Write("target.jpg", before_);
        test::ScriptedLibrary library;
        library.chunk = 8192;
        library.failAt = n;
        library.failWith = failWith;
        const int16_t code = Add(target, Request(path.function, source_), library);
        ExpectIntactOrRewritten(code, target, rewritten);
        if (library.calls < n) break;  // the fault was never met
        if (failWith != 0) {
          EXPECT_NE(code, add_segment_code::kOk);
        }
      }
    }
  }
}

TEST_F(SegmentAdderFaultTest, FlushOrRenameFailing) {
  const auto fail = [](auto...) { return -1; };
  const RewriteSteps system = RewriteSteps::System();
  const struct {
    const char* name;
    RewriteSteps steps;
  } faults[] = {{"flush fails", {fail, system.rename}}, {"rename fails", {system.sync, fail}}};
  for (const auto& path : kWritePaths) {
    for (const auto& fault : faults) {
      SCOPED_TRACE(std::string(path.name) + ", " + fault.name);
      const std::string target = Write("target.jpg", before_);
      AddSegmentRequest request = Request(path.function, source_);
      request.rewriteSteps = fault.steps;
      const int16_t code = Add(target, request);
      EXPECT_EQ(code, add_segment_code::kNotReplaced);
      ExpectIntactOrRewritten(code, target, {});
    }
  }
  EXPECT_TRUE(timesSetFor_.empty());
}

// Runs the call in a child process whose files may not grow past limit bytes.
int16_t AddWithFileSizeLimit(const std::function<int16_t()>& call, rlim_t limit) {
  const pid_t child = fork();
  if (child == 0) {
    const struct rlimit rl = {limit, limit};
    signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(100);
    _exit(call());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? static_cast<int16_t>(WEXITSTATUS(status)) : -1;
}

TEST_F(SegmentAdderFaultTest, DiskFullingUp) {
  const struct {
    const char* name;
    rlim_t limit;
    int16_t code;
  } limits[] = {{"no room for the segment file", 500, add_segment_code::kNotPossible},
                {"no room for the new photo", 30000, add_segment_code::kNotReplaced}};
  for (const auto& path : kWritePaths) {
    for (const auto& limit : limits) {
      SCOPED_TRACE(std::string(path.name) + ", " + limit.name);
      const std::string target = Write("target.jpg", before_);
      const AddSegmentRequest request = Request(path.function, source_);
      const int16_t code = AddWithFileSizeLimit([&] { return Add(target, request); }, limit.limit);
      EXPECT_EQ(code, limit.code);
      ExpectIntactOrRewritten(code, target, {});
    }
  }
}

}  // namespace
}  // namespace kelvane
