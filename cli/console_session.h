// SPDX-License-Identifier: GPL-2.0-or-later
// What kelvane-cli keeps while it runs: the settings file and the settings
// read from it, and the engine's resources.
#pragma once

#include <string>

#include "engine/file_ops_library.h"
#include "engine/settings.h"
#include "engine/settings_store.h"
#include "engine/temp_folder.h"
#include "export/tag_library.h"

namespace kelvane::cli {

struct ConsoleSession {
  // settingsFile empty: the desktop program's settings file. The settings
  // are read as the desktop program reads them, with its sound
  // availability (the cue files beside the program) so that a console run
  // leaves its sound option as it is; the console itself plays no cues.
  explicit ConsoleSession(const std::string& settingsFile)
      : store(settingsFile.empty() ? DefaultSettingsPath() : settingsFile),
        settings(LoadSettings(store, true, ProgramFolder())) {}

  SettingsStore store;
  Settings settings;
  FileOpsLibrary fileOps;
  TempFolder tempFolder;
  const TagLibrary& library = TagLibrary::BuiltIn();
};

}  // namespace kelvane::cli
