// SPDX-License-Identifier: GPL-2.0-or-later
// The files an export writes, and what happens when they already exist: the
// question to the user, the run's earlier answer, and the deletion of the
// files to be overwritten.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/settings_store.h"
#include "engine/user_interface.h"
#include "export/csv_writers.h"
#include "export/export_result.h"
#include "export/export_table.h"

namespace kelvane {

struct ExportTarget {
  // The output. Database CSV: folder + base name, no extension; the files
  // are path + each suffix.
  std::string path;
  DbCsvSuffixes suffixes;
  std::vector<std::string> files;     // every file the output consists of
  std::vector<std::string> existing;  // those of files that exist
  // Database CSV: the target text with the file suffix cut off, when one was.
  std::optional<std::string> rewrittenText;
};

// Names the output of target (trimmed). For the database CSV type the
// suffixes come from the settings (section DB, keys Ecsv0..Ecsv2; "_T",
// "_F", "_D" are written back when missing), and a target that already ends
// with one of them ("Trip_D.csv") loses it ("Trip").
ExportTarget NameExportTarget(const std::string& target, ExportType type, SettingsStore& settings);

// Which driver meets the existing target: the question texts differ.
enum class ExportCaller { kFolder, kPhoto };

// The question about existing target files (existing must not be empty).
Message ExistingTargetQuestion(ExportType type, bool perPhoto, ExportCaller caller,
                               const std::vector<std::string>& existing);

// Settles existing target files before an export: applies the run's earlier
// answer (ExportPhoto) or asks, then deletes the files to be overwritten or
// sets appendMode. Returns kExported to go on, kOverwriteCancelled or
// kDeleteFailed. Clears appendMode first in every case.
int16_t SettleExistingTarget(const ExportTarget& target, ExportCaller caller, ExportOptions& options,
                             RunAnswer& runAnswer, RunUi& ui);

}  // namespace kelvane
