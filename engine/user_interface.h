// SPDX-License-Identifier: GPL-2.0-or-later
// How the batch and export layers reach the user, in three narrow ports:
// what asks the user (message boxes), what observes a run (progress, the
// status counters, the event pump and Cancel), and what only a window
// presents (the sound cue of a box, the busy cursor, the Run and Cancel
// buttons). The desktop window implements all three, the console the first
// two, the tests all three. No state lives here.
#pragma once

#include <string>

namespace kelvane {

enum class MessageIcon { kNone, kInformation, kExclamation, kCritical, kQuestion };
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MessageAnswer { kOk, kCancel, kYes, kNo };
// The sound that accompanies a box.
enum class SoundCue : int { Success = 0, Error = 1, Attention = 2 };

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

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // Shows a modal box and returns the button pressed.
  virtual MessageAnswer Show(const Message& message) = 0;
};

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // The progress bar, 0..100.
  virtual void SetProgress(int value) = 0;
  // Status panel 1 ("Files Processed: ") or 2 ("Total Files: ").
  virtual void SetStatus(int panel, const std::string& text) = 0;
  // A line about the run that needs no answer (a wait for another run,
  // temporary files of an interrupted run removed).
  virtual void Notice(const std::string& text) = 0;
  // Lets pending events run (a Cancel press among them).
  virtual void PumpEvents() = 0;
  virtual bool CancelRequested() = 0;
};

class RunPresentation {
 public:
  virtual ~RunPresentation() = default;
  // Plays the cue when sounds are enabled; otherwise one beep, two for Error.
  virtual void Cue(SoundCue cue) = 0;
  virtual void SetBusy(bool busy) = 0;
  // The Run button together with its "&Run" menu twin, and the Cancel button.
  virtual void SetRunEnabled(bool enabled) = 0;
  virtual void SetCancelEnabled(bool enabled) = 0;
  // The main window's refresh of its controls for the selected function,
  // which ends every run.
  virtual void ArrangeForFunction() = 0;
};

// The three ports as the layers use them; a console passes no presentation.
class RunUi {
 public:
  RunUi(UserDialogs& dialogs, RunObserver& observer, RunPresentation* presentation = nullptr)
      : dialogs_(dialogs), observer_(observer), presentation_(presentation) {}

  MessageAnswer Show(const Message& message) { return dialogs_.Show(message); }
  void SetProgress(int value) { observer_.SetProgress(value); }
  void SetStatus(int panel, const std::string& text) { observer_.SetStatus(panel, text); }
  void Notice(const std::string& text) { observer_.Notice(text); }
  void PumpEvents() { observer_.PumpEvents(); }
  bool CancelRequested() { return observer_.CancelRequested(); }
  void Cue(SoundCue cue) {
    if (presentation_ != nullptr) presentation_->Cue(cue);
  }
  void SetBusy(bool busy) {
    if (presentation_ != nullptr) presentation_->SetBusy(busy);
  }
  void SetRunEnabled(bool enabled) {
    if (presentation_ != nullptr) presentation_->SetRunEnabled(enabled);
  }
  void SetCancelEnabled(bool enabled) {
    if (presentation_ != nullptr) presentation_->SetCancelEnabled(enabled);
  }
  void ArrangeForFunction() {
    if (presentation_ != nullptr) presentation_->ArrangeForFunction();
  }

 private:
  UserDialogs& dialogs_;
  RunObserver& observer_;
  RunPresentation* presentation_;
};

}  // namespace kelvane
