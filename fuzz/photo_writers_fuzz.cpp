// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary bytes, as a photo file, to every operation that changes a
// photo: the date/time shift, the text tag writer (add and delete) and
// Create. None may crash, hang or read out of bounds; each that fails must
// leave the photo byte for byte as it was and nothing beside it.
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/exif_segment_adder.h"
#include "engine/photo_times.h"
#include "engine/text_tag_writer.h"

namespace {

using namespace kelvane;

// A scratch folder under $TMPDIR (default /tmp).
std::string ScratchFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kelvane-fuzz-writers-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern + "/";
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
  if (std::fclose(out) != 0) std::abort();
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) std::abort();
  uint8_t block[65536];
  size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, in)) > 0) bytes.insert(bytes.end(), block, block + n);
  std::fclose(in);
  return bytes;
}

size_t EntryCount(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) std::abort();
  size_t count = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") ++count;
  }
  closedir(dir);
  return count;
}

// A failed operation must have changed nothing.
void CheckUnchanged(bool failed, const std::string& folder, const std::string& photo, const uint8_t* data,
                    size_t size) {
  if (EntryCount(folder) != 1) std::abort();
  if (!failed) return;
  const std::vector<uint8_t> now = ReadFile(photo);
  if (now.size() != size || (size > 0 && !std::equal(now.begin(), now.end(), data))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = ScratchFolder();
  static const std::string photo = folder + "photo.jpg";
  static FileOpsLibrary fileOps;
  static TempFolder tempFolder;
  EngineContext context{fileOps, tempFolder, {}, nullptr, {}};
  context.options[ProgramOption::KeepFileTimes] = true;

  // Photo-time shift by one day.
  WriteFile(photo, data, size);
  std::string name = photo;
  const PhotoTimeParameters shift{true, false, false, 0};
  const int32_t shifted = AdjustPhotoDates(name, 1.0, shift, context);
  CheckUnchanged(shifted != adjust_code::kOk, folder, photo, data, size);

  // A copyright notice written, then deleted.
  static const std::string notice = std::string("Copyright(C) 2008 Ann Smith - All Rights Reserved.") + '\0';
  for (const bool remove : {false, true}) {
    WriteFile(photo, data, size);
    ExifTagRecord record;
    record.tag = kSlotTags[kSlotCopyright];
    record.type = 2;
    record.count = remove ? 0 : static_cast<int32_t>(notice.size());
    record.byteLength = record.count;
    record.text = remove ? std::string() : notice;
    name = photo;
    const int16_t written = WriteExifTag(name, kSlotCopyright, record, context);
    CheckUnchanged(written != write_tag_code::kOk, folder, photo, data, size);
  }

  // Create, for bytes without an Exif segment.
  WriteFile(photo, data, size);
  AddSegmentRequest request;
  request.function = ProgramFunction::CreateMetadata;
  request.fileTimes = PhotoFileTimes(context);
  name = photo;
  const int16_t created = AddExifSegment(name, request, context);
  CheckUnchanged(created != add_segment_code::kOk && created != add_segment_code::kTimesNotSet, folder, photo, data,
                 size);
  return 0;
}
