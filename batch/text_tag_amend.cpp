// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/text_tag_amend.h"

#include <optional>

#include "engine/exif_reader.h"
#include "engine/photo_file.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

// WriteExifTag's answer to a delete of a tag the photo does not have.
constexpr int16_t kWriterNothingToDelete = 7;

// The new text of one photo, or the code that ends its step.
struct NewText {
  int16_t code = text_tag_code::kWritten;
  std::string text;
};

NewText NewCopyright(const std::string& path, const TextTagRequest& request, FileOpsLibrary& fileOps) {
  PhotoFile file;
  if (!file.Open(path, PhotoFile::Mode::kRead)) return {text_tag_code::kNotJpeg, {}};
  ExifReading reading;
  int32_t allSlots = 0;
  const int16_t read = ReadExifTags(file, path, allSlots, reading, fileOps);
  file.Close();
  if (read == read_code::kNotJpeg) return {text_tag_code::kNotJpeg, {}};
  if (read == read_code::kNoExif) return {text_tag_code::kNoMetadata, {}};
  if (read != read_code::kOk) return {text_tag_code::kBadMetadata, {}};

  const std::string& existing = reading.tags[kSlotCopyright].text;
  if (!request.overwriteExisting) {
    const NoticePair old = SplitCopyrightText(existing);
    const bool deletesPhotographer = request.choice.photographer && request.deletePhotographer;
    const bool deletesEditor = request.choice.editor && request.deleteEditor;
    if ((deletesPhotographer && !old.photographer.empty()) || (deletesEditor && !old.editor.empty())) {
      return {text_tag_code::kDeleteRefused, {}};
    }
  }
  NoticeMergeRules rules;
  rules.choice = request.choice;
  rules.deletePhotographer = request.deletePhotographer;
  rules.deleteEditor = request.deleteEditor;
  rules.overwriteExisting = request.overwriteExisting;
  rules.editorYearRule = request.editorYearRule;
  const PhotoDateTexts dates{reading.tags[kSlotDateTime].text, reading.tags[kSlotDateTimeOriginal].text};
  const MergedNotice merged = MergeCopyrightNotice(existing, request.parts, dates, rules);
  if (merged.code != merge_code::kOk) return {text_tag_code::kNoValidYear, {}};
  return {text_tag_code::kWritten, merged.text};
}

NewText NewDescription(const std::string& path, const TextTagRequest& request, FileOpsLibrary& fileOps) {
  const bool addReplace = request.mode == DescriptionMode::AddReplace;
  std::string added = Trim(request.description);

  if (request.deleteDescription) {
    // With "Skip if text already present" an existing description stays.
    if (!request.overwriteExisting && !ReadExistingText(path, ProgramFunction::AddDescription, fileOps).empty()) {
      return {text_tag_code::kDeleteRefused, {}};
    }
    return {text_tag_code::kWritten, {}};
  }

  const std::string existing = addReplace && request.overwriteExisting
                                   ? std::string()
                                   : ReadExistingText(path, ProgramFunction::AddDescription, fileOps);
  if (addReplace && !request.overwriteExisting && !existing.empty()) return {text_tag_code::kNoOverwrite, {}};
  if (added.empty() && (existing.empty() || !addReplace)) return {text_tag_code::kNoChange, {}};

  std::string text;
  if (existing.empty() || addReplace) {
    text = added;
  } else if (request.mode == DescriptionMode::Prefix) {
    if (!request.noAutoSpace && existing.front() != ' ' && added.back() != ' ') added += ' ';
    text = added + existing;
  } else {
    if (!request.noAutoSpace && existing.back() != ' ' && added.front() != ' ') added.insert(0, 1, ' ');
    text = existing + added;
  }
  if (text.size() + 1 < kMinTextTagLength) text.resize(kMinTextTagLength - 1, ' ');
  text.push_back('\0');
  return {text_tag_code::kWritten, text};
}

}  // namespace

int16_t AmendTextTagOfFile(const std::string& path, const TextTagRequest& request, AmendOperations& operations,
                           FileOpsLibrary& fileOps, const FileProgressRange& progress, UserInterface& ui) {
  const bool copyright = request.function == ProgramFunction::AddCopyright;
  const NewText result = copyright ? NewCopyright(path, request, fileOps) : NewDescription(path, request, fileOps);
  if (result.code != text_tag_code::kWritten) return result.code;

  const ExifSlot slot = copyright ? kSlotCopyright : kSlotImageDescription;
  ExifTagRecord record;
  record.tag = kSlotTags[slot];
  record.directory = 0;
  record.type = 2;
  record.count = static_cast<int32_t>(result.text.size());
  record.byteLength = record.count;
  record.text = result.text;
  const int16_t written = operations.WriteExifTag(path, slot, record, progress);
  ui.PumpEvents();
  // Deleting text that is not there leaves the photo as asked.
  if (result.text.empty() && written == kWriterNothingToDelete) return text_tag_code::kWritten;
  return written > 0 ? text_tag_code::kNoMetadata : text_tag_code::kWritten;
}

}  // namespace kelvane
