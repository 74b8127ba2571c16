// SPDX-License-Identifier: GPL-2.0-or-later
// The one way the batch and export layers reach the user: message boxes,
// cues, progress, the status texts, the busy cursor, the event pump and the
// Cancel command. The desktop window, the command line and the tests each
// implement it.
#pragma once

#include <string>

#include "engine/sound_cue.h"

namespace kelvane {

enum class MessageIcon { kNone, kInformation, kExclamation, kCritical, kQuestion };
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MessageAnswer { kOk, kCancel, kYes, kNo };

struct Message {
  std::string title;
  // Lines are separated by a lone carriage return (or a line feed where the
  // text says so); the user interface turns them into line breaks for display.
  std::string text;
  MessageIcon icon = MessageIcon::kNone;
  MessageButtons buttons = MessageButtons::kOk;
  // 0-based index of the default button in the order of `buttons`.
  int defaultButton = 0;
};

// The stretch of the progress bar that belongs to the file being processed:
// long copies inside an engine operation move the bar within it.
struct FileProgressRange {
  int first = 0;
  int last = 0;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // Shows a modal box and returns the button pressed.
  virtual MessageAnswer Show(const Message& message) = 0;
  // Plays the cue when sounds are enabled; otherwise one beep, two for Error.
  virtual void Cue(SoundCue cue) = 0;
  virtual void SetBusy(bool busy) = 0;
  // The progress bar, 0..100.
  virtual void SetProgress(int value) = 0;
  // Status panel 1 ("Files Processed: ") or 2 ("Total Files: ").
  virtual void SetStatus(int panel, const std::string& text) = 0;
  // Lets pending window events run (a Cancel press among them).
  virtual void PumpEvents() = 0;
  virtual bool CancelRequested() = 0;
  // The Run button together with its "&Run" menu twin, and the Cancel button.
  virtual void SetRunEnabled(bool enabled) = 0;
  virtual void SetCancelEnabled(bool enabled) = 0;
  // The main window's refresh of its controls for the selected function,
  // which ends every run.
  virtual void ArrangeForFunction() = 0;
};

}  // namespace kelvane
