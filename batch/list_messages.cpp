// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/list_messages.h"

#include <array>
#include <cstring>

namespace kelvane {
namespace {

using enum ListMessage;

constexpr std::array<ListEntry, static_cast<size_t>(kCount)> kCatalogue = {{
    {kFileNotFound, 1, "File not found"},
    {kNotJpeg, 2, "Not a JPG (JPEG) file"},
    {kNoMetadata, 3, "No Metadata in file"},
    {kNoMetadataInSource, 3, "No Metadata in Source file selected"},
    {kBadMetadata, 4, "Bad Metadata"},
    {kNoImageSize, 5, "Undefined processing error"},
    {kMissingDateTime, 6, "Missing date/time in Metadata"},
    {kDateNotModified, 7, "File's date/time could not be modified"},
    {kNotRestored, 8, "Metadata could not be restored"},
    {kRestoreExtractProblem, 8, "Metadata extract problem for restore"},
    {kCreateExtractProblem, 8, "Metadata extract problem for create"},
    {kUndefinedProcessingError, 9, "Undefined processing error"},
    {kRestoreHasMetadata, 10, "Restore and Metadata already in file"},
    {kCreateHasMetadata, 10, "Create and Metadata already in file"},
    {kCopyrightUnchanged, 11, "Copyright text without change to existing"},
    {kDescriptionUnchanged, 11, "Image Description text without change to existing"},
    {kCopyrightNoOverwrite, 12, "Copyright change without overwrite permission"},
    {kDescriptionNoOverwrite, 12, "Image Description change without overwrite permission"},
    {kCopyrightTextError, 19, "Copyright text unspecified processing error"},
    {kDescriptionTextError, 19, "Image Description text unspecified processing error"},
    {kNoStem, 11, "no filename stem after characters removal"},
    {kDuplicateName, 12, "characters removal created duplicate filename"},
    {kNoTime, 13, "could not extract time"},
    {kExportNoMetadataFound, 41, "No files with Metadata found"},
    {kExportPathNotFound, 42, "Export path not found"},
    {kExportNoMetadataInFiles, 43, "No Metadata in files"},
    {kExportWriteFailed, 44, "Write to export file failed"},
    {kExportOverwriteCancelled, 45, "Export file exists and Overwrite Cancelled"},
    {kExportDeleteFailed, 46, "Previous Export file delete failed"},
    {kExportInPhotoFolder, 47, "Export file cannot be in same Folder as source files"},
    {kExportNoMetadataInFile, 48, "no Metadata in file"},
    {kExportProcessingError, 49, "Unidentified processing error"},
    {kWipeAborted, 51, "'Wipe' function aborted"},
    {kWipeError, 52, "Error during 'Wipe' function"},
    {kWipeDeleteError, 53, "'Wipe File' completed, error during Delete function"},
    {kWipeCancelled, 54, "User cancelled 'Wipe'"},
    {kWipeHiddenCancelled, 56, "Hidden file - user cancelled 'Wipe'"},
    {kDeleteWithSkipSet, 61, "Delete invalid with 'Skip if text already present' set"},
    {kSymbolicLink, 70, "Symbolic link - not followed"},
    {kChangedMeanwhile, 71, "Changed by another program - left as it is"},
    {kCouldNotRead, 72, "Could not read"},
    {kCouldNotWrite, 73, "Could not write"},
    {kSegmentFull, 74, "Metadata would exceed the 64 KB segment limit"},
    {kNotInPreview, 75, "Changed since the preview - left as it is"},
    {kXmpNotUpdated, 76, "Metadata changed, but its XMP could not be brought in step"},
    {kWipedForGood, 80, "Wiped - can't be brought back"},
    {kNameTaken, 81, "Name taken by another file - left as it is"},
}};

constexpr bool InOrder() {
  for (size_t i = 0; i < kCatalogue.size(); ++i) {
    if (static_cast<size_t>(kCatalogue[i].message) != i) return false;
  }
  return true;
}
static_assert(InOrder(), "every list message has its entry, in the order of the enum");

}  // namespace

const ListEntry& EntryOf(ListMessage message) { return kCatalogue[static_cast<size_t>(message)]; }

std::string ListText(ListMessage message, int osError) {
  std::string text = EntryOf(message).text;
  if (osError != 0) text += std::string(": ") + std::strerror(osError);
  return text;
}

std::string ErrorName(int osError) {
  if (osError == 0) return {};
  const char* name = ::strerrorname_np(osError);
  return name != nullptr ? name : std::to_string(osError);
}

}  // namespace kelvane
