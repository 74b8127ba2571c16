// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/copyright_notice.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <vector>

#include "engine/exif_reader.h"
#include "engine/photo_file.h"
#include "engine/settings.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr int kFirstYear = 1800;
constexpr int kLastYear = 2999;
constexpr int kFirstReadBackYear = 1900;
constexpr int kLastReadBackYear = 2100;

std::string WithoutTrailingZeros(std::string_view text) {
  while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return std::string(text);
}

std::string WithZero(std::string text) {
  if (!text.empty()) text.push_back('\0');
  return text;
}

// A typed year: a decimal number (a fraction allowed), rounded.
std::optional<long> TypedYear(const std::string& text) {
  if (text.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  if (value < kFirstYear - 1 || value > kLastYear + 1) return std::nullopt;
  return std::lround(value);
}

bool YearInRange(long year, int first, int last) { return year >= first && year <= last; }

// The year at the start of a date/time text: four digits in 1800..2999.
std::optional<std::string> YearOfDateTime(const std::string& dateTime) {
  if (dateTime.size() < 4) return std::nullopt;
  const std::string year = dateTime.substr(0, 4);
  long value = 0;
  const auto [end, error] = std::from_chars(year.data(), year.data() + 4, value);
  if (error != std::errc() || end != year.data() + 4 || year[0] == '-' || year[0] == '+') return std::nullopt;
  if (!YearInRange(value, kFirstYear, kLastYear)) return std::nullopt;
  return year;
}

// A date/time tag text without its closing zero(s), trimmed.
std::string CleanDateTime(const std::string& text) { return Trim(WithoutTrailingZeros(text)); }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsStandardWord(std::string word) {
  for (char& c : word) c = UpperAscii(c);
  // The closing word of the standard trailing text carries its full stop.
  while (word.size() > 1 && word.back() == '.') word.pop_back();
  for (const char* standard : {"COPYRIGHT(C)", "COPYRIGHT", "(C)", "-", "ALL", "RIGHTS", "RESERVED"}) {
    if (word == standard) return true;
  }
  return false;
}

bool IsReadBackYear(const std::string& word) {
  if (word.size() != 4) return false;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
  }
  return YearInRange(std::stol(word), kFirstReadBackYear, kLastReadBackYear);
}

