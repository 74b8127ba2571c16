// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/photo_times.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <ctime>

#include "engine/exif_date_time.h"
#include "engine/exif_reader.h"
#include "engine/file_times.h"
#include "engine/photo_xmp.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

using PhotoDates = std::array<PhotoDateTime, kPhotoDateCount>;

constexpr std::array<const char*, kPhotoDateCount> kDateNames = {"DateTime", "DateTimeOriginal", "DateTimeDigitized"};

// The valid date/times of tag slots 2, 3, 4; a missing or invalid one keeps
// a date value of 0.
PhotoDates ParsePhotoDates(const ExifTagTable& tags) {
  PhotoDates dates;
  for (int k = 0; k < kPhotoDateCount; ++k) {
    const std::string& text = tags[static_cast<size_t>(kSlotDateTime + k)].text;
    if (text.empty()) continue;
    PhotoDateTime parsed = ParseExifDateTime(text);
    if (parsed.status == 0) dates[static_cast<size_t>(k)] = std::move(parsed);
  }
  return dates;
}

std::string ModifiedTimeText(const PhotoFile& photo) {
  const time_t seconds = photo.Status().st_mtim.tv_sec;
  std::tm local{};
  if (::localtime_r(&seconds, &local) == nullptr) return {};
  CalendarTime time{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  return FormatExifDateTime(time);
}

// The file times from a photo's dates; false when a date to use is missing
// or not valid.
bool TimesFromDates(const PhotoDates& dates, const ProgramOptions& options, const PhotoFile& photo,
                    PhotoEdit& edit) {
  if (dates[kDateOriginal].dateValue == 0) return false;
  const std::string& text = options[ProgramOption::FileTimeFromModified] ? dates[kDateModified].exifText
                                                                          : dates[kDateOriginal].exifText;
  // Creation is asked for too; this platform can't set it.
  const auto times = FileTimesFor(kSetCreationTime | kSetLastWriteTime, text);
  if (!times) return false;
  edit.times = times;
  const std::string now = ModifiedTimeText(photo);
  if (now != text) edit.preview.push_back({"File modified", now, text});
  return true;
}

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

}  // namespace

bool PlanFileTimesFromPhoto(PhotoFile& photo, const ProgramOptions& options, PhotoEdit& edit) {
  ExifReading reading;
  int32_t slotRequest = 0;
  if (ReadExifTags(photo, slotRequest, reading) != ReadResult::kOk) return false;
  return TimesFromDates(ParsePhotoDates(reading.tags), options, photo, edit);
}

AdjustResult PlanPhotoDates(PhotoFile& photo, double adjustment, const PhotoTimeParameters& parameters,
                            const ProgramOptions& options, PhotoEdit& edit) {
  if (!parameters.metadataTimeSelected) return AdjustResult::kFailed;
  ExifReading reading;
  int32_t slotRequest = 0;
  switch (ReadExifTags(photo, slotRequest, reading)) {
    case ReadResult::kOk:
      break;
    case ReadResult::kNotJpeg:
      return AdjustResult::kNotJpeg;
    case ReadResult::kNoExif:
      return AdjustResult::kNoExif;
    case ReadResult::kTagNotFound:
    case ReadResult::kBadExif:
      return AdjustResult::kFailed;
  }

  const PhotoDates old = ParsePhotoDates(reading.tags);
  if (old[kDateOriginal].dateValue == 0) return AdjustResult::kNoTakenTime;
  if (adjustment == 0 && !parameters.asDateChosen) return AdjustResult::kFailed;

  const double oldTaken = old[kDateOriginal].dateValue;
  const double newTaken = parameters.asDateChosen && parameters.asDateValid
                              ? std::floor(parameters.asDateValue) + (oldTaken - std::floor(oldTaken)) + adjustment
                              : oldTaken + adjustment;

  PhotoDates updated = old;
  std::vector<HeadSplice> splices;
  for (int k = 0; k < kPhotoDateCount; ++k) {
    const auto index = static_cast<size_t>(k);
    const bool followsTaken = k == kDateOriginal || old[index].exifText == old[kDateOriginal].exifText;
    if (!followsTaken) continue;  // differing or missing: keeps its value and text
    const std::string text = FormatExifDateTime(newTaken);
    if (text.empty()) return AdjustResult::kFailed;  // shifted before 1899-12-30 or past 9999
    updated[index] = ParseExifDateTime(text);
    if (text == old[index].exifText) continue;
    const ExifTagRecord& slot = reading.tags[static_cast<size_t>(kSlotDateTime + k)];
    const size_t lead = slot.text.find_first_not_of(' ');  // found: the text parsed
    const int64_t offset = TextOffset(slot, lead, reading.segment, photo.Size());
    if (offset < 0) return AdjustResult::kFailed;
    splices.push_back({offset, static_cast<int64_t>(text.size()), std::vector<uint8_t>(text.begin(), text.end())});
    edit.preview.push_back({kDateNames[index], old[index].exifText, text});
  }
  if (parameters.keepXmp) {
    const auto before = CalendarTimeOf(oldTaken);
    const auto after = CalendarTimeOf(newTaken);
    if (before && after) {
      XmpEdits xmp;
      xmp.takenTime = XmpTakenTimeChange{*before, *after};
      edit.xmpProblem = AddXmpEdits(photo, xmp, splices, edit.preview);
      edit.xmp = std::move(xmp);
    }
  }
  // One patch over the span that holds every changed text, XMP included,
  // so one write changes them together.
  if (!EditFromSplices(photo, std::move(splices), false, edit)) return AdjustResult::kFailed;
  if (options[ProgramOption::KeepFileTimes]) return AdjustResult::kOk;
  return TimesFromDates(updated, options, photo, edit) ? AdjustResult::kOk : AdjustResult::kFileTimesNotSet;
}

AdjustOutcome AdjustOutcomeOf(AdjustResult planned, const CommitOutcome& committed) {
  switch (committed.result) {
    case CommitResult::kDone:
      return {planned, 0};
    case CommitResult::kChanged:
      return {AdjustResult::kChanged, 0};
    case CommitResult::kWriteFailed:
      return {AdjustResult::kWriteFailed, committed.osError};
    case CommitResult::kTimesNotSet:
      return {AdjustResult::kFileTimesNotSet, committed.osError};
  }
  return {AdjustResult::kFailed, 0};
}

bool SetFileTimesFromPhoto(const std::string& fileName, const ProgramOptions& options) {
  PhotoFile photo;
  PhotoEdit edit;
  if (!photo.Open(fileName, PhotoFile::Mode::kRead) || !PlanFileTimesFromPhoto(photo, options, edit)) return false;
  return CommitEdit(photo, fileName, edit).result == CommitResult::kDone;
}

AdjustOutcome AdjustPhotoDates(std::string& fileName, double adjustment, const PhotoTimeParameters& parameters,
                               const ProgramOptions& options, const CommitSteps& steps) {
  if (!parameters.metadataTimeSelected) return {AdjustResult::kFailed, 0};
  PhotoFile photo;
  if (!photo.OpenForEdit(fileName)) {
    if (photo.error() == ENOENT) {
      fileName.clear();
      return {AdjustResult::kFileMissing, 0};
    }
    return {AdjustResult::kReadFailed, photo.error()};
  }
  PhotoEdit edit;
  const AdjustResult planned = PlanPhotoDates(photo, adjustment, parameters, options, edit);
  if (planned != AdjustResult::kOk && planned != AdjustResult::kFileTimesNotSet) return {planned, 0};
  return AdjustOutcomeOf(planned, CommitEdit(photo, fileName, edit, steps));
}

}  // namespace kelvane
