// SPDX-License-Identifier: GPL-2.0-or-later
// KelvaneMain: Undo Last Run, and the offer to undo interrupted runs at
// start.
#include <QAction>

#include "app/main_window.h"
#include "batch/undo_run.h"

namespace kelvane {

void KelvaneMain::UpdateUndoEnabled() { menus_.undoSMu->setEnabled(!state_.RunInProgress && undoable_.Available()); }

void KelvaneMain::UndoLastRunClicked() {
  if (state_.RunInProgress) return;
  const std::optional<HistoryRun> run = LastRun(session_.journalFolder);
  if (!run) {
    ui_->Show(NoRunToUndoMessage());
    RunEnded();
    return;
  }
  if (ui_->Show(UndoConfirmation(*run)) == MessageAnswer::kYes) UndoRun(run->path);
}

void KelvaneMain::OfferInterruptedUndos() {
  for (const HistoryRun& run : InterruptedRuns(session_.journalFolder)) {
    ui_->Cue(SoundCue::Attention);
    if (ui_->Show(InterruptedRunQuestion(run)) == MessageAnswer::kYes) UndoRun(run.path);
  }
}

void KelvaneMain::UndoRun(const std::string& journalPath) {
  SetRunCommandsEnabled(false);
  menus_.undoSMu->setEnabled(false);
  RunUi runUi(*ui_, *ui_, ui_.get());
  BatchContext context{state_,           session_.settings, session_.store,        runUi,
                       session_.fileOps, session_.library,  session_.exportOptions};
  context.safety.journalFolder = session_.journalFolder;
  // Framed like every run: busy, Cancel enabled, nothing else started.
  state_.RunInProgress = true;
  runUi.SetCancelEnabled(true);
  RunUndo(context, journalPath, false);
  state_.RunInProgress = false;
  RunEnded();
}

}  // namespace kelvane
