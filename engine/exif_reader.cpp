// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/exif_reader.h"

#include <cstdio>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "engine/tiff_decoder.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr int kMaxCandidates = 100;
constexpr int64_t kSearchEnd = 100000;
constexpr size_t kMaxEntries = 200;
constexpr int kSelectorBadEntry = -2;
constexpr int kSelectorNotWanted = -1;
constexpr int kSelectorOtherIfd0 = 98;
constexpr int kSelectorOtherExif = 99;
constexpr int kSelectorAllIfd0 = -98;
constexpr uint32_t kLargestNumber = std::numeric_limits<int32_t>::max();

int SlotOfTag(int32_t tag) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (kSlotTags[static_cast<size_t>(slot)] == tag) return slot;
  }
  return -1;
}

int16_t DirectoryOfSlot(int slot) {
  switch (slot) {
    case kSlotExifOffset:
    case kSlotDateTime:
    case kSlotCopyright:
    case kSlotImageDescription:
    case kSelectorOtherIfd0:
      return 0;
    default:
      return 1;
  }
}

// "0220" -> "2.2", "0100" -> "1": major from the first two characters plus
// minor / 100 from the last two.
std::string VersionNumberText(const std::string& raw) {
  const std::string major = raw.substr(0, 2);
  const std::string minor = raw.size() >= 2 ? raw.substr(raw.size() - 2) : raw;
  const double number = static_cast<double>(LeadingNumber(major)) + static_cast<double>(LeadingNumber(minor)) / 100.0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", number);
  return buf;
}

// Below 0 when a 1-based position would pass the 32-bit range.
int32_t Add32(int64_t a, int64_t b) {
  const int64_t sum = a + b;
  return sum > std::numeric_limits<int32_t>::max() || sum < 0 ? -1 : static_cast<int32_t>(sum);
}

// The 0-based offset of the first 0xFF 0xE1 lying wholly in [start, stop),
// or -1. The head is read further only as far as the search goes.
int64_t FindApp1Marker(PhotoFile& file, int64_t start, int64_t stop) {
  size_t want = 64 * 1024;
  int64_t from = start;
  for (;;) {
    const std::span<const uint8_t> head = file.Head(static_cast<size_t>(std::min<int64_t>(stop, want)));
    const int64_t end = std::min<int64_t>(stop, static_cast<int64_t>(head.size()));
    for (int64_t i = from; i + 1 < end; ++i) {
      if (head[static_cast<size_t>(i)] == 0xFF && head[static_cast<size_t>(i) + 1] == 0xE1) return i;
    }
    if (end >= stop || static_cast<int64_t>(head.size()) < std::min<int64_t>(stop, want)) return -1;
    from = std::max(from, end - 1);
    want *= 2;
  }
}

// Looks for the Exif APP1 segment; true when found. Fills the marker and
// length of the locator and sets insertAt to where a new segment belongs.
bool FindExifSegment(PhotoFile& file, ExifSegmentInfo& segment, int32_t& insertAt) {
  int32_t app0End = 0;
  int64_t candidate = 3;
  insertAt = 2;
  const int64_t stop = std::min<int64_t>(kSearchEnd, file.Size());
  for (int examined = 0; examined < kMaxCandidates; ++examined) {
    uint8_t marker[4] = {};
    if (file.ReadAt(candidate - 1, marker, 2) && marker[0] == 0xFF) {
      const bool lengthRead = file.ReadAt(candidate + 1, marker + 2, 2);
      const int32_t length = lengthRead ? (marker[2] << 8) | marker[3] : 0;
      if (marker[1] == 0xE1) {
        segment[kLocMarker] = static_cast<int32_t>(candidate);
        segment[kLocLength] = length;
        uint8_t header[6] = {};
        if (lengthRead && file.ReadAt(candidate + 3, header, 6) && std::memcmp(header, "Exif\0\0", 6) == 0) {
          insertAt = 0;
          return true;
        }
      } else if (marker[1] == 0xE0 && lengthRead) {
        app0End = static_cast<int32_t>(candidate + 2 + length - 1);
      }
    }
    const int64_t found = FindApp1Marker(file, candidate + 2, stop);
    if (found < 0) break;
    candidate = found + 1;
  }
  insertAt = app0End != 0 ? app0End : 2;
  return false;
}

