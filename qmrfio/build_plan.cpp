// SPDX-License-Identifier: GPL-2.0-or-later
#include "build_plan.h"

#include <algorithm>

namespace qmrfio {
namespace {

void Add(BuildPlan& plan, BlockFile file, int64_t offset, int64_t length, int32_t failure) {
  plan.blocks[plan.blockCount++] = Block{file, offset, std::max<int64_t>(length, 0), failure};
}

// Source [from, sourceLength); empty when from lies at or past the end.
void AddSourceRest(BuildPlan& plan, const BuildRequest& r, int64_t from, int32_t failure) {
  Add(plan, BlockFile::kSource, from, r.sourceLength - from, failure);
}

}  // namespace

int64_t BuildPlan::OutputLength() const {
  int64_t total = 0;
  for (size_t i = 0; i < blockCount; ++i) total += blocks[i].length;
  return total;
}

int32_t PlanBuild(const BuildRequest& r, BuildPlan& plan) {
  plan = BuildPlan{};
  if (r.extendedModes && r.cutLength < 0) {
    if (!r.donorName.empty()) return kExtractWithDonor;
    if (r.insertLength < 1) return kExtractNoLength;
    Add(plan, BlockFile::kSource, r.insertAt, r.insertLength, kExtractFailed);
    return kBuildDone;
  }
  if (r.extendedModes && r.outputName.empty()) {
    if (r.insertAt < 0) return kInPlaceNoInsertAt;
    if (r.insertLength < 1) return kInPlaceNoLength;
    if (r.cutLength > 0) return kInPlaceWithCut;
    plan.inPlace = true;
    plan.usesDonor = true;
    plan.writeAt = r.insertAt;
    Add(plan, BlockFile::kDonor, r.donorOffset, r.insertLength, kInPlaceDonorFailed);
    return kBuildDone;
  }

  const bool cut = r.cutLength > 0;
  plan.usesDonor = !r.donorName.empty();
  if (cut && r.cutAt < 0) return kNegativeCutAt;
  if (plan.usesDonor && r.insertLength < 1) return kDonorWithoutLength;
  const int64_t afterCut = r.cutAt + r.cutLength;
  if (cut && plan.usesDonor) {
    // Replace: the old block [cutAt, cutAt + cutLength) makes way for the
    // donor block, whatever the two lengths.
    if (r.insertAt != r.cutAt) return kReplaceInsertAtNotCutAt;
    Add(plan, BlockFile::kSource, 0, r.cutAt, kCutBeforeFailed);
    Add(plan, BlockFile::kDonor, r.donorOffset, r.insertLength, kReplaceDonorFailed);
    AddSourceRest(plan, r, afterCut, kReplaceAfterFailed);
  } else if (cut) {
    Add(plan, BlockFile::kSource, 0, r.cutAt, kCutBeforeFailed);
    AddSourceRest(plan, r, afterCut, kCutAfterFailed);
  } else if (plan.usesDonor && r.insertAt >= 0) {
    Add(plan, BlockFile::kSource, 0, r.insertAt, kInsertBeforeFailed);
    Add(plan, BlockFile::kDonor, r.donorOffset, r.insertLength, kInsertDonorFailed);
    AddSourceRest(plan, r, r.insertAt, kInsertAfterFailed);
  } else {
    // Append, or with neither cut nor donor a plain copy of the source.
    AddSourceRest(plan, r, 0, kAppendSourceFailed);
    if (plan.usesDonor) Add(plan, BlockFile::kDonor, r.donorOffset, r.insertLength, kAppendDonorFailed);
  }
  return kBuildDone;
}

}  // namespace qmrfio
