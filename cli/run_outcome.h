// What a run came to, read from the boxes the user interface was shown: the
// exit status and the failed files the completion message lists.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/console_ui.h"

namespace kelvane::cli {

// 3 when a confirmation was refused or the run was cancelled; else 0 or 1
// when the run completed (1 with failed files); else 2 (refused, or ended by
// a warning or failure box, or no run at all).
int ExitStatusOf(const std::vector<ShownMessage>& shown);

struct ListedFailure {
  std::string file;
  int code = 0;
  std::string message;
};

struct CompletionFailures {
  std::vector<ListedFailure> listed;  // at most ten, as the message lists them
  size_t notListed = 0;               // the " - and an additional N" tail
};

// The failures of a completion text, lines "<name> as <message>". messageOf
// gives the function's list message of a code; a line's code is the lowest
// one whose message ends the line (codes sharing a message read as the
// first), the longest message winning. Lines without a known message (the
// heading, notes) are not failures.
CompletionFailures FailuresOf(const std::string& completionText, const std::function<std::string(int)>& messageOf);

// The last completion message shown, or nullptr.
const Message* CompletionOf(const std::vector<ShownMessage>& shown);

}  // namespace kelvane::cli
