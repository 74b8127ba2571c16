// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cue_sounds.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "app/cue_files.h"
#include "engine/settings.h"

namespace kelvane {

bool AudioOutputAvailable() { return !QMediaDevices::audioOutputs().isEmpty(); }

void BeepFor(SoundCue cue) {
  QApplication::beep();
  if (cue == SoundCue::Error) QApplication::beep();
}

CueSounds::CueSounds(std::string cueFolder) : folder_(std::move(cueFolder)) {}

CueSounds::~CueSounds() = default;

void CueSounds::Play(SoundCue cue) {
  std::unique_ptr<QSoundEffect>& effect = effects_[static_cast<size_t>(cue)];
  if (!effect) {
    effect = std::make_unique<QSoundEffect>();
    effect->setSource(QUrl::fromLocalFile(QString::fromStdString(CuePath(folder_, cue))));
  }
  // A cue still loading plays as soon as it is loaded.
  effect->play();
}

void CueOrBeep(CueSounds& sounds, bool soundsEnabled, SoundCue cue) {
  if (soundsEnabled) {
    sounds.Play(cue);
  } else {
    BeepFor(cue);
  }
}

}  // namespace kelvane
