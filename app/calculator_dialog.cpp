// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/calculator_dialog.h"

#include <QDate>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

#include "app/adjustment_panel.h"
#include "app/scoped_flag.h"
#include "app/widget_helpers.h"

namespace kelvane {

namespace {

const QColor kDisabledFieldColour(224, 224, 224);

QLineEdit* EntryField(const char* name, int index, const char* tooltip, QWidget* parent) {
  auto* field =
      Named(new QLineEdit(parent), qPrintable(QStringLiteral("%1%2").arg(QString::fromUtf8(name)).arg(index)), tooltip);
  field->setMinimumWidth(110);
  return field;
}

QLabel* ResultLabel(const char* name, int index, QWidget* parent) {
  return Named(new QLabel(parent), qPrintable(QStringLiteral("%1%2").arg(QString::fromUtf8(name)).arg(index)));
}

}  // namespace

CalculatorDialog::CalculatorDialog(Session& session, DialogServices& services, AdjustmentPanel& target, QWidget* parent)
    : KeptDialog(session.store, "Dys2DtX", "Dys2DtY", parent), session_(session), services_(services), target_(target) {
  setObjectName(QStringLiteral("Dates2Days"));
  setWindowTitle(QStringLiteral("Date / Time Difference Calculatior"));

  dateFields_[0] = EntryField("DateTxt", 0, "Original date entry as 8 digitis yyyymmdd", this);
  dateFields_[1] = EntryField("DateTxt", 1, "Corrected date entry as 8 digitis yyyymmdd", this);
  timeFields_[0] = EntryField("TimeTxt", 0, "Original time entry as 6 digitis hhmmss", this);
  timeFields_[1] = EntryField("TimeTxt", 1, "Corrected time entry as 6 digitis hhmmss", this);
  for (int i = 0; i < 2; ++i) {
    daysLabels_[static_cast<size_t>(i)] = ResultLabel("DaysLbl", i, this);
    timeLabels_[static_cast<size_t>(i)] = ResultLabel("TimeLbl", i, this);
  }

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Enter as:"), this), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("yyyymmdd"), this), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("hhmmss"), this), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Date"), this), 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Time"), this), 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Original:"), this), 2, 0);
  grid->addWidget(dateFields_[0], 2, 1);
  grid->addWidget(timeFields_[0], 2, 2);
  grid->addWidget(new QLabel(QStringLiteral("Corrected:"), this), 3, 0);
  grid->addWidget(dateFields_[1], 3, 1);
  grid->addWidget(timeFields_[1], 3, 2);
  grid->addWidget(new QLabel(QStringLiteral("Difference is:"), this), 4, 0);
  grid->addWidget(daysLabels_[0], 4, 1);
  grid->addWidget(timeLabels_[0], 4, 2);
  grid->addWidget(daysLabels_[1], 5, 1);
  grid->addWidget(timeLabels_[1], 5, 2);

  paste_ = Named(new QPushButton(QStringLiteral("Paste"), this), "PasteBtn", "Paste values to the Kelvane window");
  auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBtn", "Return to the Kelvane window");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(paste_);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(QStringLiteral("Calculate difference between"), this);
  QFont font = heading->font();
  font.setBold(true);
  heading->setFont(font);
  layout->addWidget(heading);
  layout->addWidget(new QLabel(QStringLiteral("Two Dates and/or Times"), this));
  layout->addSpacing(6);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addLayout(buttons);

  for (int i = 0; i < 2; ++i) {
    const auto slot = static_cast<size_t>(i);
    connect(dateFields_[slot], &QLineEdit::textChanged, this, [this, i] { OnDateChanged(i); });
    connect(timeFields_[slot], &QLineEdit::textChanged, this, [this, i] { OnTimeChanged(i); });
    dateFields_[slot]->installEventFilter(this);
    timeFields_[slot]->installEventFilter(this);
  }
  connect(paste_, &QPushButton::clicked, this, &CalculatorDialog::Paste);
  connect(cancel, &QPushButton::clicked, this, &CalculatorDialog::Cancel);

  SetHelpKey([this] { services_.help(*this, HelpPage::kTopic, kHelpTopic); });
}

void CalculatorDialog::Open() {
  Activate();
  ShowModal();
}

void CalculatorDialog::Activate() {
  const bool asDate = target_.DaysDirection() == AdjustmentPanel::kAsDate;
  for (QLineEdit* field : dateFields_) {
    field->setEnabled(!asDate);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, asDate ? kDisabledFieldColour : QPalette().color(QPalette::Base));
    field->setPalette(palette);
  }
  {
    const ScopedFlag guard(handlingChange_);
    dates_.Clear();
    times_.Clear();
    for (QLineEdit* field : dateFields_) field->clear();
    for (QLineEdit* field : timeFields_) field->clear();
  }
  ShowResults();
  initialFocus_ = asDate ? timeFields_[0] : dateFields_[0];
  if (isVisible()) initialFocus_->setFocus();
}

void CalculatorDialog::showEvent(QShowEvent* event) {
  KeptDialog::showEvent(event);
  if (initialFocus_ != nullptr) initialFocus_->setFocus();
}

