// SPDX-License-Identifier: GPL-2.0-or-later
// The start-up message window ("StartMsg"): points to note before using the
// program, and a check box that switches the message off for later starts.
#pragma once

#include "app/dialog_services.h"
#include "app/kept_dialog.h"
#include "app/session.h"

class QCheckBox;

namespace kelvane {

class StartMessageWindow : public KeptDialog {
  Q_OBJECT

 public:
  StartMessageWindow(Session& session, DialogServices& services, QWidget* parent);

  // Sets the check box from the current option, marks the message as
  // handled for this run of the program, then shows the window.
  void Open();
  void LoadControls();

 private:
  void OnBoxClicked(bool checked);

  Session& session_;
  QCheckBox* box_ = nullptr;
};

}  // namespace kelvane
