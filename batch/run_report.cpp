// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_report.h"

#include <algorithm>

namespace kelvane {

namespace {
constexpr size_t kListed = RunReport::kListedFailures;
}  // namespace

void RunReport::Add(std::string fileName, ListMessage message, int osError, size_t order) {
  failures_.push_back({std::move(fileName), message, osError, order == kInRunOrder ? added_ : order, {}});
  ++added_;
}

void RunReport::AddReported(std::string fileName, std::string text, size_t order) {
  failures_.push_back({std::move(fileName), ListMessage::kUndefinedProcessingError, 0, order, std::move(text)});
  ++added_;
}

void RunReport::AddRepeated(const std::string& fileName, ListMessage message, size_t times) {
  for (; times > 0 && failures_.size() < kListed; --times) Add(fileName, message);
  unlistedRepeats_ += times;
}

std::vector<FileFailure> RunReport::Failures() const {
  std::vector<FileFailure> sorted = failures_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const FileFailure& a, const FileFailure& b) { return a.order < b.order; });
  return sorted;
}

std::string RunReport::CompletionText(const std::string& heading) const {
  if (failures_.empty()) return kAllFilesProcessed;
  const std::vector<FileFailure> failures = Failures();
  std::string text = heading + "\r";
  const size_t listed = std::min(failures.size(), kListed);
  for (size_t i = 0; i < listed; ++i) {
    const FileFailure& failure = failures[i];
    text += failure.fileName + " as " + (failure.text.empty() ? ListText(failure.message, failure.osError) : failure.text) +
            "\r";
  }
  if (Count() > kListed) {
    text += " - and an additional " + std::to_string(Count() - kListed) + " errors found not listed.\r";
  }
  return text;
}

RunFailures RunReport::AllFailures() const {
  RunFailures all;
  for (const FileFailure& failure : Failures()) {
    all.files.push_back({failure.fileName, EntryOf(failure.message).code, ListText(failure.message, failure.osError),
                         ErrorName(failure.osError)});
  }
  all.notListed = unlistedRepeats_;
  return all;
}

Message CompletionMessage(const std::string& text) {
  Message message;
  message.title = "Completion Message";
  message.text = text;
  message.icon = MessageIcon::kNone;
  message.buttons = MessageButtons::kOk;
  return message;
}

}  // namespace kelvane
