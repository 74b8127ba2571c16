// SPDX-License-Identifier: GPL-2.0-or-later
// The sound cues: the three wave files played through Qt Multimedia, and
// the system beeps that stand in for them when sounds are off.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "engine/user_interface.h"

class QSoundEffect;

namespace kelvane {

// True when the system offers at least one audio output.
bool AudioOutputAvailable();

// One beep, two for Error.
void BeepFor(SoundCue cue);

class CueSounds {
 public:
  // cueFolder holds success.wav, error.wav and attention.wav.
  explicit CueSounds(std::string cueFolder);
  ~CueSounds();
  CueSounds(const CueSounds&) = delete;
  CueSounds& operator=(const CueSounds&) = delete;

  // Starts the cue and returns at once; each file is loaded on its first use.
  void Play(SoundCue cue);

 private:
  std::string folder_;
  std::array<std::unique_ptr<QSoundEffect>, 3> effects_;
};

// The cue while sounds are enabled, else the beeps.
void CueOrBeep(CueSounds& sounds, bool soundsEnabled, SoundCue cue);

}  // namespace kelvane