void CalculatorDialog::OnDateChanged(int index) {
  if (handlingChange_) return;
  const ScopedFlag guard(handlingChange_);
  QLineEdit* field = dateFields_[static_cast<size_t>(index)];
  dates_.ClearEntry(index);
  const CalculatorEntry entry = CheckCalculatorDate(field->text().toStdString());
  if (entry.outcome == EntryOutcome::kRejected) {
    services_.cue(SoundCue::Error);
    services_.show(*this, *entry.message);
    field->clear();
  } else if (entry.outcome == EntryOutcome::kValid) {
    dates_.SetEntry(index, entry.value);
    const QDate date(entry.parts[0], entry.parts[1], entry.parts[2]);
    field->setText(QLocale::system().toString(date, QStringLiteral("d MMM yyyy")));
  }
  ShowResults();
  if (entry.outcome == EntryOutcome::kValid) MoveFocus(FocusAfterDate(dates_, times_));
}

void CalculatorDialog::OnTimeChanged(int index) {
  if (handlingChange_) return;
  const ScopedFlag guard(handlingChange_);
  QLineEdit* field = timeFields_[static_cast<size_t>(index)];
  times_.ClearEntry(index);
  const CalculatorEntry entry = CheckCalculatorTime(field->text().toStdString());
  if (entry.outcome == EntryOutcome::kRejected) {
    services_.cue(SoundCue::Error);
    services_.show(*this, *entry.message);
    field->clear();
  } else if (entry.outcome == EntryOutcome::kValid) {
    times_.SetEntry(index, entry.value);
    field->setText(QTime(entry.parts[0], entry.parts[1], entry.parts[2]).toString(QStringLiteral("HH:mm:ss")));
  }
  ShowResults();
  if (entry.outcome == EntryOutcome::kValid) MoveFocus(FocusAfterTime(times_, index));
}

bool CalculatorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    // Coming back to the window (after a message box, say) is not entering
    // the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      EntryEntered(qobject_cast<QLineEdit*>(watched));
    }
  }
  return KeptDialog::eventFilter(watched, event);
}

void CalculatorDialog::EntryEntered(QLineEdit* field) {
  if (field == nullptr) return;
  const ScopedFlag guard(handlingChange_);
  for (int i = 0; i < 2; ++i) {
    if (field == dateFields_[static_cast<size_t>(i)]) dates_.ClearEntry(i);
    if (field == timeFields_[static_cast<size_t>(i)]) times_.ClearEntry(i);
  }
  field->clear();
  ShowResults();
}

void CalculatorDialog::ShowResults() {
  daysLabels_[0]->setText(QString::fromStdString(dates_.AmountLabel()));
  daysLabels_[1]->setText(QString::fromStdString(dates_.DirectionLabel()));
  timeLabels_[0]->setText(QString::fromStdString(times_.AmountLabel()));
  timeLabels_[1]->setText(QString::fromStdString(times_.DirectionLabel()));
  paste_->setEnabled(dates_.Pastable() || times_.Pastable());
}

void CalculatorDialog::MoveFocus(CalculatorFocus focus) {
  switch (focus) {
    case CalculatorFocus::kOriginalDate:
      dateFields_[0]->setFocus(Qt::OtherFocusReason);
      break;
    case CalculatorFocus::kCorrectedDate:
      dateFields_[1]->setFocus(Qt::OtherFocusReason);
      break;
    case CalculatorFocus::kOriginalTime:
      timeFields_[0]->setFocus(Qt::OtherFocusReason);
      break;
    case CalculatorFocus::kCorrectedTime:
      timeFields_[1]->setFocus(Qt::OtherFocusReason);
      break;
    case CalculatorFocus::kPaste:
      paste_->setFocus(Qt::OtherFocusReason);
      break;
  }
}

void CalculatorDialog::Paste() {
  if (target_.DaysDirection() != AdjustmentPanel::kAsDate) {
    target_.SetDaysDirection(dates_.CorrectedEarlier() ? AdjustmentPanel::kEarlier : AdjustmentPanel::kLater);
    target_.DaysField().setText(QString::fromStdString(dates_.ResultText()));
  }
  target_.SetTimeDirection(times_.CorrectedEarlier() ? AdjustmentPanel::kEarlier : AdjustmentPanel::kLater);
  const std::string time = times_.ResultText();
  for (int i = 0; i < 3; ++i) {
    // "hh:mm:ss": each part as a plain number.
    const size_t at = static_cast<size_t>(i) * 3;
    target_.TimeField(i).setText(time.empty() ? QString()
                                              : QString::number((time[at] - '0') * 10 + (time[at + 1] - '0')));
  }
  session_.state.FieldEditing = false;
  done(QDialog::Accepted);
}

void CalculatorDialog::Cancel() {
  session_.state.FieldEditing = false;
  done(QDialog::Rejected);
}

void CalculatorDialog::reject() { Cancel(); }

void CalculatorDialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) session_.state.FieldEditing = false;
  KeptDialog::changeEvent(event);
}

}  // namespace kelvane
