// SPDX-License-Identifier: GPL-2.0-or-later
// The files an export writes, and what happens when they already exist: the
// question to the user and the run's earlier answer. Files to be overwritten
// are not deleted: the export's new files replace them when complete, so a
// failed export leaves them as they were.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/settings_store.h"
#include "engine/user_interface.h"
#include "export/export_result.h"
#include "export/export_table.h"

namespace kelvane {

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

// True when the export's new file can be renamed over the existing file at
// path (through a link: the file it names): a regular file in a folder the
// user may write to, and not marked immutable or append-only.
bool CanReplace(const std::string& path);

enum class Settled {
  kGoOn,           // write (replacing the existing files, or appending with appendMode)
  kCancelled,      // the user cancelled
  kNotReplaceable  // an existing file can't be replaced ("Overwrite error" shown)
};

// Settles existing target files before an export: applies the run's earlier
// answer (ExportPhoto) or asks, then checks that the files to be overwritten
// can be replaced, or sets appendMode. Clears appendMode first in every case.
Settled SettleExistingTarget(const ExportTarget& target, ExportCaller caller, ExportOptions& options,
                             RunAnswer& runAnswer, RunUi& ui);

}  // namespace kelvane
