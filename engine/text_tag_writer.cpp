// SPDX-License-Identifier: GPL-2.0-or-later
#include "text_tag_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/exif_directory_walk.h"
#include "engine/exif_segment_builder.h"
#include "engine/exif_segment_replacement.h"
#include "engine/tiff_bytes.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

namespace code = write_tag_code;

// Marker, length field, "Exif" and two zero bytes: the bytes before the
// TIFF header.
constexpr size_t kSegmentHeader = 10;
// The most an APP1 segment can hold: its length field counts itself and
// is 16 bits wide.
constexpr size_t kMaxSegment = 0xFFFF + 2;
// Room left behind a segment that had to grow, so that later edits fit in place.
constexpr size_t kSpareRoom = 2048;

// One of the temporary files: removed right before it is used and when the
// call ends.
class TempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) {}
  ~TempFile() {
    if (claimed_) RemoveFile(path_);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // False when there is no temporary folder or an old file is in the way.
  bool Claim() {
    claimed_ = !path_.empty() && RemoveFile(path_) != kRemoveFailed;
    return claimed_;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool claimed_ = false;
};

bool WriteNewFile(const std::string& path, std::span<const uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  return ::close(fd) == 0 && written;
}

IfdKind DirectoryOfSlot(int slot) {
  return slot == kSlotDateTime || slot == kSlotCopyright || slot == kSlotImageDescription ? IfdKind::kIfd0
                                                                                          : IfdKind::kExif;
}

bool IsDateSlot(int slot) {
  return slot == kSlotDateTime || slot == kSlotDateTimeOriginal || slot == kSlotDateTimeDigitized;
}

// Turns the new value into an edit; a result code other than kOk when it
// can't be written.
int16_t MakeEdit(int slot, const ExifTagRecord& newTag, bool bigEndian, TagEdit& edit) {
  edit.tag = static_cast<uint16_t>(kSlotTags[static_cast<size_t>(slot)]);
  edit.directory = DirectoryOfSlot(slot);
  edit.remove = newTag.byteLength == 0;
  if (edit.remove) return code::kOk;
  const bool text = newTag.type == 2 || newTag.type == 7;
  const uint32_t size = ComponentSize(newTag.type);
  if (newTag.byteLength < 0 || newTag.count < 0 || size == 0 ||
      int64_t{newTag.count} * size != int64_t{newTag.byteLength}) {
    return code::kFailed;
  }
  edit.type = newTag.type;
  edit.count = static_cast<uint32_t>(newTag.count);
  if (newTag.byteLength <= 4) {
    if (IsDateSlot(slot)) return code::kShortDate;
    if (text) return code::kShortText;
    TiffBytes::Put32(edit.field.data(), static_cast<uint32_t>(newTag.valueField), bigEndian);
    return code::kOk;
  }
  if (!text || newTag.text.size() != static_cast<size_t>(newTag.byteLength)) return code::kFailed;
  edit.value = std::span(reinterpret_cast<const uint8_t*>(newTag.text.data()), newTag.text.size());
  return code::kOk;
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
  TiffBytes::Put16(segment.data() + 2, static_cast<uint16_t>(segment.size() - 2), true);
  return segment;
}

}  // namespace

int16_t WriteExifTag(std::string& fileName, int slot, const ExifTagRecord& newTag, EngineContext& context,
                     const RewriteSteps& steps) {
  if (!FileExists(fileName)) {
    fileName.clear();
    return code::kNoFile;
  }
  if (slot < 1 || slot >= kSlotCount) return code::kNotJpeg;

  PhotoFile photo;
  if (!photo.Open(fileName, PhotoFile::Mode::kReadWrite)) return code::kFailed;
  ExifReading reading;
  int32_t request = 0;
  const int16_t found = ReadExifTags(photo, fileName, request, reading, context.fileOps);
  if (found == read_code::kNotJpeg || found == read_code::kNoExif) return found;

  const int64_t photoSize = photo.Size();
  const int64_t at = int64_t{reading.segment[kLocMarker]} - 1;
  const int64_t oldSize = int64_t{reading.segment[kLocLength]} + 2;
  if (oldSize < static_cast<int64_t>(kSegmentHeader)) return code::kNoExif;
  std::vector<uint8_t> old(static_cast<size_t>(oldSize));
  if (photoSize < 0 || !photo.ReadAt(at, old.data(), old.size())) return code::kFailed;

  const std::span<const uint8_t> oldTiff = std::span<const uint8_t>(old).subspan(kSegmentHeader);
  ExifStructure structure;
  switch (WalkExifDirectories(oldTiff, structure)) {
    case WalkResult::kBadHeader:
      return code::kNoExif;
    case WalkResult::kMalformed:
      return code::kFailed;
    case WalkResult::kOk:
      break;
  }
  TagEdit edit;
  if (const int16_t valueCheck = MakeEdit(slot, newTag, structure.bigEndian, edit); valueCheck != code::kOk) {
    return valueCheck;
  }
  if (!structure[IfdKind::kExif].present) return code::kNoExifIfd;
  if (edit.remove && !HasTag(structure[IfdKind::kIfd0], edit.tag) && !HasTag(structure[IfdKind::kExif], edit.tag)) {
    return code::kTagAbsent;
  }

  std::vector<uint8_t> tiff;
  if (!BuildExifStructure(oldTiff, structure, edit, kMaxSegment - kSegmentHeader, tiff)) return code::kFailed;
  const std::vector<uint8_t> segment = Segment(old, tiff);

  const SegmentPlace place{fileName, photoSize, at, old};
  const auto done = [](bool written) { return written ? code::kOk : code::kFailed; };
  if (segment.size() == old.size()) {
    if (!context.options[ProgramOption::KeepOriginalCopy]) {
      return done(ReplaceSegmentInPlace(photo, place, segment, ""));
    }
    TempFile safetyCopy(context.tempFolder.SecondTempFile());
    std::error_code ec;
    if (!safetyCopy.Claim() || !std::filesystem::copy_file(fileName, safetyCopy.path(),
                                                           std::filesystem::copy_options::overwrite_existing, ec)) {
      return code::kFailed;
    }
    return done(ReplaceSegmentInPlace(photo, place, segment, safetyCopy.path()));
  }
  photo.Close();
  TempFile donor(context.tempFolder.FirstTempFile());
  if (!donor.Claim() || !WriteNewFile(donor.path(), segment)) return code::kFailed;
  return done(ReplaceSegmentByRewrite(place, donor.path(), static_cast<int64_t>(segment.size()), context, steps));
}

}  // namespace kelvane
