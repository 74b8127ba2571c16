// SPDX-License-Identifier: GPL-2.0-or-later
// The command line's words: global options anywhere, a command's options
// after its name, values joined or separate, and every usage error.
#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace kelvane::cli {
namespace {

ParsedCommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CommandLine, ReadsGlobalOptionsCommandOptionsAndPath) {
  const ParsedCommandLine parsed = Parse({"--settings", "/tmp/k.ini", "--yes", "shift-time", "--days", "-3",
                                          "--time=+01:30:00", "--json", "photos/", "--quiet"});
  ASSERT_EQ(parsed.error, "");
  const CommandLine& line = parsed.line;
  EXPECT_EQ(line.global.settingsFile, "/tmp/k.ini");
  EXPECT_TRUE(line.global.yes);
  EXPECT_TRUE(line.global.json);
  EXPECT_TRUE(line.global.quiet);
  ASSERT_TRUE(line.command);
  EXPECT_EQ(*line.command, CommandName::ShiftTime);
  EXPECT_EQ(line.Value("--days"), "-3") << "a value is taken whatever it starts with";
  EXPECT_EQ(line.Value("--time"), "+01:30:00");
  EXPECT_FALSE(line.Has("--date"));
  EXPECT_EQ(line.path, "photos/");
}

TEST(CommandLine, EveryCommandWordSelectsItsCommand) {
  const std::pair<const char*, CommandName> words[] = {
      {"file-time", CommandName::FileTime}, {"shift-time", CommandName::ShiftTime},
      {"prefix", CommandName::Prefix},      {"restore", CommandName::Restore},
      {"create", CommandName::Create},      {"copyright", CommandName::Copyright},
      {"describe", CommandName::Describe},  {"export", CommandName::Export},
      {"wipe", CommandName::Wipe},          {"dump", CommandName::Dump}};
  for (const auto& [word, name] : words) {
    const ParsedCommandLine parsed = Parse({word, "x"});
    EXPECT_EQ(parsed.error, "") << word;
    EXPECT_EQ(parsed.line.command, name) << word;
    EXPECT_EQ(EntryOf(name).word, word);
  }
}

TEST(CommandLine, SwitchesEmptyValuesAndTheEndOfOptions) {
  ParsedCommandLine parsed = Parse({"prefix", "--sequence", "--add", "", "--", "--odd name"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.line.Has("--sequence"));
  EXPECT_TRUE(parsed.line.Has("--add"));
  EXPECT_EQ(parsed.line.Value("--add"), "");
  EXPECT_EQ(parsed.line.path, "--odd name");

  parsed = Parse({"copyright", "--photographer=", "-", "--editor", "Ann"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.line.Has("--photographer"));
  EXPECT_EQ(parsed.line.path, "-") << "a lone dash is a path";
}

TEST(CommandLine, HelpAndVersionNeedNoPath) {
  ParsedCommandLine parsed = Parse({"--help"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.line.help);
  EXPECT_FALSE(parsed.line.command);

  parsed = Parse({"export", "-h"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.line.help);
  EXPECT_EQ(parsed.line.command, CommandName::Export);
  EXPECT_NE(CommandHelp(CommandName::Export).find("--initial-number N"), std::string::npos);
  EXPECT_NE(ProgramHelp().find("  wipe "), std::string::npos);

  parsed = Parse({"--version"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.line.version);
  EXPECT_EQ(Parse({"--version=1"}).error, "option '--version' takes no value");
  EXPECT_EQ(Parse({"-h=1"}).error, "option '--help' takes no value");
}

TEST(CommandLine, UsageErrors) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{}, "no command given"},
      {{"--yes"}, "no command given"},
      {{"rename", "x"}, "unknown command 'rename'"},
      {{"file-time"}, "file-time needs a PATH"},
      {{"undo", "a", "b"}, "more than one RUN given ('b')"},
      {{"file-time", "a", ""}, "a PATH is empty"},
      {{"--days", "3", "shift-time", "x"}, "unknown option '--days' (a command's options follow its name)"},
      {{"file-time", "--days", "3", "x"}, "unknown option '--days' for file-time"},
      {{"shift-time", "x", "--days"}, "option '--days' needs a value"},
      {{"prefix", "--sequence=yes", "x"}, "option '--sequence' takes no value"},
      {{"--json=1", "dump", "x"}, "option '--json' takes no value"},
      {{"prefix", "--add", "a", "--add", "b", "x"}, "option '--add' given twice"},
      {{"--yes", "wipe", "--yes", "x"}, "option '--yes' given twice"},
      {{"dump", "x", "--settings"}, "option '--settings' needs a value"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Parse(c.args).error, c.error) << ::testing::PrintToString(c.args);
  }
}

}  // namespace
}  // namespace kelvane::cli
