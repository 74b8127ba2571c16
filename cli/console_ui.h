// SPDX-License-Identifier: GPL-2.0-or-later
// The batch layer's user-interface port on a console: messages printed with
// their title, confirmations asked on the terminal (or answered by --yes, or
// refused), progress on a terminal's stderr, Ctrl-C as the Cancel button.
// Every box and its answer are kept for the exit status and the report.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "engine/user_interface.h"

namespace kelvane::cli {

struct ConsoleOptions {
  bool yes = false;          // answer Yes / OK to every question without asking
  bool interactive = false;  // standard input is a terminal: questions are asked there
  bool json = false;         // messages go into the report only
  bool quiet = false;        // no progress, and no message when every file succeeded
  bool progress = false;     // stderr is a terminal: show a progress line there
  bool dryRun = false;       // the run writes nothing: its plan is printed instead of its completion message
  bool deferCompletion = false;  // one of several runs: the completion message is printed for all at the end
};

struct ShownMessage {
  Message message;
  MessageAnswer answer = MessageAnswer::kOk;
};

// A question's button that declines (No of Yes/No, Cancel otherwise) and the
// one that accepts (Yes, or OK of OK/Cancel).
MessageAnswer RefusalOf(MessageButtons buttons);
MessageAnswer AcceptanceOf(MessageButtons buttons);
bool IsQuestion(const Message& message);
// True when the answer declined the question: Cancel, or No of Yes/No (the
// No of Yes/No/Cancel is a choice, e.g. "replace").
bool IsRefusal(const ShownMessage& shown);

// The message as it is printed: the title on its own line, then the text with
// each carriage return (or CR LF) as a line break, each line indented.
std::string MessageForConsole(const Message& message);

class ConsoleUi : public UserDialogs, public RunObserver {
 public:
  // cancelPressed is asked while events are pumped: true once the user has
  // asked to cancel (Ctrl-C).
  ConsoleUi(ConsoleOptions options, std::istream& in, std::ostream& out, std::ostream& err,
            std::function<bool()> cancelPressed);

  MessageAnswer Show(const Message& message) override;
  // The progress line is cleared when the run resets the bar to 0.
  void SetProgress(int value) override;
  void SetStatus(int panel, const std::string& text) override;
  void PumpEvents() override;
  bool CancelRequested() override { return cancelled_; }
  // Printed on standard error at once, and kept for the report.
  void Notice(const std::string& text) override;

  const std::vector<ShownMessage>& Shown() const { return shown_; }
  const std::vector<std::string>& Notices() const { return notices_; }
  // The highest counts the status panels showed during the run ("Total
  // Files: ", "Files Processed: "); the reset after a run doesn't lower them.
  size_t TotalFiles() const { return totalFiles_; }
  size_t FilesProcessed() const { return filesProcessed_; }

 private:
  MessageAnswer Ask(const Message& message);
  void DrawProgress();
  void ClearProgress();

  ConsoleOptions options_;
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  std::function<bool()> cancelPressed_;
  bool cancelled_ = false;
  std::vector<ShownMessage> shown_;
  std::vector<std::string> notices_;
  size_t totalFiles_ = 0;
  size_t filesProcessed_ = 0;
  int progress_ = 0;
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastDrawn_{};
  std::chrono::steady_clock::time_point started_{};
};

}  // namespace kelvane::cli
