// SPDX-License-Identifier: GPL-2.0-or-later
// The tag library: the read-only string table built into the program that
// gives each known Exif tag its title, formatting rule, value texts and unit.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

// One string of the library under its 16-bit id.
struct LibraryString {
  uint16_t id = 0;
  std::string_view text;
};

// Ids of the header strings.
namespace library_id {
inline constexpr uint16_t kTitle = 16;
inline constexpr uint16_t kRelease = 17;        // "0004 2007:01:13": release number, date
inline constexpr uint16_t kSlotCount = 18;      // tag slots the exporters size their tables by
inline constexpr uint16_t kHighestTag = 19;     // highest tag number holding a record
inline constexpr uint16_t kFirstUnitText = 20;  // id of the first unit text
inline constexpr uint16_t kProgramVersion = 21;
inline constexpr uint16_t kPlatform = 22;
inline constexpr uint16_t kNotice = 23;  // one-line notice for the About display
// Id of the record of GPS tag 0; the records of GPS tags 1..31 follow it.
// A library without it knows no GPS tags.
inline constexpr uint16_t kFirstGpsRecord = 24;
// The built-in library's tag records start here (stored under their tag
// numbers); ids below 32 are the header's.
inline constexpr uint16_t kFirstTagRecord = 254;
}  // namespace library_id

// Tag numbers as exports give them: the tags of IFD0 and the Exif IFD keep
// their own 16-bit numbers; the GPS directory's tag n (0..31), whose numbers
// would meet those of other tags, is numbered kGpsTagBase + n.
inline constexpr int32_t kGpsTagBase = 0x10000;
inline constexpr int32_t kGpsTagCount = 32;
inline constexpr int32_t kExportTagLimit = kGpsTagBase + kGpsTagCount;
inline bool IsGpsTag(int64_t tag) { return tag >= kGpsTagBase && tag < kExportTagLimit; }

// The fields of a tag record: columns 1-3 class, 4-6 format code, 7-12 first
// value text id, 13-15 value text count, 16-18 unit number, 25- title.
struct TagRecord {
  uint8_t classFlags = 0;
  int32_t formatCode = 0;
  int32_t valueTextBase = 0;
  int32_t valueCount = 0;
  int32_t suffixNumber = 0;
  std::string_view title;  // surrounding spaces removed

  // Bit 0: the formatting fields were read from the record.
  bool HasFormatting() const { return (classFlags & 1) != 0; }
  // Bit 1: the tag stays in an export that leaves out technical tags.
  bool IsNonTechnical() const { return (classFlags & 2) != 0; }
};

// Reads a record string. The formatting fields are read only when bit 0 of
// the class is set, otherwise they are 0; a class above 255 reads as 0. The
// title views into record.
TagRecord ParseTagRecord(std::string_view record);

// Reads a library number the way the table stores them: leading spaces, then
// decimal digits up to the first other character; 0 when there are none.
int64_t ReadLibraryNumber(std::string_view text);

// The strings of the library built into the program, sorted by id.
std::span<const LibraryString> BuiltInLibraryStrings();

// Lookup over a set of library strings. The texts are viewed, not copied:
// they must outlive the library (the built-in ones are static).
class TagLibrary {
 public:
  explicit TagLibrary(std::span<const LibraryString> strings);

  // The library built into the program.
  static const TagLibrary& BuiltIn();

  // The string stored under id, or nothing when the id has no string.
  std::optional<std::string_view> LoadLibraryString(uint16_t id) const;
  // A value or unit text: the string from column 7 on; empty when the id is
  // outside 0..65535, has no string or a shorter one.
  std::string_view Text(int64_t id) const;
  // The record of a tag (an export tag number), or nothing when the tag
  // number holds no record (no string, an id of the header block, a value
  // text, or an id of the GPS records, which only GPS tags reach).
  std::optional<TagRecord> Record(int64_t tagNumber) const;
  // The tags whose records have formatting fields, in tag-number order:
  // 32 .. the highest tag (header 19), then the GPS tags.
  const std::vector<int32_t>& RecordedTags() const { return recordedTags_; }
  // The name a tag goes by where a format names each value (a JSON key, a
  // column of the typed table): its title; a title shared with a tag of a
  // higher number gets "_" and the tag as four hexadecimal digits
  // ("FlashEnergy_920B"); a tag without a record is "Tag_" and its digits.
  std::string Name(int64_t tagNumber) const;

  // The id just before the first unit text (header 20 less 1), or -1 when
  // the header is missing or reads below 31: then values get no units.
  int32_t SuffixBase() const { return suffixBase_; }
  // The release number: the first four characters of header 17.
  int64_t ReleaseNumber() const;
  // Header 18 and 19 read as numbers (0 when missing); the exporters treat a
  // value below 1 as a damaged library.
  int64_t SlotCount() const;
  int64_t HighestTag() const;

  size_t size() const { return strings_.size(); }

 private:
  int64_t HeaderNumber(uint16_t id, size_t maxChars) const;

  std::optional<std::string_view> RecordString(int64_t tagNumber) const;

  std::vector<LibraryString> strings_;  // sorted by id
  int32_t suffixBase_ = -1;
  int64_t firstGpsRecord_ = 0;  // 0: no GPS records
  std::vector<int32_t> recordedTags_;
  std::vector<int32_t> renamed_;  // recorded tags whose title a higher tag also has
};

// LoadLibraryString of the built-in library.
std::optional<std::string_view> LoadLibraryString(uint16_t id);

}  // namespace kelvane