// Words are separated by blanks, commas and a hyphen that follows a blank.
std::vector<std::string> NoticeWords(std::string_view notice) {
  std::vector<std::string> words;
  std::string word;
  for (size_t i = 0; i < notice.size(); ++i) {
    const char c = notice[i];
    const bool separator = c == ' ' || c == ',' || (c == '-' && i > 0 && notice[i - 1] == ' ');
    if (!separator) {
      word.push_back(c);
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// The new part of one notice with the year taken from the photo.
std::string PartWithYear(const CopyrightParts& parts, size_t first, const std::string& year) {
  return parts[first] + year + parts[first + 1];
}

}  // namespace

NoticeTexts ReadNoticeTexts(const SettingsStore& store) {
  NoticeTexts texts;
  const std::string leading = store.ReadSetting(kCopyrightSection, kLeadingTextKey);
  const std::string trailing = store.ReadSetting(kCopyrightSection, kTrailingTextKey);
  if (!leading.empty()) texts.leading = leading;
  if (!trailing.empty()) texts.trailing = trailing;
  return texts;
}

ComposedNotice ComposeCopyrightNotice(const NoticeChoice& choice, CopyrightEntries& entries, const NoticeTexts& texts) {
  ComposedNotice result;
  int16_t failureCode = compose_code::kFailed;
  try {
    const std::string photographerName = Trim(entries.photographerName);
    const std::string editorName = Trim(entries.editorName);
    result.firstTextEmpty = choice.photographer && photographerName.empty();
    result.secondTextEmpty = choice.editor && editorName.empty();

    if (choice.yearFromPhoto) {
      if (choice.photographer && !result.firstTextEmpty) {
        result.parts[0] = texts.leading;
        result.parts[1] = WithZero(" " + photographerName + texts.trailing);
      }
      if (choice.editor && !result.secondTextEmpty) {
        result.parts[2] = texts.leading;
        result.parts[3] = WithZero(" " + editorName + texts.trailing);
      }
      return result;
    }

    struct Notice {
      bool selected;
      bool deleted;
      int16_t code;
      std::string& yearBox;
      const std::string& name;
      std::string& part;
    };
    Notice notices[] = {
        {choice.photographer, result.firstTextEmpty, compose_code::kPhotographerYearInvalid, entries.photographerYear,
         photographerName, result.parts[0]},
        {choice.editor, result.secondTextEmpty, compose_code::kEditorYearInvalid, entries.editorYear, editorName,
         result.parts[2]},
    };
    for (Notice& notice : notices) {
      if (!notice.selected) continue;
      failureCode = notice.code;
      if (notice.deleted) continue;
      const std::optional<long> year = TypedYear(Trim(notice.yearBox));
      if (!year || !YearInRange(*year, kFirstYear, kLastYear)) {
        result.code = notice.code;
        return result;
      }
      notice.yearBox = std::to_string(*year);
      notice.part = WithZero(texts.leading + notice.yearBox + " " + notice.name + texts.trailing);
    }
    return result;
  } catch (const std::exception&) {
    result.code = failureCode;
    return result;
  }
}

NoticePair SplitCopyrightText(std::string_view tagText) {
  const std::string text = WithoutTrailingZeros(tagText);
  NoticePair pair;
  if (text.size() >= 2 && text[0] == ' ' && text[1] == '\0') {
    pair.editor = Trim(std::string_view(text).substr(2));
  } else if (const auto zero = text.find('\0'); zero != std::string::npos) {
    pair.photographer = Trim(std::string_view(text).substr(0, zero));
    pair.editor = Trim(std::string_view(text).substr(zero + 1));
  } else {
    pair.photographer = Trim(text);
  }
  return pair;
}

MergedNotice MergeCopyrightNotice(std::string_view existing, const CopyrightParts& parts, const PhotoDateTexts& dates,
                                  const NoticeMergeRules& rules) {
  MergedNotice result;
  const NoticePair old = SplitCopyrightText(existing);
  const std::string oldPhotographer = WithZero(old.photographer);
  const std::string oldEditor = WithZero(old.editor);
  const std::string taken = CleanDateTime(dates.taken);
  const std::string modified = CleanDateTime(dates.modified);

  std::string photographer = oldPhotographer;
  if (rules.choice.photographer) {
    if (rules.deletePhotographer) {
      photographer.clear();
    } else if (rules.overwriteExisting || oldPhotographer.empty()) {
      if (rules.choice.yearFromPhoto) {
        const std::optional<std::string> year = YearOfDateTime(taken);
        if (!year) return {merge_code::kNoValidYear, {}};
        photographer = PartWithYear(parts, 0, *year);
      } else {
        photographer = parts[0];
      }
    }
  }

  std::string editor = oldEditor;
  if (rules.choice.editor) {
    if (rules.deleteEditor) {
      editor.clear();
    } else if (rules.overwriteExisting || oldEditor.empty()) {
      if (!rules.choice.yearFromPhoto) {
        editor = parts[2];
      } else if (rules.editorYearRule && modified == taken) {
        editor.clear();
      } else {
        const std::optional<std::string> year = YearOfDateTime(modified.empty() ? taken : modified);
        if (!year) return {merge_code::kNoValidYear, {}};
        editor = PartWithYear(parts, 2, *year);
      }
    }
  }

  if (!editor.empty()) editor = (photographer.empty() ? std::string(" \0", 2) : std::string(" ")) + editor;
  result.text = photographer + editor;
  return result;
}

NoticeFields TakeNoticeApart(std::string_view notice) {
  NoticeFields fields;
  for (const std::string& word : NoticeWords(notice)) {
    if (IsStandardWord(word)) continue;
    if (fields.year.empty() && IsReadBackYear(word)) {
      fields.year = word;
      continue;
    }
    if (!fields.name.empty()) fields.name += ' ';
    fields.name += word;
  }
  return fields;
}

std::string ExistingTextOf(const ExifTagTable& tags, ProgramFunction function) {
  if (function == ProgramFunction::AddDescription) {
    return Trim(WithoutTrailingZeros(tags[kSlotImageDescription].text));
  }
  if (function != ProgramFunction::AddCopyright) return {};
  const NoticePair pair = SplitCopyrightText(WithoutTrailingZeros(tags[kSlotCopyright].text));
  const NoticeFields photographer = TakeNoticeApart(pair.photographer);
  const NoticeFields editor = TakeNoticeApart(pair.editor);
  return photographer.name + '\t' + photographer.year + '\t' + editor.name + '\t' + editor.year;
}

std::string ReadExistingText(const std::string& path, ProgramFunction function) {
  const std::string photo = Trim(path);
  int32_t slot = 0;
  if (function == ProgramFunction::AddCopyright) {
    slot = kSlotCopyright;
  } else if (function == ProgramFunction::AddDescription) {
    slot = kSlotImageDescription;
  } else {
    return {};
  }
  PhotoFile file;
  if (!file.Open(photo, PhotoFile::Mode::kRead)) return {};
  ExifReading reading;
  int32_t request = slot;
  if (ReadExifTags(file, request, reading) != ReadResult::kOk) return {};
  return ExistingTextOf(reading.tags, function);
}

CopyrightEntries SplitExistingText(std::string_view text) {
  CopyrightEntries entries;
  std::string* const fields[] = {&entries.photographerName, &entries.photographerYear, &entries.editorName,
                                 &entries.editorYear};
  size_t field = 0;
  for (char c : text) {
    if (c != '\t') {
      fields[field]->push_back(c);
    } else if (++field == std::size(fields)) {
      break;
    }
  }
  return entries;
}

ExistingTextView ShowExistingText(const std::string& path, ProgramFunction function, bool chooseNoticeType) {
  ExistingTextView view;
  const std::string text = ReadExistingText(path, function);
  if (function == ProgramFunction::AddDescription) {
    view.description = text;
  } else if (function == ProgramFunction::AddCopyright) {
    view.copyright = SplitExistingText(text);
    if (chooseNoticeType) {
      const int found = (view.copyright.photographerName.empty() ? 0 : 1) + (view.copyright.editorName.empty() ? 0 : 2);
      view.noticeType = found == 0 ? NoticeType::Photographer : static_cast<NoticeType>(found - 1);
    }
  }
  return view;
}

void InsertStandardText(const SettingsStore& store, CopyrightEntries& entries, RunState& state) {
  entries.photographerName = store.ReadSetting(kCopyrightSection, kPhotoNameKey);
  entries.photographerYear = store.ReadSetting(kCopyrightSection, kPhotoYearKey);
  entries.editorName = store.ReadSetting(kCopyrightSection, kEditNameKey);
  entries.editorYear = store.ReadSetting(kCopyrightSection, kEditYearKey);
  state.FirstTextEmpty = entries.photographerName.empty();
  state.SecondTextEmpty = entries.editorName.empty();
  state.TextEditedByUser = true;
}

void SetStandardText(SettingsStore& store, const CopyrightEntries& entries, RunState& state) {
  store.WriteSetting(kCopyrightSection, kPhotoNameKey, entries.photographerName);
  store.WriteSetting(kCopyrightSection, kEditNameKey, entries.editorName);
  if (!state.YearFromPhoto) {
    store.WriteSetting(kCopyrightSection, kPhotoYearKey, entries.photographerYear);
    store.WriteSetting(kCopyrightSection, kEditYearKey, entries.editorYear);
  }
  state.StdCopyrightAvailable = !Trim(entries.photographerName).empty() || !Trim(entries.editorName).empty();
}

}  // namespace kelvane
