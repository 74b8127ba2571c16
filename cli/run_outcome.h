// SPDX-License-Identifier: GPL-2.0-or-later
// What a run came to, read from the boxes the user interface was shown.
#pragma once

#include <vector>

#include "cli/console_ui.h"

namespace kelvane::cli {

// 3 when a confirmation was refused or the run was cancelled; else 0 or 1
// when the run completed (1 with failed files); else 2 (refused, or ended by
// a warning or failure box, or no run at all).
int ExitStatusOf(const std::vector<ShownMessage>& shown);

// The last completion message shown, or nullptr.
const Message* CompletionOf(const std::vector<ShownMessage>& shown);

}  // namespace kelvane::cli
