// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/program_arguments.h"

namespace kelvane {

ProgramArguments ReadProgramArguments(std::span<const std::string> args) {
  ProgramArguments read;
  const auto fail = [&read](std::string text) {
    if (read.error.empty()) read.error = std::move(text);
  };
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
      if (arg == "--") {
        optionsEnded = true;
      } else if (arg == "--help" || arg == "-h") {
        read.help = true;
      } else if (arg == "--version") {
        read.version = true;
      } else {
        fail("unknown option '" + arg + "'");
      }
    } else if (arg.empty()) {
      fail("the FOLDER or PHOTO is empty");
    } else if (!read.path.empty()) {
      fail("more than one FOLDER or PHOTO given ('" + arg + "')");
    } else {
      read.path = arg;
    }
  }
  return read;
}

std::string ProgramUsage() {
  return "usage: kelvane [FOLDER|PHOTO]\n"
         "       kelvane --help | --version\n"
         "\n"
         "Opens Kelvane's window. A FOLDER is chosen as the photos folder; a PHOTO is chosen in\n"
         "single-photo mode. Qt's own options (-platform, -style, ...) are accepted too.\n"
         "kelvane-cli runs the same functions from the command line.\n";
}

}  // namespace kelvane
