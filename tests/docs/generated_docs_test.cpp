// SPDX-License-Identifier: GPL-2.0-or-later
// The manual page and completions written at build time name every command
// and option of kelvane-cli's table, man renders both pages without a
// warning, and the bash completion offers what the table says.
#include <gtest/gtest.h>

#include <string>

#include "cli/command_line.h"
#include "docs/cli_manual_page.h"
#include "support/test_support.h"

namespace kelvane::docs {
namespace {

std::string Built(const std::string& name) {
  const test::Bytes bytes = test::ReadBytes(KELVANE_DOCS_DIR + name);
  return std::string(bytes.begin(), bytes.end());
}

TEST(GeneratedDocs, NameEveryCommandAndOptionOfTheTable) {
  const std::string page = Built("kelvane-cli.1");
  const std::string bash = Built("bash/kelvane-cli");
  const std::string zsh = Built("zsh/_kelvane-cli");
  ASSERT_FALSE(page.empty());
  const auto expectEverywhere = [&](std::string_view name) {
    EXPECT_NE(page.find(RoffText(name)), std::string::npos) << name;
    EXPECT_NE(bash.find(std::string(name)), std::string::npos) << name;
    EXPECT_NE(zsh.find(std::string(name)), std::string::npos) << name;
  };
  for (const cli::CommandEntry& command : cli::Commands()) {
    expectEverywhere(command.word);
    for (const cli::OptionEntry& option : command.options) expectEverywhere(option.name);
  }
  for (const cli::OptionEntry& option : cli::GlobalOptionEntries()) {
    expectEverywhere(option.name);
    if (!option.shortName.empty()) expectEverywhere(option.shortName);
  }
}

TEST(GeneratedDocs, ManRendersBothPagesWithoutWarnings) {
  if (!test::HaveProgram("man")) GTEST_SKIP() << "no man";
  for (const char* page : {"kelvane-cli.1", "kelvane.1"}) {
    const std::string path = test::ShellQuote(KELVANE_DOCS_DIR + std::string(page));
    const auto warnings = test::RunCommand("MANWIDTH=80 man --warnings -l " + path + " 2>&1 >/dev/null");
    ASSERT_TRUE(warnings) << page;
    EXPECT_EQ(*warnings, "") << page;
    const auto text = test::RunCommand("MANWIDTH=80 man -l " + path + " 2>/dev/null");
    ASSERT_TRUE(text) << page;
    EXPECT_NE(text->find("EXIT STATUS"), std::string::npos) << page;
  }
}

TEST(GeneratedDocs, BashCompletionOffersTheTable) {
  if (!test::HaveProgram("bash")) GTEST_SKIP() << "no bash";
  const struct {
    const char* words;  // the line so far, the last word being completed
    const char* offered;
  } cases[] = {
      {"kelvane-cli sh", "shift-time"},
      {"kelvane-cli --yes export --form", "--format"},
      {"kelvane-cli --settings x.ini export --format ''", "csv dbcsv xlsx sqlite json"},
      {"kelvane-cli prefix --remove ''", ""},
      {"kelvane-cli dump --vers", "--version"},
  };
  for (const auto& c : cases) {
    const std::string script = "source " + test::ShellQuote(KELVANE_DOCS_DIR + std::string("bash/kelvane-cli")) +
                               "; COMP_WORDS=(" + c.words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); " +
                               "_kelvane_cli; echo \"${COMPREPLY[*]}\"";
    const auto offered = test::RunCommand("bash -c " + test::ShellQuote(script));
    ASSERT_TRUE(offered) << c.words;
    EXPECT_EQ(*offered, std::string(c.offered) + "\n") << c.words;
  }
}

}  // namespace
}  // namespace kelvane::docs
