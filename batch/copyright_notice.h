// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright notices: built from a name and a year between the standard
// leading and trailing texts, merged per photo with the notice already in
// it, and read back into name and year for the Copyright panel.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "batch/batch_inputs.h"
#include "engine/exif_reader.h"
#include "batch/run_state.h"
#include "engine/settings_store.h"

namespace kelvane {

// Keys of the COPYRIGHT section.
inline constexpr const char* kPhotoNameKey = "PhotoName";
inline constexpr const char* kPhotoYearKey = "PhotoYear";
inline constexpr const char* kEditNameKey = "EditName";
inline constexpr const char* kEditYearKey = "EditYear";
inline constexpr const char* kLeadingTextKey = "CRText1";
inline constexpr const char* kTrailingTextKey = "CRText2";

inline constexpr const char* kDefaultLeadingText = "Copyright(C) ";
inline constexpr const char* kDefaultTrailingText = " - All Rights Reserved.";
// The parameter caption once a photo's notice has chosen the notice type.
inline constexpr const char* kExistingCopyrightCaption = "Existing Copyright entry:";

// The texts that open and close every notice.
struct NoticeTexts {
  std::string leading = kDefaultLeadingText;
  std::string trailing = kDefaultTrailingText;
};
// CRText1 and CRText2, each falling back to its default when empty.
NoticeTexts ReadNoticeTexts(const SettingsStore& store);

// The notice type options, in the panel's order.
enum class NoticeType : int { Photographer = 0, Editor = 1, Both = 2 };

// Which notices a run writes and where their years come from.
struct NoticeChoice {
  bool photographer = true;
  bool editor = false;
  bool yearFromPhoto = false;
};

// Index 0/1 the Photographer notice, 2/3 the Editor notice. With a typed year
// the whole notice is in 0 (2), zero character included; with the year from
// the photo the year goes between 0 and 1 (2 and 3). A notice not written,
// or to be deleted, leaves both of its entries empty.
using CopyrightParts = std::array<std::string, 4>;

// Result codes of ComposeCopyrightNotice.
namespace compose_code {
inline constexpr int16_t kOk = 0;
inline constexpr int16_t kPhotographerYearInvalid = 4;
inline constexpr int16_t kEditorYearInvalid = 6;
inline constexpr int16_t kFailed = 9;
}  // namespace compose_code

struct ComposedNotice {
  int16_t code = compose_code::kOk;
  CopyrightParts parts;
  bool firstTextEmpty = false;   // the Photographer notice is to be deleted
  bool secondTextEmpty = false;  // the Editor notice is to be deleted
};

// Builds the parts of one run from the panel's boxes. A typed year must be a
// number that rounds to 1800..2999; the rounded year is written back into its
// box. The Photographer notice is checked first, so with both years invalid
// the result is kPhotographerYearInvalid. A notice whose name is empty is to
// be deleted and needs no year.
ComposedNotice ComposeCopyrightNotice(const NoticeChoice& choice, CopyrightEntries& entries, const NoticeTexts& texts);

// A Copyright tag value split into its two notices, without zero characters
// and trimmed. " " + zero at the start means there is no Photographer notice.
struct NoticePair {
  std::string photographer;
  std::string editor;
};
NoticePair SplitCopyrightText(std::string_view tagText);

// The photo's date/time texts that a year can be taken from.
struct PhotoDateTexts {
  std::string modified;  // DateTime
  std::string taken;     // DateTimeOriginal
};

// What the per-file merge needs besides the parts.
struct NoticeMergeRules {
  NoticeChoice choice;
  bool deletePhotographer = false;  // FirstTextEmpty
  bool deleteEditor = false;        // SecondTextEmpty
  bool overwriteExisting = true;    // "Skip if text already present" not ticked
  bool editorYearRule = false;      // no Editor notice for a photo never modified
};

// Result codes of MergeCopyrightNotice.
namespace merge_code {
inline constexpr int16_t kOk = 0;
inline constexpr int16_t kNoValidYear = 9;
}  // namespace merge_code

struct MergedNotice {
  int16_t code = merge_code::kOk;
  // The new tag value, zero characters included; empty = no notice left.
  std::string text;
};

// The new Copyright value of one photo from its existing value, the run's
// parts and the photo's date/times. With the year from the photo the
// Photographer year is the taken year and the Editor year the modified year
// (the taken year when there is no modified date/time); a year outside
// 1800..2999, or none at all, gives kNoValidYear. With editorYearRule a photo
// whose two date/times are equal gets no Editor notice.
MergedNotice MergeCopyrightNotice(std::string_view existing, const CopyrightParts& parts, const PhotoDateTexts& dates,
                                  const NoticeMergeRules& rules);

// One notice taken apart: the standard words are dropped, the first 4-digit
// number within 1900..2100 is the year and the other words, as written and in
// their order, are the name.
struct NoticeFields {
  std::string name;
  std::string year;
};
NoticeFields TakeNoticeApart(std::string_view notice);

// The text the photo already holds for the function: Copyright gives the four
// fields (Photographer name, year, Editor name, year) joined by tabs,
// Image Description the trimmed description. Empty when the file does not
// exist or has no such tag, and for every other function.
std::string ReadExistingText(const std::string& path, ProgramFunction function);
// The same from the tags already read from a photo.
std::string ExistingTextOf(const ExifTagTable& tags, ProgramFunction function);

// The tab-joined text of ReadExistingText split into the four fields
// (missing fields empty).
CopyrightEntries SplitExistingText(std::string_view text);

// What the window shows of a photo's existing text.
struct ExistingTextView {
  std::string description;     // Image Description: the description box
  CopyrightEntries copyright;  // Copyright: the four boxes
  // Copyright with the notice type to be chosen: the option that fits the
  // notices found (with the caption kExistingCopyrightCaption).
  std::optional<NoticeType> noticeType;
};
// Reads the photo's existing text for the window. The caller clears
// TextEditedByUser.
ExistingTextView ShowExistingText(const std::string& path, ProgramFunction function, bool chooseNoticeType);

// Insert Standard Text: fills the boxes from the stored standard text; the
// name boxes set FirstTextEmpty and SecondTextEmpty, and TextEditedByUser is
// set.
void InsertStandardText(const SettingsStore& store, CopyrightEntries& entries, RunState& state);

// Set Standard Text: stores the names and, unless the year comes from the
// photo, the years; StdCopyrightAvailable tells whether a name is stored.
void SetStandardText(SettingsStore& store, const CopyrightEntries& entries, RunState& state);

}  // namespace kelvane
