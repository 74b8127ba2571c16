// SPDX-License-Identifier: GPL-2.0-or-later
// Drives a file operations library build that works in chunks.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/engine_context.h"

namespace kelvane {

// Calls build(resumeAt) from 0, again with each position it hands back,
// until it reports 0 (done). Between calls the progress bar moves within
// the context's file range (done / total) and pending events run. False on
// an error result, or a position that does not move on or passes total.
bool RunChunkedBuild(const std::function<int32_t(int32_t resumeAt)>& build, int64_t total, EngineContext& context);

}  // namespace kelvane
