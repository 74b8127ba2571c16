// SPDX-License-Identifier: GPL-2.0-or-later
// The one JSON object --json prints at the end of a run.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "batch/run_report.h"
#include "cli/console_ui.h"

namespace kelvane::cli {

struct RunSummary {
  std::string command;  // the command's word
  std::string path;
  std::vector<std::string> paths;
  size_t total = 0;
  size_t processed = 0;
  RunFailures failures;  // every failed file of a completed run
  std::vector<ShownMessage> messages;
  std::vector<std::string> notices;  // lines about the run (a wait, temporary files removed)
  size_t removedTemporaries = 0;
  std::vector<std::string> skipped;  // files passed over as no photos
  std::vector<std::string> written;  // export: the files written ("-": standard output)
  // A dry run: what it would change.
  std::optional<nlohmann::ordered_json> plan;
  int exitStatus = 0;
};

// {command, path, total, processed, failures [{file, code, message, errno
// (when the system gave a reason)}], failuresNotListed, messages [{title,
// icon, text, answer (questions only)}], notices, removedTemporaryFiles,
// skipped, skippedFiles, written (export only), exitStatus}; a dry run adds dryRun: true and plan: [{photo, changes:
// [{field, now, after}]}] after path. Texts have their carriage returns as line feeds.
nlohmann::ordered_json ReportJson(const RunSummary& summary);

// The object on one line; bytes that are not UTF-8 (file names) become U+FFFD.
std::string JsonText(const nlohmann::ordered_json& object);

const char* IconName(MessageIcon icon);
const char* AnswerName(MessageAnswer answer);

}  // namespace kelvane::cli
