// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/text_tag_amend.h"

#include "engine/utility_functions.h"

namespace kelvane {
namespace {

NewText NewCopyright(const ExifTagTable& tags, const TextTagRequest& request) {
  const std::string& existing = tags[kSlotCopyright].text;
  if (!request.overwriteExisting) {
    const NoticePair old = SplitCopyrightText(existing);
    const bool deletesPhotographer = request.choice.photographer && request.deletePhotographer;
    const bool deletesEditor = request.choice.editor && request.deleteEditor;
    if ((deletesPhotographer && !old.photographer.empty()) || (deletesEditor && !old.editor.empty())) {
      return {TextTagResult::kDeleteRefused, {}};
    }
  }
  NoticeMergeRules rules;
  rules.choice = request.choice;
  rules.deletePhotographer = request.deletePhotographer;
  rules.deleteEditor = request.deleteEditor;
  rules.overwriteExisting = request.overwriteExisting;
  rules.editorYearRule = request.editorYearRule;
  const PhotoDateTexts dates{tags[kSlotDateTime].text, tags[kSlotDateTimeOriginal].text};
  const MergedNotice merged = MergeCopyrightNotice(existing, request.parts, dates, rules);
  if (merged.code != merge_code::kOk) return {TextTagResult::kNoValidYear, {}};
  return {TextTagResult::kWrite, merged.text};
}

NewText NewDescription(const ExifTagTable& tags, const TextTagRequest& request) {
  const bool addReplace = request.mode == DescriptionMode::AddReplace;
  std::string added = Trim(request.description);
  const std::string existing = ExistingTextOf(tags, ProgramFunction::AddDescription);

  if (request.deleteDescription) {
    // With "Skip if text already present" an existing description stays.
    if (!request.overwriteExisting && !existing.empty()) return {TextTagResult::kDeleteRefused, {}};
    return {TextTagResult::kWrite, {}};
  }
  if (addReplace && !request.overwriteExisting && !existing.empty()) return {TextTagResult::kNoOverwrite, {}};
  const std::string& kept = addReplace && request.overwriteExisting ? std::string() : existing;
  if (added.empty() && (kept.empty() || !addReplace)) return {TextTagResult::kNoChange, {}};

  std::string text;
  if (kept.empty() || addReplace) {
    text = added;
  } else if (request.mode == DescriptionMode::Prefix) {
    if (!request.noAutoSpace && kept.front() != ' ' && added.back() != ' ') added += ' ';
    text = added + kept;
  } else {
    if (!request.noAutoSpace && kept.back() != ' ' && added.front() != ' ') added.insert(0, 1, ' ');
    text = kept + added;
  }
  if (text.size() + 1 < kMinTextTagLength) text.resize(kMinTextTagLength - 1, ' ');
  text.push_back('\0');
  return {TextTagResult::kWrite, text};
}

}  // namespace

NewText NewTextOfPhoto(const ExifTagTable& tags, const TextTagRequest& request) {
  return request.function == ProgramFunction::AddCopyright ? NewCopyright(tags, request)
                                                           : NewDescription(tags, request);
}

ExifTagRecord TextTagRecord(ExifSlot slot, const std::string& text) {
  ExifTagRecord record;
  record.tag = kSlotTags[slot];
  record.directory = 0;
  record.type = TypeCode(ExifType::kAscii);
  record.count = static_cast<int32_t>(text.size());
  record.byteLength = record.count;
  record.text = text;
  return record;
}

ListMessage TextTagMessage(TextTagResult result, ProgramFunction function) {
  const bool copyright = function == ProgramFunction::AddCopyright;
  switch (result) {
    case TextTagResult::kNoChange:
      return copyright ? ListMessage::kCopyrightUnchanged : ListMessage::kDescriptionUnchanged;
    case TextTagResult::kNoOverwrite:
      return copyright ? ListMessage::kCopyrightNoOverwrite : ListMessage::kDescriptionNoOverwrite;
    case TextTagResult::kNoValidYear:
      return copyright ? ListMessage::kCopyrightTextError : ListMessage::kDescriptionTextError;
    case TextTagResult::kDeleteRefused:
      return ListMessage::kDeleteWithSkipSet;
    case TextTagResult::kWrite:
      break;
  }
  return ListMessage::kUndefinedProcessingError;
}

}  // namespace kelvane
