// SPDX-License-Identifier: GPL-2.0-or-later
// What a batch run works with: the shared run state, the settings, the
// user-interface port and the engine's resources. Owned by the front end
// (window or command line) and passed by reference.
#pragma once

#include "batch/run_report.h"
#include "engine/file_ops_library.h"
#include "engine/run_state.h"
#include "engine/settings.h"
#include "engine/settings_store.h"
#include "engine/temp_folder.h"
#include "engine/user_interface.h"
#include "export/export_table.h"
#include "export/tag_library.h"

namespace kelvane {

struct BatchContext {
  RunState& state;
  Settings& settings;
  SettingsStore& store;
  UserInterface& ui;
  FileOpsLibrary& fileOps;
  TempFolder& tempFolder;
  const TagLibrary& library;
  ExportOptions& exportOptions;
  // When set, a completed run leaves every failed file here: a console
  // report lists them all, where the completion message stops at ten.
  RunFailures* failures = nullptr;
};

}  // namespace kelvane