// Decodes the entry at 1-based position entryPosition into a record and
// classifies it. slotSelector in: 1..8 (single slot), -98 (IFD0) or -99
// (Exif IFD); out: the slot 0..8, 98/99 for another tag with data outside
// the entry, -1 for an entry not wanted, -2 for an entry that can't be read.
ExifTagRecord ReadIfdEntry(TiffDecoder& decoder, int64_t entryPosition, int& slotSelector) {
  ExifTagRecord record;
  const int64_t tiffBase = decoder.start() + 1;
  TiffEntry entry;
  if (!decoder.Entry(static_cast<uint64_t>(entryPosition - tiffBase), entry)) {
    slotSelector = kSelectorBadEntry;
    return record;
  }
  record.tag = entry.tag;
  int slot = SlotOfTag(record.tag);
  if (slotSelector > 0) {
    if (slot != kSlotExifOffset && slot != slotSelector) {
      slotSelector = kSelectorNotWanted;
      return record;
    }
  } else if (slot < 0) {
    slot = slotSelector == kSelectorAllIfd0 ? kSelectorOtherIfd0 : kSelectorOtherExif;
  }
  record.directory = DirectoryOfSlot(slot);
  if (entry.type < 1 || entry.type > 12 || entry.count > kLargestNumber || entry.byteLength > kLargestNumber) {
    slotSelector = kSelectorBadEntry;
    return record;
  }
  record.type = static_cast<uint8_t>(entry.type);
  record.count = static_cast<int32_t>(entry.count);
  record.byteLength = static_cast<int32_t>(entry.byteLength);
  if (slot >= kSelectorOtherIfd0 && record.byteLength <= 4) {
    slotSelector = kSelectorNotWanted;
    return record;
  }
  const int64_t valuePosition = entryPosition + 8;
  record.entryPosition = static_cast<int32_t>(entryPosition);
  if (record.byteLength <= 4 && slot != kSlotExifOffset) {
    // A value held in the entry is read from its own bytes: whatever a
    // camera left in the unused ones does not count.
    std::array<uint8_t, 4> used{};
    std::copy(entry.field.begin(), entry.field.begin() + record.byteLength, used.begin());
    const bool oneShort = record.type == TypeCode(ExifType::kShort) || record.type == TypeCode(ExifType::kSShort);
    record.valueField = oneShort && record.count == 1 ? Get16(used.data(), decoder.order())
                                                      : static_cast<int32_t>(Get32(used.data(), decoder.order()));
    record.dataPosition = static_cast<int32_t>(valuePosition);
    slotSelector = slot;
    return record;
  }
  const uint32_t field = entry.FieldValue(decoder.order());
  const int32_t dataPosition =
      record.byteLength <= 4 ? static_cast<int32_t>(valuePosition) : Add32(tiffBase, static_cast<int64_t>(field));
  if (field > kLargestNumber || dataPosition < 0) {
    slotSelector = kSelectorBadEntry;
    return record;
  }
  record.valueField = static_cast<int32_t>(field);
  record.dataPosition = dataPosition;
  slotSelector = slot;
  return record;
}

