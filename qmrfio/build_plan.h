// SPDX-License-Identifier: GPL-2.0-or-later
// Turns the arguments of insert2 / insert into the list of byte blocks the
// output is made of.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qmrfio {

// Results of insert2 and insert (0 = finished, above 0 = resume position).
enum BuildCode : int32_t {
  kBuildDone = 0,
  kNegativeCutAt = -1,
  kSourceNotOpened = -2,
  kOutputNotOpened = -3,
  kDonorNotOpened = -4,
  kDonorWithoutLength = -5,
  // A block could not be read where it should be (negative offset, file
  // shorter than the block, read error); one code per step.
  kCutBeforeFailed = -6,      // cut only, replace: source before the cut
  kCutAfterFailed = -7,       // cut only: source after the cut
  kInsertBeforeFailed = -8,   // insert only: source before the insert point
  kInsertDonorFailed = -9,    // insert only: donor block
  kInsertAfterFailed = -10,   // insert only: source from the insert point
  kAppendSourceFailed = -11,  // append, plain copy: the whole source
  kAppendDonorFailed = -12,   // append: donor block
  kExtractFailed = -13,       // extract: the source block
  kInPlaceNoInsertAt = -14,
  kInPlaceNoLength = -15,
  kInPlaceWithCut = -16,
  kInPlaceDonorFailed = -17,  // in place: donor block
  kInPlaceWriteFailed = -18,  // in place: writing over the source
  kExtractNoLength = -19,
  kExtractWithDonor = -20,
  kReplaceDonorFailed = -21,  // replace: donor block
  kReplaceAfterFailed = -22,  // replace: source after the old block
  kOutputWriteFailed = -23,
  kReplaceInsertAtNotCutAt = -24,
  kResumeOutOfRange = -25,
  kBuildFailed = -26,  // no memory for the copy buffer
};

// The bytes copied per chunk when the caller gives no limit.
inline constexpr int64_t kDefaultChunkLimit = 1'000'000;

struct BuildRequest {
  int64_t resumeAt = 0;
  int64_t chunkLimit = 0;
  int64_t sourceLength = 0;
  int64_t cutAt = 0;
  int64_t cutLength = 0;
  int64_t insertAt = 0;
  int64_t donorOffset = 0;
  int64_t insertLength = 0;
  std::string_view sourceName;
  std::string_view donorName;
  std::string_view outputName;
  // insert2 offers the extract and in-place modes; insert does not.
  bool extendedModes = true;
  // The chunk limit when chunkLimit is 0 or less.
  int64_t defaultChunk = kDefaultChunkLimit;
};

enum class BlockFile { kSource, kDonor };

// length bytes of a file from offset; failure is the step's error code.
struct Block {
  BlockFile file = BlockFile::kSource;
  int64_t offset = 0;
  int64_t length = 0;
  int32_t failure = 0;
};

struct BuildPlan {
  std::array<Block, 3> blocks{};
  size_t blockCount = 0;
  bool usesDonor = false;
  // In place: output position p is written to source offset writeAt + p.
  bool inPlace = false;
  int64_t writeAt = 0;

  int64_t OutputLength() const;
};

// Checks the arguments and fills plan; returns 0 or the error code.
int32_t PlanBuild(const BuildRequest& request, BuildPlan& plan);

}  // namespace qmrfio
