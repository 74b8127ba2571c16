// SPDX-License-Identifier: GPL-2.0-or-later
// What kelvane-cli keeps while it runs: the settings it reads, and the
// engine's resources.
#pragma once

#include <string>

#include "engine/file_ops_library.h"
#include "engine/settings.h"
#include "engine/settings_store.h"
#include "export/tag_library.h"

namespace kelvane::cli {

struct ConsoleSession {
  // settingsFile empty: the desktop program's settings file. The console
  // program reads the settings as the desktop program does, but never
  // writes them: what a run would store (a default written back, a standard
  // text) is kept in memory for that run only. Sound is taken as available
  // so that the sound option reads as stored; the console plays no cues.
  explicit ConsoleSession(const std::string& settingsFile)
      : store(settingsFile.empty() ? DefaultSettingsPath() : settingsFile, SettingsStore::Writes::kInMemory),
        settings(LoadSettings(store, true)) {}

  SettingsStore store;
  Settings settings;
  FileOpsLibrary fileOps;
  const TagLibrary& library = TagLibrary::BuiltIn();
};

// What is wrong with a file given as --settings: empty when it is a
// readable regular text file (no NUL bytes) of at most 1 MiB.
std::string SettingsFileProblem(const std::string& path);

}  // namespace kelvane::cli
