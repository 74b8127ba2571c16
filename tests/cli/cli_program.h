// SPDX-License-Identifier: GPL-2.0-or-later
// Runs the built kelvane-cli as a child process, as scripts do: standard
// input from a file (not a terminal), a settings file and a journal folder of
// the test's own.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kelvane::test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

class CliProgram {
  ScratchFolder scratch_;

 public:
  // Every run reads its settings from a file in the scratch folder, empty
  // unless a test writes it.
  std::string settings = scratch_.File("qmre0118.ini");

  CliProgram() { WriteBytes(settings, {}); }

  CliRun Run(const std::vector<std::string>& args, const std::string& input = {}) const {
    // The run journals go to the scratch folder too.
    std::string command = "XDG_STATE_HOME=" + ShellQuote(scratch_.File("state")) + " " +
                          ShellQuote(KELVANE_CLI_PROGRAM) + " --settings " + ShellQuote(settings);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    const std::string in = scratch_.File("stdin");
    const std::string out = scratch_.File("stdout");
    const std::string err = scratch_.File("stderr");
    WriteBytes(in, Bytes(input.begin(), input.end()));
    command += " <" + ShellQuote(in) + " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const Bytes outBytes = ReadBytes(out);
    const Bytes errBytes = ReadBytes(err);
    run.out.assign(outBytes.begin(), outBytes.end());
    run.err.assign(errBytes.begin(), errBytes.end());
    return run;
  }
};

}  // namespace kelvane::test
