// SPDX-License-Identifier: GPL-2.0-or-later
// The per-photo rule of the Copyright and Image Description functions: the
// new Copyright or ImageDescription text of one photo from what it holds.
#pragma once

#include <cstdint>
#include <string>

#include "batch/copyright_notice.h"
#include "batch/list_messages.h"
#include "engine/exif_reader.h"
#include "engine/exif_types.h"

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

// What the rule decides for one photo.
enum class TextTagResult : int16_t {
  kWrite = 0,
  kNoChange = 1,         // nothing to add to the existing text
  kNoOverwrite = 2,      // existing description kept
  kNoValidYear = 9,      // year from the photo missing or out of range
  kDeleteRefused = 51,   // a delete while existing text is to be kept
};

struct NewText {
  TextTagResult result = TextTagResult::kWrite;
  // The new tag value, Exif ASCII with its closing zero; empty = delete.
  std::string text;
};

// The smallest text value the writer takes: shorter descriptions are padded
// with blanks.
inline constexpr size_t kMinTextTagLength = 5;

// The new text of a photo whose tags have been read. A delete of existing
// text is refused while overwriteExisting is off.
NewText NewTextOfPhoto(const ExifTagTable& tags, const TextTagRequest& request);

// The tag record that writes text into slot (ASCII; an empty text deletes).
ExifTagRecord TextTagRecord(ExifSlot slot, const std::string& text);

// The list message of a result other than kWrite, for the request's function.
ListMessage TextTagMessage(TextTagResult result, ProgramFunction function);

}  // namespace kelvane
