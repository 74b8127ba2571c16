// SPDX-License-Identifier: GPL-2.0-or-later
// What the PATHs of a command line make: the folder runs and single-photo
// runs that together are one command's run.
#pragma once

#include <string>
#include <vector>

namespace kelvane::cli {

struct RunUnit {
  // A folder or one photo, as the desktop program's folder box would hold it.
  std::string path;
  // A folder run over these files of the folder only (files named one by
  // one, as shell globs give them); empty: every file of the folder.
  std::vector<std::string> onlyFiles;
};

// In the order the PATHs come: each folder (with recursive, then each folder
// below it, in name order, symbolic links not followed), and the files named,
// one run per folder that holds them at the place of its first file; a
// folder with one file named runs on that photo alone (single-photo mode). A
// path that is neither is a folder run, which says it does not exist.
std::vector<RunUnit> RunUnitsOf(const std::vector<std::string>& paths, bool recursive);

}  // namespace kelvane::cli
