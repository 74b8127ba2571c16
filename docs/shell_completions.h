// SPDX-License-Identifier: GPL-2.0-or-later
// Bash and zsh completion scripts for kelvane-cli, written from the
// program's table of commands and options: command words first, then the
// command's options and the global ones, file names for PATH and for the
// options that name a file, and the choices of an option whose value name
// lists them ("csv|dbcsv|xlsx|sqlite|json").
#pragma once

#include <span>
#include <string>

#include "cli/command_line.h"

namespace kelvane::docs {

std::string BashCompletion(std::span<const cli::CommandEntry> commands, std::span<const cli::OptionEntry> globals);
std::string ZshCompletion(std::span<const cli::CommandEntry> commands, std::span<const cli::OptionEntry> globals);

}  // namespace kelvane::docs
