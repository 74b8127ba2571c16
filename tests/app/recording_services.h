// SPDX-License-Identifier: GPL-2.0-or-later
// Dialog services for tests: every message and cue is recorded, questions
// get scripted answers (OK when none is left), help requests are noted.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/dialog_services.h"

namespace kelvane {

struct HelpRequest {
  HelpPage page;
  int topic;
};

struct Recorder {
  std::vector<Message> shown;
  std::vector<SoundCue> cues;
  std::vector<HelpRequest> help;
  std::deque<MessageAnswer> answers;

  // Services that report to this recorder; it must outlive them.
  DialogServices Services() {
    DialogServices services;
    services.show = [this](QWidget&, const Message& message) {
      shown.push_back(message);
      if (answers.empty()) return MessageAnswer::kOk;
      const MessageAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    };
    services.cue = [this](SoundCue cue) { cues.push_back(cue); };
    services.help = [this](QWidget&, HelpPage page, int topic) { help.push_back({page, topic}); };
    return services;
  }

  void Clear() {
    shown.clear();
    cues.clear();
    help.clear();
    answers.clear();
  }
};

}  // namespace kelvane
