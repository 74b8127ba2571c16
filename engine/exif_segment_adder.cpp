// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/exif_segment_adder.h"

#include <algorithm>
#include <cerrno>

#include "engine/exif_date_time.h"
#include "engine/exif_reader.h"
#include "engine/file_times.h"
#include "engine/image_size.h"
#include "engine/minimal_exif_segment.h"

namespace kelvane {
namespace {

constexpr int32_t kMaxLengthField = 0xFFFF;
constexpr int32_t kWantedRoom = 1024;
constexpr int32_t kRoomAdded = 2048;
// Length field, "Exif\0\0" and the 8-byte TIFF header.
constexpr int32_t kMinLengthField = 2 + 6 + 8;

// Where one size value lies in the segment; false when the entry can't take
// the size or lies outside the segment's TIFF structure.
bool PlaceSizeValue(const ExifTagRecord& entry, const ExifSegmentInfo& segment, int64_t segmentSize, size_t& at,
                    uint8_t& type) {
  if (entry.tag == 0 ||
      (entry.type != TypeCode(ExifType::kShort) && entry.type != TypeCode(ExifType::kLong))) {
    return false;
  }
  const int64_t tiffStart = int64_t{segment[kLocTiffBase]} - segment[kLocMarker];
  const int64_t offset = int64_t{entry.dataPosition} - segment[kLocMarker];
  if (offset < tiffStart || offset > segmentSize - 4) return false;
  at = static_cast<size_t>(offset);
  type = entry.type;
  return true;
}

void WriteSize(std::vector<uint8_t>& segment, size_t at, uint8_t type, int32_t value, ByteOrder order) {
  const auto v = static_cast<uint32_t>(value);
  if (type == TypeCode(ExifType::kShort)) {
    Put16(segment.data() + at, static_cast<uint16_t>(v), order);
    segment[at + 2] = 0;
    segment[at + 3] = 0;
  } else {
    Put32(segment.data() + at, v, order);
  }
}

std::string ShownText(const std::string& value) { return value.substr(0, value.find('\0')); }

// The file times from the new segment's date/times; false when the date to
// use is not valid.
bool TimesFromDates(const std::string& dateTime, const std::string& dateTimeOriginal, const ProgramOptions& options,
                    PhotoEdit& edit) {
  if (ParseExifDateTime(dateTimeOriginal).status != 0) return false;
  const std::string& text = options[ProgramOption::FileTimeFromModified] ? dateTime : dateTimeOriginal;
  const auto times = FileTimesFor(kSetCreationTime | kSetLastWriteTime, ParseExifDateTime(text).exifText);
  if (!times) return false;
  edit.times = times;
  return true;
}

}  // namespace

namespace {

AddSegmentResult ReadRestoreSource(const std::string& sourceName, RestoreSource& source) {
  PhotoFile file;
  if (!file.Open(sourceName, PhotoFile::Mode::kRead)) return AddSegmentResult::kSourceUnusable;
  ExifReading reading;
  int32_t slotRequest = 0;
  if (ReadExifTags(file, slotRequest, reading) != ReadResult::kOk) return AddSegmentResult::kSourceUnusable;
  const ExifSegmentInfo& segment = reading.segment;
  const int64_t start = int64_t{segment[kLocMarker]} - 1;
  const int64_t size = int64_t{segment[kLocLength]} + 2;
  if (segment[kLocLength] < kMinLengthField || start < 0 || start > file.Size() - size) {
    return AddSegmentResult::kSourceUnusable;
  }
  if (!PlaceSizeValue(reading.tags[kSlotImageWidth], segment, size, source.widthAt, source.widthType) ||
      !PlaceSizeValue(reading.tags[kSlotImageHeight], segment, size, source.heightAt, source.heightType)) {
    return AddSegmentResult::kNotPossible;
  }
  source.segment.resize(static_cast<size_t>(size));
  if (!file.ReadAt(start, source.segment.data(), source.segment.size())) return AddSegmentResult::kSourceUnusable;
  source.order = segment[kLocByteOrder] == 1 ? ByteOrder::kBigEndian : ByteOrder::kLittleEndian;

  // From the end of the Exif IFD's value data to the end of the segment.
  const int64_t room = int64_t{segment[kLocMarker]} + size - segment[kLocExifIfdDataEnd];
  if (room < kWantedRoom) {
    const int32_t added = std::min(kRoomAdded, kMaxLengthField - segment[kLocLength]);
    if (added > 0) {
      source.segment.resize(source.segment.size() + static_cast<size_t>(added), 0);
      Put16(source.segment.data() + 2, static_cast<uint16_t>(segment[kLocLength] + added), ByteOrder::kBigEndian);
    }
  }
  source.dateTime = reading.tags[kSlotDateTime].text;
  source.dateTimeOriginal = reading.tags[kSlotDateTimeOriginal].text;
  return AddSegmentResult::kOk;
}

}  // namespace

RestoreSource LoadRestoreSource(const std::string& sourceName) {
  RestoreSource source;
  source.loaded = ReadRestoreSource(sourceName, source);
  if (source.loaded != AddSegmentResult::kOk) source.segment.clear();
  return source;
}

AddSegmentResult PlanExifSegment(PhotoFile& target, SegmentKind kind, const RestoreSource* source,
                                 const ProgramOptions& options, PhotoEdit& edit) {
  ImageSize size;
  if (!ReadImageSize(target, size)) return AddSegmentResult::kNoImageSize;
  int32_t insertAt = 0;
  ExifReading reading;
  if (ReadExifTags(target, insertAt, reading) != ReadResult::kNoExif || HasExifSegmentBeforeFrame(target)) {
    return AddSegmentResult::kHasExif;
  }
  // The new segment must go before a marker, inside the file.
  uint8_t next = 0;
  if (insertAt <= 0 || insertAt >= target.Size() || !target.ReadByte(insertAt, next) || next != 0xFF) {
    return AddSegmentResult::kNotPossible;
  }

  std::vector<uint8_t> segment;
  std::string dateTime;
  std::string dateTimeOriginal;
  if (kind == SegmentKind::kRestore) {
    if (source == nullptr) return AddSegmentResult::kSourceUnusable;
    if (source->loaded != AddSegmentResult::kOk) return source->loaded;
    segment = source->segment;
    WriteSize(segment, source->widthAt, source->widthType, size.width, source->order);
    WriteSize(segment, source->heightAt, source->heightType, size.height, source->order);
    dateTime = source->dateTime;
    dateTimeOriginal = source->dateTimeOriginal;
  } else {
    int32_t which = kEarliestFileTime;
    dateTimeOriginal = FileTimeAsExifText(target.fd(), which);
    dateTime = dateTimeOriginal;
    const std::string built = BuildMinimalExifSegment(dateTimeOriginal, size.height, size.width);
    if (built.empty()) return AddSegmentResult::kNotBuilt;
    segment.assign(built.begin(), built.end());
  }

  const std::span<const uint8_t> head = target.Head(static_cast<size_t>(insertAt));
  if (head.size() < static_cast<size_t>(insertAt)) return AddSegmentResult::kNotReplaced;
  HeadReplacement replacement;
  replacement.oldHeadLength = insertAt;
  replacement.newHead.assign(head.begin(), head.end());
  replacement.newHead.insert(replacement.newHead.end(), segment.begin(), segment.end());
  edit.replacement = std::move(replacement);
  edit.preview.push_back({"Exif segment", "none", std::to_string(segment.size()) + " bytes"});
  edit.preview.push_back({"DateTimeOriginal", "", ShownText(dateTimeOriginal)});
  edit.preview.push_back({"ExifImageWidth x ExifImageHeight", "",
                          std::to_string(size.width) + " x " + std::to_string(size.height)});
  if (options[ProgramOption::KeepFileTimes]) return AddSegmentResult::kOk;
  return TimesFromDates(dateTime, dateTimeOriginal, options, edit) ? AddSegmentResult::kOk
                                                                   : AddSegmentResult::kTimesNotSet;
}

AddSegmentOutcome AddSegmentOutcomeOf(AddSegmentResult planned, const CommitOutcome& committed) {
  switch (committed.result) {
    case CommitResult::kDone:
      return {planned, 0};
    case CommitResult::kChanged:
      return {AddSegmentResult::kChanged, 0};
    case CommitResult::kWriteFailed:
      return {AddSegmentResult::kWriteFailed, committed.osError};
    case CommitResult::kTimesNotSet:
      return {AddSegmentResult::kTimesNotSet, committed.osError};
  }
  return {AddSegmentResult::kNotReplaced, 0};
}

AddSegmentOutcome AddExifSegment(std::string& targetName, SegmentKind kind, const std::string& sourceName,
                                 const ProgramOptions& options, const CommitSteps& steps) {
  PhotoFile target;
  if (!target.OpenForEdit(targetName)) {
    if (target.error() == ENOENT) {
      targetName.clear();
      return {AddSegmentResult::kTargetMissing, 0};
    }
    return {AddSegmentResult::kReadFailed, target.error()};
  }
  const RestoreSource source = kind == SegmentKind::kRestore ? LoadRestoreSource(sourceName) : RestoreSource{};
  PhotoEdit edit;
  const AddSegmentResult planned = PlanExifSegment(target, kind, &source, options, edit);
  if (planned != AddSegmentResult::kOk && planned != AddSegmentResult::kTimesNotSet) return {planned, 0};
  return AddSegmentOutcomeOf(planned, CommitEdit(target, targetName, edit, steps));
}

}  // namespace kelvane
