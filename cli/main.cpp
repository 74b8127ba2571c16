// SPDX-License-Identifier: GPL-2.0-or-later
// kelvane-cli: Kelvane's functions from the command line, through the same
// batch layer, engine and exporters as the desktop program.
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch_command.h"
#include "cli/command_line.h"
#include "cli/console_session.h"
#include "cli/dump_command.h"
#include "cli/exit_status.h"
#include "cli/history_command.h"
#include "cli/run_request.h"
#include "kelvane_version.h"

namespace {

int UsageError(const std::string& text, const kelvane::cli::CommandLine& line) {
  std::cerr << "kelvane-cli: " << text << "\n";
  if (line.command) {
    std::cerr << "Try 'kelvane-cli " << kelvane::cli::EntryOf(*line.command).word << " --help'.\n";
  } else {
    std::cerr << "Try 'kelvane-cli --help'.\n";
  }
  return kelvane::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelvane::cli;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const ParsedCommandLine parsed = ParseCommandLine(args);
  const CommandLine& line = parsed.line;
  if (!parsed.error.empty()) return UsageError(parsed.error, line);
  if (line.version && !line.help) {
    std::cout << "kelvane-cli " << kelvane::kKelvaneVersion << "\n";
    return kExitSuccess;
  }
  if (line.help) {
    std::cout << (line.command ? CommandHelp(*line.command) : ProgramHelp());
    return kExitSuccess;
  }

  if (!line.global.settingsFile.empty()) {
    if (const std::string problem = SettingsFileProblem(line.global.settingsFile); !problem.empty()) {
      return UsageError("--settings " + line.global.settingsFile + ": " + problem, line);
    }
  }

  const CommandName command = *line.command;
  const bool readsOnly = command == CommandName::Dump || command == CommandName::History;
  if (line.global.dryRun && (readsOnly || command == CommandName::Export)) {
    return UsageError("--dry-run does not apply to " + std::string(EntryOf(command).word) + ": it writes no photo",
                      line);
  }
  if (command == CommandName::History) return ShowHistory(line.global.json, std::cout);
  if (command == CommandName::Dump) {
    if (!line.options.empty()) return UsageError("dump takes no options", line);
    ConsoleSession session(line.global.settingsFile);
    int status = kExitSuccess;
    for (const std::string& path : line.paths) {
      status = std::max(status, DumpPhoto(path, session, line.global.json, std::cout, std::cerr));
    }
    return status;
  }

  const ConsoleStreams streams{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1, isatty(STDERR_FILENO) == 1};
  if (command == CommandName::Undo) {
    ConsoleSession session(line.global.settingsFile);
    TendJournals(session.settings, !line.global.dryRun, std::cerr);
    return UndoCommand(line, session, streams);
  }

  // The options are the same for every PATH: checked once, before any run.
  if (const BuiltRequest built = BuildRunRequest(line, line.path); !built.error.empty()) {
    return UsageError(built.error, line);
  }
  ConsoleSession session(line.global.settingsFile);
  if (line.global.noXmp) session.settings.KeepXmpInStep = false;
  TendJournals(session.settings, !line.global.dryRun, std::cerr);
  return RunBatchCommand(line, session, streams);
}
