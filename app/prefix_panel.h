// SPDX-License-Identifier: GPL-2.0-or-later
// The Filename Prefix panel: leading characters to remove, and the prefix
// to add (a fixed text, a time-sequence number, or both).
#pragma once

#include <QString>
#include <QWidget>

#include "app/run_enabling.h"
#include "app/qt_user_interface.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kelvane {

class PrefixPanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kNone = 0;
  static constexpr int kAddFixed = 1;
  static constexpr int kTimeSequence = 2;
  static constexpr int kTimeSequenceAndFixed = 3;
  static constexpr int kLargestRemoveCount = 9;

  PrefixPanel(QtUserInterface& ui, QWidget* parent = nullptr);

  PrefixChoices Choices() const;
  QString PrefixText() const;
  QString StartValueText() const;
  // Shows the start value a run used; not a change of the user's.
  void ShowStartValueUsed(const QString& text);

  // Setting a choice works like making it on the panel.
  void SetRemoveFirst(bool on);
  void SetRemoveCount(int count);  // 1..9
  int AddOption() const;
  void SetAddOption(int option);
  // Single-photo mode has no time sequence.
  void SetTimeSequenceAllowed(bool allowed);

 signals:
  void removeFirstToggled(bool on);
  void removeCountChosen(int count);
  void addOptionChosen(int option);
  // Any choice or text changed: the prefix parameters are worked out again.
  void changed();

 private:
  void OnPrefixTextChanged();
  void OnStartValueChanged();
  void Refuse(QLineEdit& field, const QString& previous);

  QtUserInterface& ui_;
  QCheckBox* removeFirst_;
  QComboBox* removeCount_;
  QButtonGroup* addGroup_;
  QLineEdit* prefixText_;
  QLineEdit* startValue_;
  QString acceptedPrefix_;
  QString acceptedStartValue_;
  bool handlingChange_ = false;
};

}  // namespace kelvane
