// SPDX-License-Identifier: GPL-2.0-or-later
// A dialog that the main window keeps while the program runs: modal over
// the main window, placed by its stored position (in twips, section FORMS)
// when first shown, with its position written back when its close box is
// used or the program closes it, and F1 for its help.
#pragma once

#include <QDialog>
#include <functional>

#include "engine/settings_store.h"

namespace kelvane {

class KeptDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTwipsPerPixel = 15;

  KeptDialog(SettingsStore& store, const char* leftKey, const char* topKey, QWidget* parent);

  // Shows the dialog modally and returns when it is hidden.
  void ShowModal();
  // Writes the dialog's left and top, once it has been placed.
  void SavePosition();

 protected:
  void SetHelpKey(std::function<void()> openHelp);
  void closeEvent(QCloseEvent* event) override;

 private:
  void Place();

  SettingsStore& store_;
  const char* leftKey_;
  const char* topKey_;
  bool placed_ = false;
};

}  // namespace kelvane
