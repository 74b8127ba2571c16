// SPDX-License-Identifier: GPL-2.0-or-later
// The tag library release check every export writer makes before writing.
#pragma once

#include "engine/settings_store.h"
#include "engine/user_interface.h"
#include "export/tag_library.h"

namespace kelvane {

enum class ReleaseAdvice { Worksheets, Databases };

// The release last seen by an export (GENERAL/RESVer), 0 when it is not a
// number in 1..32768.
int64_t PreviousLibraryRelease(const SettingsStore& settings);

// Tells the user when the library is newer than the one the last export
// used, and records the current release.
void CheckLibraryRelease(const TagLibrary& library, SettingsStore& settings, RunUi& ui, ReleaseAdvice advice);

}  // namespace kelvane
