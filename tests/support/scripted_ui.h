// SPDX-License-Identifier: GPL-2.0-or-later
// A user-interface double for headless tests: records every box, cue,
// progress value and status text, and answers questions from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/user_interface.h"

namespace kelvane::test {

class ScriptedUi : public UserDialogs, public RunObserver, public RunPresentation {
 public:
  // Answers to give, in order; a box with no scripted answer gets its
  // default button.
  std::deque<MessageAnswer> answers;
  // Makes CancelRequested() true from the n-th PumpEvents call on (0 = never).
  int cancelAfterPumps = 0;

  std::vector<Message> shown;
  std::vector<SoundCue> cues;
  std::vector<int> progress;
  std::vector<std::pair<int, std::string>> statuses;
  std::vector<std::string> notices;
  int pumps = 0;
  int busyChanges = 0;
  bool busy = false;

  MessageAnswer Show(const Message& message) override;
  void Cue(SoundCue cue) override { cues.push_back(cue); }
  void SetBusy(bool on) override {
    busy = on;
    ++busyChanges;
  }
  void SetProgress(int value) override { progress.push_back(value); }
  void SetStatus(int panel, const std::string& text) override { statuses.emplace_back(panel, text); }
  void Notice(const std::string& text) override { notices.push_back(text); }
  void PumpEvents() override { ++pumps; }
  bool CancelRequested() override { return cancelAfterPumps > 0 && pumps >= cancelAfterPumps; }
  void SetRunEnabled(bool enabled) override { runEnabled.push_back(enabled); }
  void SetCancelEnabled(bool enabled) override { cancelEnabled.push_back(enabled); }
  void ArrangeForFunction() override { ++arrangements; }

  // Every enabling and disabling, in order.
  std::vector<bool> runEnabled;
  std::vector<bool> cancelEnabled;
  int arrangements = 0;

  // The three ports as the layers take them.
  RunUi& Ports() { return bound_.ports; }

 private:
  // The ports stay bound to this object when a fresh one is assigned to it
  // (ui = ScriptedUi{} starts a test step afresh).
  struct BoundPorts {
    explicit BoundPorts(ScriptedUi& ui) : ports(ui, ui, &ui) {}
    BoundPorts(const BoundPorts&) = delete;
    BoundPorts& operator=(const BoundPorts&) { return *this; }
    RunUi ports;
  };
  BoundPorts bound_{*this};
};

}  // namespace kelvane::test
