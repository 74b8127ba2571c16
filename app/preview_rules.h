// SPDX-License-Identifier: GPL-2.0-or-later
// The Preview command's rules that need no widgets: how a dry run answers
// the boxes of the run it previews, what it collects for the preview window
// and the window's summary line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/batch_context.h"
#include "batch/run_report.h"
#include "engine/user_interface.h"

namespace kelvane {

// The boxes of a dry run: its questions are answered as a run that goes
// ahead would have them answered (Yes, or OK of OK/Cancel) without being
// shown, its completion message is kept back (the preview window takes its
// place), and every other box is shown through `shown` as usual.
class PreviewBoxes : public UserDialogs {
 public:
  explicit PreviewBoxes(UserDialogs& shown) : shown_(shown) {}

  MessageAnswer Show(const Message& message) override;
  // True once the run came to its completion message.
  bool Completed() const { return completed_; }

 private:
  UserDialogs& shown_;
  bool completed_ = false;
};

// One row of the preview table: a change (what, now, after), or a photo the
// run could not process (failed, with its list message in `what`).
struct PreviewRow {
  std::string photo;
  std::string what;
  std::string now;
  std::string after;
  bool failed = false;
  bool operator==(const PreviewRow&) const = default;
};

// What a preview found: the plan a run started from it carries out, and the
// rows it shows.
struct PreviewResult {
  PreviewPlan plan;
  // The changes in the order the run worked them out, then the photos it
  // could not process in the order of the folder.
  std::vector<PreviewRow> rows;
  size_t notProcessed = 0;
};

// Takes what a dry run works out, photo by photo.
class PreviewCollector : public PlanSink {
 public:
  void Planned(const std::string& photo, const std::vector<PreviewLine>& lines) override;
  // The result, with the failures the completed run reported.
  PreviewResult Result(const RunFailures& failures) const;

 private:
  PreviewPlan plan_;
  std::vector<PreviewRow> rows_;
};

// An empty value as the table shows it.
inline constexpr const char* kNoValue = "(none)";

// "3 photos would change, 1 could not be processed. Nothing has been
// changed yet."
std::string PreviewSummary(const PreviewResult& result);

}  // namespace kelvane
