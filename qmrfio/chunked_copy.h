// SPDX-License-Identifier: GPL-2.0-or-later
// Runs insert2 / insert: opens the files and copies the planned blocks from
// the resume position up to the chunk limit.
#pragma once

#include <cstdint>

#include "build_plan.h"

namespace qmrfio {

// 0 = finished, above 0 = the output position to resume at, below 0 = a
// BuildCode error.
int32_t RunBuild(const BuildRequest& request);

}  // namespace qmrfio
