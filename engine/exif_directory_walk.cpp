// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/exif_directory_walk.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr uint16_t kTagExifPointer = 0x8769;
constexpr uint16_t kTagGpsPointer = 0x8825;
constexpr uint16_t kTagInteropPointer = 0xA005;
constexpr uint16_t kTagThumbnailOffset = 0x0201;
constexpr uint16_t kTagThumbnailLength = 0x0202;
constexpr uint16_t kTagStripOffsets = 0x0111;
constexpr uint16_t kTagStripByteCounts = 0x0117;
// The TIFF header: nothing can start inside it.
constexpr uint32_t kHeaderSize = 8;

enum class DirectoryRead { kOk, kUnreachable, kMalformed };

bool IsDirectoryPointer(uint16_t tag) {
  return tag == kTagExifPointer || tag == kTagGpsPointer || tag == kTagInteropPointer;
}

// The directory pointers a directory of this kind owns.
bool Owns(IfdKind kind, uint16_t tag) {
  switch (kind) {
    case IfdKind::kIfd0:
      return tag == kTagExifPointer || tag == kTagGpsPointer;
    case IfdKind::kExif:
      return tag == kTagInteropPointer;
    default:
      return false;
  }
}

DirectoryRead ReadDirectory(TiffDecoder& tiff, uint32_t offset, Ifd& ifd) {
  if (offset < kHeaderSize) return DirectoryRead::kUnreachable;
  std::vector<TiffEntry> entries;
  switch (tiff.Directory(offset, kMaxIfdEntries, entries)) {
    case TiffDecoder::DirectoryRead::kUnreadable:
      return DirectoryRead::kUnreachable;
    case TiffDecoder::DirectoryRead::kTooManyEntries:
      return DirectoryRead::kMalformed;
    case TiffDecoder::DirectoryRead::kOk:
      break;
  }
  ifd.present = true;
  ifd.offset = offset;
  ifd.entries.resize(entries.size());
  for (size_t k = 0; k < entries.size(); ++k) {
    IfdEntry& e = ifd.entries[k];
    static_cast<TiffEntry&>(e) = entries[k];
    if (!e.KnownType()) return DirectoryRead::kMalformed;
    if (e.OutOfLine()) {
      e.valueOffset = e.FieldValue(tiff.order());
      if (!tiff.Holds(e.valueOffset, e.byteLength)) return DirectoryRead::kMalformed;
    }
  }
  return DirectoryRead::kOk;
}

// The offset a pointer entry holds, when it has a pointer's form: one LONG
// (or IFD) value.
bool PointerValue(const IfdEntry& e, ByteOrder order, uint32_t& value) {
  if ((e.type != TypeCode(ExifType::kLong) && e.type != TypeCode(ExifType::kIfd)) || e.count != 1) return false;
  value = e.FieldValue(order);
  return true;
}

// Element i of a SHORT or LONG entry whose value has been checked.
bool ArrayElement(TiffDecoder& tiff, const IfdEntry& e, uint32_t i, uint32_t& value) {
  const bool isShort = e.type == TypeCode(ExifType::kShort);
  if ((!isShort && e.type != TypeCode(ExifType::kLong)) || i >= e.count) return false;
  const uint64_t at = tiff.ValueOffset(e) + uint64_t{ExifTypeSize(e.type)} * i;
  uint16_t small = 0;
  if (isShort && tiff.U16(at, small)) {
    value = small;
    return true;
  }
  return !isShort && tiff.U32(at, value);
}

const IfdEntry* FirstOf(const Ifd& ifd, uint16_t tag) {
  for (const IfdEntry& e : ifd.entries) {
    if (e.tag == tag) return &e;
  }
  return nullptr;
}

class Walker {
 public:
  Walker(TiffDecoder& tiff, ExifStructure& out) : tiff_(tiff), out_(out) {}

  WalkResult Run() {
    if (ReadDirectory(tiff_, out_.ifd0Offset, out_[IfdKind::kIfd0]) != DirectoryRead::kOk) {
      return WalkResult::kMalformed;
    }
    visited_.push_back(out_.ifd0Offset);
    Classify(IfdKind::kIfd0);

    IfdEntry* exif = Pointer(IfdKind::kIfd0, kTagExifPointer);
    uint32_t exifOffset = 0;
    if (exif != nullptr && PointerValue(*exif, tiff_.order(), exifOffset) && exifOffset != 0) {
      if (Visited(exifOffset) || ReadDirectory(tiff_, exifOffset, out_[IfdKind::kExif]) != DirectoryRead::kOk) {
        return WalkResult::kMalformed;
      }
      exif->role = EntryRole::kExifPointer;
      visited_.push_back(exifOffset);
      Classify(IfdKind::kExif);
    } else if (exif != nullptr) {
      exif->role = EntryRole::kDropped;
    }

    if (!Follow(IfdKind::kIfd0, kTagGpsPointer, IfdKind::kGps, EntryRole::kGpsPointer) ||
        !Follow(IfdKind::kExif, kTagInteropPointer, IfdKind::kInterop, EntryRole::kInteropPointer) || !FollowIfd1()) {
      return WalkResult::kMalformed;
    }
    return WalkResult::kOk;
  }

