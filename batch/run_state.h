// SPDX-License-Identifier: GPL-2.0-or-later
// The shared run-time state of the main window. Never saved.
#pragma once

namespace kelvane {

// The program's nine functions, in the order of the function column.
enum class ProgramFunction : int {
  AdjustFileTime = 0,
  AdjustMetadataTime,
  FilenamePrefix,
  RestoreMetadata,
  CreateMetadata,
  AddCopyright,
  AddDescription,
  ExportMetadata,
  WipeFiles,
};

struct RunState {
  ProgramFunction SelectedFunction = ProgramFunction::AdjustFileTime;
  bool TimeFunction = false;          // AdjustFileTime or AdjustMetadataTime
  bool MetadataTimeFunction = false;  // AdjustMetadataTime
  bool NonTimeFunction = false;       // neither time function
  bool SinglePhotoMode = false;       // one chosen photo instead of a folder
  bool SourceChosen = false;          // the folder (or photo) is chosen and exists
  bool ExportTargetSet = false;
  bool DaysAsDate = false;  // the days entry holds a date
  bool DaysEntryValid = false;
  bool TimeEntryValid = false;
  bool RunInProgress = false;
  bool CancelRequested = false;
  bool FieldEditing = false;  // function changes and shortcuts wait while set
  bool StdCopyrightAvailable = false;
  bool StartMessageHandled = false;
  bool PrefixRemoveChars = false;
  bool PrefixAddFixed = false;
  bool PrefixTimeSequence = false;
  // AddCopyright: which notices are written. AddDescription: append and
  // prefix respectively; neither means add/replace.
  bool NoticeForPhotographer = true;
  bool NoticeForEditor = false;
  bool OverwriteExisting = false;  // "Skip if text already present" unchecked
  bool YearFromPhoto = false;
  bool FirstTextEmpty = false;  // empty text means delete
  bool SecondTextEmpty = false;
  bool TextEditedByUser = false;
  // Folder runs pass over files that are no JPEG photos (by name, or by
  // their first bytes when the name does not tell) instead of listing them
  // as failures; the command line asks for it.
  bool SkipNonPhotos = false;
};

}  // namespace kelvane
