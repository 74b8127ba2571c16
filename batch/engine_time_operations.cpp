// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/engine_time_operations.h"

#include <optional>

#include "engine/exif_date_time.h"

namespace kelvane {

namespace {

// The date of a yyyy/mm/dd text as a date value.
std::optional<double> DateOfSlashText(const std::string& text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return std::nullopt;
  const auto number = [&text](size_t first, size_t length) -> std::optional<int> {
    int value = 0;
    for (size_t i = first; i < first + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  const auto year = number(0, 4);
  const auto month = number(5, 2);
  const auto day = number(8, 2);
  if (!year || !month || !day) return std::nullopt;
  CalendarTime date;
  date.year = *year;
  date.month = *month;
  date.day = *day;
  return DateValueOf(date);
}

}  // namespace

PhotoTimeParameters PhotoTimeParametersOf(const RunState& state, const BatchInputs& inputs) {
  PhotoTimeParameters parameters;
  parameters.metadataTimeSelected = state.SelectedFunction == ProgramFunction::AdjustMetadataTime;
  parameters.asDateChosen = state.DaysAsDate;
  if (state.DaysAsDate && state.DaysEntryValid) {
    if (const auto date = DateOfSlashText(inputs.asDateText)) {
      parameters.asDateValid = true;
      parameters.asDateValue = *date;
    }
  }
  return parameters;
}

EngineTimeOperations::EngineTimeOperations(BatchContext& context, const BatchInputs& inputs)
    : engine_{context.fileOps, context.tempFolder, context.settings.Options, &context.ui, {}},
      parameters_(PhotoTimeParametersOf(context.state, inputs)) {}

bool EngineTimeOperations::SetFileTimesFromPhoto(const std::string& path) {
  return kelvane::SetFileTimesFromPhoto(path, engine_);
}

int EngineTimeOperations::AdjustPhotoDates(std::string& path, double adjustDays) {
  return kelvane::AdjustPhotoDates(path, adjustDays, parameters_, engine_);
}

}  // namespace kelvane
