// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/function_table.h"

#include <array>

namespace kelvane {

namespace {

constexpr std::array<FunctionTexts, kFunctionCount> kTexts{{
    {"&Adjust File Time", "File Time", "Correct File Times to that of Photo Data", "- Adjust File Times",
     "Adjust File Times",
     "To bring File date/times (as seen in the file manager) in alignment with "
     "when the photo was actually taken. Often changed by the system and other applications "
     "after a photo is copied, amended, etc.",
     7},
    {"Ajust Photo Time in &Metadata", "Photo Time", "Correct Bad Photo Times", "- Correct Metadata Photo Times",
     "Adjust Metadata Times",
     "To adjust the photo metadata date/times, for example when the camera date "
     "time setting has become wrong, or you have changed time zones and forgotten to "
     "adjust the camera.",
     8},
    {"&Filename Prefix Add/Remove", "File Prefix", "Add Prefix to Filenames", "- Add Filename Prefix",
     "Add / Remove Prefix",
     "Use when mixing photos taken with different cameras. The prefix can "
     "identify the camera and/or be numeric in date time sequence to view or import "
     "into 'shows' with the combined collection sorted by time.",
     10},
    {"&Restore Photo Metadata", "Restore", "Restore Photo Metadata", "- Restore Missing Metadata", "Restore Metadata",
     "For situations where you have modified the photo and in the process lost "
     "its metadata. If the original photo is still available, then this can be "
     "recovered and used in the new modified version.",
     11},
    {"&Create Photo Metadata", "Create", "Create Photo Metadata", "- Create Missing Metadata", "Create Metadata",
     "For situations where having photos without any metadata and no source to restore "
     "from, for example combining images from a non-camera source into your collection.",
     12},
    {"Copy&right Add / Edit", "Copyright", "Add Copyright Text to Photo Data", "- Add Copyright Notice",
     "Insert Copyright Notice",
     "When a Copyright notice is of value to protect your work, use this "
     "to have it in the photo's metadata. 'Photographer' and/or 'Editor' notices "
     "may be included.",
     13},
    {"&Image Description Add / Edit", "Description", "Add Description Text to Photo Data", "- Add User Description",
     "Insert Image Description",
     "Of most value when having blocks of photos you want identified with a common "
     "description, for example the name of a place or an event. ",
     14},
    {"&Export Metadata", "Export", "Export Photo Data to a File", "- Export Metadata to a File", "Export",
     "To place metadata from photos into a spread sheet or data base. May be used to "
     "directly generate an '.xlsx' spread-sheet or 'SQLite' database tables, or to generate "
     "'csv' file(s) for any application using data.",
     15},
    {"&Wipe / Delete Files", "Wipe", "Wipe and Delete File", "- Wipe and Delete Files", "Wipe / Delete Files",
     "Use when needing to remove sensitive files and do not want the risk of the "
     "files being later recovered. This may also be used for non-photo files.",
     16},
}};

}  // namespace

const FunctionTexts& TextsOfFunction(int index) {
  if (index < 0 || index >= kFunctionCount) index = 0;
  return kTexts[static_cast<size_t>(index)];
}

int NextHelpContext(ProgramFunction function, int currentContext) {
  if (function == ProgramFunction::AdjustFileTime && currentContext == kStartUpHelpContext) {
    return currentContext;
  }
  return TextsOfFunction(function).helpContext;
}

std::string ParametersHeading(ProgramFunction function, bool singlePhotoMode, bool textEditedByUser) {
  const bool showingExisting = singlePhotoMode && !textEditedByUser;
  switch (function) {
    case ProgramFunction::AdjustFileTime:
    case ProgramFunction::CreateMetadata:
    case ProgramFunction::WipeFiles:
      return "No parameters are needed for this function.";
    case ProgramFunction::AdjustMetadataTime:
      return "Set the Metadata time adjustment to be applied:";
    case ProgramFunction::FilenamePrefix:
      return "Set Prefix Amend parameters to use:";
    case ProgramFunction::RestoreMetadata:
      return "Select Photo to use as Metadata source:";
    case ProgramFunction::AddCopyright:
      return showingExisting ? "Existing Copyright entry:" : "Revised Copyright entry:";
    case ProgramFunction::AddDescription:
      return showingExisting ? "Existing Image Description entry:" : "Revised Image Description entry:";
    case ProgramFunction::ExportMetadata:
      return "Set Export Parameters and Target File:";
  }
  return {};
}

int WrappedFunctionIndex(int current, bool up) {
  if (up) return current < 1 ? kFunctionCount - 1 : current - 1;
  return current > kFunctionCount - 2 ? 0 : current + 1;
}

}  // namespace kelvane
