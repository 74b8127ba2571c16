// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/export_panel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/widget_helpers.h"

namespace kelvane {

ExportPanel::ExportPanel(ExportOptions& options, QWidget* parent) : QWidget(parent), options_(options) {
  auto* frame = Named(new QGroupBox(QStringLiteral("Extract as"), this), "ExportAsFme");
  types_ = new QButtonGroup(this);
  auto* frameLayout = new QGridLayout(frame);
  frameLayout->addWidget(NewOption(types_, "ExportAsOpt", 0, "Spread-sheet 'csv'", nullptr, frame), 0, 0);
  frameLayout->addWidget(NewOption(types_, "ExportAsOpt", 1, "Database 'csv'", nullptr, frame), 0, 1);
  frameLayout->addWidget(NewOption(types_, "ExportAsOpt", 2, "Workbook (.xlsx)", nullptr, frame), 1, 0);
  frameLayout->addWidget(NewOption(types_, "ExportAsOpt", 3, "SQLite", nullptr, frame), 1, 1);
  frameLayout->addWidget(NewOption(types_, "ExportAsOpt", 4, "JSON (.json)", nullptr, frame), 2, 0);
  types_->button(static_cast<int>(options_.exportType))->setChecked(true);

  excludeTechnical_ = Named(new QCheckBox(QStringLiteral("Exclude 'Technical'"), this), "ExpExclTechCkB");
  excludeTechnical_->setChecked(options_.excludeTechnical);
  initialLabel_ = Named(new QLabel(QStringLiteral("Initial File number:"), this), "InitSeqLbl");
  initialNumber_ = Named(new QLineEdit(QStringLiteral("1"), this), "InitSeqTxt");
  initialNumber_->setMaximumWidth(70);

  auto* row = new QHBoxLayout;
  row->addWidget(excludeTechnical_);
  row->addStretch();
  row->addWidget(initialLabel_);
  row->addWidget(initialNumber_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame);
  layout->addLayout(row);

  const bool dbCsv = options_.exportType == ExportType::DbCsv;
  initialLabel_->setVisible(dbCsv);
  initialNumber_->setVisible(dbCsv);

  connect(types_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (!checked) return;
    const ExportType previous = options_.exportType;
    options_.exportType = static_cast<ExportType>(id);
    const bool dbCsvChosen = options_.exportType == ExportType::DbCsv;
    initialLabel_->setVisible(dbCsvChosen);
    initialNumber_->setVisible(dbCsvChosen);
    emit exportTypeChosen(options_.exportType, previous);
  });
  connect(excludeTechnical_, &QCheckBox::toggled, this, [this](bool on) {
    options_.excludeTechnical = on;
    emit excludeTechnicalToggled(on);
  });
}

void ExportPanel::SetExportType(ExportType type) {
  if (QAbstractButton* button = types_->button(static_cast<int>(type))) button->setChecked(true);
}

void ExportPanel::SetExcludeTechnical(bool on) { excludeTechnical_->setChecked(on); }

QString ExportPanel::InitialFileNumber() const { return initialNumber_->text(); }
void ExportPanel::SetInitialFileNumber(const QString& text) { initialNumber_->setText(text); }

}  // namespace kelvane
