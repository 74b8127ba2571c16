#include "cli/run_request.h"

#include <filesystem>

#include "batch/folder_listing.h"
#include "batch/run_framing.h"
#include "cli/option_values.h"

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
  state.TimeFunction =
      function == ProgramFunction::AdjustFileTime || function == ProgramFunction::AdjustMetadataTime;
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
    case CommandName::Dump:
      break;
  }
  return ProgramFunction::WipeFiles;
}

BuiltRequest BuildRunRequest(const CommandLine& line) {
  BuiltRequest built;
  const CommandName command = line.command.value_or(CommandName::Dump);
  built.request = SelectedRequest(FunctionOf(command), line.path);
  switch (command) {
    case CommandName::ShiftTime:
      built.error = ShiftTimeEntries(line, built.request);
      break;
    case CommandName::Prefix:
      built.error = PrefixEntries(line, built.request);
      break;
    case CommandName::FileTime:
      break;
    default:
      built.error = "no batch command";
  }
  return built;
}

}  // namespace kelvane::cli
