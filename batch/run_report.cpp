// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_report.h"

#include <algorithm>

namespace kelvane {

namespace {
constexpr size_t kListed = RunReport::kListedFailures;
}  // namespace

void RunReport::AddRepeated(const std::string& fileName, int code, size_t times) {
  for (; times > 0 && failures_.size() < kListed; --times) failures_.push_back({fileName, code});
  unlistedRepeats_ += times;
}

std::string RunReport::CompletionText(const std::string& heading,
                                      const std::function<std::string(int)>& messageOf) const {
  if (failures_.empty()) return kAllFilesProcessed;
  std::string text = heading + "\r";
  const size_t listed = std::min(failures_.size(), kListed);
  for (size_t i = 0; i < listed; ++i) {
    text += failures_[i].fileName + " as " + messageOf(failures_[i].code) + "\r";
  }
  if (Count() > kListed) {
    text += " - and an additional " + std::to_string(Count() - kListed) + " errors found not listed.\r";
  }
  return text;
}

RunFailures RunReport::AllFailures(const std::function<std::string(int)>& messageOf) const {
  RunFailures all;
  all.files.reserve(failures_.size());
  for (const FileFailure& failure : failures_) {
    all.files.push_back({failure.fileName, failure.code, messageOf(failure.code)});
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
