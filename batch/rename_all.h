// SPDX-License-Identifier: GPL-2.0-or-later
// Renaming a set of files of one folder as a whole: every file gets its new
// name, or none does.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kelvane {

struct PlannedRename {
  std::string from;  // current name, no folder
  std::string to;    // new name, no folder
};

// Renames from to to; fails rather than replace anything already named to.
using RenameFunction = std::function<bool(const std::string& from, const std::string& to)>;

// The platform's rename that never replaces an existing entry.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

// Renames the files of folder (ending with "/") as planned. A new name may
// be the current name of another file of the plan (chains and swaps):
// those files first move to temporary names in the same folder. When a
// rename fails, every file already renamed is put back under its old name
// and the result is false. Entries whose names are equal are left alone.
bool RenameAllOrNothing(const std::string& folder, const std::vector<PlannedRename>& plan,
                        const RenameFunction& rename);

}  // namespace kelvane
