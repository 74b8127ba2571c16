// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/tag_library.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace kelvane {
namespace {

// Keeps a long run of digits from overflowing; no library number comes near.
constexpr int64_t kNumberCeiling = 1'000'000'000'000;

// Columns first..first+width-1 (1-based) of text, cut at its end.
std::string_view Columns(std::string_view text, size_t first, size_t width) {
  if (text.size() < first) return {};
  return text.substr(first - 1, width);
}

std::string_view TrimSpaces(std::string_view text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  const size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

constexpr size_t kValueTextColumn = 7;
constexpr size_t kTitleColumn = 25;
constexpr int32_t kLowestSuffixBase = 31;
// Ids below this one belong to the header and are never read as a record.
constexpr int64_t kFirstListedTag = 32;

}  // namespace

int64_t ReadLibraryNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min(value * 10 + (text[i] - '0'), kNumberCeiling);
  }
  return value;
}

TagRecord ParseTagRecord(std::string_view record) {
  TagRecord parsed;
  const int64_t classFlags = ReadLibraryNumber(Columns(record, 1, 3));
  parsed.classFlags = classFlags <= 255 ? static_cast<uint8_t>(classFlags) : 0;
  if (parsed.HasFormatting()) {
    parsed.formatCode = static_cast<int32_t>(ReadLibraryNumber(Columns(record, 4, 3)));
    parsed.valueTextBase = static_cast<int32_t>(ReadLibraryNumber(Columns(record, 7, 6)));
    parsed.valueCount = static_cast<int32_t>(ReadLibraryNumber(Columns(record, 13, 3)));
    parsed.suffixNumber = static_cast<int32_t>(ReadLibraryNumber(Columns(record, 16, 3)));
  }
  if (record.size() >= kTitleColumn) parsed.title = TrimSpaces(record.substr(kTitleColumn - 1));
  return parsed;
}

TagLibrary::TagLibrary(std::span<const LibraryString> strings) : strings_(strings.begin(), strings.end()) {
  std::stable_sort(strings_.begin(), strings_.end(),
                   [](const LibraryString& a, const LibraryString& b) { return a.id < b.id; });
  // The suffix base is fixed by the library, so it is worked out once here.
  const std::optional<std::string_view> firstUnit = LoadLibraryString(library_id::kFirstUnitText);
  if (firstUnit && !firstUnit->empty()) {
    const int64_t base = ReadLibraryNumber(*firstUnit) - 1;
    if (base >= kLowestSuffixBase) suffixBase_ = static_cast<int32_t>(base);
  }
  const int64_t firstGps = HeaderNumber(library_id::kFirstGpsRecord, std::string_view::npos);
  if (firstGps >= library_id::kFirstTagRecord && firstGps + kGpsTagCount - 1 <= UINT16_MAX) firstGpsRecord_ = firstGps;

  const int64_t highest = std::min<int64_t>(HighestTag(), UINT16_MAX);
  std::vector<int32_t> candidates;
  for (const LibraryString& entry : strings_) {
    if (entry.id >= kFirstListedTag && entry.id <= highest) candidates.push_back(entry.id);
  }
  for (int32_t n = 0; n < kGpsTagCount; ++n) candidates.push_back(kGpsTagBase + n);
  std::map<std::string_view, int32_t> highestWithTitle;
  for (const int32_t tag : candidates) {
    const std::optional<TagRecord> record = Record(tag);
    if (!record || !record->HasFormatting()) continue;
    recordedTags_.push_back(tag);
    highestWithTitle[record->title] = tag;
  }
  for (const int32_t tag : recordedTags_) {
    if (highestWithTitle[Record(tag)->title] != tag) renamed_.push_back(tag);
  }
}

const TagLibrary& TagLibrary::BuiltIn() {
  static const TagLibrary library(BuiltInLibraryStrings());
  return library;
}

std::optional<std::string_view> TagLibrary::LoadLibraryString(uint16_t id) const {
  const auto it = std::lower_bound(strings_.begin(), strings_.end(), id,
                                   [](const LibraryString& entry, uint16_t wanted) { return entry.id < wanted; });
  if (it == strings_.end() || it->id != id) return std::nullopt;
  return it->text;
}

std::string_view TagLibrary::Text(int64_t id) const {
  if (id < 0 || id > UINT16_MAX) return {};
  const std::optional<std::string_view> stored = LoadLibraryString(static_cast<uint16_t>(id));
  if (!stored || stored->size() < kValueTextColumn) return {};
  return stored->substr(kValueTextColumn - 1);
}

std::optional<std::string_view> TagLibrary::RecordString(int64_t tagNumber) const {
  if (IsGpsTag(tagNumber)) {
    if (firstGpsRecord_ == 0) return std::nullopt;
    return LoadLibraryString(static_cast<uint16_t>(firstGpsRecord_ + tagNumber - kGpsTagBase));
  }
  if (tagNumber < kFirstListedTag || tagNumber > UINT16_MAX) return std::nullopt;
  if (firstGpsRecord_ != 0 && tagNumber >= firstGpsRecord_ && tagNumber < firstGpsRecord_ + kGpsTagCount) {
    return std::nullopt;
  }
  return LoadLibraryString(static_cast<uint16_t>(tagNumber));
}

std::optional<TagRecord> TagLibrary::Record(int64_t tagNumber) const {
  const std::optional<std::string_view> stored = RecordString(tagNumber);
  if (!stored) return std::nullopt;
  const TagRecord record = ParseTagRecord(*stored);
  // Class 000 marks a value text, not a tag record.
  if (record.classFlags == 0) return std::nullopt;
  return record;
}

std::string TagLibrary::Name(int64_t tagNumber) const {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(tagNumber) & 0xFFFFu);
  const std::optional<TagRecord> record = Record(tagNumber);
  if (!record || record->title.empty()) return std::string("Tag_") + hex;
  const bool renamed = std::binary_search(renamed_.begin(), renamed_.end(), static_cast<int32_t>(tagNumber));
  return renamed ? std::string(record->title) + "_" + hex : std::string(record->title);
}

int64_t TagLibrary::HeaderNumber(uint16_t id, size_t maxChars) const {
  const std::optional<std::string_view> stored = LoadLibraryString(id);
  return stored ? ReadLibraryNumber(stored->substr(0, maxChars)) : 0;
}

int64_t TagLibrary::ReleaseNumber() const { return HeaderNumber(library_id::kRelease, 4); }

int64_t TagLibrary::SlotCount() const { return HeaderNumber(library_id::kSlotCount, std::string_view::npos); }

int64_t TagLibrary::HighestTag() const { return HeaderNumber(library_id::kHighestTag, std::string_view::npos); }

std::optional<std::string_view> LoadLibraryString(uint16_t id) { return TagLibrary::BuiltIn().LoadLibraryString(id); }

}  // namespace kelvane
