// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/json_report.h"

namespace kelvane::cli {

namespace {

std::string WithLineFeeds(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

const char* IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kNone:
      return "none";
    case MessageIcon::kInformation:
      return "information";
    case MessageIcon::kExclamation:
      return "exclamation";
    case MessageIcon::kCritical:
      return "critical";
    case MessageIcon::kQuestion:
      return "question";
  }
  return "none";
}

const char* AnswerName(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::kOk:
      return "ok";
    case MessageAnswer::kCancel:
      return "cancel";
    case MessageAnswer::kYes:
      return "yes";
    case MessageAnswer::kNo:
      return "no";
  }
  return "ok";
}

nlohmann::ordered_json ReportJson(const RunSummary& summary) {
  nlohmann::ordered_json failures = nlohmann::ordered_json::array();
  for (const ReportedFailure& failure : summary.failures.files) {
    nlohmann::ordered_json item = {{"file", failure.fileName}, {"code", failure.code}, {"message", failure.message}};
    if (!failure.errorName.empty()) item["errno"] = failure.errorName;
    failures.push_back(std::move(item));
  }
  nlohmann::ordered_json messages = nlohmann::ordered_json::array();
  for (const ShownMessage& shown : summary.messages) {
    nlohmann::ordered_json message = {{"title", WithLineFeeds(shown.message.title)},
                                      {"icon", IconName(shown.message.icon)},
                                      {"text", WithLineFeeds(shown.message.text)}};
    if (IsQuestion(shown.message)) message["answer"] = AnswerName(shown.answer);
    messages.push_back(std::move(message));
  }
  nlohmann::ordered_json report = {{"command", summary.command}, {"path", summary.path}};
  if (summary.paths.size() > 1) report["paths"] = summary.paths;
  if (summary.plan) {
    report["dryRun"] = true;
    report["plan"] = *summary.plan;
  }
  report.update(nlohmann::ordered_json{{"total", summary.total},          {"processed", summary.processed},
          {"failures", std::move(failures)}, {"failuresNotListed", summary.failures.notListed},
          {"messages", std::move(messages)}, {"notices", summary.notices},
          {"removedTemporaryFiles", summary.removedTemporaries}, {"skipped", summary.skipped.size()},
          {"skippedFiles", summary.skipped}});
  if (summary.command == "export") report["written"] = summary.written;
  report["exitStatus"] = summary.exitStatus;
  return report;
}

std::string JsonText(const nlohmann::ordered_json& object) {
  return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace kelvane::cli