// Walks one directory at 1-based position start. Returns false when the
// segment can't be used; stops early in single-slot mode once the slot is found.
bool WalkDirectory(TiffDecoder& decoder, int64_t start, int directory, int32_t slotRequest, ExifReading& reading,
                   int& lastSelector, bool& slotFound, bool& exifPointerMet) {
  ExifSegmentInfo& seg = reading.segment;
  const int64_t tiffBase = decoder.start() + 1;
  uint16_t count = 0;
  if (!decoder.U16(static_cast<uint64_t>(start - tiffBase), count) || count > kMaxEntries) return false;
  seg[static_cast<size_t>(kLocIfd0Count + directory)] = count;
  const bool singleSlot = slotRequest > 0;
  int64_t dataEnd = 0;
  for (int k = 0; k < count; ++k) {
    int selector = singleSlot ? slotRequest : kSelectorAllIfd0 - directory;
    const int64_t entry = start + 2 + int64_t{12} * k;
    ExifTagRecord record = ReadIfdEntry(decoder, entry, selector);
    lastSelector = selector;
    if (selector == kSelectorBadEntry) return false;
    if (selector == kSelectorOtherIfd0 || selector == kSelectorOtherExif) {
      if (record.dataPosition >= dataEnd) dataEnd = int64_t{record.dataPosition} + record.byteLength;
    } else if (selector >= 0) {
      if (record.type == TypeCode(ExifType::kAscii) || record.type == TypeCode(ExifType::kUndefined)) {
        // Checked before the text is allocated: the count may be anything.
        if (record.byteLength > decoder.source().Size() - record.dataPosition + 1) return false;
        record.text.assign(static_cast<size_t>(record.byteLength), '\0');
        if (record.byteLength > 0 &&
            !decoder.source().ReadAt(int64_t{record.dataPosition} - 1, record.text.data(), record.text.size())) {
          return false;
        }
        if (selector == kSlotExifVersion) record.text = VersionNumberText(record.text);
      } else if (record.type != TypeCode(ExifType::kShort) && record.type != TypeCode(ExifType::kLong)) {
        return false;
      }
      if (selector == kSlotExifOffset) exifPointerMet = true;
      reading.tags[static_cast<size_t>(selector)] = std::move(record);
      const ExifTagRecord& stored = reading.tags[static_cast<size_t>(selector)];
      if (stored.byteLength > 4 && stored.dataPosition >= dataEnd) {
        dataEnd = int64_t{stored.dataPosition} + stored.byteLength;
      }
      if (singleSlot && selector > 0) {
        slotFound = true;
        return true;
      }
    }
    if (dataEnd > std::numeric_limits<int32_t>::max()) return false;
  }
  seg[static_cast<size_t>(kLocIfd0DataEnd + directory)] = static_cast<int32_t>(dataEnd);
  return true;
}

}  // namespace

ReadResult ReadExifTags(PhotoFile& file, int32_t& slotRequest, ExifReading& reading) {
  ExifSegmentInfo& seg = reading.segment;
  seg.fill(0);
  const int32_t request = slotRequest;
  const bool singleSlot = request > 0 && request < kSlotCount;
  if (!singleSlot) reading.tags.fill(ExifTagRecord{});

  uint8_t soi[2] = {};
  if (!file.ReadAt(0, soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) return ReadResult::kNotJpeg;

  int32_t insertAt = 2;
  if (!FindExifSegment(file, seg, insertAt)) {
    slotRequest = insertAt;
    return ReadResult::kNoExif;
  }
  slotRequest = 0;

  seg[kLocTiffBase] = seg[kLocMarker] + 10;
  ByteOrder order = ByteOrder::kLittleEndian;
  uint32_t ifd0Offset = 0;
  if (ReadTiffHeader(file, seg[kLocTiffBase] - 1, order, ifd0Offset) != TiffHeader::kOk ||
      ifd0Offset > kLargestNumber) {
    return ReadResult::kBadExif;
  }
  seg[kLocByteOrder] = order == ByteOrder::kBigEndian ? 1 : 0;
  seg[kLocIfd0Offset] = static_cast<int32_t>(ifd0Offset);
  TiffDecoder decoder(file, seg[kLocTiffBase] - 1, order);

  int lastSelector = 0;
  bool slotFound = false;
  bool exifPointerMet = false;
  const int32_t walkRequest = singleSlot ? request : 0;
  const int32_t ifd0 = Add32(seg[kLocTiffBase], seg[kLocIfd0Offset]);
  if (ifd0 < 0 ||
      !WalkDirectory(decoder, ifd0, 0, walkRequest, reading, lastSelector, slotFound, exifPointerMet)) {
    return ReadResult::kBadExif;
  }
  // Only a pointer met in this file is followed: in single-slot mode the
  // table may still hold another file's slot 0.
  const int32_t exifOffset = reading.tags[kSlotExifOffset].valueField;
  if (!slotFound && exifPointerMet && exifOffset > 0) {
    seg[kLocExifIfdOffset] = exifOffset;
    const int32_t exifIfd = Add32(seg[kLocTiffBase], exifOffset);
    if (exifIfd < 0 ||
        !WalkDirectory(decoder, exifIfd, 1, walkRequest, reading, lastSelector, slotFound, exifPointerMet)) {
      return ReadResult::kBadExif;
    }
  }
  if (singleSlot && lastSelector < 1) return ReadResult::kTagNotFound;
  return ReadResult::kOk;
}

}  // namespace kelvane
