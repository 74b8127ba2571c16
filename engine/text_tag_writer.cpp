// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/text_tag_writer.h"

#include <algorithm>
#include <cerrno>
#include <span>
#include <vector>

#include "engine/exif_directory_walk.h"
#include "engine/exif_segment_builder.h"
#include "engine/photo_xmp.h"
#include "engine/xmp_packet.h"

namespace kelvane {
namespace {

// Marker, length field, "Exif" and two zero bytes: the bytes before the
// TIFF header.
constexpr size_t kSegmentHeader = 10;
// The most an APP1 segment can hold: its length field counts itself and
// is 16 bits wide.
constexpr size_t kMaxSegment = 0xFFFF + 2;
// Room left behind a segment that had to grow, so that later edits fit in place.
constexpr size_t kSpareRoom = 2048;

constexpr const char* kSlotNames[kSlotCount] = {"ExifOffset",       "ExifVersion",       "DateTime",
                                                "DateTimeOriginal", "DateTimeDigitized", "ExifImageWidth",
                                                "ExifImageHeight",  "Copyright",         "ImageDescription"};

IfdKind DirectoryOfSlot(int slot) {
  return slot == kSlotDateTime || slot == kSlotCopyright || slot == kSlotImageDescription ? IfdKind::kIfd0
                                                                                          : IfdKind::kExif;
}

bool IsDateSlot(int slot) {
  return slot == kSlotDateTime || slot == kSlotDateTimeOriginal || slot == kSlotDateTimeDigitized;
}

// Turns the new value into an edit; a result other than kOk when it can't
// be written.
WriteTagResult MakeEdit(int slot, const ExifTagRecord& newTag, ByteOrder order, TagEdit& edit) {
  edit.tag = static_cast<uint16_t>(kSlotTags[static_cast<size_t>(slot)]);
  edit.directory = DirectoryOfSlot(slot);
  edit.remove = newTag.byteLength == 0;
  if (edit.remove) return WriteTagResult::kOk;
  const bool text = newTag.type == TypeCode(ExifType::kAscii) || newTag.type == TypeCode(ExifType::kUndefined);
  const uint32_t size = ExifTypeSize(newTag.type);
  if (newTag.byteLength < 0 || newTag.count < 0 || size == 0 ||
      int64_t{newTag.count} * size != int64_t{newTag.byteLength}) {
    return WriteTagResult::kFailed;
  }
  edit.type = newTag.type;
  edit.count = static_cast<uint32_t>(newTag.count);
  if (newTag.byteLength <= 4) {
    if (IsDateSlot(slot)) return WriteTagResult::kShortDate;
    if (text) return WriteTagResult::kShortText;
    Put32(edit.field.data(), static_cast<uint32_t>(newTag.valueField), order);
    return WriteTagResult::kOk;
  }
  if (!text || newTag.text.size() != static_cast<size_t>(newTag.byteLength)) return WriteTagResult::kFailed;
  edit.value = std::span(reinterpret_cast<const uint8_t*>(newTag.text.data()), newTag.text.size());
  return WriteTagResult::kOk;
}

bool HasTag(const Ifd& ifd, uint16_t tag) {
  return std::any_of(ifd.entries.begin(), ifd.entries.end(), [tag](const IfdEntry& e) { return e.tag == tag; });
}

// The new segment: the old bytes before the TIFF header, then the new
// structure; at least as long as the old segment, its length field set.
std::vector<uint8_t> Segment(std::span<const uint8_t> oldSegment, const std::vector<uint8_t>& tiff) {
  std::vector<uint8_t> segment(oldSegment.begin(), oldSegment.begin() + kSegmentHeader);
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  if (segment.size() <= oldSegment.size()) {
    segment.resize(oldSegment.size(), 0);
  } else {
    segment.resize(std::min(segment.size() + kSpareRoom, kMaxSegment), 0);
  }
  Put16(segment.data() + 2, static_cast<uint16_t>(segment.size() - 2), ByteOrder::kBigEndian);
  return segment;
}

// A text value as a preview shows it: up to its first zero byte.
std::string ShownText(const std::string& value) { return value.substr(0, value.find('\0')); }

}  // namespace

WriteTagResult PlanExifTag(PhotoFile& photo, int slot, const ExifTagRecord& newTag, const ProgramOptions& options,
                           PhotoEdit& edit, bool keepXmp) {
  if (slot < 1 || slot >= kSlotCount) return WriteTagResult::kNotJpeg;
  ExifReading reading;
  int32_t request = 0;
  const ReadResult read = ReadExifTags(photo, request, reading);
  return PlanExifTag(photo, reading, read, slot, newTag, options, edit, keepXmp);
}

WriteTagResult PlanExifTag(PhotoFile& photo, const ExifReading& reading, ReadResult read, int slot,
                           const ExifTagRecord& newTag, const ProgramOptions& options, PhotoEdit& edit,
                           bool keepXmp) {
  if (slot < 1 || slot >= kSlotCount) return WriteTagResult::kNotJpeg;
  switch (read) {
    case ReadResult::kNotJpeg:
      return WriteTagResult::kNotJpeg;
    case ReadResult::kNoExif:
      return WriteTagResult::kNoExif;
    case ReadResult::kOk:
    case ReadResult::kTagNotFound:
    case ReadResult::kBadExif:
      break;
  }

  const int64_t at = int64_t{reading.segment[kLocMarker]} - 1;
  const int64_t oldSize = int64_t{reading.segment[kLocLength]} + 2;
  if (oldSize < static_cast<int64_t>(kSegmentHeader)) return WriteTagResult::kNoExif;
  const std::span<const uint8_t> head = photo.Head(static_cast<size_t>(at + oldSize));
  if (static_cast<int64_t>(head.size()) < at + oldSize) return WriteTagResult::kFailed;
  const std::span<const uint8_t> old = head.subspan(static_cast<size_t>(at), static_cast<size_t>(oldSize));

  const std::span<const uint8_t> oldTiff = old.subspan(kSegmentHeader);
  ExifStructure structure;
  switch (WalkExifDirectories(oldTiff, structure)) {
    case WalkResult::kBadHeader:
      return WriteTagResult::kNoExif;
    case WalkResult::kMalformed:
      return WriteTagResult::kFailed;
    case WalkResult::kOk:
      break;
  }
  TagEdit tagEdit;
  if (const WriteTagResult check = MakeEdit(slot, newTag, structure.order, tagEdit); check != WriteTagResult::kOk) {
    return check;
  }
  if (!structure[IfdKind::kExif].present) return WriteTagResult::kNoExifIfd;
  const bool present = HasTag(structure[IfdKind::kIfd0], tagEdit.tag) || HasTag(structure[IfdKind::kExif], tagEdit.tag);
  if (tagEdit.remove && !present) return WriteTagResult::kTagAbsent;

  std::vector<uint8_t> tiff;
  switch (BuildExifStructure(oldTiff, structure, tagEdit, kMaxSegment - kSegmentHeader, tiff)) {
    case BuildResult::kBuilt:
      break;
    case BuildResult::kTooLong:
      return WriteTagResult::kSegmentFull;
    case BuildResult::kTooManyEntries:
      return WriteTagResult::kFailed;
  }
  const std::vector<uint8_t> segment = Segment(old, tiff);

  edit.preview.push_back({kSlotNames[slot], ShownText(reading.tags[static_cast<size_t>(slot)].text),
                          tagEdit.remove ? std::string() : ShownText(newTag.text)});
  std::vector<HeadSplice> splices{{at, oldSize, segment}};
  // The spans into the head end here: the XMP search may read it further.
  if (keepXmp && (slot == kSlotCopyright || slot == kSlotImageDescription)) {
    XmpEdits xmp;
    const std::string& text = tagEdit.remove ? std::string() : newTag.text;
    if (slot == kSlotCopyright) {
      xmp.rights = XmpTextOfExifCopyright(text);
    } else {
      xmp.description = XmpTextOfExifText(text);
    }
    edit.xmpProblem = AddXmpEdits(photo, xmp, splices, edit.preview);
    edit.xmp = std::move(xmp);
  }
  // KeepOriginalCopy: the original stays whole until its new version is.
  if (!EditFromSplices(photo, std::move(splices), options[ProgramOption::KeepOriginalCopy], edit)) {
    return WriteTagResult::kFailed;
  }
  return WriteTagResult::kOk;
}

WriteTagOutcome WriteTagOutcomeOf(const CommitOutcome& committed) {
  switch (committed.result) {
    case CommitResult::kDone:
    case CommitResult::kTimesNotSet:  // the writer sets no times
      return {};
    case CommitResult::kChanged:
      return {WriteTagResult::kChanged, 0};
    case CommitResult::kWriteFailed:
      return {WriteTagResult::kWriteFailed, committed.osError};
  }
  return {WriteTagResult::kFailed, 0};
}

WriteTagOutcome WriteExifTag(std::string& fileName, int slot, const ExifTagRecord& newTag,
                             const ProgramOptions& options, const CommitSteps& steps) {
  PhotoFile photo;
  if (!photo.OpenForEdit(fileName)) {
    if (photo.error() == ENOENT) {
      fileName.clear();
      return {WriteTagResult::kNoFile, 0};
    }
    return {WriteTagResult::kReadFailed, photo.error()};
  }
  PhotoEdit edit;
  const WriteTagResult planned = PlanExifTag(photo, slot, newTag, options, edit);
  if (planned != WriteTagResult::kOk) return {planned, 0};
  return WriteTagOutcomeOf(CommitEdit(photo, fileName, edit, steps));
}

}  // namespace kelvane
