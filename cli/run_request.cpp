// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/run_request.h"

#include <filesystem>

#include "batch/run_framing.h"
#include "cli/option_values.h"
#include "engine/folder_listing.h"
#include "engine/utility_functions.h"
#include "export/export_driver.h"

namespace kelvane::cli {

namespace {

std::string EntryError(const std::string& text) { return "Form entry error: " + text; }

// The window's choice of a function and of the photos: the function items
// of the run state, single-photo mode for a file, SourceChosen when the
// photo exists or the folder holds files.
RunRequest SelectedRequest(ProgramFunction function, const std::string& path) {
  RunRequest request;
  RunState& state = request.state;
  state.SelectedFunction = function;
  state.TimeFunction = function == ProgramFunction::AdjustFileTime || function == ProgramFunction::AdjustMetadataTime;
  state.MetadataTimeFunction = function == ProgramFunction::AdjustMetadataTime;
  state.NonTimeFunction = !state.TimeFunction;

  std::error_code ec;
  state.SinglePhotoMode = std::filesystem::is_regular_file(path, ec);
  if (state.SinglePhotoMode) {
    state.SourceChosen = true;
  } else {
    const auto names = ListFolderFiles(FolderText(path));
    state.SourceChosen = names && !names->empty();
  }
  request.inputs.sourcePath = path;
  return request;
}

std::string ShiftTimeEntries(const CommandLine& line, RunRequest& request) {
  RunState& state = request.state;
  BatchInputs& inputs = request.inputs;
  if (!line.Has("--days") && !line.Has("--time") && !line.Has("--date")) {
    return "shift-time needs --days, --time or --date";
  }
  if (line.Has("--date")) {
    if (line.Has("--days")) return "--days can't be given with --date";
    const DateValue date = CheckDate(line.Value("--date"));
    if (!date.error.empty()) return EntryError(date.error);
    state.DaysAsDate = true;
    state.DaysEntryValid = true;
    inputs.daysDirection = DaysDirection::kAsDate;
    inputs.daysText = date.digits;
    inputs.asDateText = date.slashText;
  }
  if (line.Has("--days")) {
    const DaysValue days = CheckDays(line.Value("--days"));
    if (!days.error.empty()) return EntryError(days.error);
    state.DaysEntryValid = days.valid;
    inputs.daysDirection = days.earlier ? DaysDirection::kEarlier : DaysDirection::kLater;
    inputs.daysText = days.digits;
  }
  if (line.Has("--time")) {
    const TimeValue time = CheckTime(line.Value("--time"));
    if (!time.error.empty()) return EntryError(time.error);
    state.TimeEntryValid = time.valid;
    inputs.timeDirection = time.earlier ? TimeDirection::kEarlier : TimeDirection::kLater;
    inputs.timeTexts = time.fields;
  }
  return {};
}

std::string PrefixEntries(const CommandLine& line, RunRequest& request) {
  RunState& state = request.state;
  BatchInputs& inputs = request.inputs;
  if (!line.Has("--remove") && !line.Has("--add") && !line.Has("--sequence")) {
    return "prefix needs --remove, --add or --sequence";
  }
  if (line.Has("--start") && !line.Has("--sequence")) return "--start goes with --sequence";
  // The time sequence numbers the files of a folder: the window offers it
  // only there.
  if (line.Has("--sequence") && state.SinglePhotoMode) return "--sequence needs a folder, not one file";
  if (line.Has("--remove")) {
    if (const std::string error = CheckRemoveCount(line.Value("--remove")); !error.empty()) return error;
    state.PrefixRemoveChars = true;
    inputs.removeCountText = line.Value("--remove");
  }
  if (line.Has("--add")) {
    inputs.prefixText = line.Value("--add");
    if (const std::string error = CheckPrefixText(inputs.prefixText); !error.empty()) return EntryError(error);
    state.PrefixAddFixed = !inputs.prefixText.empty();
  }
  if (line.Has("--sequence")) {
    // Combined with --add, both go only with a prefix text, as the window's
    // "Time Seq. + Add combined" choice does.
    state.PrefixTimeSequence = !line.Has("--add") || state.PrefixAddFixed;
    if (line.Has("--start")) {
      if (const std::string error = CheckStartNumber(line.Value("--start")); !error.empty()) {
        return EntryError(error);
      }
      inputs.startValueText = line.Value("--start");
    }
  }
  return {};
}

std::string RestoreEntries(const CommandLine& line, RunRequest& request) {
  if (!line.Has("--source")) return "restore needs --source PHOTO";
  request.inputs.secondPath = line.Value("--source");
  request.state.ExportTargetSet = !request.inputs.secondPath.empty();
  return {};
}

std::string CopyrightEntriesOf(const CommandLine& line, RunRequest& request) {
  RunState& state = request.state;
  const bool photographer = line.Has("--photographer");
  const bool editor = line.Has("--editor");
  if (!photographer && !editor) return "copyright needs --photographer and/or --editor";
  if (line.Has("--photographer-year") && !photographer) return "--photographer-year goes with --photographer";
  if (line.Has("--editor-year") && !editor) return "--editor-year goes with --editor";
  if (line.Has("--year-from-photo") && (line.Has("--photographer-year") || line.Has("--editor-year"))) {
    return "--year-from-photo can't be given with a year";
  }
  CopyrightEntries& entries = request.inputs.copyright;
  entries.photographerName = line.Value("--photographer");
  entries.photographerYear = line.Value("--photographer-year");
  entries.editorName = line.Value("--editor");
  entries.editorYear = line.Value("--editor-year");
  state.NoticeForPhotographer = photographer;
  state.NoticeForEditor = editor;
  state.YearFromPhoto = line.Has("--year-from-photo");
  state.OverwriteExisting = !line.Has("--skip-existing");
  state.FirstTextEmpty = photographer && Trim(entries.photographerName).empty();
  state.SecondTextEmpty = editor && Trim(entries.editorName).empty();
  state.TextEditedByUser = true;
  // The window offers Run only when a notice is written or existing ones
  // may be replaced: a delete needs the overwrite permission.
  if ((!photographer || state.FirstTextEmpty) && (!editor || state.SecondTextEmpty) && !state.OverwriteExisting) {
    return "an empty name deletes a notice, which --skip-existing doesn't allow";
  }
  return {};
}

std::string DescriptionEntries(const CommandLine& line, RunRequest& request) {
  RunState& state = request.state;
  if (!line.Has("--text")) return "describe needs --text TEXT";
  const bool append = line.Has("--append");
  const bool prefix = line.Has("--prefix");
  if (append && prefix) return "--append and --prefix can't both be given";
  request.inputs.descriptionText = line.Value("--text");
  const bool empty = Trim(request.inputs.descriptionText).empty();
  state.NoticeForPhotographer = append;
  state.NoticeForEditor = prefix;
  state.OverwriteExisting = !line.Has("--skip-existing");
  state.FirstTextEmpty = !append && !prefix && empty;
  state.TextEditedByUser = true;
  // The window's Run rules for the description.
  if ((append || prefix) && empty) return std::string(append ? "--append" : "--prefix") + " needs a text";
  if (state.FirstTextEmpty && !state.OverwriteExisting) {
    return "an empty --text deletes the description, which --skip-existing doesn't allow";
  }
  return {};
}

// A target named relative to the current folder, as a whole path; a link
// in it stays a link.
std::string AbsoluteTarget(const std::string& target) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(target, ec);
  return ec ? target : absolute.lexically_normal().string();
}

std::string ExportEntries(const CommandLine& line, RunRequest& request) {
  ExportOptions& options = request.exportOptions;
  const std::string format = line.Has("--format") ? line.Value("--format") : "csv";
  if (format == "csv") {
    options.exportType = ExportType::SheetCsv;
  } else if (format == "dbcsv") {
    options.exportType = ExportType::DbCsv;
  } else if (format == "xlsx") {
    options.exportType = ExportType::Workbook;
  } else if (format == "sqlite") {
    options.exportType = ExportType::Database;
  } else if (format == "json") {
    options.exportType = ExportType::Json;
  } else {
    return "unknown export format '" + format + "' (csv, dbcsv, xlsx, sqlite or json)";
  }
  if (!line.Has("--to")) return "export needs --to PATH";
  if (line.Has("--per-photo")) {
    if (options.exportType != ExportType::SheetCsv && options.exportType != ExportType::Workbook) {
      return "--per-photo goes with the csv and xlsx formats";
    }
    if (request.state.SinglePhotoMode) return "--per-photo needs a folder, not one photo";
  }
  if (line.Has("--initial-number")) {
    if (options.exportType != ExportType::DbCsv) return "--initial-number goes with --format dbcsv";
    if (const std::string error = CheckStartNumber(line.Value("--initial-number")); !error.empty()) {
      return EntryError(error);
    }
    request.inputs.initialFileNumber = line.Value("--initial-number");
  }
  const std::string target = line.Value("--to");
  options.toStandardOutput = target == "-";
  if (options.toStandardOutput && (!StreamsToStandardOutput(options.exportType) || line.Has("--per-photo"))) {
    return "--to - (standard output) goes with --format csv or json, without --per-photo";
  }
  options.perPhoto = line.Has("--per-photo");
  options.excludeTechnical = line.Has("--exclude-technical");
  request.inputs.secondPath = options.toStandardOutput || target.empty() ? target : AbsoluteTarget(target);
  request.state.ExportTargetSet = !request.inputs.secondPath.empty();
  return {};
}

}  // namespace

