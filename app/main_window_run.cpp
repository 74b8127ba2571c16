// SPDX-License-Identifier: GPL-2.0-or-later
// KelvaneMain: the Run command.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/adjustment_panel.h"
#include "app/export_panel.h"
#include "app/main_window.h"
#include "app/notice_panel.h"
#include "app/prefix_panel.h"
#include "batch/amend_operation.h"
#include "batch/engine_amend_operations.h"
#include "batch/engine_prefix_operations.h"
#include "batch/engine_time_operations.h"
#include "batch/filename_prefix.h"
#include "batch/run_command.h"
#include "batch/time_corrections.h"

namespace kelvane {

BatchInputs KelvaneMain::RunInputs() const {
  BatchInputs inputs;
  inputs.sourcePath = pathBoxes_[0]->text().toStdString();
  inputs.secondPath = pathBoxes_[1]->text().toStdString();

  inputs.daysText = adjustment_->DaysField().text().toStdString();
  inputs.daysDirection = static_cast<DaysDirection>(adjustment_->DaysDirection());
  inputs.asDateText = adjustment_->DateText();
  for (int i = 0; i < 3; ++i) {
    inputs.timeTexts[static_cast<size_t>(i)] = adjustment_->TimeField(i).text().toStdString();
  }
  inputs.timeDirection = static_cast<TimeDirection>(adjustment_->TimeDirection());

  inputs.removeCountText = std::to_string(prefix_->Choices().removeCount);
  inputs.prefixText = prefix_->PrefixText().toStdString();
  inputs.startValueText = prefix_->StartValueText().toStdString();

  inputs.copyright = notice_->Entries();
  inputs.descriptionText = notice_->DescriptionText();
  inputs.initialFileNumber = export_->InitialFileNumber().toStdString();
  return inputs;
}

void KelvaneMain::ShowRunResults(const BatchInputs& inputs) {
  prefix_->ShowStartValueUsed(QString::fromStdString(inputs.startValueText));
  notice_->ShowEntries(inputs.copyright);
  notice_->ShowDescription(inputs.descriptionText);
  export_->SetInitialFileNumber(QString::fromStdString(inputs.initialFileNumber));
  pathBoxes_[1]->setText(QString::fromStdString(inputs.secondPath));
}

void KelvaneMain::RunClicked() {
  // Events run between files: a second press must not start a run inside
  // the first.
  if (state_.RunInProgress) return;
  BatchInputs inputs = RunInputs();
  RunSafety safety;
  safety.journalFolder = session_.journalFolder;
  RunFunction(inputs, *ui_, safety, nullptr);
  // What the run corrected or read back: the prefix start value, a typed
  // year, a single photo's new text, a database CSV target and its first
  // file number.
  ShowRunResults(inputs);
  RunEnded();
}

void KelvaneMain::RunFunction(BatchInputs& inputs, UserDialogs& dialogs, const RunSafety& safety,
                              RunFailures* failures) {
  SetRunCommandsEnabled(false);
  menus_.undoSMu->setEnabled(false);
  RunUi runUi(dialogs, *ui_, ui_.get());
  BatchContext context{state_,           session_.settings, session_.store,        runUi,
                       session_.fileOps, session_.library,  session_.exportOptions};
  context.safety = safety;
  context.failures = failures;
  EngineTimeOperations timeOperations(context, inputs);
  EnginePrefixOperations prefixOperations(context, inputs);
  EngineAmendOperations amendOperations(context, inputs);
  FunctionRunners runners;
  runners.amendOperation = [&] { RunAmendOperation(context, inputs, amendOperations); };
  runners.timeCorrections = [&] { RunTimeCorrections(context, inputs, timeOperations); };
  runners.filenamePrefix = [&] { RunFilenamePrefix(context, inputs, prefixOperations); };
  RunBtn_Click(context, runners);
}

void KelvaneMain::RunEnded() {
  undoable_.Forget();
  UpdateUndoEnabled();
}

}  // namespace kelvane
