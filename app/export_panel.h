// SPDX-License-Identifier: GPL-2.0-or-later
// The Export Metadata panel: the export type, "Exclude 'Technical'" and the
// database CSV files' initial number.
#pragma once

#include <QString>
#include <QWidget>

#include "export/export_table.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace kelvane {

class ExportPanel : public QWidget {
  Q_OBJECT

 public:
  ExportPanel(ExportOptions& options, QWidget* parent = nullptr);

  // Choosing a type or the box here works like clicking them.
  void SetExportType(ExportType type);
  void SetExcludeTechnical(bool on);

  QString InitialFileNumber() const;
  void SetInitialFileNumber(const QString& text);

 signals:
  void exportTypeChosen(ExportType type, ExportType previous);
  void excludeTechnicalToggled(bool on);

 private:
  ExportOptions& options_;
  QButtonGroup* types_;
  QCheckBox* excludeTechnical_;
  QLabel* initialLabel_;
  QLineEdit* initialNumber_;
};

}  // namespace kelvane
