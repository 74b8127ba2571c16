// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/adjustment_panel.h"

#include <QButtonGroup>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/scoped_flag.h"
#include "app/widget_helpers.h"
#include "batch/entry_checks.h"

namespace kelvane {

AdjustmentPanel::AdjustmentPanel(RunState& state, QtUserInterface& ui, QWidget* parent)
    : QWidget(parent), state_(state), ui_(ui) {
  auto* header = new QLabel(QStringLiteral("Metadata Date / Time adjust values"), this);
  header->setObjectName(QStringLiteral("AdjHdrLbl"));
  header->setToolTip(QStringLiteral("May set change in days, time, or both."));

  auto* daysFrame = new QGroupBox(QStringLiteral("Days Adjust"), this);
  daysFrame->setObjectName(QStringLiteral("AdjDaysFme"));
  daysGroup_ = new QButtonGroup(this);
  auto* daysLayout = new QGridLayout(daysFrame);
  daysLayout->addWidget(NewOption(daysGroup_, "AdjDaysOpt", kLater, "Later",
                                  "Make Metadata dates higher by number of days below", daysFrame),
                        0, 0);
  daysLayout->addWidget(NewOption(daysGroup_, "AdjDaysOpt", kEarlier, "Earlier",
                                  "Make Metadata dates lower by number of days below", daysFrame),
                        0, 1);
  daysLayout->addWidget(
      NewOption(daysGroup_, "AdjDaysOpt", kAsDate, "As Date", "Set Metadata dates to the date below", daysFrame), 0, 2);
  daysLabel_ = new QLabel(QStringLiteral("Number of days:"), daysFrame);
  daysLabel_->setObjectName(QStringLiteral("AdjDaysLbl"));
  daysLabel_->setToolTip(QStringLiteral("Set adjustment number of days"));
  daysField_ = new QLineEdit(daysFrame);
  daysField_->setObjectName(QStringLiteral("AdjDaysTxt"));
  daysField_->setToolTip(QStringLiteral("Days change 0 or greater"));
  daysLayout->addWidget(daysLabel_, 1, 0, 1, 2);
  daysLayout->addWidget(daysField_, 1, 2);
  daysGroup_->button(kLater)->setChecked(true);

  auto* timeFrame = new QGroupBox(QStringLiteral("Time Adjust"), this);
  timeFrame->setObjectName(QStringLiteral("AdjTimeFme"));
  timeGroup_ = new QButtonGroup(this);
  auto* timeLayout = new QGridLayout(timeFrame);
  timeLayout->addWidget(
      NewOption(timeGroup_, "AdjTimeOpt", kLater, "Later", "Make Metadata times higher by values below", timeFrame), 0,
      0, 1, 2);
  timeLayout->addWidget(
      NewOption(timeGroup_, "AdjTimeOpt", kEarlier, "Earlier", "Make Metadata times lower by values below", timeFrame),
      0, 2, 1, 2);
  static constexpr const char* kLabels[] = {"Hours:", "Min:", "Sec:"};
  static constexpr const char* kTips[] = {"Hours change 0 to 23", "Minutes change 0 to 59", "Seconds change 0 to 59"};
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(QString::fromUtf8(kLabels[i]), timeFrame);
    label->setObjectName(QStringLiteral("AdjTimeLbl%1").arg(i));
    auto* field = new QLineEdit(timeFrame);
    field->setObjectName(QStringLiteral("AdjTimeTxt%1").arg(i));
    field->setToolTip(QString::fromUtf8(kTips[i]));
    field->setMaximumWidth(40);
    timeLayout->addWidget(label, 1 + i, 0);
    timeLayout->addWidget(field, 1 + i, 1);
    timeFields_[static_cast<size_t>(i)] = field;
  }
  timeGroup_->button(kLater)->setChecked(true);

  calculatorButton_ = new QPushButton(QStringLiteral("From Date/Times"), this);
  calculatorButton_->setObjectName(QStringLiteral("FmDatesBtn"));
  calculatorButton_->setToolTip(
      QStringLiteral("To derive the difference values from a specific original and corrected date/time"));

  auto* frames = new QHBoxLayout;
  frames->addWidget(daysFrame);
  frames->addWidget(timeFrame);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(header);
  layout->addLayout(frames);
  layout->addWidget(calculatorButton_, 0, Qt::AlignLeft);

