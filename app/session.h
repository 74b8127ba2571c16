// SPDX-License-Identifier: GPL-2.0-or-later
// What the program keeps while it runs: the settings file and the settings
// read from it, the shared run state, the export choices, the engine's
// resources and the folder of the run history. main() owns it; the main
// window and the runs use it by reference.
#pragma once

#include <string>

#include "batch/run_state.h"
#include "engine/file_ops_library.h"
#include "engine/run_journal.h"
#include "engine/settings.h"
#include "engine/settings_store.h"
#include "export/export_table.h"
#include "export/tag_library.h"

namespace kelvane {

struct Session {
  // programFolder holds the cue files; soundDevicesAvailable tells whether
  // the system has an audio output.
  Session(std::string settingsPath, std::string programFolderPath, bool soundDevices)
      : store(std::move(settingsPath)),
        programFolder(std::move(programFolderPath)),
        soundDevicesAvailable(soundDevices) {}

  SettingsStore store;
  std::string programFolder;
  bool soundDevicesAvailable;
  // Read by the main window as it starts.
  Settings settings;
  RunState state;
  ExportOptions exportOptions;
  FileOpsLibrary fileOps;
  const TagLibrary& library = TagLibrary::BuiltIn();
  // Where the journals of the runs go ($XDG_STATE_HOME/kelvane/runs/).
  std::string journalFolder = DefaultJournalFolder();
};

}  // namespace kelvane
