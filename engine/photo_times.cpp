// SPDX-License-Identifier: GPL-2.0-or-later
#include "photo_times.h"

#include <array>
#include <cmath>
#include <vector>

#include "engine/exif_date_time.h"
#include "engine/exif_reader.h"
#include "engine/file_times.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

using PhotoDates = std::array<PhotoDateTime, kPhotoDateCount>;

// The valid date/times of tag slots 2, 3, 4; a missing or invalid one keeps
// a date value of 0.
PhotoDates ParsePhotoDates(const ExifTagTable& tags) {
  PhotoDates dates;
  for (int k = 0; k < kPhotoDateCount; ++k) {
    const std::string& text = tags[kSlotDateTime + k].text;
    if (text.empty()) continue;
    PhotoDateTime parsed = ParseExifDateTime(text);
    if (parsed.status == 0) dates[k] = std::move(parsed);
  }
  return dates;
}

bool SetFileTimesFromDates(const std::string& fileName, const PhotoDates& dates, const ProgramOptions& options) {
  if (dates[kDateOriginal].dateValue == 0) return false;
  const std::string& taken = dates[kDateOriginal].exifText;
  if (!options[ProgramOption::FileTimeFromModified]) {
    return SetFileTimes(kSetCreationTime | kSetLastWriteTime, fileName, taken);
  }
  if (!SetFileTimes(kSetLastWriteTime, fileName, dates[kDateModified].exifText)) return false;
  return SetFileTimes(kSetCreationTime, fileName, taken);
}

// One date/time text to overwrite: 0-based offset, the new text and the
// bytes it replaces.
struct TextPatch {
  int64_t offset = 0;
  std::string newText;
  std::string oldText;
};

// The 0-based offset of the slot's 19 date/time characters, which start
// after `lead` spaces (skipped by the parser), or -1 when they do not lie
// wholly inside the entry's value, the Exif segment and the file.
int64_t TextOffset(const ExifTagRecord& slot, size_t lead, const ExifSegmentInfo& segment, int64_t fileSize) {
  if (lead + kExifDateTimeLength > slot.text.size()) return -1;
  const int64_t first = int64_t{slot.dataPosition} + static_cast<int64_t>(lead);
  const int64_t last = first + static_cast<int64_t>(kExifDateTimeLength) - 1;
  // The segment runs from its marker through the two marker bytes and `length` more.
  const int64_t segmentLast = int64_t{segment[kLocMarker]} + 1 + segment[kLocLength];
  if (first < segment[kLocTiffBase] || last > segmentLast || last > fileSize) return -1;
  return first - 1;
}

// Writes every patch. When a write fails, the patches up to and including the
// failed one are put back, latest first, so that the photo keeps its old
// texts. Each text is one small overwrite of equal length, so the photo is
// whole at every moment; it is not flushed to the device, which would cost
// far more than the edit itself on a folder of thousands of photos.
bool WritePatches(PhotoFile& file, const std::vector<TextPatch>& patches, const InPlaceSteps& steps) {
  size_t done = 0;
  while (done < patches.size()) {
    const TextPatch& p = patches[done];
    if (!steps.write(file, p.offset, p.newText.data(), p.newText.size())) break;
    ++done;
  }
  if (done == patches.size()) return true;
  for (size_t i = done + 1; i-- > 0;) {
    const TextPatch& p = patches[i];
    steps.write(file, p.offset, p.oldText.data(), p.oldText.size());
  }
  return false;
}

}  // namespace

InPlaceSteps InPlaceSteps::System() {
  return {[](PhotoFile& file, int64_t offset, const void* data, size_t length) {
    return file.WriteAt(offset, data, length);
  }};
}

bool SetFileTimesFromPhoto(const std::string& fileName, EngineContext& context) {
  ExifReading reading;
  {
    PhotoFile file;
    if (!file.Open(fileName, PhotoFile::Mode::kRead)) return false;
    int32_t slotRequest = 0;
    if (ReadExifTags(file, fileName, slotRequest, reading, context.fileOps) != read_code::kOk) return false;
  }
  return SetFileTimesFromDates(fileName, ParsePhotoDates(reading.tags), context.options);
}

int32_t AdjustPhotoDates(std::string& fileName, double adjustment, const PhotoTimeParameters& parameters,
                         EngineContext& context, const InPlaceSteps& steps) {
  if (!parameters.metadataTimeSelected) return adjust_code::kFailed;
  if (!FileExists(fileName)) {
    fileName.clear();
    return adjust_code::kFileMissing;
  }

  PhotoFile file;
  // A photo that can't be opened for writing is still read, so that it gets
  // its own answer (not a JPEG, no metadata, no taken time); a write to it
  // then fails.
  if (!file.Open(fileName, PhotoFile::Mode::kReadWrite) && !file.Open(fileName, PhotoFile::Mode::kRead)) {
    return adjust_code::kFailed;
  }
  ExifReading reading;
  int32_t slotRequest = 0;
  const int16_t read = ReadExifTags(file, fileName, slotRequest, reading, context.fileOps);
  if (read != read_code::kOk) return read;

  const PhotoDates old = ParsePhotoDates(reading.tags);
  if (old[kDateOriginal].dateValue == 0) return adjust_code::kNoTakenTime;
  if (adjustment == 0 && !parameters.asDateChosen) return adjust_code::kFailed;

  const double oldTaken = old[kDateOriginal].dateValue;
  const double newTaken = parameters.asDateChosen && parameters.asDateValid
                              ? std::floor(parameters.asDateValue) + (oldTaken - std::floor(oldTaken)) + adjustment
                              : oldTaken + adjustment;

  // Every new text is made and placed before the first byte is written.
  PhotoDates updated = old;
  std::vector<TextPatch> patches;
  const int64_t fileSize = file.Size();
  for (int k = 0; k < kPhotoDateCount; ++k) {
    const bool followsTaken = k == kDateOriginal || old[k].exifText == old[kDateOriginal].exifText;
    if (!followsTaken) continue;  // differing or missing: keeps its value and text
    const std::string text = FormatExifDateTime(newTaken);
    if (text.empty()) return adjust_code::kFailed;  // shifted before 1899-12-30 or past 9999
    updated[k] = ParseExifDateTime(text);
    if (text == old[k].exifText) continue;
    const ExifTagRecord& slot = reading.tags[kSlotDateTime + k];
    const size_t lead = slot.text.find_first_not_of(' ');  // found: the text parsed
    const int64_t offset = TextOffset(slot, lead, reading.segment, fileSize);
    if (offset < 0) return adjust_code::kFailed;
    patches.push_back({offset, text, slot.text.substr(lead, kExifDateTimeLength)});
  }
  if (!patches.empty() && !WritePatches(file, patches, steps)) return adjust_code::kFailed;
  file.Close();
  if (context.ui != nullptr) context.ui->PumpEvents();

  if (!context.options[ProgramOption::KeepFileTimes] && !SetFileTimesFromDates(fileName, updated, context.options)) {
    return adjust_code::kFileTimesNotSet;
  }
  return adjust_code::kOk;
}

}  // namespace kelvane
