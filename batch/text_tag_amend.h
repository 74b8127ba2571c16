// SPDX-License-Identifier: GPL-2.0-or-later
// The per-photo step of the Copyright and Image Description functions: works
// out the new Copyright or ImageDescription text of one photo and has it
// written.
#pragma once

#include <cstdint>
#include <string>

#include "batch/amend_operations.h"
#include "batch/copyright_notice.h"
#include "engine/file_ops_library.h"
#include "engine/user_interface.h"

namespace kelvane {

// How a new description meets the existing one (the "Amend as" options).
enum class DescriptionMode : int { AddReplace = 0, Append = 1, Prefix = 2 };

struct TextTagRequest {
  ProgramFunction function = ProgramFunction::AddCopyright;  // or AddDescription
  bool overwriteExisting = true;                             // "Skip if text already present" not ticked

  // Copyright: the run's parts and how they meet the existing notice.
  CopyrightParts parts;
  NoticeChoice choice;
  bool deletePhotographer = false;
  bool deleteEditor = false;
  bool editorYearRule = false;

  // Image Description.
  std::string description;  // the description box, as typed
  DescriptionMode mode = DescriptionMode::AddReplace;
  bool deleteDescription = false;  // Add/Replace with an empty box
  bool noAutoSpace = false;        // no blank between old and new text
};

// Result codes of AmendTextTagOfFile.
namespace text_tag_code {
inline constexpr int16_t kWritten = 0;
inline constexpr int16_t kNoChange = 1;     // nothing to add to the existing text
inline constexpr int16_t kNoOverwrite = 2;  // existing description kept
inline constexpr int16_t kNotJpeg = 4;
inline constexpr int16_t kBadMetadata = 8;     // the Exif segment can't be read
inline constexpr int16_t kNoValidYear = 9;     // year from the photo missing or out of range
inline constexpr int16_t kNoMetadata = 10;     // no Exif segment, or the writer failed
inline constexpr int16_t kDeleteRefused = 51;  // a delete while existing text is to be kept
}  // namespace text_tag_code

// The smallest text value the writer takes: shorter descriptions are padded
// with blanks.
inline constexpr size_t kMinTextTagLength = 5;

// Builds the new text and has operations write it (slot 7, tag 0x8298 or slot 8,
// tag 0x010E; Exif ASCII with its closing zero; an empty text deletes the
// tag; a photo without the tag is then left as it is). A delete of existing
// text is refused while overwriteExisting is off. Pending events run after
// the write.
int16_t AmendTextTagOfFile(const std::string& path, const TextTagRequest& request, AmendOperations& operations,
                           FileOpsLibrary& fileOps, const FileProgressRange& progress, UserInterface& ui);

}  // namespace kelvane
