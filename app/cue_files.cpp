// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cue_files.h"

#include "engine/utility_functions.h"

namespace kelvane {

const char* CueFileName(SoundCue cue) {
  switch (cue) {
    case SoundCue::Success:
      return "success.wav";
    case SoundCue::Error:
      return "error.wav";
    case SoundCue::Attention:
      return "attention.wav";
  }
  return "";
}

std::string CuePath(const std::string& programFolder, SoundCue cue) {
  if (programFolder.empty()) return {};
  std::string path = programFolder;
  if (path.back() != '/') path += '/';
  return path + CueFileName(cue);
}

bool AllCuesPresent(const std::string& programFolder) {
  for (const SoundCue cue : {SoundCue::Success, SoundCue::Error, SoundCue::Attention}) {
    if (!FileExists(CuePath(programFolder, cue))) return false;
  }
  return true;
}

}  // namespace kelvane
