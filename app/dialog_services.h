// SPDX-License-Identifier: GPL-2.0-or-later
// What the Options, start message, About and calculator windows need from
// the program besides the session: message boxes, sound cues and the help.
// The program wires the real ones; tests record what the dialogs ask for.
#pragma once

#include <functional>

#include "app/help_pages.h"
#include "engine/user_interface.h"
#include "engine/user_interface.h"

class QWidget;

namespace kelvane {

struct DialogServices {
  using Presenter = std::function<MessageAnswer(QWidget& parent, const Message& message)>;
  using CuePlayer = std::function<void(SoundCue cue)>;
  using HelpOpener = std::function<void(QWidget& from, HelpPage page, int topic)>;

  // A modal box over parent; by default the program's message box.
  Presenter show;
  // By default one beep, two for Error.
  CuePlayer cue;
  HelpOpener help;
};

// The program's message box and the beeps; the help is left to the owner.
DialogServices DefaultDialogServices();

}  // namespace kelvane
