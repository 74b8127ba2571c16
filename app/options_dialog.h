// SPDX-License-Identifier: GPL-2.0-or-later
// The Options dialog ("Options"): the seven switchable program options,
// keeping XMP and sidecars in step, the CSV delimiter, the exported value
// length limit, hexadecimal tag ids, and how long and how much of the run
// history is kept.
// Changes are staged in the controls and take effect only on Apply, which
// writes them to the settings file.
#pragma once

#include <array>

#include "app/dialog_services.h"
#include "app/kept_dialog.h"
#include "app/session.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kelvane {

class OptionsDialog : public KeptDialog {
  Q_OBJECT

 public:
  // The options with a control: UseSounds to ConfirmEachWipe. The eighth,
  // EditorYearRule, is kept as the settings file has it.
  static constexpr int kSwitchCount = 7;
  static constexpr int kApply = 0;
  static constexpr int kResetDefaults = 1;
  static constexpr int kCancel = 2;
  static constexpr int kHelpTopic = 17;

  OptionsDialog(Session& session, DialogServices& services, QWidget* parent);

  // Sets the controls from the settings in use, then shows the dialog.
  void Open();
  // Sets the controls from the settings in use; Apply disabled.
  void LoadControls();

  // The three commands, as their buttons and menu items do them.
  void Apply();
  void ResetDefaults();
  void Cancel();

 protected:
  // Escape and the close box cancel.
  void reject() override;

 private:
  void BuildMenus(QLayout& layout);
  void SetSwitch(int index, bool on);
  void SetHex(bool on);
  void SetKeepXmp(bool on);
  // Applies the run history's two fields; false (after the refusal, with
  // the field in focus) when one is out of range.
  bool ApplyJournalFields();
  void MarkChanged();
  // Hides the dialog with the delimiter list back at the applied entry.
  void CloseStep();
  bool SoundPossible() const;

  Session& session_;
  DialogServices& services_;
  bool changesPending_ = false;
  int delimiterIndex_ = 0;

  std::array<QCheckBox*, kSwitchCount> boxes_{};
  std::array<QAction*, kSwitchCount> switchItems_{};
  QComboBox* delimiterList_ = nullptr;
  std::array<QAction*, 4> delimiterItems_{};
  QLineEdit* limitField_ = nullptr;
  QCheckBox* hexBox_ = nullptr;
  QAction* hexItem_ = nullptr;
  QCheckBox* keepXmpBox_ = nullptr;
  QAction* keepXmpItem_ = nullptr;
  QLineEdit* journalDaysField_ = nullptr;
  QLineEdit* journalSizeField_ = nullptr;
  std::array<QPushButton*, 3> buttons_{};
  std::array<QAction*, 3> commandItems_{};
};

}  // namespace kelvane
