// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/engine_time_operations.h"

#include <optional>

#include "batch/run_details.h"
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

PhotoTimeParameters PhotoTimeParametersOf(const RunState& state, const BatchInputs& inputs, bool keepXmp) {
  PhotoTimeParameters parameters;
  parameters.keepXmp = keepXmp;
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

FileStep TimeStepOf(const AdjustOutcome& outcome) {
  switch (outcome.result) {
    case AdjustResult::kOk:
      return FileStep::Done();
    case AdjustResult::kFileMissing:
      return FileStep::Failed(ListMessage::kFileNotFound);
    case AdjustResult::kNotJpeg:
      return FileStep::Failed(ListMessage::kNotJpeg);
    case AdjustResult::kNoExif:
      return FileStep::Failed(ListMessage::kNoMetadata);
    case AdjustResult::kNoTakenTime:
      return FileStep::Failed(ListMessage::kMissingDateTime);
    case AdjustResult::kFileTimesNotSet:
      return FileStep::Failed(ListMessage::kDateNotModified, outcome.osError);
    case AdjustResult::kFailed:
      return FileStep::Failed(ListMessage::kUndefinedProcessingError);
    case AdjustResult::kChanged:
      return FileStep::Failed(ListMessage::kChangedMeanwhile);
    case AdjustResult::kReadFailed:
      return FileStep::Failed(ListMessage::kCouldNotRead, outcome.osError);
    case AdjustResult::kWriteFailed:
      return FileStep::Failed(ListMessage::kCouldNotWrite, outcome.osError);
  }
  return FileStep::Failed(ListMessage::kUndefinedProcessingError);
}

EngineTimeOperations::EngineTimeOperations(BatchContext& context, const BatchInputs& inputs)
    : options_(context.settings.Options),
      parameters_(PhotoTimeParametersOf(context.state, inputs, context.settings.KeepXmpInStep)),
      run_(context, FunctionWord(context.state.SelectedFunction), RunDetails(context.state, inputs)) {}

FileStep EngineTimeOperations::SetFileTimesFromPhoto(size_t order, const std::string& path) {
  PhotoFile photo;
  if (const auto failed = run_.Open(path, false, photo)) return *failed;
  PhotoEdit edit;
  const bool planned = PlanFileTimesFromPhoto(photo, options_, edit);
  if (const auto failed = ReadFailureOf(photo)) return *failed;
  if (!planned) return FileStep::Failed(ListMessage::kDateNotModified);
  return run_.Submit(order, path, std::move(photo), std::move(edit), [](const CommitOutcome& committed) {
    return TimeStepOf(AdjustOutcomeOf(AdjustResult::kOk, committed));
  });
}

FileStep EngineTimeOperations::AdjustPhotoDates(size_t order, const std::string& path, double adjustDays) {
  PhotoFile photo;
  if (const auto failed = run_.Open(path, true, photo)) return *failed;
  PhotoEdit edit;
  const AdjustResult planned = PlanPhotoDates(photo, adjustDays, parameters_, options_, edit);
  if (const auto failed = ReadFailureOf(photo)) return *failed;
  if (planned != AdjustResult::kOk && planned != AdjustResult::kFileTimesNotSet) {
    return TimeStepOf({planned, 0});
  }
  const std::optional<XmpEdits> xmp = edit.xmp;
  const bool xmpNotUpdated = !edit.xmpProblem.empty();
  const FileStep step = run_.Submit(order, path, std::move(photo), std::move(edit),
                                    [planned, xmpNotUpdated](const CommitOutcome& committed) {
                                      const FileStep done = TimeStepOf(AdjustOutcomeOf(planned, committed));
                                      if (!done.failure && xmpNotUpdated) {
                                        return FileStep::Failed(ListMessage::kXmpNotUpdated);
                                      }
                                      return done;
                                    });
  if (xmp) SubmitSidecarEdits(run_, order, path, sidecars_.Of(path), *xmp);
  return step;
}

}  // namespace kelvane
