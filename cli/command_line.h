// SPDX-License-Identifier: GPL-2.0-or-later
// The command line of kelvane-cli:
//   kelvane-cli [--settings FILE] [--yes] [--json] [--quiet] [--dry-run] COMMAND [OPTIONS] PATH
// Only the words are read here; what the values mean is worked out by the
// command's run request. The tables of commands and options are also what
// the manual page and the shell completions are generated from.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::cli {

enum class CommandName {
  FileTime,
  ShiftTime,
  Prefix,
  Restore,
  Create,
  Copyright,
  Describe,
  Export,
  Wipe,
  Dump,
  History,
  Undo,
};

// What a command does with the words after its options: one or more PATHs,
// at most one, or none.
enum class PathUse { kRequired, kOptional, kNone };

struct OptionEntry {
  std::string_view name;  // with its leading "--"
  bool takesValue = false;
  std::string_view valueName;  // for the help text
  std::string_view help;
  std::string_view shortName = {};  // e.g. "-h"; empty when there is none
};

struct CommandEntry {
  CommandName name;
  std::string_view word;
  std::string_view summary;
  std::string_view pathHelp;
  std::vector<OptionEntry> options;
  PathUse path = PathUse::kRequired;
  std::string_view pathName = "PATH";
};

// Every command, in the order of the program's functions.
std::span<const CommandEntry> Commands();
const CommandEntry& EntryOf(CommandName name);
// The options that may stand anywhere on the line.
std::span<const OptionEntry> GlobalOptionEntries();

struct GlobalOptions {
  std::string settingsFile;  // empty: the desktop program's settings file
  bool yes = false;
  bool json = false;
  bool quiet = false;
  bool dryRun = false;     // work out and print what would change; write nothing
  bool noJournal = false;  // keep no journal: the run can't be undone
  bool noXmp = false;      // leave the photos' XMP and their sidecars as they are
  bool recursive = false;  // the folders below a folder PATH too
  bool allFiles = false;   // take every file for a photo, as the desktop program does
  bool verbose = false;    // list the files passed over
};

struct CommandLine {
  GlobalOptions global;
  bool help = false;                   // --help: print help instead of running
  bool version = false;                // --version: print the version instead of running
  std::optional<CommandName> command;  // always set unless help or version is
  // The command's options as given: name -> value ("" for a switch).
  std::map<std::string, std::string, std::less<>> options;
  std::string path;                // the first of paths
  std::vector<std::string> paths;  // every PATH, in order

  bool Has(std::string_view option) const { return options.find(option) != options.end(); }
  // The option's value; empty when it was not given.
  std::string Value(std::string_view option) const;
};

struct ParsedCommandLine {
  CommandLine line;
  std::string error;  // not empty: a usage error, to be shown with exit status 64
};

// Reads the arguments after the program name. Global options may stand
// anywhere; a command's options follow its name; "--" ends the options;
// "--name=value" and "--name value" are the same. An option that takes a
// value takes the next word whatever it is, so "--days -3" works.
ParsedCommandLine ParseCommandLine(std::span<const std::string> args);

// The program's help, and the help of one command.
std::string ProgramHelp();
std::string CommandHelp(CommandName name);

}  // namespace kelvane::cli
