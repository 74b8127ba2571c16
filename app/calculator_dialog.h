// SPDX-License-Identifier: GPL-2.0-or-later
// The date/time difference calculator ("Dates2Days"): from an Original and
// a Corrected date and/or time it works out the day and the time
// difference, each with its direction, and pastes them into the main
// window's adjustment fields.
#pragma once

#include <array>

#include "app/date_difference.h"
#include "app/dialog_services.h"
#include "app/kept_dialog.h"
#include "app/session.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane {

class AdjustmentPanel;

class CalculatorDialog : public KeptDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpTopic = 9;

  // target: the main window's adjustment panel, which Paste fills.
  CalculatorDialog(Session& session, DialogServices& services, AdjustmentPanel& target, QWidget* parent);

  // Starts empty, with the date fields disabled while the main window's
  // days are set "As Date", then shows the dialog.
  void Open();
  void Activate();

  void Paste();
  void Cancel();

 protected:
  // Escape and the close box cancel.
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void OnDateChanged(int index);
  void OnTimeChanged(int index);
  // Entering a field starts its entry afresh.
  void EntryEntered(QLineEdit* field);
  void ShowResults();
  void MoveFocus(CalculatorFocus focus);

  Session& session_;
  DialogServices& services_;
  AdjustmentPanel& target_;
  DifferencePair dates_{DifferencePair::Kind::kDates};
  DifferencePair times_{DifferencePair::Kind::kTimes};
  // The handlers change the fields themselves; this keeps them from
  // handling those changes again.
  bool handlingChange_ = false;
  QLineEdit* initialFocus_ = nullptr;

  std::array<QLineEdit*, 2> dateFields_{};
  std::array<QLineEdit*, 2> timeFields_{};
  std::array<QLabel*, 2> daysLabels_{};
  std::array<QLabel*, 2> timeLabels_{};
  QPushButton* paste_ = nullptr;
};

}  // namespace kelvane
