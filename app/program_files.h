// SPDX-License-Identifier: GPL-2.0-or-later
// Where the program finds the files it ships with: the cue sounds, the help
// pages and its icon. Each is looked for beside the program first (a build
// tree or a program unpacked into one folder), then in the install data
// folder share/kelvane.
#pragma once

#include <string>

namespace kelvane {

struct ProgramFiles {
  // Folders end with "/". Where a file is in neither folder, the program's
  // own folder is named, so that its absence is reported from there.
  std::string cueFolder;   // holds all three cue files
  std::string helpFolder;  // holds the help pages
  std::string iconPath;
};

// The install data folder of a program installed in programFolder
// (<prefix>/bin/ gives <prefix>/share/kelvane/).
std::string InstallDataFolder(const std::string& programFolder);

ProgramFiles FindProgramFiles(const std::string& programFolder, const std::string& dataFolder);

}  // namespace kelvane
