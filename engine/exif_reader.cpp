// SPDX-License-Identifier: GPL-2.0-or-later
#include "exif_reader.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr int kMaxCandidates = 100;
constexpr int32_t kSearchEnd = 100000;
constexpr int kMaxEntries = 200;
constexpr int kSelectorBadEntry = -2;
constexpr int kSelectorNotWanted = -1;
constexpr int kSelectorOtherIfd0 = 98;
constexpr int kSelectorOtherExif = 99;
constexpr int kSelectorAllIfd0 = -98;

// Reads numbers at 1-based file positions in the TIFF byte order. A read
// that fails, or a 32-bit value of 2^31 or more, sets failed().
class TiffNumbers {
 public:
  TiffNumbers(PhotoFile& file, int order) : file_(file), order_(order) {}

  int32_t U16(int64_t position) {
    uint8_t b[2] = {};
    if (!Read(position, b, 2)) return 0;
    return order_ == 1 ? (b[0] << 8) | b[1] : (b[1] << 8) | b[0];
  }

  int32_t U32(int64_t position) {
    uint8_t b[4] = {};
    if (!Read(position, b, 4)) return 0;
    uint32_t v = order_ == 1 ? (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3]
                             : (uint32_t{b[3]} << 24) | (uint32_t{b[2]} << 16) | (uint32_t{b[1]} << 8) | b[0];
    if (v > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
      failed_ = true;
      return 0;
    }
    return static_cast<int32_t>(v);
  }

  bool Read(int64_t position, void* out, size_t length) {
    if (failed_ || position < 1 || !file_.ReadAt(position - 1, out, length)) {
      failed_ = true;
      return false;
    }
    return true;
  }

  bool failed() const { return failed_; }
  void Fail() { failed_ = true; }

 private:
  PhotoFile& file_;
  int order_;
  bool failed_ = false;
};

int32_t ComponentSize(int type) {
  switch (type) {
    case 3:
    case 8:
      return 2;
    case 4:
    case 9:
    case 11:
      return 4;
    case 5:
    case 10:
    case 12:
      return 8;
    default:
      return 1;
  }
}

int SlotOfTag(int32_t tag) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (kSlotTags[slot] == tag) return slot;
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

// Below 0 on overflow of the 32-bit position arithmetic.
int32_t Add32(int64_t a, int64_t b) {
  const int64_t sum = a + b;
  return sum > std::numeric_limits<int32_t>::max() || sum < 0 ? -1 : static_cast<int32_t>(sum);
}

// Looks for the Exif APP1 segment; true when found. Fills the marker and
// length of the locator and sets insertAt to where a new segment belongs.
bool FindExifSegment(PhotoFile& file, const std::string& fileName, ExifSegmentInfo& segment, int32_t& insertAt,
                     FileOpsLibrary& fileOps) {
  int32_t app0End = 0;
  int64_t candidate = 3;
  insertAt = 2;
  for (int examined = 0; examined < kMaxCandidates; ++examined) {
    uint8_t marker[2] = {};
    if (file.ReadAt(candidate - 1, marker, 2) && marker[0] == 0xFF) {
      TiffNumbers numbers(file, 1);
      if (marker[1] == 0xE1) {
        segment[kLocMarker] = static_cast<int32_t>(candidate);
        segment[kLocLength] = numbers.U16(candidate + 2);
        uint8_t header[6] = {};
        if (numbers.Read(candidate + 4, header, 6) && std::memcmp(header, "Exif\0\0", 6) == 0) {
          insertAt = 0;
          return true;
        }
      } else if (marker[1] == 0xE0) {
        const int32_t length = numbers.U16(candidate + 2);
        if (!numbers.failed()) app0End = static_cast<int32_t>(candidate + 2 + length - 1);
      }
    }
    const int32_t found = fileOps.filefindstr(2, static_cast<int32_t>(candidate + 2), kSearchEnd, "\xFF\xE1", fileName);
    if (found <= 0) break;
    candidate = int64_t{found} + 1;
  }
  insertAt = app0End != 0 ? app0End : 2;
  return false;
}

