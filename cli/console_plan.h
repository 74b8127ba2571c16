// SPDX-License-Identifier: GPL-2.0-or-later
// The plan of a dry run on the console: one line per change as it is worked
// out ("photo: field: now -> after"), kept for the JSON report too.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "batch/batch_context.h"
#include "batch/run_report.h"

namespace kelvane::cli {

class ConsolePlan : public PlanSink {
 public:
  // print: write each line to out as it comes (not with --json).
  ConsolePlan(std::ostream& out, bool print) : out_(out), print_(print) {}

  void Planned(const std::string& photo, const std::vector<PreviewLine>& lines) override;

  size_t Photos() const { return photos_.size(); }
  // The photos that could not be processed, then the closing line.
  void PrintEnd(const RunFailures& failures) const;
  // [{photo, changes: [{field, now, after}]}]
  nlohmann::ordered_json Json() const;

 private:
  struct Photo {
    std::string name;
    std::vector<PreviewLine> lines;
  };
  std::ostream& out_;
  bool print_;
  std::vector<Photo> photos_;
};

}  // namespace kelvane::cli
