// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/prefix_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/scoped_flag.h"
#include "app/widget_helpers.h"
#include "batch/entry_checks.h"

namespace kelvane {

PrefixPanel::PrefixPanel(QtUserInterface& ui, QWidget* parent) : QWidget(parent), ui_(ui) {
  removeFirst_ = Named(new QCheckBox(QStringLiteral("Remove first"), this), "RemChrCkB",
                       "To remove characters from start of filenames");
  removeCount_ = Named(new QComboBox(this), "RemChrCmb", "Set number of characters to remove from start of filenames");
  for (int count = 1; count <= kLargestRemoveCount; ++count) removeCount_->addItem(QString::number(count));
  removeCount_->setEnabled(false);
  auto* charactersLabel = Named(new QLabel(QStringLiteral("characters."), this), "RemChrLbl");

  auto* frame = Named(new QGroupBox(QStringLiteral("Add Prefix"), this), "AddPrefixFme");
  addGroup_ = new QButtonGroup(this);
  prefixText_ = Named(new QLineEdit(frame), "AddPrefixTxt");
  startValue_ = Named(new QLineEdit(QStringLiteral("1"), frame), "StrtValTxt");
  acceptedStartValue_ = startValue_->text();
  auto* frameLayout = new QGridLayout(frame);
  frameLayout->addWidget(NewOption(addGroup_, "AddPrefixOpt", kNone, "None", nullptr, frame), 0, 0);
  frameLayout->addWidget(NewOption(addGroup_, "AddPrefixOpt", kAddFixed, "Add Prefix:", nullptr, frame), 1, 0);
  frameLayout->addWidget(prefixText_, 1, 1);
  frameLayout->addWidget(
      NewOption(addGroup_, "AddPrefixOpt", kTimeSequence, "Time Seq. Prefix, start val:", nullptr, frame), 2, 0);
  frameLayout->addWidget(startValue_, 2, 1);
  frameLayout->addWidget(
      NewOption(addGroup_, "AddPrefixOpt", kTimeSequenceAndFixed, "Time Seq. + Add combined", nullptr, frame), 3, 0);
  addGroup_->button(kNone)->setChecked(true);

  auto* removeRow = new QHBoxLayout;
  removeRow->addWidget(removeFirst_);
  removeRow->addWidget(removeCount_);
  removeRow->addWidget(charactersLabel);
  removeRow->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(removeRow);
  layout->addWidget(frame);

  connect(removeFirst_, &QCheckBox::toggled, this, [this](bool on) {
    removeCount_->setEnabled(on);
    emit removeFirstToggled(on);
    emit changed();
  });
  connect(removeCount_, &QComboBox::currentIndexChanged, this, [this](int index) {
    emit removeCountChosen(index + 1);
    emit changed();
  });
  connect(addGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (!checked) return;
    emit addOptionChosen(id);
    emit changed();
  });
  connect(prefixText_, &QLineEdit::textChanged, this, [this] { OnPrefixTextChanged(); });
  connect(startValue_, &QLineEdit::textChanged, this, [this] { OnStartValueChanged(); });
}

PrefixChoices PrefixPanel::Choices() const {
  PrefixChoices choices;
  choices.removeFirst = removeFirst_->isChecked();
  choices.removeCount = removeCount_->currentIndex() + 1;
  choices.addOption = addGroup_->checkedId();
  choices.prefixText = prefixText_->text().toStdString();
  return choices;
}

QString PrefixPanel::PrefixText() const { return prefixText_->text(); }
QString PrefixPanel::StartValueText() const { return startValue_->text(); }

void PrefixPanel::ShowStartValueUsed(const QString& text) {
  const QSignalBlocker blocker(startValue_);
  startValue_->setText(text);
  acceptedStartValue_ = text;
}

void PrefixPanel::SetRemoveFirst(bool on) { removeFirst_->setChecked(on); }
void PrefixPanel::SetRemoveCount(int count) { removeCount_->setCurrentIndex(count - 1); }
int PrefixPanel::AddOption() const { return addGroup_->checkedId(); }
void PrefixPanel::SetAddOption(int option) {
  if (auto* button = addGroup_->button(option)) button->setChecked(true);
}

void PrefixPanel::SetTimeSequenceAllowed(bool allowed) {
  addGroup_->button(kTimeSequence)->setEnabled(allowed);
  addGroup_->button(kTimeSequenceAndFixed)->setEnabled(allowed);
}

void PrefixPanel::Refuse(QLineEdit& field, const QString& previous) {
  ui_.Cue(SoundCue::Error);
  ui_.Show(InvalidCharacterMessage());
  field.setText(previous);
  field.setFocus();
}

void PrefixPanel::OnPrefixTextChanged() {
  if (handlingChange_) return;
  const ScopedFlag guard(handlingChange_);
  if (PrefixTextAllowed(prefixText_->text().toStdString())) {
    acceptedPrefix_ = prefixText_->text();
  } else {
    Refuse(*prefixText_, acceptedPrefix_);
  }
  emit changed();
}

void PrefixPanel::OnStartValueChanged() {
  if (handlingChange_) return;
  const ScopedFlag guard(handlingChange_);
  switch (CheckStartValue(startValue_->text().toStdString())) {
    case StartValueCheck::kAccepted:
      acceptedStartValue_ = startValue_->text();
      break;
    case StartValueCheck::kResetToOne:
      // Selected, so that the next digit typed replaces it.
      startValue_->setText(QStringLiteral("1"));
      startValue_->selectAll();
      acceptedStartValue_ = startValue_->text();
      break;
    case StartValueCheck::kRefused:
      Refuse(*startValue_, acceptedStartValue_);
      break;
  }
  emit changed();
}

}  // namespace kelvane
