// SPDX-License-Identifier: GPL-2.0-or-later
// What engine operations need from their caller besides the photo itself.
#pragma once

#include "engine/file_ops_library.h"
#include "engine/settings.h"
#include "engine/temp_folder.h"
#include "engine/user_interface.h"

namespace kelvane {

struct EngineContext {
  FileOpsLibrary& fileOps;
  TempFolder& tempFolder;
  ProgramOptions options;
  // Progress and event pumping during long copies; may be null (no display).
  UserInterface* ui = nullptr;
  FileProgressRange progress;
};

}  // namespace kelvane
