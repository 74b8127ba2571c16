// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/batch_command.h"

#include <utility>

#include "batch/amend_operation.h"
#include "batch/engine_amend_operations.h"
#include "batch/engine_prefix_operations.h"
#include "batch/engine_time_operations.h"
#include "batch/filename_prefix.h"
#include "batch/run_command.h"
#include "batch/time_corrections.h"
#include "cli/console_plan.h"
#include "cli/console_ui.h"
#include "cli/exit_status.h"
#include "cli/interrupt_watch.h"
#include "cli/json_report.h"
#include "cli/run_outcome.h"
#include "engine/run_journal.h"

namespace kelvane::cli {

int RunBatchCommand(const CommandLine& line, RunRequest& request, ConsoleSession& session,
                    const ConsoleStreams& streams) {
  ConsoleOptions options;
  options.yes = line.global.yes;
  options.interactive = streams.inIsTerminal;
  options.json = line.global.json;
  options.quiet = line.global.quiet;
  options.progress = streams.errIsTerminal;
  // A dry run writes nothing, so its questions are answered as a run that
  // goes ahead would have them answered.
  options.dryRun = line.global.dryRun;
  if (options.dryRun) options.yes = true;

  InterruptWatch interrupts;
  ConsoleUi console(options, streams.in, streams.out, streams.err,
                    [&interrupts] { return interrupts.Interrupted(); });
  RunUi ui(console, console);
  BatchContext context{request.state,   session.settings, session.store,        ui,
                       session.fileOps, session.library,  request.exportOptions};
  RunFailures failures;
  context.failures = &failures;
  ConsolePlan plan(streams.out, !line.global.json);
  if (line.global.dryRun) {
    context.safety.dryRun = true;
    context.safety.plan = &plan;
  } else if (!line.global.noJournal) {
    context.safety.journalFolder = DefaultJournalFolder();
  }
  EngineTimeOperations timeOperations(context, request.inputs);
  EnginePrefixOperations prefixOperations(context, request.inputs);
  EngineAmendOperations amendOperations(context, request.inputs);
  FunctionRunners runners;
  runners.timeCorrections = [&] { RunTimeCorrections(context, request.inputs, timeOperations); };
  runners.filenamePrefix = [&] { RunFilenamePrefix(context, request.inputs, prefixOperations); };
  runners.amendOperation = [&] { RunAmendOperation(context, request.inputs, amendOperations); };
  RunBtn_Click(context, runners);

  const int status = ExitStatusOf(console.Shown());
  if (line.global.dryRun && !line.global.json) plan.PrintEnd(failures);
  if (line.global.json) {
    RunSummary summary;
    summary.command = EntryOf(*line.command).word;
    summary.path = line.path;
    summary.total = console.TotalFiles();
    // The prefix function renames all files or none and counts none: a clean
    // run processed them all.
    summary.processed =
        console.FilesProcessed() == 0 && status == kExitSuccess ? console.TotalFiles() : console.FilesProcessed();
    summary.failures = std::move(failures);
    summary.messages = console.Shown();
    summary.notices = console.Notices();
    summary.removedTemporaries = context.removedTemporaries;
    if (line.global.dryRun) summary.plan = plan.Json();
    summary.exitStatus = status;
    streams.out << JsonText(ReportJson(summary)) << "\n" << std::flush;
  }
  return status;
}

}  // namespace kelvane::cli
