// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/engine_prefix_operations.h"

#include "batch/rename_all.h"
#include "batch/run_details.h"
#include "engine/exif_date_time.h"
#include "engine/exif_reader.h"
#include "engine/file_times.h"
#include "engine/photo_file.h"

namespace kelvane {

EnginePrefixOperations::EnginePrefixOperations(BatchContext& context, const BatchInputs& inputs)
    : run_(context, FunctionWord(ProgramFunction::FilenamePrefix), RunDetails(context.state, inputs)) {}

TakenTime EnginePrefixOperations::ReadTakenTime(const std::string& path) {
  ExifReading reading;
  ReadResult result = ReadResult::kBadExif;
  {
    PhotoFile file;
    if (file.Open(path, PhotoFile::Mode::kRead)) {
      int32_t slotRequest = 0;
      result = ReadExifTags(file, slotRequest, reading);
    }
  }
  TakenTime taken;
  if (result != ReadResult::kOk) {
    // No usable metadata: the earliest of the file's own times stands in.
    int32_t which = kEarliestFileTime;
    const PhotoDateTime fileTime = ParseExifDateTime(FileTimeAsExifText(path, which));
    if (fileTime.status != 0) return taken;
    taken.found = true;
    taken.fromFileTime = true;
    taken.dateValue = fileTime.dateValue;
    return taken;
  }
  const std::string& text = reading.tags[kSlotDateTimeOriginal].text;
  if (text.empty()) return taken;
  const PhotoDateTime original = ParseExifDateTime(text);
  if (original.status != 0) return taken;
  taken.found = true;
  taken.dateValue = original.dateValue;
  return taken;
}

bool EnginePrefixOperations::RenameFile(const std::string& from, const std::string& to) {
  return RenameWithoutReplacing(from, to);
}

}  // namespace kelvane
