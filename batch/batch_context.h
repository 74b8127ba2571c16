// SPDX-License-Identifier: GPL-2.0-or-later
// What a batch run works with: the shared run state, the settings, the
// user-interface ports, the engine's resources and how the run is to treat
// the photos (preview or write, journal). Owned by the front end (window or
// command line) and passed by reference.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "batch/run_report.h"
#include "batch/run_state.h"
#include "engine/file_ops_library.h"
#include "engine/photo_edit.h"
#include "engine/settings.h"
#include "engine/settings_store.h"
#include "engine/user_interface.h"
#include "export/export_table.h"
#include "export/tag_library.h"

namespace kelvane {

// Receives what a run works out for each photo before it writes: the
// preview of a dry run, and what the window's preview table shows.
class PlanSink {
 public:
  virtual ~PlanSink() = default;
  virtual void Planned(const std::string& photo, const std::vector<PreviewLine>& lines) = 0;
};

// What a preview showed, photo by photo: a run started from the preview
// carries out exactly this and leaves a photo whose plan came out otherwise.
using PreviewPlan = std::map<std::string, std::vector<PreviewLine>>;

struct RunSafety {
  // Work everything out and report it to `plan`, but write nothing: no
  // photo, file time, name, journal or setting changes.
  bool dryRun = false;
  PlanSink* plan = nullptr;
  const PreviewPlan* expected = nullptr;
  // Where the journals of write runs go; empty: no journal.
  std::string journalFolder;
  // Rewritten photos made durable together.
  size_t groupSize = 128;
};

struct BatchContext {
  RunState& state;
  Settings& settings;
  SettingsStore& store;
  RunUi& ui;
  FileOpsLibrary& fileOps;
  const TagLibrary& library;
  ExportOptions& exportOptions;
  // When set, a completed run leaves every failed file here: a console
  // report lists them all, where the completion message stops at ten.
  RunFailures* failures = nullptr;
  RunSafety safety{};
  // Temporary files of interrupted runs that this run removed.
  size_t removedTemporaries = 0;
  // The files a folder run passed over as no photos (SkipNonPhotos).
  std::vector<std::string> skippedFiles{};
};

}  // namespace kelvane
