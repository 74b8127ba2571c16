// SPDX-License-Identifier: GPL-2.0-or-later
#include "exif_segment_copy.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "engine/chunked_build.h"
#include "engine/exif_reader.h"
#include "engine/photo_file.h"

namespace kelvane {
namespace {

constexpr int32_t kMaxLengthField = 0xFFFF;
constexpr int32_t kWantedRoom = 1024;
constexpr int32_t kRoomAdded = 2048;
// Length field, "Exif\0\0" and the 8-byte TIFF header.
constexpr int32_t kMinLengthField = 2 + 6 + 8;
constexpr uint8_t kShort = 3;
constexpr uint8_t kLong = 4;

// Where one size value goes in the segment file, and its bytes.
struct SizeValue {
  int64_t offset = 0;
  std::array<uint8_t, 4> bytes{};
};

// The value bytes of a SHORT or LONG entry, or false when the entry can't
// take the size or lies outside the segment's TIFF structure.
bool PlaceSizeValue(const ExifTagRecord& entry, int32_t value, const ExifSegmentInfo& segment, int64_t segmentSize,
                    SizeValue& out) {
  if (entry.tag == 0 || (entry.type != kShort && entry.type != kLong)) return false;
  const int64_t tiffStart = int64_t{segment[kLocTiffBase]} - segment[kLocMarker];
  out.offset = int64_t{entry.dataPosition} - segment[kLocMarker];
  if (out.offset < tiffStart || out.offset > segmentSize - 4) return false;
  const bool bigEndian = segment[kLocByteOrder] == 1;
  const auto v = static_cast<uint32_t>(value);
  if (entry.type == kShort) {
    out.bytes = bigEndian ? std::array<uint8_t, 4>{uint8_t(v >> 8), uint8_t(v), 0, 0}
                          : std::array<uint8_t, 4>{uint8_t(v), uint8_t(v >> 8), 0, 0};
  } else {
    out.bytes = bigEndian ? std::array<uint8_t, 4>{uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}
                          : std::array<uint8_t, 4>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  }
  return true;
}

}  // namespace

SegmentCopyResult CopyExifSegment(const std::string& sourceName, const ImageSize& targetSize,
                                  const std::string& segmentFile, EngineContext& context, int64_t& segmentLength) {
  segmentLength = 0;
  ExifReading reading;
  int64_t sourceLength = -1;
  {
    PhotoFile source;
    if (!source.Open(sourceName, PhotoFile::Mode::kRead)) return SegmentCopyResult::kSourceUnusable;
    int32_t slotRequest = 0;
    if (ReadExifTags(source, sourceName, slotRequest, reading, context.fileOps) != read_code::kOk) {
      return SegmentCopyResult::kSourceUnusable;
    }
    sourceLength = source.Size();
  }
  const ExifSegmentInfo& segment = reading.segment;
  const int64_t start = int64_t{segment[kLocMarker]} - 1;
  const int64_t size = int64_t{segment[kLocLength]} + 2;
  if (segment[kLocLength] < kMinLengthField || start < 0 || sourceLength < 0 || start > sourceLength - size) {
    return SegmentCopyResult::kSourceUnusable;
  }

  SizeValue width;
  SizeValue height;
  if (!PlaceSizeValue(reading.tags[kSlotImageWidth], targetSize.width, segment, size, width) ||
      !PlaceSizeValue(reading.tags[kSlotImageHeight], targetSize.height, segment, size, height)) {
    return SegmentCopyResult::kNoSizeTags;
  }

  // The library takes 32-bit lengths; the segment lies well inside that range.
  const auto libraryLength = static_cast<int32_t>(std::min<int64_t>(sourceLength, std::numeric_limits<int32_t>::max()));
  const bool extracted = RunChunkedBuild(
      [&](int32_t resumeAt) {
        return context.fileOps.insert2(resumeAt, 0, libraryLength, 0, -1, static_cast<int32_t>(start), 0,
                                       static_cast<int32_t>(size), sourceName, "", segmentFile);
      },
      size, context);
  if (!extracted) return SegmentCopyResult::kNotWritten;

  PhotoFile copy;
  uint8_t marker[2] = {};
  if (!copy.Open(segmentFile, PhotoFile::Mode::kReadWrite) || copy.Size() != size || !copy.ReadAt(0, marker, 2) ||
      marker[0] != 0xFF || marker[1] != 0xE1) {
    return SegmentCopyResult::kNotWritten;
  }
  if (!copy.WriteAt(width.offset, width.bytes.data(), width.bytes.size()) ||
      !copy.WriteAt(height.offset, height.bytes.data(), height.bytes.size())) {
    return SegmentCopyResult::kNotWritten;
  }

  // From the end of the Exif IFD's value data to the end of the segment.
  const int64_t room = int64_t{segment[kLocMarker]} + size - segment[kLocExifIfdDataEnd];
  int64_t grown = size;
  if (room < kWantedRoom) {
    const int32_t added = std::min(kRoomAdded, kMaxLengthField - segment[kLocLength]);
    if (added > 0) {
      const std::vector<uint8_t> zeros(static_cast<size_t>(added), 0);
      const int32_t lengthField = segment[kLocLength] + added;
      const uint8_t lengthBytes[2] = {uint8_t(lengthField >> 8), uint8_t(lengthField)};
      if (!copy.WriteAt(size, zeros.data(), zeros.size()) || !copy.WriteAt(2, lengthBytes, 2)) {
        return SegmentCopyResult::kNotWritten;
      }
      grown += added;
    }
  }
  segmentLength = grown;
  return SegmentCopyResult::kCopied;
}

}  // namespace kelvane
