// SPDX-License-Identifier: GPL-2.0-or-later
// A failure at any write step of a restore or create leaves the photo
// byte-identical to before or completely rewritten, and nothing beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "engine/exif_segment_adder.h"
#include "exif_segment_adder_fixture.h"

namespace kelvane {
namespace {

using test::Bytes;

struct WritePath {
  const char* name;
  SegmentKind kind;
};
constexpr WritePath kWritePaths[] = {{"create", SegmentKind::kCreate}, {"restore", SegmentKind::kRestore}};

class SegmentAdderFaultTest : public test::SegmentAdderTest {
 protected:
  SegmentAdderFaultTest() {
    source_ = Write("source.jpg", test::BuildJpeg(test::BuildTiff(test::SourceLayout(true))));
    before_ = test::TargetJpeg(true, 300, 400, 40000);
  }

  // Checks the outcome of one call that met a fault: the target as it was,
  // nothing beside it.
  void ExpectIntact(AddSegmentOutcome outcome, const std::string& target) {
    EXPECT_EQ(outcome.result, AddSegmentResult::kWriteFailed);
    EXPECT_NE(outcome.osError, 0);
    EXPECT_EQ(test::ReadBytes(target), before_);
    EXPECT_EQ(ScratchNames(), (std::vector<std::string>{"source.jpg", "target.jpg"}));
  }

  std::string source_;
  Bytes before_;
};

TEST_F(SegmentAdderFaultTest, FlushOrRenameFailing) {
  const auto fail = [](auto...) {
    errno = EIO;
    return -1;
  };
  const CommitSteps system = CommitSteps::System();
  const struct {
    const char* name;
    CommitSteps steps;
  } faults[] = {{"flush fails", {system.write, {fail, system.replace.rename}, {}}},
                {"rename fails", {system.write, {system.replace.sync, fail}, {}}}};
  for (const auto& path : kWritePaths) {
    for (const auto& fault : faults) {
      SCOPED_TRACE(std::string(path.name) + ", " + fault.name);
      std::string target = Write("target.jpg", before_);
      ExpectIntact(AddExifSegment(target, path.kind, source_, options_, fault.steps), target);
      EXPECT_EQ(test::StatOf(target).st_mtime, test::kFileTimeSeconds);
    }
  }
}

// Runs the call in a child process whose files may not grow past limit bytes.
int AddWithFileSizeLimit(const std::function<int()>& call, rlim_t limit) {
  const pid_t child = fork();
  if (child == 0) {
    const struct rlimit rl = {limit, limit};
    signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(100);
    _exit(call());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The new photo is cut inside its new head or inside the image data.
TEST_F(SegmentAdderFaultTest, DiskFullingUp) {
  for (const auto& path : kWritePaths) {
    for (const rlim_t limit : {500, 30000}) {
      SCOPED_TRACE(std::string(path.name) + ", limit " + std::to_string(limit));
      const std::string target = Write("target.jpg", before_);
      const int code = AddWithFileSizeLimit(
          [&] {
            std::string name = target;
            const AddSegmentOutcome outcome = AddExifSegment(name, path.kind, source_, options_);
            return outcome.osError == EFBIG ? static_cast<int>(outcome.result) : 100 + outcome.osError;
          },
          limit);
      EXPECT_EQ(code, static_cast<int>(AddSegmentResult::kWriteFailed));
      ExpectIntact({AddSegmentResult::kWriteFailed, EFBIG}, target);
    }
  }
}

}  // namespace
}  // namespace kelvane