// Walks one directory at 1-based position start. Returns false when the
// segment can't be used; stops early in single-slot mode once the slot is found.
bool WalkDirectory(PhotoFile& file, TiffNumbers& numbers, int64_t start, int directory, int32_t slotRequest,
                   ExifReading& reading, int& lastSelector, bool& slotFound, bool& exifPointerMet) {
  ExifSegmentInfo& seg = reading.segment;
  const int32_t count = numbers.U16(start);
  if (numbers.failed() || count > kMaxEntries) return false;
  seg[kLocIfd0Count + directory] = count;
  const bool singleSlot = slotRequest > 0;
  int64_t dataEnd = 0;
  for (int k = 0; k < count; ++k) {
    int selector = singleSlot ? slotRequest : kSelectorAllIfd0 - directory;
    const int64_t entry = start + 2 + int64_t{12} * k;
    ExifTagRecord record = ReadIfdEntry(file, entry, seg[kLocByteOrder], seg[kLocTiffBase], selector);
    lastSelector = selector;
    if (selector == kSelectorBadEntry) return false;
    if (selector == kSelectorOtherIfd0 || selector == kSelectorOtherExif) {
      if (record.dataPosition >= dataEnd) dataEnd = int64_t{record.dataPosition} + record.byteLength;
    } else if (selector >= 0) {
      if (record.type == 2 || record.type == 7) {
        // Only a long value can be worth checking against the file's length
        // before the text is allocated; short ones simply fail to read.
        if (record.byteLength > 65536 && record.byteLength > file.Size() - record.dataPosition + 1) return false;
        record.text.assign(static_cast<size_t>(record.byteLength), '\0');
        if (record.byteLength > 0 && !numbers.Read(record.dataPosition, record.text.data(), record.text.size())) {
          return false;
        }
        if (selector == kSlotExifVersion) record.text = VersionNumberText(record.text);
      } else if (record.type != 3 && record.type != 4) {
        return false;
      }
      if (selector == kSlotExifOffset) exifPointerMet = true;
      reading.tags[selector] = std::move(record);
      const ExifTagRecord& stored = reading.tags[selector];
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
  seg[kLocIfd0DataEnd + directory] = static_cast<int32_t>(dataEnd);
  return true;
}

}  // namespace

ExifTagRecord ReadIfdEntry(PhotoFile& file, int64_t entryPosition, int order, int32_t tiffBase, int& slotSelector) {
  TiffNumbers numbers(file, order);
  ExifTagRecord record;
  record.tag = numbers.U16(entryPosition);
  if (numbers.failed()) {
    slotSelector = kSelectorBadEntry;
    return record;
  }
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
  const int32_t type = numbers.U16(entryPosition + 2);
  if (numbers.failed() || type < 1 || type > 12) {
    slotSelector = kSelectorBadEntry;
    return record;
  }
  record.type = static_cast<uint8_t>(type);
  record.count = numbers.U32(entryPosition + 4);
  const int64_t byteLength = int64_t{record.count} * ComponentSize(type);
  if (numbers.failed() || byteLength > std::numeric_limits<int32_t>::max()) {
    slotSelector = kSelectorBadEntry;
    return record;
  }
  record.byteLength = static_cast<int32_t>(byteLength);
  if (slot >= kSelectorOtherIfd0 && record.byteLength <= 4) {
    slotSelector = kSelectorNotWanted;
    return record;
  }
  const int64_t valuePosition = entryPosition + 8;
  record.entryPosition = static_cast<int32_t>(entryPosition);
  record.valueField = numbers.U32(valuePosition);
  const int32_t dataPosition =
      record.byteLength <= 4 ? static_cast<int32_t>(valuePosition) : Add32(tiffBase, record.valueField);
  if (numbers.failed() || dataPosition < 0) {
    slotSelector = kSelectorBadEntry;
    return record;
  }
  record.dataPosition = dataPosition;
  slotSelector = slot;
  return record;
}

int16_t ReadExifTags(PhotoFile& file, const std::string& fileName, int32_t& slotRequest, ExifReading& reading,
                     FileOpsLibrary& fileOps) {
  ExifSegmentInfo& seg = reading.segment;
  seg.fill(0);
  const int32_t request = slotRequest;
  const bool singleSlot = request > 0 && request < kSlotCount;
  if (!singleSlot) reading.tags.fill(ExifTagRecord{});

  uint8_t soi[2] = {};
  if (!file.ReadAt(0, soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) return read_code::kNotJpeg;

  int32_t insertAt = 2;
  if (!FindExifSegment(file, fileName, seg, insertAt, fileOps)) {
    slotRequest = insertAt;
    return read_code::kNoExif;
  }
  slotRequest = 0;

  seg[kLocTiffBase] = seg[kLocMarker] + 10;
  uint8_t mark[2] = {};
  TiffNumbers probe(file, 0);
  if (!probe.Read(seg[kLocTiffBase], mark, 2) || mark[0] != mark[1] || (mark[0] != 'I' && mark[0] != 'M')) {
    return read_code::kBadExif;
  }
  const int order = mark[0] == 'M' ? 1 : 0;
  seg[kLocByteOrder] = order;
  TiffNumbers numbers(file, order);
  if (numbers.U16(seg[kLocTiffBase] + 2) != 42 || numbers.failed()) return read_code::kBadExif;
  seg[kLocIfd0Offset] = numbers.U32(seg[kLocTiffBase] + 4);
  if (numbers.failed()) return read_code::kBadExif;

  int lastSelector = 0;
  bool slotFound = false;
  bool exifPointerMet = false;
  const int32_t walkRequest = singleSlot ? request : 0;
  const int32_t ifd0 = Add32(seg[kLocTiffBase], seg[kLocIfd0Offset]);
  if (ifd0 < 0 ||
      !WalkDirectory(file, numbers, ifd0, 0, walkRequest, reading, lastSelector, slotFound, exifPointerMet)) {
    return read_code::kBadExif;
  }
  // Only a pointer met in this file is followed: in single-slot mode the
  // table may still hold another file's slot 0.
  const int32_t exifOffset = reading.tags[kSlotExifOffset].valueField;
  if (!slotFound && exifPointerMet && exifOffset > 0) {
    seg[kLocExifIfdOffset] = exifOffset;
    const int32_t exifIfd = Add32(seg[kLocTiffBase], exifOffset);
    if (exifIfd < 0 ||
        !WalkDirectory(file, numbers, exifIfd, 1, walkRequest, reading, lastSelector, slotFound, exifPointerMet)) {
      return read_code::kBadExif;
    }
  }
  if (singleSlot && lastSelector < 1) return read_code::kTagNotFound;
  return read_code::kOk;
}

}  // namespace kelvane
