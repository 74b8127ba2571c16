// SPDX-License-Identifier: GPL-2.0-or-later
// The exit statuses of kelvane-cli; outside scripts rely on these numbers.
#pragma once

namespace kelvane::cli {

inline constexpr int kExitSuccess = 0;      // every file succeeded
inline constexpr int kExitFailedFiles = 1;  // the run completed with failed files
inline constexpr int kExitRefused = 2;      // refused, or ended by a warning or failure box
inline constexpr int kExitCancelled = 3;    // cancelled, or a confirmation refused
inline constexpr int kExitUsage = 64;       // the command line can't be used

}  // namespace kelvane::cli
