// SPDX-License-Identifier: GPL-2.0-or-later
// The panel shared by Copyright and Image Description: the three-way
// option group, the copyright names and years with the standard text, and
// the description text.
#pragma once

#include <QWidget>
#include <array>

#include "app/run_enabling.h"
#include "batch/batch_inputs.h"
#include "batch/run_state.h"
#include "engine/settings_store.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace kelvane {

class NoticePanel : public QWidget {
  Q_OBJECT

 public:
  enum class Mode { kCopyright, kDescription };
  // Copyright options; Image Description reads them Add/Replace, Append, Prefix.
  static constexpr int kPhotographer = 0;
  static constexpr int kEditor = 1;
  static constexpr int kBoth = 2;

  NoticePanel(RunState& state, SettingsStore& store, QWidget* parent = nullptr);

  // Captions and shown controls for the function.
  void SetMode(Mode mode);
  Mode CurrentMode() const { return mode_; }

  int Option() const;
  // Choosing an option sets the notices (or the way the description is
  // amended) in the run state.
  void SetOption(int option);
  void SetYearFromPhoto(bool on);
  void SetStandardTextAvailable(bool available);

  // The copyright boxes from the standard text (COPYRIGHT PhotoName,
  // PhotoYear, EditName, EditYear).
  void InsertStandardText();
  // The copyright boxes stored as the new standard text.
  void SetStandardText();

  PanelTexts Texts() const;
  // The four copyright boxes and the description box; showing text is not
  // an edit of the user's.
  CopyrightEntries Entries() const;
  void ShowEntries(const CopyrightEntries& entries);
  std::string DescriptionText() const;
  void ShowDescription(const std::string& text);

  // FirstTextEmpty and SecondTextEmpty from the boxes as they stand.
  void UpdateTextsEmpty();

 signals:
  void optionChosen(int option);
  // The user clicked an option (not set by the program).
  void optionClicked(int option);
  void yearFromPhotoToggled(bool on);
  void standardTextAvailabilityChanged(bool available);
  // A text was edited or a choice made: the window lays itself out again.
  void changed();

 private:
  void OnOption(int option);
  void OnTextEdited();

  RunState& state_;
  SettingsStore& store_;
  Mode mode_ = Mode::kCopyright;
  QGroupBox* frame_;
  QButtonGroup* options_;
  QCheckBox* yearFromPhoto_;
  QWidget* copyrightBoxes_;
  std::array<QLineEdit*, 2> names_{};
  std::array<QLineEdit*, 2> years_{};
  QPushButton* standardText_;
  QLineEdit* description_;
};

}  // namespace kelvane