  connect(daysGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) OnDaysDirection(id);
  });
  connect(timeGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) emit timeDirectionChanged(id);
  });
  connect(daysField_, &QLineEdit::textChanged, this, [this] { OnDaysChanged(); });
  for (int i = 0; i < 3; ++i) {
    connect(timeFields_[static_cast<size_t>(i)], &QLineEdit::textChanged, this, [this, i] { OnTimeChanged(i); });
  }
  connect(calculatorButton_, &QPushButton::clicked, this, &AdjustmentPanel::calculatorRequested);
}

int AdjustmentPanel::DaysDirection() const { return daysGroup_->checkedId(); }
void AdjustmentPanel::SetDaysDirection(int direction) {
  if (auto* option = daysGroup_->button(direction)) option->setChecked(true);
}
int AdjustmentPanel::TimeDirection() const { return timeGroup_->checkedId(); }
void AdjustmentPanel::SetTimeDirection(int direction) {
  if (auto* option = timeGroup_->button(direction)) option->setChecked(true);
}

void AdjustmentPanel::OnDaysDirection(int direction) {
  if (direction == kAsDate && !state_.DaysAsDate) {
    state_.DaysAsDate = true;
    state_.DaysEntryValid = false;
    daysLabel_->setText(QStringLiteral("Date as yyyymmdd:"));
    daysLabel_->setToolTip(QStringLiteral("Set New Date"));
    daysField_->setToolTip(QStringLiteral("Enter 8 digits for yyyymmdd"));
    calculatorButton_->setText(QStringLiteral("From Times"));
  } else if (direction != kAsDate && state_.DaysAsDate) {
    state_.DaysAsDate = false;
    state_.DaysEntryValid = false;
    dateText_.clear();
    daysLabel_->setText(QStringLiteral("Number of days:"));
    daysLabel_->setToolTip(QStringLiteral("Set adjustment number of days"));
    daysField_->setToolTip(QStringLiteral("Days change 1 or greater"));
    calculatorButton_->setText(QStringLiteral("From Date/Times"));
  }
  emit daysDirectionChanged(direction);
  emit modeChanged();
}

void AdjustmentPanel::OnDaysChanged() {
  if (handlingChange_) return;
  const ScopedFlag guard(handlingChange_);
  state_.DaysEntryValid = false;
  emit entryChanged();

  const DaysCheck check = CheckDaysEntry(daysField_->text().toStdString(), state_.DaysAsDate);
  if (check.message) {
    ui_.Cue(SoundCue::Error);
    ui_.Show(*check.message);
  }
  switch (check.outcome) {
    case EntryOutcome::kEmpty:
      dateText_.clear();
      daysField_->clear();
      break;
    case EntryOutcome::kRejected:
      dateText_.clear();
      daysField_->clear();
      daysField_->setFocus();
      break;
    case EntryOutcome::kIncomplete:
      daysField_->setText(QString::fromStdString(check.fieldText));
      daysField_->end(false);
      break;
    case EntryOutcome::kValid:
      state_.DaysEntryValid = true;
      if (state_.DaysAsDate) {
        dateText_ = check.dateText;
        daysField_->setText(
            QLocale::system().toString(QDate(check.year, check.month, check.day), QStringLiteral("d MMM yyyy")));
      } else {
        dateText_.clear();
      }
      break;
  }
  emit entryChanged();
}

void AdjustmentPanel::OnTimeChanged(int index) {
  if (handlingChange_) return;
  const ScopedFlag guard(handlingChange_);
  state_.TimeEntryValid = false;
  emit entryChanged();

  QLineEdit* field = timeFields_[static_cast<size_t>(index)];
  const TimeCheck check = CheckTimeEntry(static_cast<kelvane::TimeField>(index), field->text().toStdString());
  if (check.message) {
    ui_.Cue(SoundCue::Error);
    ui_.Show(*check.message);
  }
  if (check.outcome == EntryOutcome::kRejected) {
    field->clear();
    field->setFocus();
  } else if (check.moveFocusOn) {
    timeFields_[static_cast<size_t>(index + 1)]->setFocus();
  }
  RefreshTimeValidity();
  emit entryChanged();
}

void AdjustmentPanel::RefreshTimeValidity() {
  state_.TimeEntryValid = false;
  for (const QLineEdit* field : timeFields_) {
    if (TimeFieldAboveZero(field->text().toStdString())) state_.TimeEntryValid = true;
  }
}

}  // namespace kelvane
