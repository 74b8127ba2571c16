// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/preview_rules.h"

namespace kelvane {

namespace {

std::string Shown(const std::string& value) { return value.empty() ? kNoValue : value; }

std::string Counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

MessageAnswer PreviewBoxes::Show(const Message& message) {
  switch (message.buttons) {
    case MessageButtons::kOk:
      break;
    case MessageButtons::kOkCancel:
      return MessageAnswer::kOk;
    case MessageButtons::kYesNo:
    case MessageButtons::kYesNoCancel:
      return MessageAnswer::kYes;
  }
  if (message.title == CompletionMessage("").title) {
    completed_ = true;
    return MessageAnswer::kOk;
  }
  return shown_.Show(message);
}

void PreviewCollector::Planned(const std::string& photo, const std::vector<PreviewLine>& lines) {
  std::vector<PreviewLine>& planned = plan_[photo];
  planned.insert(planned.end(), lines.begin(), lines.end());
  for (const PreviewLine& line : lines) rows_.push_back({photo, line.field, Shown(line.before), Shown(line.after)});
}

PreviewResult PreviewCollector::Result(const RunFailures& failures) const {
  PreviewResult result{plan_, rows_, failures.files.size() + failures.notListed};
  for (const ReportedFailure& failure : failures.files) {
    result.rows.push_back({failure.fileName, failure.message, {}, {}, true});
  }
  return result;
}

std::string PreviewSummary(const PreviewResult& result) {
  return Counted(result.plan.size(), "photo would change, ", "photos would change, ") +
         std::to_string(result.notProcessed) + " could not be processed. Nothing has been changed yet.";
}

}  // namespace kelvane
