// SPDX-License-Identifier: GPL-2.0-or-later
#include "chunked_copy.h"

#include <fcntl.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "file_handle.h"

namespace qmrfio {
namespace {

constexpr int64_t kBufferSize = 1 << 20;

struct CopyTargets {
  int source = -1;
  int donor = -1;
  int output = -1;  // the source itself in place
};

// Copies output positions [from, to) of one block, which starts at output
// position blockStart, through buffer.
int32_t CopyRange(const BuildPlan& plan, const Block& block, int64_t blockStart, int64_t from, int64_t to,
                  const CopyTargets& files, uint8_t* buffer, int64_t bufferSize) {
  const int in = block.file == BlockFile::kSource ? files.source : files.donor;
  for (int64_t at = from; at < to;) {
    const int64_t count = std::min(to - at, bufferSize);
    const auto length = static_cast<size_t>(count);
    if (!ReadExactly(in, block.offset + (at - blockStart), buffer, length)) return block.failure;
    if (plan.inPlace) {
      if (!WriteAllAt(files.output, plan.writeAt + at, buffer, length)) return kInPlaceWriteFailed;
    } else if (!WriteAll(files.output, buffer, length)) {
      return kOutputWriteFailed;
    }
    at += count;
  }
  return kBuildDone;
}

// The output is the blocks one after the other; position p is its p-th
// byte. Copies positions [resumeAt, stop) and returns stop when it was
// reached (even at the very end, as the position count says), else 0.
int32_t CopyBlocks(const BuildPlan& plan, int64_t resumeAt, int64_t stop, const CopyTargets& files) {
  const int64_t wanted = std::min(stop, plan.OutputLength()) - resumeAt;
  if (wanted <= 0) return kBuildDone;
  const int64_t bufferSize = std::min(wanted, kBufferSize);
  const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(bufferSize));

  int64_t blockStart = 0;
  for (size_t i = 0; i < plan.blockCount; ++i) {
    const Block& block = plan.blocks[i];
    const int64_t blockEnd = blockStart + block.length;
    const int64_t from = std::max(resumeAt, blockStart);
    const int64_t to = std::min(blockEnd, stop);
    if (from < to) {
      const int32_t code = CopyRange(plan, block, blockStart, from, to, files, buffer.get(), bufferSize);
      if (code != kBuildDone) return code;
    }
    if (blockEnd >= stop) return static_cast<int32_t>(stop);
    blockStart = blockEnd;
  }
  return kBuildDone;
}

}  // namespace

int32_t RunBuild(const BuildRequest& request) {
  BuildPlan plan;
  if (const int32_t code = PlanBuild(request, plan); code != kBuildDone) return code;
  const int64_t limit = request.chunkLimit > 0 ? request.chunkLimit : request.defaultChunk;
  const int64_t stop = request.resumeAt + limit;
  // A position handed back must fit the 32-bit result.
  if (request.resumeAt < 0 || (stop < plan.OutputLength() && stop > std::numeric_limits<int32_t>::max())) {
    return kResumeOutOfRange;
  }

  // Inputs first, so that a missing input leaves no new output file behind.
  FileHandle source = FileHandle::Open(request.sourceName, plan.inPlace ? O_RDWR : O_RDONLY);
  if (!source.IsOpen()) return kSourceNotOpened;
  FileHandle donor;
  if (plan.usesDonor) {
    donor = FileHandle::Open(request.donorName, O_RDONLY);
    if (!donor.IsOpen()) return kDonorNotOpened;
  }
  FileHandle output;
  if (!plan.inPlace) {
    output = FileHandle::Open(request.outputName, O_WRONLY | O_CREAT | O_APPEND);
    if (!output.IsOpen()) return kOutputNotOpened;
  }

  CopyTargets files{source.fd(), donor.fd(), plan.inPlace ? source.fd() : output.fd()};
  const int32_t result = CopyBlocks(plan, request.resumeAt, stop, files);
  // A write can still fail when the file is closed.
  FileHandle& written = plan.inPlace ? source : output;
  if (!written.Close() && result >= 0) return plan.inPlace ? kInPlaceWriteFailed : kOutputWriteFailed;
  return result;
}

}  // namespace qmrfio
