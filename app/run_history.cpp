// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/run_history.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "app/function_table.h"
#include "batch/run_details.h"
#include "batch/undo_run.h"

namespace kelvane {

namespace {

std::optional<HistoryRun> ReadRun(const std::string& path) {
  const std::optional<Journal> journal = ReadJournal(path);
  if (!journal) return std::nullopt;
  return HistoryRun{path, journal->header, journal->photos.size(), journal->done.size(), Interrupted(*journal)};
}

// Function, folder, start and the photos changed, one per line.
std::string RunLines(const HistoryRun& run) {
  return "Function: " + FunctionNameOf(run.header.function) + "\rFolder: " + run.header.folder +
         "\rStarted: " + LocalStartText(run.header.started) + "\rPhotos changed: " + std::to_string(run.changed) +
         (run.interrupted ? " of " + std::to_string(run.photos) + " (interrupted before it ended)" : "");
}

}  // namespace

std::optional<HistoryRun> LastRun(const std::string& journalFolder) {
  const std::optional<std::string> path = FindJournal(journalFolder, "");
  return path ? ReadRun(*path) : std::nullopt;
}

std::vector<HistoryRun> InterruptedRuns(const std::string& journalFolder) {
  std::vector<HistoryRun> runs;
  // The names tell which runs were interrupted; only those are read.
  for (const JournalSummary& summary : ListJournals(journalFolder, false)) {
    if (!summary.interrupted) continue;
    const std::optional<Journal> journal = ReadJournal(summary.path);
    if (!journal || !journal->undoneBy.empty()) continue;
    runs.push_back({summary.path, journal->header, journal->photos.size(), journal->done.size(), true});
  }
  return runs;
}

bool UndoableRunWatch::Available() {
  struct stat st {};
  if (folder_.empty() || ::stat(folder_.c_str(), &st) != 0) {
    seen_.reset();
    return available_ = false;
  }
  if (seen_ && seen_->tv_sec == st.st_mtim.tv_sec && seen_->tv_nsec == st.st_mtim.tv_nsec) return available_;
  seen_ = st.st_mtim;
  return available_ = FindJournal(folder_, "").has_value();
}

std::string FunctionNameOf(const std::string& word) {
  for (int i = 0; i < kFunctionCount; ++i) {
    if (word == FunctionWord(static_cast<ProgramFunction>(i))) return TextsOfFunction(i).runText;
  }
  return word == "undo" ? "Undo" : word;
}

std::string LocalStartText(const std::string& started) {
  std::tm utc{};
  if (std::sscanf(started.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday, &utc.tm_hour,
                  &utc.tm_min, &utc.tm_sec) != 6) {
    return started;
  }
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  const time_t time = ::timegm(&utc);
  std::tm local{};
  char text[32];
  if (time == static_cast<time_t>(-1) || ::localtime_r(&time, &local) == nullptr ||
      std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) {
    return started;
  }
  return text;
}

Message UndoConfirmation(const HistoryRun& run) {
  return {"Undo Last Run",
          "Undo this run?\r\r" + RunLines(run) +
              "\r\rEvery photo it changed is put back as it was, with its name and file times. A photo changed "
              "since the run is left as it is and listed.",
          MessageIcon::kQuestion, MessageButtons::kYesNo, 0};
}

Message NoRunToUndoMessage() {
  return {"Undo Last Run", "There is no run to undo.", MessageIcon::kInformation, MessageButtons::kOk, 0};
}

Message InterruptedRunQuestion(const HistoryRun& run) {
  return {"Interrupted Run",
          "A run was interrupted before it ended:\r\r" + RunLines(run) +
              "\r\rUndo it now? No leaves it for later: 'kelvane-cli history' lists it and 'kelvane-cli undo " +
              run.header.id + "' takes it back.",
          MessageIcon::kQuestion, MessageButtons::kYesNo, 0};
}

}  // namespace kelvane
