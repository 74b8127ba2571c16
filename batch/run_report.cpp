#include "batch/run_report.h"

namespace kelvane {

std::string RunReport::CompletionText(const std::string& heading,
                                      const std::function<std::string(int)>& messageOf) const {
  if (failures_.empty()) return kAllFilesProcessed;
  std::string text = heading + "\r";
  for (size_t i = 0; i < failures_.size(); ++i) {
    if (i == kListedFailures) {
      text += " - and an additional " + std::to_string(failures_.size() - kListedFailures) +
              " errors found not listed.\r";
      break;
    }
    text += failures_[i].fileName + " as " + messageOf(failures_[i].code) + "\r";
  }
  return text;
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
