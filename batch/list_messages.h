// SPDX-License-Identifier: GPL-2.0-or-later
// The one catalogue of the messages a run lists for a file it could not
// process: each message with the code the completion list and the console
// report give it and its text. Functions that share a code with another text
// (3 for a restore, 11 for the prefix) have messages of their own.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

enum class ListMessage {
  kFileNotFound,
  kNotJpeg,
  kNoMetadata,
  kNoMetadataInSource,
  kBadMetadata,
  kNoImageSize,
  kMissingDateTime,
  kDateNotModified,
  kNotRestored,
  kRestoreExtractProblem,
  kCreateExtractProblem,
  kUndefinedProcessingError,
  kRestoreHasMetadata,
  kCreateHasMetadata,
  kCopyrightUnchanged,
  kDescriptionUnchanged,
  kCopyrightNoOverwrite,
  kDescriptionNoOverwrite,
  kCopyrightTextError,
  kDescriptionTextError,
  kNoStem,
  kDuplicateName,
  kNoTime,
  kExportNoMetadataFound,
  kExportPathNotFound,
  kExportNoMetadataInFiles,
  kExportWriteFailed,
  kExportOverwriteCancelled,
  kExportDeleteFailed,
  kExportInPhotoFolder,
  kExportNoMetadataInFile,
  kExportProcessingError,
  kWipeAborted,
  kWipeError,
  kWipeDeleteError,
  kWipeCancelled,
  kWipeHiddenCancelled,
  kDeleteWithSkipSet,
  // Situations the program meets on this platform.
  kSymbolicLink,
  kChangedMeanwhile,
  kCouldNotRead,
  kCouldNotWrite,
  kSegmentFull,
  kNotInPreview,
  kXmpNotUpdated,
  kWipedForGood,
  kNameTaken,
  kCount
};

struct ListEntry {
  ListMessage message;
  int code;
  const char* text;
};

// The message's entry in the catalogue.
const ListEntry& EntryOf(ListMessage message);

// The text a list shows: the catalogue text, followed for a failure of the
// operating system by ": " and its description ("Could not write: No space
// left on device").
std::string ListText(ListMessage message, int osError = 0);

// The symbolic name of an errno value ("ENOSPC"); empty for 0.
std::string ErrorName(int osError);

}  // namespace kelvane
