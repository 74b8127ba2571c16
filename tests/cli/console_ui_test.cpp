// SPDX-License-Identifier: GPL-2.0-or-later
// The console's user interface: how boxes are printed and where, how
// questions are answered (terminal, --yes, refused), the counters and
// Ctrl-C as Cancel.
#include "cli/console_ui.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <sstream>

#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "cli/interrupt_watch.h"

namespace kelvane::cli {
namespace {

Message Box(std::string title, std::string text, MessageIcon icon = MessageIcon::kNone,
            MessageButtons buttons = MessageButtons::kOk, int defaultButton = 0) {
  return {std::move(title), std::move(text), icon, buttons, defaultButton};
}

struct Console {
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  bool cancel = false;
  ConsoleUi ui;

  explicit Console(ConsoleOptions options, std::string input = {})
      : in(std::move(input)), ui(options, in, out, err, [this] { return cancel; }) {}
};

TEST(ConsoleUi, PrintsTitleAndLinesOfEachBox) {
  EXPECT_EQ(MessageForConsole(Box("Completion Message", kAllFilesProcessed)),
            "Completion Message: All files processed successfully\n");
  EXPECT_EQ(MessageForConsole(Box("Completion Message", "Heading:\ra.jpg as X\rb.jpg as Y\r")),
            "Completion Message: Heading:\n  a.jpg as X\n  b.jpg as Y\n");
  EXPECT_EQ(MessageForConsole(Box("Confirm", "t.csv\n - already exists,\n\nOverwrite ?")),
            "Confirm: t.csv\n   - already exists,\n\n  Overwrite ?\n");
  EXPECT_EQ(MessageForConsole(Box("T", "one\r\ntwo")), "T: one\n  two\n") << "CR LF is one line break";
}

TEST(ConsoleUi, CompletionsToStdoutWarningsAndFailuresToStderr) {
  Console console({});
  console.ui.Show(Box("Error", "Folder not found", MessageIcon::kCritical));
  console.ui.Show(Box("Error", "Restore file not set", MessageIcon::kExclamation));
  console.ui.Show(CompletionMessage("All files processed successfully"));
  EXPECT_EQ(console.out.str(), "Completion Message: All files processed successfully\n");
  EXPECT_EQ(console.err.str(), "Error: Folder not found\nError: Restore file not set\n");
  EXPECT_EQ(console.ui.Shown().size(), 3u);
}

TEST(ConsoleUi, QuietKeepsOnlyWhatNeedsAttentionAndJsonPrintsNothing) {
  ConsoleOptions quiet;
  quiet.quiet = true;
  Console console(quiet);
  console.ui.Show(CompletionMessage(kAllFilesProcessed));
  console.ui.Show(CompletionMessage("The following files where not processed successfuly:\ra.jpg as X\r"));
  EXPECT_EQ(console.out.str(),
            "Completion Message: The following files where not processed successfuly:\n"
            "  a.jpg as X\n");

  ConsoleOptions json;
  json.json = true;
  Console silent(json);
  silent.ui.Show(CompletionMessage(kAllFilesProcessed));
  silent.ui.Show(Box("Error", "Folder not found", MessageIcon::kCritical));
  EXPECT_EQ(silent.out.str(), "");
  EXPECT_EQ(silent.err.str(), "");
  EXPECT_EQ(silent.ui.Shown().size(), 2u) << "kept for the report";
}

TEST(ConsoleUi, QuestionsWithoutATerminalAreRefusedUnlessYes) {
  const struct {
    MessageButtons buttons;
    MessageAnswer refused;
    MessageAnswer accepted;
  } cases[] = {
      {MessageButtons::kYesNo, MessageAnswer::kNo, MessageAnswer::kYes},
      {MessageButtons::kOkCancel, MessageAnswer::kCancel, MessageAnswer::kOk},
      // No would replace an existing database: a refusal must be Cancel.
      {MessageButtons::kYesNoCancel, MessageAnswer::kCancel, MessageAnswer::kYes},
  };
  for (const auto& c : cases) {
    Console refusing({});
    EXPECT_EQ(refusing.ui.Show(Box("Q", "Delete?", MessageIcon::kQuestion, c.buttons)), c.refused);
    EXPECT_TRUE(IsRefusal(refusing.ui.Shown().back()));
    EXPECT_NE(refusing.err.str().find("(no terminal to ask; --yes answers it)"), std::string::npos);

    ConsoleOptions yes;
    yes.yes = true;
    yes.interactive = true;
    Console accepting(yes, "n\n");
    EXPECT_EQ(accepting.ui.Show(Box("Q", "Delete?", MessageIcon::kQuestion, c.buttons)), c.accepted)
        << "--yes answers without asking, even on a terminal";
    EXPECT_FALSE(IsRefusal(accepting.ui.Shown().back()));
    EXPECT_NE(accepting.err.str().find("(--yes)"), std::string::npos);
  }
}

TEST(ConsoleUi, QuestionsOnATerminalTakeTheTypedAnswer) {
  ConsoleOptions terminal;
  terminal.interactive = true;
  const struct {
    MessageButtons buttons;
    int defaultButton;
    const char* typed;
    MessageAnswer answer;
    const char* prompt;
  } cases[] = {
      {MessageButtons::kYesNo, 1, "y\n", MessageAnswer::kYes, "[y]es / [N]o? "},
      {MessageButtons::kYesNo, 1, " YES \n", MessageAnswer::kYes, "[y]es / [N]o? "},
      {MessageButtons::kYesNo, 1, "\n", MessageAnswer::kNo, "[y]es / [N]o? "},
      {MessageButtons::kOkCancel, 1, "maybe\nok\n", MessageAnswer::kOk, "[o]k / [C]ancel? [o]k / [C]ancel? "},
      {MessageButtons::kYesNoCancel, 0, "n\n", MessageAnswer::kNo, "[Y]es / [n]o / [c]ancel? "},
      {MessageButtons::kYesNoCancel, 0, "", MessageAnswer::kCancel, "[Y]es / [n]o / [c]ancel? \n"},
  };
  for (const auto& c : cases) {
    Console console(terminal, c.typed);
    EXPECT_EQ(console.ui.Show(Box("Confirm", "Sure?", MessageIcon::kQuestion, c.buttons, c.defaultButton)), c.answer)
        << c.typed;
    EXPECT_EQ(console.err.str(), std::string("Confirm: Sure?\n") + c.prompt) << c.typed;
  }
}

TEST(ConsoleUi, CountsKeepTheirHighestValuesThroughTheReset) {
  Console console({});
  console.ui.SetStatus(2, std::string(kTotalFiles) + "12");
  console.ui.SetStatus(1, std::string(kFilesProcessed) + "11");
  RunUi ports(console.ui, console.ui);
  ResetAfterRun(ports);
  EXPECT_EQ(console.ui.TotalFiles(), 12u);
  EXPECT_EQ(console.ui.FilesProcessed(), 11u);
}

TEST(ConsoleUi, ProgressOnlyOnATerminalAndClearedBeforeABox) {
  ConsoleOptions terminal;
  terminal.progress = true;
  Console console(terminal);
  console.ui.SetStatus(2, std::string(kTotalFiles) + "4");
  console.ui.SetProgress(50);
  console.ui.Show(CompletionMessage(kAllFilesProcessed));
  EXPECT_EQ(console.err.str(), "\rFiles Processed: 0 of 4  50%\033[K\r\033[K");

  terminal.quiet = true;
  Console quiet(terminal);
  quiet.ui.SetProgress(50);
  EXPECT_EQ(quiet.err.str(), "");
}

TEST(ConsoleUi, CancelIsNoticedWhenEventsArePumped) {
  Console console({});
  EXPECT_FALSE(console.ui.CancelRequested());
  console.cancel = true;
  EXPECT_FALSE(console.ui.CancelRequested()) << "only a pump takes the key press in";
  console.ui.PumpEvents();
  EXPECT_TRUE(console.ui.CancelRequested());
  console.cancel = false;
  console.ui.PumpEvents();
  EXPECT_TRUE(console.ui.CancelRequested()) << "a Cancel stays pressed for the run";
}

TEST(InterruptWatch, HoldsCtrlCBackUntilAskedAndRestoresTheMask) {
  sigset_t before;
  sigprocmask(SIG_BLOCK, nullptr, &before);
  {
    InterruptWatch watch;
    EXPECT_FALSE(watch.Interrupted());
    raise(SIGINT);  // blocked: it waits instead of ending the test program
    EXPECT_TRUE(watch.Interrupted());
    EXPECT_TRUE(watch.Interrupted());
  }
  {
    InterruptWatch watch;
    EXPECT_FALSE(watch.Interrupted()) << "the earlier signal was taken";
    raise(SIGINT);
  }  // taken by the destructor, or the signal would end the test program here
  sigset_t after;
  sigprocmask(SIG_BLOCK, nullptr, &after);
  EXPECT_EQ(sigismember(&after, SIGINT), sigismember(&before, SIGINT));
}

}  // namespace
}  // namespace kelvane::cli
