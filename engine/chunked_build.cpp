// SPDX-License-Identifier: GPL-2.0-or-later
#include "chunked_build.h"

namespace kelvane {

bool RunChunkedBuild(const std::function<int32_t(int32_t resumeAt)>& build, int64_t total, EngineContext& context) {
  int32_t resumeAt = 0;
  for (;;) {
    const int32_t result = build(resumeAt);
    if (result == 0) return true;
    // A position that stands still would loop for ever.
    if (result < 0 || result <= resumeAt || result > total) return false;
    resumeAt = result;
    if (context.ui != nullptr) {
      const FileProgressRange& range = context.progress;
      const int64_t span = range.last - range.first;
      context.ui->SetProgress(range.first + static_cast<int>(span * resumeAt / total));
      context.ui->PumpEvents();
    }
  }
}

}  // namespace kelvane
