// SPDX-License-Identifier: GPL-2.0-or-later
// The Adjust Photo Time panel: days (or "As Date") and time shifts with
// their directions, each field checked as it is typed.
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "batch/run_state.h"
#include "app/qt_user_interface.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane {

class AdjustmentPanel : public QWidget {
  Q_OBJECT

 public:
  // Directions, as the option indexes.
  static constexpr int kLater = 0;
  static constexpr int kEarlier = 1;
  static constexpr int kAsDate = 2;

  AdjustmentPanel(RunState& state, QtUserInterface& ui, QWidget* parent = nullptr);

  // The days and time directions; setting one works like choosing it.
  int DaysDirection() const;
  void SetDaysDirection(int direction);
  int TimeDirection() const;
  void SetTimeDirection(int direction);

  // The entry fields. Text set into them is checked as if typed, so the
  // date/time calculator pastes its results here.
  QLineEdit& DaysField() { return *daysField_; }
  QLineEdit& TimeField(int index) { return *timeFields_[static_cast<size_t>(index)]; }

  // "As Date" mode: the accepted date as yyyy/mm/dd; empty otherwise.
  const std::string& DateText() const { return dateText_; }

 signals:
  void daysDirectionChanged(int direction);
  void timeDirectionChanged(int direction);
  // An entry was accepted or cleared: Run may change.
  void entryChanged();
  // The direction mode changed: the window lays itself out again.
  void modeChanged();
  void calculatorRequested();

 private:
  void OnDaysDirection(int direction);
  void OnDaysChanged();
  void OnTimeChanged(int index);
  void RefreshTimeValidity();

  RunState& state_;
  QtUserInterface& ui_;
  QButtonGroup* daysGroup_;
  QButtonGroup* timeGroup_;
  QLabel* daysLabel_;
  QLineEdit* daysField_;
  std::array<QLineEdit*, 3> timeFields_{};
  QPushButton* calculatorButton_;
  std::string dateText_;
  // The change handlers set their own fields; this keeps them from
  // handling those changes again.
  bool handlingChange_ = false;
};

}  // namespace kelvane
