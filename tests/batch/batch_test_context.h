// SPDX-License-Identifier: GPL-2.0-or-later
// A batch context over test doubles: a scripted user interface, a settings
// store in a scratch folder, the built-in tag library.
#pragma once

#include <string>
#include <vector>

#include "batch/batch_context.h"
#include "engine/folder_listing.h"
#include "support/scripted_ui.h"
#include "support/test_support.h"

namespace kelvane::test {

struct BatchTestContext {
  ScratchFolder settingsFolder;
  RunState state;
  Settings settings;
  SettingsStore store{settingsFolder.File("qmre0118.ini")};
  ScriptedUi ui;
  FileOpsLibrary fileOps;
  ExportOptions exportOptions;
  BatchContext context{state, settings, store, ui.Ports(), fileOps, TagLibrary::BuiltIn(), exportOptions};
};

// The folder's file names, sorted.
inline std::vector<std::string> NamesIn(const ScratchFolder& folder) {
  return ListFolderFiles(folder.path().string() + "/").value_or(std::vector<std::string>{});
}

// A scratch folder holding a small file of each name (its content is the name).
inline void MakeFiles(const ScratchFolder& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) WriteBytes(folder.File(name), Bytes(name.begin(), name.end()));
}

}  // namespace kelvane::test
