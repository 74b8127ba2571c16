// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/batch_command.h"

#include <utility>

#include "batch/amend_operation.h"
#include "batch/engine_amend_operations.h"
#include "batch/engine_prefix_operations.h"
#include "batch/engine_time_operations.h"
#include "batch/filename_prefix.h"
#include "batch/run_command.h"
#include "batch/run_framing.h"
#include "batch/time_corrections.h"
#include "cli/console_plan.h"
#include "cli/console_ui.h"
#include "cli/exit_status.h"
#include "cli/interrupt_watch.h"
#include "cli/json_report.h"
#include "cli/run_outcome.h"
#include "cli/run_units.h"
#include "engine/run_journal.h"
#include "engine/utility_functions.h"

namespace kelvane::cli {
namespace {

// What one folder's or photo's run came to.
struct UnitResult {
  int status = kExitSuccess;
  size_t total = 0;
  size_t processed = 0;
  RunFailures failures;
  std::vector<ShownMessage> messages;
  std::vector<std::string> notices;
  size_t removedTemporaries = 0;
  std::vector<std::string> skipped;
  std::vector<std::string> exported;  // the files an export wrote
};

UnitResult RunOneUnit(const CommandLine& line, const RunUnit& unit, ConsoleSession& session,
                   const ConsoleStreams& streams, const ConsoleOptions& options, InterruptWatch& interrupts,
                   ConsolePlan& plan) {
  RunRequest request = BuildRunRequest(line, unit.path).request;
  request.inputs.onlyFiles = unit.onlyFiles;
  request.state.SkipNonPhotos = !line.global.allFiles;

  ConsoleUi console(options, streams.in, streams.out, streams.err,
                    [&interrupts] { return interrupts.Interrupted(); });
  RunUi ui(console, console);
  BatchContext context{request.state,   session.settings, session.store,        ui,
                       session.fileOps, session.library,  request.exportOptions};
  UnitResult result;
  context.failures = &result.failures;
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

  result.status = ExitStatusOf(console.Shown());
  result.total = console.TotalFiles();
  // The prefix function renames all files or none and counts none: a clean
  // run processed them all.
  result.processed =
      console.FilesProcessed() == 0 && result.status == kExitSuccess ? console.TotalFiles() : console.FilesProcessed();
  result.messages = console.Shown();
  result.notices = console.Notices();
  result.removedTemporaries = context.removedTemporaries;
  result.skipped = std::move(context.skippedFiles);
  result.exported = amendOperations.ExportedFiles();
  return result;
}

// 3 over 2 over 1 over 0.
int Worse(int a, int b) {
  const auto rank = [](int status) { return status == kExitCancelled ? 3 : status == kExitRefused ? 2 : status; };
  return rank(a) >= rank(b) ? a : b;
}

// Where a file of a unit is, as the report of several units names it.
std::string PlaceOf(const RunUnit& unit, const std::string& name) {
  if (!unit.onlyFiles.empty() || FileExists(unit.path)) return FolderOf(unit.path) + name;
  return FolderText(unit.path) + name;
}

}  // namespace

int RunBatchCommand(const CommandLine& line, ConsoleSession& session, const ConsoleStreams& given) {
  // An export to standard output keeps standard output for its data: every
  // message, and the --json report, goes to standard error.
  const bool dataOnOutput = line.command == CommandName::Export && line.Value("--to") == "-";
  const ConsoleStreams streams{given.in, dataOnOutput ? given.err : given.out, given.err, given.inIsTerminal,
                               given.errIsTerminal};
  const std::vector<RunUnit> units = RunUnitsOf(line.paths, line.global.recursive);
  const bool several = units.size() > 1;
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
  // Several folders make one run: its one completion message comes at the end.
  options.deferCompletion = several;

  InterruptWatch interrupts;
  ConsolePlan plan(streams.out, !line.global.json);
  RunSummary summary;
  summary.command = EntryOf(*line.command).word;
  summary.path = line.path;
  summary.paths = line.paths;
  RunReport report;
  int status = kExitSuccess;
  bool completed = false;
  size_t order = 0;
  for (const RunUnit& unit : units) {
    UnitResult result = RunOneUnit(line, unit, session, streams, options, interrupts, plan);
    status = Worse(status, result.status);
    summary.total += result.total;
    summary.processed += result.processed;
    summary.notices.insert(summary.notices.end(), result.notices.begin(), result.notices.end());
    summary.removedTemporaries += result.removedTemporaries;
    summary.skipped.insert(summary.skipped.end(), result.skipped.begin(), result.skipped.end());
    summary.written.insert(summary.written.end(), result.exported.begin(), result.exported.end());
    for (ReportedFailure& failure : result.failures.files) {
      if (several) failure.fileName = PlaceOf(unit, failure.fileName);
      summary.failures.files.push_back(failure);
      report.AddReported(failure.fileName, failure.message, order++);
    }
    summary.failures.notListed += result.failures.notListed;
    report.AddCounted(result.failures.notListed);
    completed = completed || CompletionOf(result.messages) != nullptr;
    summary.messages.insert(summary.messages.end(), result.messages.begin(), result.messages.end());
    if (result.status == kExitCancelled) break;
  }
  if (several && completed && status != kExitCancelled) {
    const Message message = CompletionMessage(report.CompletionText(kFailuresHeading));
    summary.messages.push_back({message, MessageAnswer::kOk});
    if (!line.global.json && !line.global.dryRun && !(line.global.quiet && report.Empty())) {
      streams.out << MessageForConsole(message) << std::flush;
    }
  }
  if (!line.global.json) {
    if (line.global.dryRun) plan.PrintEnd(summary.failures);
    if (!summary.skipped.empty() && !line.global.quiet) {
      streams.err << "kelvane-cli: passed over " << summary.skipped.size()
                  << " file(s) that are no JPEG photos (--all-files takes them in"
                  << (line.global.verbose ? "):\n" : "; --verbose lists them)\n");
      if (line.global.verbose) {
        for (const std::string& file : summary.skipped) streams.err << "  " << file << "\n";
      }
      streams.err << std::flush;
    }
  }
  if (line.global.json) {
    if (line.global.dryRun) summary.plan = plan.Json();
    summary.exitStatus = status;
    streams.out << JsonText(ReportJson(summary)) << "\n" << std::flush;
  }
  return status;
}

}  // namespace kelvane::cli
