// SPDX-License-Identifier: GPL-2.0-or-later
// Build step: writes kelvane-cli's manual page and its bash and zsh
// completion scripts from the program's command table.
//   generate_cli_docs MANUAL_PAGE BASH_COMPLETION ZSH_COMPLETION
#include <cstdio>
#include <fstream>
#include <string>

#include "cli/command_line.h"
#include "docs/cli_manual_page.h"
#include "docs/shell_completions.h"
#include "kelvane_version.h"

namespace {

bool WriteText(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (out) return true;
  std::fprintf(stderr, "generate_cli_docs: could not write %s\n", path);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: generate_cli_docs MANUAL_PAGE BASH_COMPLETION ZSH_COMPLETION\n");
    return 2;
  }
  using namespace kelvane;
  const auto commands = cli::Commands();
  const auto globals = cli::GlobalOptionEntries();
  const bool written = WriteText(argv[1], docs::CliManualPage(commands, globals, kKelvaneVersion)) &&
                       WriteText(argv[2], docs::BashCompletion(commands, globals)) &&
                       WriteText(argv[3], docs::ZshCompletion(commands, globals));
  return written ? 0 : 1;
}
