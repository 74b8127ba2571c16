// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/run_outcome.h"

#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "cli/exit_status.h"

namespace kelvane::cli {

namespace {

bool IsCompletion(const Message& message) { return message.title == CompletionMessage("").title; }

}  // namespace

int ExitStatusOf(const std::vector<ShownMessage>& shown) {
  for (const ShownMessage& box : shown) {
    if (IsRefusal(box) || box.message.title == UserCancellationMessage().title) return kExitCancelled;
  }
  if (const Message* completion = CompletionOf(shown)) {
    return completion->text.rfind(kAllFilesProcessed, 0) == 0 ? kExitSuccess : kExitFailedFiles;
  }
  // No completion: the run was refused or ended by a warning or failure box.
  return kExitRefused;
}

const Message* CompletionOf(const std::vector<ShownMessage>& shown) {
  for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
    if (IsCompletion(it->message)) return &it->message;
  }
  return nullptr;
}

}  // namespace kelvane::cli
