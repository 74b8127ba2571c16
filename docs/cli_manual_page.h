// SPDX-License-Identifier: GPL-2.0-or-later
// kelvane-cli(1), written in the man macro language from the program's
// table of commands and options, so that the page lists exactly what the
// program accepts.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/command_line.h"

namespace kelvane::docs {

std::string CliManualPage(std::span<const cli::CommandEntry> commands, std::span<const cli::OptionEntry> globals,
                          std::string_view version);

// Text made safe for a roff line: backslashes and hyphens escaped, and a
// line that would start with a control character guarded.
std::string RoffText(std::string_view text);

}  // namespace kelvane::docs
