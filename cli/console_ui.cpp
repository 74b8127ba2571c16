// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/console_ui.h"

#include <algorithm>
#include <cstdio>
#include <cctype>

#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "engine/utility_functions.h"

namespace kelvane::cli {

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);

struct Choice {
  const char* word;
  MessageAnswer answer;
};

std::vector<Choice> ChoicesOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
      return {{"ok", MessageAnswer::kOk}};
    case MessageButtons::kOkCancel:
      return {{"ok", MessageAnswer::kOk}, {"cancel", MessageAnswer::kCancel}};
    case MessageButtons::kYesNo:
      return {{"yes", MessageAnswer::kYes}, {"no", MessageAnswer::kNo}};
    case MessageButtons::kYesNoCancel:
      return {{"yes", MessageAnswer::kYes}, {"no", MessageAnswer::kNo}, {"cancel", MessageAnswer::kCancel}};
  }
  return {{"ok", MessageAnswer::kOk}};
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The count at the end of a status text such as "Total Files: 12".
size_t CountIn(const std::string& text, const std::string& label) {
  if (text.compare(0, label.size(), label) != 0) return 0;
  const int64_t count = LeadingNumber(std::string_view(text).substr(label.size()));
  return count > 0 ? static_cast<size_t>(count) : 0;
}

bool IsWarningOrFailure(const Message& message) {
  return message.icon == MessageIcon::kCritical || message.icon == MessageIcon::kExclamation;
}

bool IsCleanCompletion(const Message& message) {
  return message.title == CompletionMessage("").title && message.text.rfind(kAllFilesProcessed, 0) == 0;
}

}  // namespace

MessageAnswer RefusalOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
      return MessageAnswer::kOk;
    case MessageButtons::kYesNo:
      return MessageAnswer::kNo;
    case MessageButtons::kOkCancel:
    case MessageButtons::kYesNoCancel:
      break;
  }
  return MessageAnswer::kCancel;
}

MessageAnswer AcceptanceOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
    case MessageButtons::kOkCancel:
      return MessageAnswer::kOk;
    case MessageButtons::kYesNo:
    case MessageButtons::kYesNoCancel:
      break;
  }
  return MessageAnswer::kYes;
}

bool IsQuestion(const Message& message) { return message.buttons != MessageButtons::kOk; }

bool IsRefusal(const ShownMessage& shown) {
  return IsQuestion(shown.message) && shown.answer == RefusalOf(shown.message.buttons);
}

std::string MessageForConsole(const Message& message) {
  std::vector<std::string> lines(1);
  const std::string& text = message.text;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  std::string printed = message.title + ": " + lines.front() + "\n";
  for (size_t i = 1; i < lines.size(); ++i) {
    printed += lines[i].empty() ? "\n" : "  " + lines[i] + "\n";
  }
  return printed;
}

ConsoleUi::ConsoleUi(ConsoleOptions options, std::istream& in, std::ostream& out, std::ostream& err,
                     std::function<bool()> cancelPressed)
    : options_(options), in_(in), out_(out), err_(err), cancelPressed_(std::move(cancelPressed)) {
  if (options_.quiet) options_.progress = false;
}

MessageAnswer ConsoleUi::Show(const Message& message) {
  ClearProgress();
  MessageAnswer answer = MessageAnswer::kOk;
  if (IsQuestion(message)) {
    answer = Ask(message);
  } else if (!options_.json && !(options_.quiet && IsCleanCompletion(message)) &&
             !((options_.dryRun || options_.deferCompletion) && message.title == CompletionMessage("").title)) {
    std::ostream& stream = IsWarningOrFailure(message) ? err_ : out_;
    stream << MessageForConsole(message) << std::flush;
  }
  shown_.push_back({message, answer});
  return answer;
}

MessageAnswer ConsoleUi::Ask(const Message& message) {
  const std::vector<Choice> choices = ChoicesOf(message.buttons);
  if (options_.yes || !options_.interactive) {
    const MessageAnswer answer = options_.yes ? AcceptanceOf(message.buttons) : RefusalOf(message.buttons);
    if (!options_.quiet) {
      const auto chosen = std::find_if(choices.begin(), choices.end(),
                                       [answer](const Choice& choice) { return choice.answer == answer; });
      err_ << MessageForConsole(message) << "-> " << chosen->word
           << (options_.yes ? " (--yes)\n" : " (no terminal to ask; --yes answers it)\n") << std::flush;
    }
    return answer;
  }

  const size_t defaultIndex = std::min(static_cast<size_t>(std::max(message.defaultButton, 0)), choices.size() - 1);
  std::string prompt;
  for (size_t i = 0; i < choices.size(); ++i) {
    // The default answer (an empty reply) shows its letter in capitals.
    std::string word = choices[i].word;
    if (i == defaultIndex) word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    prompt += (i > 0 ? " / [" : "[") + word.substr(0, 1) + "]" + word.substr(1);
  }
  err_ << MessageForConsole(message);
  std::string reply;
  while (true) {
    err_ << prompt << "? " << std::flush;
    if (!std::getline(in_, reply)) {
      err_ << "\n";
      return RefusalOf(message.buttons);
    }
    reply = Lower(Trim(reply));
    if (reply.empty()) return choices[defaultIndex].answer;
    for (const Choice& choice : choices) {
      const std::string word = choice.word;
      if (reply == word || reply == word.substr(0, 1)) return choice.answer;
    }
  }
}

void ConsoleUi::SetProgress(int value) {
  progress_ = value;
  if (value == 0) return ClearProgress();
  DrawProgress();
}

void ConsoleUi::Notice(const std::string& text) {
  ClearProgress();
  err_ << "kelvane-cli: " << text << "\n" << std::flush;
  notices_.push_back(text);
}

void ConsoleUi::SetStatus(int panel, const std::string& text) {
  if (panel == 1) filesProcessed_ = std::max(filesProcessed_, CountIn(text, kFilesProcessed));
  if (panel == 2) {
    if (totalFiles_ == 0) started_ = std::chrono::steady_clock::now();
    totalFiles_ = std::max(totalFiles_, CountIn(text, kTotalFiles));
  }
  DrawProgress();
}

void ConsoleUi::PumpEvents() {
  if (!cancelled_ && cancelPressed_ && cancelPressed_()) cancelled_ = true;
}

void ConsoleUi::DrawProgress() {
  if (!options_.progress || progress_ <= 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (progressShown_ && now - lastDrawn_ < kProgressInterval && progress_ < 100) return;
  lastDrawn_ = now;
  // The time left, once a few files have shown the pace.
  std::string eta;
  if (filesProcessed_ >= 3 && filesProcessed_ < totalFiles_) {
    const auto spent = std::chrono::duration_cast<std::chrono::seconds>(now - started_).count();
    const auto left = static_cast<long long>(spent) * static_cast<long long>(totalFiles_ - filesProcessed_) /
                      static_cast<long long>(filesProcessed_);
    char text[32];
    std::snprintf(text, sizeof text, "  ETA %lld:%02lld", left / 60, left % 60);
    eta = text;
  }
  err_ << "\r" << kFilesProcessed << filesProcessed_ << " of " << totalFiles_ << "  " << progress_ << "%" << eta
       << "\033[K" << std::flush;
  progressShown_ = true;
}

void ConsoleUi::ClearProgress() {
  if (!progressShown_) return;
  err_ << "\r\033[K" << std::flush;
  progressShown_ = false;
}

}  // namespace kelvane::cli
