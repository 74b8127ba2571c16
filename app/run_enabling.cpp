// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/run_enabling.h"

#include "engine/utility_functions.h"

namespace kelvane {

void SetPrefixParameters(RunState& state, const PrefixChoices& choices) {
  const bool hasText = !Trim(choices.prefixText).empty();
  state.PrefixRemoveChars = choices.removeFirst && choices.removeCount > 0;
  state.PrefixAddFixed = (choices.addOption == 1 || choices.addOption == 3) && hasText;
  state.PrefixTimeSequence = choices.addOption == 2 || (choices.addOption == 3 && hasText);
}

bool RunEnabled(const RunState& state, const PanelTexts& texts) {
  if (!state.SourceChosen) return false;
  switch (state.SelectedFunction) {
    case ProgramFunction::AdjustFileTime:
    case ProgramFunction::CreateMetadata:
    case ProgramFunction::WipeFiles:
      return true;
    case ProgramFunction::AdjustMetadataTime:
      return state.DaysEntryValid || state.TimeEntryValid;
    case ProgramFunction::FilenamePrefix:
      return state.PrefixRemoveChars || state.PrefixAddFixed || state.PrefixTimeSequence;
    case ProgramFunction::RestoreMetadata:
    case ProgramFunction::ExportMetadata:
      return state.ExportTargetSet;
    case ProgramFunction::AddCopyright: {
      const bool namedNotice = (state.NoticeForPhotographer && !Trim(texts.photographerName).empty()) ||
                               (state.NoticeForEditor && !Trim(texts.editorName).empty());
      return state.TextEditedByUser && (namedNotice || state.OverwriteExisting);
    }
    case ProgramFunction::AddDescription: {
      // Append is kept in NoticeForPhotographer, Prefix in NoticeForEditor.
      const bool addOrReplace = !state.NoticeForPhotographer && !state.NoticeForEditor;
      const bool empty = Trim(texts.descriptionText).empty();
      if (addOrReplace && empty && !state.OverwriteExisting) return false;
      if (!addOrReplace && empty) return false;
      return state.TextEditedByUser;
    }
  }
  return false;
}

}  // namespace kelvane
