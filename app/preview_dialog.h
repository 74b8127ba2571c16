// SPDX-License-Identifier: GPL-2.0-or-later
// The preview window ("Preview"): what a run of the selected function would
// change, one row per change (Photo, What, Now, After) and one per photo it
// could not process, with how many photos would change. Its Run carries out
// exactly what is shown; Close closes it.
#pragma once

#include <functional>
#include <string>

#include "app/kept_dialog.h"
#include "app/preview_rules.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace kelvane {

class PreviewDialog : public KeptDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpTopic = 18;

  // openHelp opens the preview's help topic (F1); may be empty.
  PreviewDialog(SettingsStore& store, std::function<void()> openHelp, QWidget* parent);

  // Shows the result under its heading (the function and the folder) and
  // returns true when Run was pressed.
  bool Present(const std::string& heading, const PreviewResult& result);

 private:
  void Fill(const PreviewResult& result);

  QLabel* heading_ = nullptr;
  QLabel* summary_ = nullptr;
  QTableWidget* table_ = nullptr;
  QPushButton* runButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  bool runChosen_ = false;
};

}  // namespace kelvane
