// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_details.h"

#include <cstdio>

#include "engine/utility_functions.h"

namespace kelvane {

const char* FunctionWord(ProgramFunction function) {
  switch (function) {
    case ProgramFunction::AdjustFileTime:
      return "file-time";
    case ProgramFunction::AdjustMetadataTime:
      return "shift-time";
    case ProgramFunction::FilenamePrefix:
      return "prefix";
    case ProgramFunction::RestoreMetadata:
      return "restore";
    case ProgramFunction::CreateMetadata:
      return "create";
    case ProgramFunction::AddCopyright:
      return "copyright";
    case ProgramFunction::AddDescription:
      return "describe";
    case ProgramFunction::ExportMetadata:
      return "export";
    case ProgramFunction::WipeFiles:
      return "wipe";
  }
  return "";
}

std::string RunDetails(const RunState& state, const BatchInputs& inputs) {
  switch (state.SelectedFunction) {
    case ProgramFunction::AdjustMetadataTime: {
      std::string text = state.DaysAsDate ? "date " + inputs.asDateText
                                          : Trim(inputs.daysText) + " days " +
                                                (inputs.daysDirection == DaysDirection::kEarlier ? "earlier" : "later");
      char time[32];
      std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", static_cast<long long>(LeadingNumber(inputs.timeTexts[0])),
                    static_cast<long long>(LeadingNumber(inputs.timeTexts[1])),
                    static_cast<long long>(LeadingNumber(inputs.timeTexts[2])));
      text += std::string(", ") + time + (inputs.timeDirection == TimeDirection::kEarlier ? " earlier" : " later");
      return text;
    }
    case ProgramFunction::FilenamePrefix: {
      std::string text;
      if (state.PrefixRemoveChars) text += "remove " + Trim(inputs.removeCountText) + " characters; ";
      if (state.PrefixAddFixed) text += "add \"" + inputs.prefixText + "\"; ";
      if (state.PrefixTimeSequence) text += "sequence from " + Trim(inputs.startValueText) + "; ";
      return text.empty() ? text : text.substr(0, text.size() - 2);
    }
    case ProgramFunction::RestoreMetadata:
      return "from " + Trim(inputs.secondPath);
    case ProgramFunction::AddCopyright:
      return "photographer \"" + inputs.copyright.photographerName + "\" " + inputs.copyright.photographerYear +
             ", editor \"" + inputs.copyright.editorName + "\" " + inputs.copyright.editorYear;
    case ProgramFunction::AddDescription:
      return "\"" + inputs.descriptionText + "\"";
    case ProgramFunction::AdjustFileTime:
    case ProgramFunction::CreateMetadata:
    case ProgramFunction::ExportMetadata:
    case ProgramFunction::WipeFiles:
      return {};
  }
  return {};
}

}  // namespace kelvane
