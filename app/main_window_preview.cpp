// SPDX-License-Identifier: GPL-2.0-or-later
// KelvaneMain: the Preview command (the Preview button and its "Pre&view"
// menu entry).
#include <QLineEdit>

#include "app/function_table.h"
#include "app/main_window.h"
#include "app/preview_dialog.h"
#include "app/preview_rules.h"
#include "app/shell_dialogs.h"

namespace kelvane {

std::string KelvaneMain::PreviewHeading() const {
  return std::string(TextsOfFunction(state_.SelectedFunction).runText) + ": " + pathBoxes_[0]->text().toStdString();
}

void KelvaneMain::PreviewClicked() {
  if (state_.RunInProgress || state_.SelectedFunction == ProgramFunction::ExportMetadata) return;
  // The window is left as it was: the run from the preview starts from the
  // same state and inputs, and works the same plan out again to compare.
  const RunState before = state_;
  const BatchInputs inputs = RunInputs();

  BatchInputs previewInputs = inputs;
  PreviewCollector collector;
  PreviewBoxes boxes(*ui_);
  RunFailures failures;
  RunSafety preview;
  preview.dryRun = true;
  preview.plan = &collector;
  RunFunction(previewInputs, boxes, preview, &failures);
  const bool fieldEditing = state_.FieldEditing;
  state_ = before;
  state_.FieldEditing = fieldEditing;
  ArrangeForFunction();
  // Cancelled, or ended by a warning or failure box.
  if (!boxes.Completed()) {
    RunEnded();
    return;
  }

  const PreviewResult result = collector.Result(failures);
  if (!previewDialog_) {
    std::function<void()> help;
    if (dialogs_ != nullptr) help = [this] { dialogs_->ShowHelpTopic(*this, PreviewDialog::kHelpTopic); };
    previewDialog_ = new PreviewDialog(session_.store, std::move(help), this);
  }
  if (previewDialog_->Present(PreviewHeading(), result) && closeTimer_ == nullptr) {
    BatchInputs runInputs = inputs;
    RunSafety run;
    run.journalFolder = session_.journalFolder;
    run.expected = &result.plan;
    RunFunction(runInputs, *ui_, run, nullptr);
    ShowRunResults(runInputs);
  }
  RunEnded();
}

}  // namespace kelvane
