// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary bytes, as a photo held in memory, to every operation that
// changes a photo: the date/time shift, the text tag writer (add and
// delete) and Restore. None may crash, hang or read out of bounds. One that
// refuses must leave nothing to write; an edit it works out must fit the
// photo (a patch over the bytes it read), a photo the reader accepted must
// read again after a shift or a notice, with the new value, and a restored
// photo must hold the source's segment.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/exif_date_time.h"
#include "engine/exif_segment_adder.h"
#include "engine/minimal_exif_segment.h"
#include "engine/photo_times.h"
#include "engine/text_tag_writer.h"

namespace {

using namespace kelvane;
using Bytes = std::vector<uint8_t>;

// The photo as a commit leaves it.
Bytes Applied(const Bytes& photo, const PhotoEdit& edit) {
  Bytes after = photo;
  if (edit.patch) {
    const BytePatch& p = *edit.patch;
    if (p.offset < 0 || p.before.size() != p.after.size() || p.before.size() > photo.size() ||
        static_cast<uint64_t>(p.offset) > photo.size() - p.before.size() ||
        !std::equal(p.before.begin(), p.before.end(), photo.begin() + p.offset)) {
      std::abort();
    }
    std::copy(p.after.begin(), p.after.end(), after.begin() + p.offset);
  }
  if (edit.replacement) {
    const HeadReplacement& r = *edit.replacement;
    if (r.oldHeadLength < 0 || static_cast<uint64_t>(r.oldHeadLength) > photo.size() || r.newHead.empty()) std::abort();
    after = r.newHead;
    after.insert(after.end(), photo.begin() + r.oldHeadLength, photo.end());
  }
  return after;
}

ReadResult Read(const Bytes& photo, ExifReading& reading) {
  PhotoFile file = PhotoFile::InMemory(photo);
  int32_t allSlots = 0;
  return ReadExifTags(file, allSlots, reading);
}

// What every restore copies: the segment of a small photo written once
// under $TMPDIR (default /tmp).
const RestoreSource& Source() {
  static const RestoreSource source = [] {
    const std::string segment = BuildMinimalExifSegment("2008:05:30 15:56:01", 2, 3);
    const char* base = std::getenv("TMPDIR");
    std::string path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kelvane-fuzz-source-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) std::abort();
    const std::string photo = std::string("\xFF\xD8", 2) + segment + std::string("\xFF\xD9", 2);
    if (write(fd, photo.data(), photo.size()) != static_cast<ssize_t>(photo.size())) std::abort();
    close(fd);
    RestoreSource loaded = LoadRestoreSource(path);
    unlink(path.c_str());
    if (loaded.loaded != AddSegmentResult::kOk) std::abort();
    return loaded;
  }();
  return source;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Bytes bytes(data, data + size);
  ProgramOptions options;
  options[ProgramOption::KeepFileTimes] = true;
  ExifReading before;
  const bool readable = Read(bytes, before) == ReadResult::kOk;

  // Photo-time shift by one day.
  {
    PhotoFile photo = PhotoFile::InMemory(bytes);
    PhotoEdit edit;
    const AdjustResult shifted = PlanPhotoDates(photo, 1.0, {true, false, false, 0}, options, edit);
    if (shifted != AdjustResult::kOk) {
      if (!edit.Empty()) std::abort();
    } else if (edit.patch) {
      ExifReading after;
      if (Read(Applied(bytes, edit), after) != ReadResult::kOk ||
          ParseExifDateTime(after.tags[kSlotDateTimeOriginal].text).status != 0) {
        std::abort();
      }
    }
  }

  // A copyright notice written, then deleted; with and without a safety copy.
  static const std::string notice = std::string("Copyright(C) 2008 Ann Smith - All Rights Reserved.") + '\0';
  for (const bool remove : {false, true}) {
    for (const bool keepCopy : {false, true}) {
      options[ProgramOption::KeepOriginalCopy] = keepCopy;
      ExifTagRecord record;
      record.tag = kSlotTags[kSlotCopyright];
      record.type = 2;
      record.count = remove ? 0 : static_cast<int32_t>(notice.size());
      record.byteLength = record.count;
      record.text = remove ? std::string() : notice;
      PhotoFile photo = PhotoFile::InMemory(bytes);
      PhotoEdit edit;
      if (PlanExifTag(photo, kSlotCopyright, record, options, edit) != WriteTagResult::kOk) {
        if (edit.WritesContent()) std::abort();
        continue;
      }
      ExifReading after;
      const ReadResult read = Read(Applied(bytes, edit), after);
      if (readable && (read != ReadResult::kOk || after.tags[kSlotCopyright].text != record.text)) std::abort();
    }
  }

  // Restore, for bytes without an Exif segment.
  {
    PhotoFile photo = PhotoFile::InMemory(bytes);
    PhotoEdit edit;
    const AddSegmentResult restored = PlanExifSegment(photo, SegmentKind::kRestore, &Source(), options, edit);
    if (restored != AddSegmentResult::kOk) {
      if (edit.WritesContent()) std::abort();
    } else {
      // Up to the size values, which are the target's own.
      const Bytes after = Applied(bytes, edit);
      const auto copied = Source().segment.begin() + std::min(Source().widthAt, Source().heightAt);
      if (std::search(after.begin(), after.end(), Source().segment.begin(), copied) == after.end()) std::abort();
    }
  }
  return 0;
}
