// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/command_line.h"

#include <algorithm>

namespace kelvane::cli {

namespace {

const std::vector<CommandEntry>& CommandTable() {
  static const std::vector<CommandEntry> table = {
      {CommandName::FileTime,
       "file-time",
       "Adjust File Time: set each file's own times to the time the photo was taken.",
       "folders (every file in each) and photos, any number of them",
       {}},
      {CommandName::ShiftTime,
       "shift-time",
       "Adjust Photo Time in Metadata: shift the photo's three date/times, or set their date.",
       "folders (every file in each) and photos, any number of them",
       {{"--days", true, "[+-]N", "shift by N days (up to 4 digits); a minus sign means earlier"},
        {"--time", true, "[+-]HH:MM:SS", "shift by hours, minutes and seconds; a minus sign means earlier"},
        {"--date", true, "YYYYMMDD", "set the date itself (\"As Date\"); not with --days"}}},
      {CommandName::Prefix,
       "prefix",
       "Filename Prefix Add/Remove: remove leading characters, add a prefix, or number files in taken-time order.",
       "folders (every file in each) and files, any number of them",
       {{"--remove", true, "N", "remove the first N characters (1 to 9)"},
        {"--add", true, "TEXT", "add TEXT in front of each name"},
        {"--sequence", false, "",
         "add a sequence number in taken-time order (folders only); with --add, "
         "the number comes before TEXT"},
        {"--start", true, "N", "first sequence number (default 1)"}}},
      {CommandName::Restore,
       "restore",
       "Restore Photo Metadata: copy the Exif segment of a source photo into photos without one.",
       "folders (every file in each) and photos, any number of them",
       {{"--source", true, "PHOTO", "the photo whose metadata is copied (not in the folder restored)"}}},
      {CommandName::Create,
       "create",
       "Create Photo Metadata: give photos without metadata a minimal Exif segment.",
       "folders (every file in each) and photos, any number of them",
       {}},
      {CommandName::Copyright,
       "copyright",
       "Copyright Add / Edit: write the Photographer's and/or the Editor's copyright notice.",
       "folders (every file in each) and photos, any number of them",
       {{"--photographer", true, "NAME", "the Photographer's notice; an empty NAME deletes it"},
        {"--photographer-year", true, "YYYY", "the year of the Photographer's notice"},
        {"--editor", true, "NAME", "the Editor's notice; an empty NAME deletes it"},
        {"--editor-year", true, "YYYY", "the year of the Editor's notice"},
        {"--year-from-photo", false, "", "take the years from the photo's metadata"},
        {"--skip-existing", false, "", "leave photos that already have a notice alone"}}},
      {CommandName::Describe,
       "describe",
       "Image Description Add / Edit: replace, append to or prefix the photo's description.",
       "folders (every file in each) and photos, any number of them",
       {{"--text", true, "TEXT", "the description; an empty TEXT (replacing) deletes it"},
        {"--append", false, "", "put TEXT after the existing description"},
        {"--prefix", false, "", "put TEXT before the existing description"},
        {"--skip-existing", false, "", "leave photos that already have a description alone"}}},
      {CommandName::Export,
       "export",
       "Export Metadata: collect the tags of the photos into a table file.",
       "folders (every file in each) and photos, any number of them",
       {{"--format", true, "csv|dbcsv|xlsx|sqlite|json",
         "spreadsheet CSV (default), database CSV files, workbook, "
         "SQLite database or JSON (one object per photo, values as data)"},
        {"--to", true, "PATH",
         "the export file, or the folder for one file per photo; - writes a csv or json export to standard output "
         "(messages go to standard error)"},
        {"--per-photo", false, "", "one output per photo (csv: a file, xlsx: a worksheet)"},
        {"--exclude-technical", false, "",
         "leave out the technical tags (camera settings, make and model, offsets); keep the image size and "
         "orientation, date/times, texts, copyright and GPS position"},
        {"--initial-number", true, "N", "database CSV: the first file number"}}},
      {CommandName::Wipe,
       "wipe",
       "Wipe / Delete Files: overwrite files with zero bytes, then delete them.",
       "folders (every file in each) and files, any number of them",
       {}},
      {CommandName::Dump,
       "dump",
       "Show what the Exif reader finds in one photo (the nine tag slots, the ten locator numbers), "
       "then its IFD0, Exif IFD and GPS tags as the export formats them.",
       "photos, any number of them",
       {}},
      {CommandName::History,
       "history",
       "List the runs that changed photos (newest first): id, start, function, folder, photos changed, "
       "and whether each completed, was interrupted or was undone.",
       "",
       {},
       PathUse::kNone},
      {CommandName::Undo,
       "undo",
       "Take a run back: every photo it changed byte for byte as before, its names and file times too.",
       "the run's id from 'history', or its start (default: the newest run)",
       {{"--force", false, "", "put photos back even when they changed since the run"}},
       PathUse::kOptional,
       "RUN"},
  };
  return table;
}

constexpr OptionEntry kGlobals[] = {
    {"--settings", true, "FILE",
     "read options, CSV delimiter, value limit and copyright texts from FILE (default: the desktop program's "
     "qmre0118.ini)"},
    {"--yes", false, "",
     "answer Yes / OK to every confirmation (without it, confirmations are asked when standard input is a terminal "
     "and refused otherwise)"},
    {"--json", false, "", "print one JSON object at the end instead of the messages"},
    {"--quiet", false, "", "no progress, and no message when every file succeeded"},
    {"--dry-run", false, "", "print what the command would change, photo by photo, and change nothing"},
    {"--no-journal", false, "", "keep no journal of the run (it can't be undone then)"},
    {"--no-xmp", false, "", "leave the photos' XMP and their sidecars as they are (for this run)"},
    {"--recursive", false, "", "go into the folders below each folder PATH too (each folder a run of its own)", "-r"},
    {"--all-files", false, "",
     "take every file of a folder for a photo, as the desktop program does (without it, files that are no JPEG "
     "photos are passed over and counted as skipped)"},
    {"--verbose", false, "", "list the files passed over"},
    {"--help", false, "", "this help; 'kelvane-cli COMMAND --help' for a command's options", "-h"},
    {"--version", false, "", "print the program's version"},
};

const CommandEntry* FindCommand(std::string_view word) {
  for (const CommandEntry& entry : CommandTable()) {
    if (entry.word == word) return &entry;
  }
  return nullptr;
}

const OptionEntry* FindOption(const CommandEntry& entry, std::string_view name) {
  for (const OptionEntry& option : entry.options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

void ApplyGlobal(std::string_view name, const std::string& value, CommandLine& line) {
  if (name == "--settings") line.global.settingsFile = value;
  if (name == "--yes") line.global.yes = true;
  if (name == "--json") line.global.json = true;
  if (name == "--quiet") line.global.quiet = true;
  if (name == "--dry-run") line.global.dryRun = true;
  if (name == "--no-journal") line.global.noJournal = true;
  if (name == "--no-xmp") line.global.noXmp = true;
  if (name == "--recursive") line.global.recursive = true;
  if (name == "--all-files") line.global.allFiles = true;
  if (name == "--verbose") line.global.verbose = true;
  if (name == "--help") line.help = true;
  if (name == "--version") line.version = true;
}

const OptionEntry* FindGlobal(std::string_view name) {
  for (const OptionEntry& entry : kGlobals) {
    if (entry.name == name || (!entry.shortName.empty() && entry.shortName == name)) return &entry;
  }
  return nullptr;
}

// The help's page width and the width of its left columns: command words,
// global options, a command's options.
constexpr size_t kHelpWidth = 100;
constexpr size_t kCommandColumn = 12;
constexpr size_t kGlobalColumn = 19;
constexpr size_t kOptionColumn = 30;

// Help text that follows a left column of indent characters, broken at
// spaces into lines that fit kHelpWidth.
std::string Wrapped(std::string_view text, size_t indent) {
  std::string out;
  size_t column = indent;
  while (!text.empty()) {
    const size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    if (column > indent && column + 1 + word.size() > kHelpWidth) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (column > indent) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
  }
  return out + "\n";
}

}  // namespace

std::span<const CommandEntry> Commands() { return CommandTable(); }

std::span<const OptionEntry> GlobalOptionEntries() { return kGlobals; }

const CommandEntry& EntryOf(CommandName name) {
  const auto& table = CommandTable();
  return *std::find_if(table.begin(), table.end(), [name](const CommandEntry& entry) { return entry.name == name; });
}

std::string CommandLine::Value(std::string_view option) const {
  const auto found = options.find(option);
  return found == options.end() ? std::string() : found->second;
}

ParsedCommandLine ParseCommandLine(std::span<const std::string> args) {
  ParsedCommandLine parsed;
  CommandLine& line = parsed.line;
  const CommandEntry* command = nullptr;
  std::vector<std::string> positionals;
  std::vector<std::string_view> globalsSeen;
  bool optionsEnded = false;

  const auto fail = [&parsed](std::string text) {
    parsed.error = std::move(text);
    return parsed;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (command == nullptr && positionals.empty() && !optionsEnded) {
        command = FindCommand(arg);
        if (command == nullptr) return fail("unknown command '" + arg + "'");
        line.command = command->name;
      } else {
        positionals.push_back(arg);
      }
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const bool inlineValue = arg.find('=') != std::string::npos;
    std::string value = inlineValue ? arg.substr(arg.find('=') + 1) : std::string();
    const OptionEntry* global = FindGlobal(arg.substr(0, arg.find('=')));
    // A short name stands for its option, in messages too.
    const std::string name = global != nullptr ? std::string(global->name) : arg.substr(0, arg.find('='));
    const OptionEntry* option = command != nullptr && global == nullptr ? FindOption(*command, name) : nullptr;
    if (global == nullptr && option == nullptr) {
      if (command == nullptr) return fail("unknown option '" + name + "' (a command's options follow its name)");
      return fail("unknown option '" + name + "' for " + std::string(command->word));
    }
    const bool takesValue = global != nullptr ? global->takesValue : option->takesValue;
    if (!takesValue && inlineValue) return fail("option '" + name + "' takes no value");
    if (takesValue && !inlineValue) {
      if (i + 1 >= args.size()) return fail("option '" + name + "' needs a value");
      value = args[++i];
    }
    if (global != nullptr) {
      if (std::find(globalsSeen.begin(), globalsSeen.end(), global->name) != globalsSeen.end()) {
        return fail("option '" + name + "' given twice");
      }
      globalsSeen.push_back(global->name);
      ApplyGlobal(name, value, line);
      continue;
    }
    if (!line.options.emplace(name, value).second) return fail("option '" + name + "' given twice");
  }

  if (line.help || line.version) return parsed;
  if (command == nullptr) return fail("no command given");
  const std::string pathName(command->pathName);
  if (command->path == PathUse::kNone) {
    if (!positionals.empty()) return fail(std::string(command->word) + " takes no " + pathName);
    return parsed;
  }
  if (positionals.empty()) {
    if (command->path == PathUse::kOptional) return parsed;
    return fail(std::string(command->word) + " needs a " + pathName);
  }
  if (command->path == PathUse::kOptional && positionals.size() > 1) {
    return fail("more than one " + pathName + " given ('" + positionals[1] + "')");
  }
  for (const std::string& path : positionals) {
    if (path.empty()) return fail("a " + pathName + " is empty");
  }
  line.path = positionals.front();
  line.paths = std::move(positionals);
  return parsed;
}

std::string ProgramHelp() {
  std::string text =
      "usage: kelvane-cli [GLOBAL OPTIONS] COMMAND [OPTIONS] PATH...\n"
      "       kelvane-cli --help | --version\n"
      "\n"
      "Corrects and amends the Exif metadata of JPEG photos in folders and photos named as PATHs, with the\n"
      "desktop program's functions and settings; all PATHs of a command are one run with one report.\n"
      "\n"
      "Commands:\n";
  for (const CommandEntry& entry : CommandTable()) {
    std::string word(entry.word);
    word.resize(std::max(word.size() + 2, kCommandColumn), ' ');
    text += "  " + word + Wrapped(entry.summary, word.size() + 2);
  }
  text += "\nOptions:\n";
  for (const OptionEntry& option : kGlobals) {
    std::string left = "  " + std::string(option.name);
    if (!option.shortName.empty()) left += ", " + std::string(option.shortName);
    if (option.takesValue) left += " " + std::string(option.valueName);
    left.resize(std::max(left.size() + 2, kGlobalColumn), ' ');
    text += left + Wrapped(option.help, left.size());
  }
  text +=
      "\n"
      "Exit status: 0 every file succeeded; 1 the run completed with failed files; 2 the run was refused\n"
      "or ended by a warning or failure message; 3 cancelled (Ctrl-C) or a confirmation refused;\n"
      "64 usage error.\n";
  return text;
}

std::string CommandHelp(CommandName name) {
  const CommandEntry& entry = EntryOf(name);
  std::string text = "usage: kelvane-cli [GLOBAL OPTIONS] " + std::string(entry.word);
  if (!entry.options.empty()) text += " [OPTIONS]";
  const std::string pathName(entry.pathName);
  switch (entry.path) {
    case PathUse::kRequired:
      text += " " + pathName + "...\n\n" + std::string(entry.summary) + "\n" + pathName + ": " +
              std::string(entry.pathHelp) + ".\n";
      break;
    case PathUse::kOptional:
      text += " [" + pathName + "]\n\n" + std::string(entry.summary) + "\n" + pathName + ": " +
              std::string(entry.pathHelp) + ".\n";
      break;
    case PathUse::kNone:
      text += "\n\n" + std::string(entry.summary) + "\n";
      break;
  }
  if (!entry.options.empty()) {
    text += "\nOptions:\n";
    for (const OptionEntry& option : entry.options) {
      std::string left = "  " + std::string(option.name);
      if (option.takesValue) left += " " + std::string(option.valueName);
      left.resize(std::max(left.size() + 2, kOptionColumn), ' ');
      text += left + Wrapped(option.help, left.size());
    }
  }
  text += "\nGlobal options: see 'kelvane-cli --help'.\n";
  return text;
}

}  // namespace kelvane::cli
