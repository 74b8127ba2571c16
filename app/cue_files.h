// SPDX-License-Identifier: GPL-2.0-or-later
// The three wave files of the sound cues in the program's folder.
#pragma once

#include <string>

#include "engine/user_interface.h"

namespace kelvane {

// The cue's wave file name, and its path in the program's folder (empty
// when the folder is unknown).
const char* CueFileName(SoundCue cue);
std::string CuePath(const std::string& programFolder, SoundCue cue);
// True when all three files are in the folder.
bool AllCuesPresent(const std::string& programFolder);

}  // namespace kelvane