ProgramFunction FunctionOf(CommandName command) {
  switch (command) {
    case CommandName::FileTime:
      return ProgramFunction::AdjustFileTime;
    case CommandName::ShiftTime:
      return ProgramFunction::AdjustMetadataTime;
    case CommandName::Prefix:
      return ProgramFunction::FilenamePrefix;
    case CommandName::Restore:
      return ProgramFunction::RestoreMetadata;
    case CommandName::Create:
      return ProgramFunction::CreateMetadata;
    case CommandName::Copyright:
      return ProgramFunction::AddCopyright;
    case CommandName::Describe:
      return ProgramFunction::AddDescription;
    case CommandName::Export:
      return ProgramFunction::ExportMetadata;
    case CommandName::Wipe:
      return ProgramFunction::WipeFiles;
    case CommandName::Dump:
    case CommandName::History:
    case CommandName::Undo:
      break;
  }
  // Dump, history and undo run no function (BuildRunRequest refuses it): the harmless first one.
  return ProgramFunction::AdjustFileTime;
}

BuiltRequest BuildRunRequest(const CommandLine& line, const std::string& path) {
  BuiltRequest built;
  const CommandName command = line.command.value_or(CommandName::Dump);
  built.request = SelectedRequest(FunctionOf(command), path);
  switch (command) {
    case CommandName::ShiftTime:
      built.error = ShiftTimeEntries(line, built.request);
      break;
    case CommandName::Prefix:
      built.error = PrefixEntries(line, built.request);
      break;
    case CommandName::Restore:
      built.error = RestoreEntries(line, built.request);
      break;
    case CommandName::Copyright:
      built.error = CopyrightEntriesOf(line, built.request);
      break;
    case CommandName::Describe:
      built.error = DescriptionEntries(line, built.request);
      break;
    case CommandName::Export:
      built.error = ExportEntries(line, built.request);
      break;
    case CommandName::FileTime:
    case CommandName::Create:
    case CommandName::Wipe:
      break;
    case CommandName::Dump:
    case CommandName::History:
    case CommandName::Undo:
      built.error = std::string(EntryOf(command).word) + " is not a batch command";
      break;
  }
  return built;
}

}  // namespace kelvane::cli