 private:
  bool Visited(uint32_t offset) const { return std::find(visited_.begin(), visited_.end(), offset) != visited_.end(); }

  // Directory pointers this directory does not own, and every one after the
  // first of its tag, would lead a reader astray once directories move.
  void Classify(IfdKind kind) {
    std::vector<uint16_t> seen;
    for (IfdEntry& e : out_[kind].entries) {
      if (!IsDirectoryPointer(e.tag)) continue;
      const bool repeated = std::find(seen.begin(), seen.end(), e.tag) != seen.end();
      if (!Owns(kind, e.tag) || repeated) e.role = EntryRole::kDropped;
      seen.push_back(e.tag);
    }
  }

  IfdEntry* Pointer(IfdKind owner, uint16_t tag) {
    for (IfdEntry& e : out_[owner].entries) {
      if (e.tag == tag && e.role != EntryRole::kDropped) return &e;
    }
    return nullptr;
  }

  // Reads the directory a pointer entry of `owner` leads to; a pointer that
  // can't be followed is dropped. False when the directory is malformed.
  bool Follow(IfdKind owner, uint16_t tag, IfdKind target, EntryRole role) {
    IfdEntry* pointer = Pointer(owner, tag);
    if (pointer == nullptr) return true;
    uint32_t offset = 0;
    DirectoryRead read = DirectoryRead::kUnreachable;
    if (PointerValue(*pointer, tiff_.order(), offset) && !Visited(offset)) {
      read = ReadDirectory(tiff_, offset, out_[target]);
    }
    if (read == DirectoryRead::kMalformed) return false;
    if (read == DirectoryRead::kUnreachable) {
      out_[target] = Ifd{};
      pointer->role = EntryRole::kDropped;
      return true;
    }
    visited_.push_back(offset);
    pointer->role = role;
    Classify(target);
    return true;
  }

  bool FollowIfd1() {
    const Ifd& ifd0 = out_[IfdKind::kIfd0];
    uint32_t link = 0;
    if (!tiff_.U32(TiffDecoder::LinkOffset(ifd0.offset, ifd0.entries.size()), link) || link == 0 || Visited(link)) {
      return true;
    }
    const DirectoryRead read = ReadDirectory(tiff_, link, out_[IfdKind::kIfd1]);
    if (read == DirectoryRead::kMalformed) return false;
    if (read == DirectoryRead::kUnreachable) {
      out_[IfdKind::kIfd1] = Ifd{};
      return true;
    }
    visited_.push_back(link);
    Classify(IfdKind::kIfd1);
    return Thumbnail(kTagThumbnailOffset, kTagThumbnailLength) && Thumbnail(kTagStripOffsets, kTagStripByteCounts);
  }

  // The image data an offsets entry and its lengths entry describe, when
  // both are there and of a usable form.
  bool Thumbnail(uint16_t offsetsTag, uint16_t lengthsTag) {
    const IfdEntry* offsets = FirstOf(out_[IfdKind::kIfd1], offsetsTag);
    const IfdEntry* lengths = FirstOf(out_[IfdKind::kIfd1], lengthsTag);
    if (offsets == nullptr || lengths == nullptr || offsets->count != lengths->count) return true;
    for (uint32_t i = 0; i < offsets->count; ++i) {
      DataSpan span;
      if (!ArrayElement(tiff_, *offsets, i, span.offset) || !ArrayElement(tiff_, *lengths, i, span.length)) {
        return true;
      }
      if (span.length == 0) continue;
      if (!tiff_.Holds(span.offset, span.length)) return false;
      out_.thumbnail.push_back(span);
    }
    return true;
  }

  TiffDecoder& tiff_;
  ExifStructure& out_;
  std::vector<uint32_t> visited_;
};

}  // namespace

WalkResult WalkExifDirectories(std::span<const uint8_t> tiff, ExifStructure& out) {
  out = ExifStructure{};
  MemoryBytes bytes(tiff);
  if (ReadTiffHeader(bytes, 0, out.order, out.ifd0Offset) != TiffHeader::kOk) return WalkResult::kBadHeader;
  TiffDecoder decoder(bytes, 0, out.order);
  return Walker(decoder, out).Run();
}

}  // namespace kelvane
