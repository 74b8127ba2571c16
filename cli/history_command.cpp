// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/history_command.h"

#include <iomanip>

#include "batch/run_command.h"
#include "batch/undo_run.h"
#include "cli/console_plan.h"
#include "cli/console_ui.h"
#include "cli/exit_status.h"
#include "cli/interrupt_watch.h"
#include "cli/json_report.h"
#include "cli/run_outcome.h"
#include "engine/run_journal.h"

namespace kelvane::cli {
namespace {

std::string StateOf(const JournalSummary& run) {
  if (!run.undoneBy.empty()) return "undone by " + run.undoneBy;
  if (run.interrupted) return "interrupted";
  return run.complete ? "complete" : "in progress";
}

}  // namespace

int ShowHistory(bool json, std::ostream& out) {
  const std::vector<JournalSummary> runs = ListJournals(DefaultJournalFolder(), true);
  if (json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const JournalSummary& run : runs) {
      list.push_back({{"run", run.header.id},
                      {"started", run.header.started},
                      {"function", run.header.function},
                      {"folder", run.header.folder},
                      {"details", run.header.details},
                      {"undoes", run.header.undoes},
                      {"photosChanged", run.changed},
                      {"state", StateOf(run)}});
    }
    out << JsonText(list) << "\n";
    return kExitSuccess;
  }
  if (runs.empty()) {
    out << "No runs in the history.\n";
    return kExitSuccess;
  }
  // One line per run; the folder and the state, of any length, come last.
  out << std::left << std::setw(32) << "RUN" << std::setw(12) << "FUNCTION" << std::setw(8) << "PHOTOS"
      << "FOLDER - STATE (DETAILS)\n";
  for (const JournalSummary& run : runs) {
    out << std::setw(32) << run.header.id << std::setw(12) << run.header.function << std::setw(8) << run.changed
        << run.header.folder << " - " << StateOf(run)
        << (run.header.details.empty() ? "" : " (" + run.header.details + ")") << "\n";
  }
  return kExitSuccess;
}

int UndoCommand(const CommandLine& line, ConsoleSession& session, const ConsoleStreams& streams) {
  const auto journal = FindJournal(DefaultJournalFolder(), line.path);
  if (!journal) {
    streams.err << "kelvane-cli: "
                << (line.path.empty() ? "there is no run to undo" : "no run '" + line.path + "' in the history")
                << " (see 'kelvane-cli history')\n";
    return kExitRefused;
  }
  ConsoleOptions options;
  options.yes = line.global.yes || line.global.dryRun;
  options.interactive = streams.inIsTerminal;
  options.json = line.global.json;
  options.quiet = line.global.quiet;
  options.progress = streams.errIsTerminal;
  options.dryRun = line.global.dryRun;

  InterruptWatch interrupts;
  ConsoleUi console(options, streams.in, streams.out, streams.err,
                    [&interrupts] { return interrupts.Interrupted(); });
  RunUi ui(console, console);
  RunState state;
  ExportOptions exportOptions;
  BatchContext context{state, session.settings, session.store, ui, session.fileOps, session.library, exportOptions};
  RunFailures failures;
  context.failures = &failures;
  ConsolePlan plan(streams.out, !line.global.json);
  if (line.global.dryRun) {
    context.safety.dryRun = true;
    context.safety.plan = &plan;
  } else {
    context.safety.journalFolder = DefaultJournalFolder();
  }
  RunUndo(context, *journal, line.Has("--force"));

  const int status = ExitStatusOf(console.Shown());
  if (line.global.dryRun && !line.global.json) plan.PrintEnd(failures);
  if (line.global.json) {
    RunSummary summary;
    summary.command = "undo";
    summary.path = *journal;
    summary.total = console.TotalFiles();
    summary.processed = console.FilesProcessed();
    summary.failures = std::move(failures);
    summary.messages = console.Shown();
    summary.notices = console.Notices();
    if (line.global.dryRun) summary.plan = plan.Json();
    summary.exitStatus = status;
    streams.out << JsonText(ReportJson(summary)) << "\n" << std::flush;
  }
  return status;
}

void TendJournals(const Settings& settings, bool prune, std::ostream& err) {
  const std::string folder = DefaultJournalFolder();
  if (folder.empty()) return;
  if (prune) PruneJournals(folder, settings.JournalDays, int64_t{settings.JournalMegabytes} << 20);
  for (const JournalSummary& run : ListJournals(folder, false)) {
    if (!run.interrupted) continue;
    err << "kelvane-cli: the run " << run.header.id
        << " was interrupted before it ended; 'kelvane-cli undo " << run.header.id << "' takes it back\n";
  }
}

}  // namespace kelvane::cli
