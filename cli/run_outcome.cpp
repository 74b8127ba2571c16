#include "cli/run_outcome.h"

#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "cli/exit_status.h"
#include "engine/utility_functions.h"

namespace kelvane::cli {

namespace {

// List messages have small codes: the time corrections, prefix and amend
// functions all stay below this.
constexpr int kHighestListCode = 99;
constexpr const char* kNotListedLead = " - and an additional ";

bool IsCompletion(const Message& message) { return message.title == CompletionMessage("").title; }

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines(1);
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

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

CompletionFailures FailuresOf(const std::string& completionText, const std::function<std::string(int)>& messageOf) {
  CompletionFailures failures;
  if (completionText.rfind(kAllFilesProcessed, 0) == 0) return failures;
  std::vector<std::pair<int, std::string>> known;
  for (int code = 1; code <= kHighestListCode; ++code) {
    std::string message = messageOf(code);
    if (!message.empty()) known.emplace_back(code, " as " + std::move(message));
  }
  for (const std::string& line : LinesOf(completionText)) {
    if (line.rfind(kNotListedLead, 0) == 0) {
      const int64_t count = LeadingNumber(std::string_view(line).substr(std::string_view(kNotListedLead).size()));
      failures.notListed = count > 0 ? static_cast<size_t>(count) : 0;
      continue;
    }
    const std::pair<int, std::string>* best = nullptr;
    for (const auto& entry : known) {
      const std::string& tail = entry.second;
      if (line.size() > tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0 &&
          (best == nullptr || tail.size() > best->second.size())) {
        best = &entry;
      }
    }
    if (best == nullptr) continue;
    failures.listed.push_back({line.substr(0, line.size() - best->second.size()), best->first,
                               best->second.substr(4)});
  }
  return failures;
}

}  // namespace kelvane::cli
