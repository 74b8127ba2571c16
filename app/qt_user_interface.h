// SPDX-License-Identifier: GPL-2.0-or-later
// The user-interface ports over the main window's widgets: message boxes,
// beeps for the cues, the busy cursor, the progress bar, the two status
// panels, notices in the status bar, the event pump and the Cancel flag.
#pragma once

#include <functional>

#include "batch/run_state.h"
#include "engine/settings.h"
#include "engine/user_interface.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace kelvane {

inline constexpr const char* kFilesProcessedText = "Files Processed: ";
inline constexpr const char* kTotalFilesText = "Total Files: ";

class QtUserInterface : public UserDialogs, public RunObserver, public RunPresentation {
 public:
  // Shows a message and returns the answer; the window's boxes by default,
  // a scripted answerer in tests.
  using MessagePresenter = std::function<MessageAnswer(const Message&)>;

  QtUserInterface(QWidget& window, RunState& state, QProgressBar& progress, QLabel& processedPanel, QLabel& totalPanel);
  ~QtUserInterface() override;
  QtUserInterface(const QtUserInterface&) = delete;
  QtUserInterface& operator=(const QtUserInterface&) = delete;

  // Plays the cues (the program's sounds, or beeps while they are off).
  using CuePlayer = std::function<void(SoundCue)>;
  void SetCuePlayer(CuePlayer player) { cuePlayer_ = std::move(player); }

  void SetMessagePresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }

  // The window's Run and Cancel commands and its refresh, which the runs
  // reach through the port.
  struct WindowCommands {
    std::function<void(bool)> setRunEnabled;
    std::function<void(bool)> setCancelEnabled;
    std::function<void()> arrange;
  };
  void AttachWindowCommands(WindowCommands commands) { commands_ = std::move(commands); }

  // While a box is shown the pointer is the ordinary arrow, whatever the run
  // has set.
  MessageAnswer Show(const Message& message) override;
  // Through the cue player; without one, one beep, two for Error.
  void Cue(SoundCue cue) override;
  void SetBusy(bool busy) override;
  void SetProgress(int value) override;
  void SetStatus(int panel, const std::string& text) override;
  // In the window's status bar for a while.
  void Notice(const std::string& text) override;
  void PumpEvents() override;
  bool CancelRequested() override { return state_.CancelRequested; }
  void SetRunEnabled(bool enabled) override;
  void SetCancelEnabled(bool enabled) override;
  void ArrangeForFunction() override;

 private:
  QWidget& window_;
  RunState& state_;
  QProgressBar& progress_;
  QLabel& processedPanel_;
  QLabel& totalPanel_;
  MessagePresenter presenter_;
  WindowCommands commands_;
  bool busy_ = false;
  CuePlayer cuePlayer_;
};

}  // namespace kelvane
