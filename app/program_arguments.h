// SPDX-License-Identifier: GPL-2.0-or-later
// kelvane's own command line, after Qt has taken its options:
//   kelvane [FOLDER|PHOTO]
//   kelvane --help | -h | --version
#pragma once

#include <span>
#include <string>

namespace kelvane {

struct ProgramArguments {
  bool help = false;
  bool version = false;
  std::string path;   // the folder or photo to choose; empty when none
  std::string error;  // not empty: a usage error, the first one met
};

// Reads every argument, so that --help and --version are seen even past an
// argument that is an error; "--" ends the options.
ProgramArguments ReadProgramArguments(std::span<const std::string> args);

std::string ProgramUsage();

}  // namespace kelvane
