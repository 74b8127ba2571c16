// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/console_plan.h"

namespace kelvane::cli {

void ConsolePlan::Planned(const std::string& photo, const std::vector<PreviewLine>& lines) {
  photos_.push_back({photo, lines});
  if (!print_) return;
  for (const PreviewLine& line : lines) {
    out_ << photo << ": " << line.field << ": " << (line.before.empty() ? "(none)" : line.before) << " -> "
         << (line.after.empty() ? "(none)" : line.after) << "\n";
  }
  out_ << std::flush;
}

void ConsolePlan::PrintEnd(const RunFailures& failures) const {
  for (const ReportedFailure& failure : failures.files) {
    out_ << failure.fileName << ": not processed: " << failure.message << "\n";
  }
  out_ << "Dry run: " << photos_.size() << " photo(s) would change, " << failures.files.size() + failures.notListed
       << " could not be processed; nothing was written.\n"
       << std::flush;
}

nlohmann::ordered_json ConsolePlan::Json() const {
  nlohmann::ordered_json plan = nlohmann::ordered_json::array();
  for (const Photo& photo : photos_) {
    nlohmann::ordered_json changes = nlohmann::ordered_json::array();
    for (const PreviewLine& line : photo.lines) {
      changes.push_back({{"field", line.field}, {"now", line.before}, {"after", line.after}});
    }
    plan.push_back({{"photo", photo.name}, {"changes", std::move(changes)}});
  }
  return plan;
}

}  // namespace kelvane::cli
