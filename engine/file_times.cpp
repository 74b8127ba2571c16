// SPDX-License-Identifier: GPL-2.0-or-later
#include "file_times.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <optional>

#include "engine/exif_date_time.h"

namespace kelvane {
namespace {

constexpr int kFirstExifYear = 1980;
constexpr int kLastYear = 9999;

struct FileTimes {
  bool hasCreation = false;
  statx_timestamp creation{};
  statx_timestamp access{};
  statx_timestamp write{};
};

// The times of a regular file (by name, or open as fd when the name is
// empty); nothing for anything else or a failure.
std::optional<FileTimes> ReadFileTimes(const std::string& fileName, int fd = -1) {
  struct statx st {};
  constexpr unsigned kWanted = STATX_TYPE | STATX_ATIME | STATX_MTIME | STATX_BTIME;
  const int found = fd >= 0 ? ::statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, kWanted, &st)
                    : fileName.empty() ? -1
                                       : ::statx(AT_FDCWD, fileName.c_str(), AT_STATX_SYNC_AS_STAT, kWanted, &st);
  if (found != 0) return std::nullopt;
  constexpr unsigned kNeeded = STATX_TYPE | STATX_ATIME | STATX_MTIME;
  if ((st.stx_mask & kNeeded) != kNeeded || !S_ISREG(st.stx_mode)) return std::nullopt;
  FileTimes times;
  // Some file systems report a birth time of zero for "not recorded".
  times.hasCreation = (st.stx_mask & STATX_BTIME) != 0 && (st.stx_btime.tv_sec != 0 || st.stx_btime.tv_nsec != 0);
  times.creation = st.stx_btime;
  times.access = st.stx_atime;
  times.write = st.stx_mtime;
  return times;
}

bool Earlier(const statx_timestamp& a, const statx_timestamp& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

// The offset from UTC in seconds in force at an instant.
std::optional<long> OffsetAt(time_t instant) {
  std::tm local{};
  if (::localtime_r(&instant, &local) == nullptr) return std::nullopt;
  return local.tm_gmtoff;
}

// The instant of a local date/time. A zone changes its offset at most once
// within a day either side, so the offsets a day before and a day after are
// the only candidates. Both fit a repeated hour: the earlier instant is
// taken. Neither fits a skipped one: it is moved on by the gap, as mktime
// does. (mktime itself may pick either occurrence of a repeated hour,
// depending on what it converted before.)
std::optional<time_t> InstantOfLocal(const CalendarTime& time) {
  constexpr time_t kDay = 86400;
  std::tm fields{};
  fields.tm_year = time.year - 1900;
  fields.tm_mon = time.month - 1;
  fields.tm_mday = time.day;
  fields.tm_hour = time.hour;
  fields.tm_min = time.minute;
  fields.tm_sec = time.second;
  const time_t asUtc = ::timegm(&fields);  // the local fields read as UTC
  const auto before = OffsetAt(asUtc - kDay);
  const auto after = OffsetAt(asUtc + kDay);
  if (!before || !after) return std::nullopt;
  std::optional<time_t> first;
  for (const long offset : {*before, *after}) {
    const time_t candidate = asUtc - offset;
    if (OffsetAt(candidate) == offset && (!first || candidate < *first)) first = candidate;
  }
  return first ? *first : asUtc - *before;
}

std::string LocalExifText(const statx_timestamp& stamp) {
  const time_t instant = static_cast<time_t>(stamp.tv_sec);
  std::tm local{};
  if (::localtime_r(&instant, &local) == nullptr) return {};
  CalendarTime time;
  time.year = local.tm_year + 1900;
  time.month = local.tm_mon + 1;
  time.day = local.tm_mday;
  time.hour = local.tm_hour;
  time.minute = local.tm_min;
  time.second = local.tm_sec;
  // A leap second (60) has no Exif form.
  if (time.year < kFirstExifYear || time.year > kLastYear || time.second > 59) return {};
  return FormatExifDateTime(time);
}

std::string ChosenTimeText(const std::optional<FileTimes>& times, int32_t& which) {
  if (which < kEarliestFileTime || which > kLastWriteTime || !times) return {};
  if (which == kEarliestFileTime) {
    // Ties go to creation, then last access, then last write.
    int32_t chosen = times->hasCreation ? kCreationTime : kLastAccessTime;
    statx_timestamp earliest = times->hasCreation ? times->creation : times->access;
    if (chosen == kCreationTime && Earlier(times->access, earliest)) {
      chosen = kLastAccessTime;
      earliest = times->access;
    }
    if (Earlier(times->write, earliest)) chosen = kLastWriteTime;
    which = chosen;
  }
  switch (which) {
    case kCreationTime:
      return times->hasCreation ? LocalExifText(times->creation) : std::string();
    case kLastAccessTime:
      return LocalExifText(times->access);
    default:
      return LocalExifText(times->write);
  }
}

}  // namespace

std::string FileTimeAsExifText(const std::string& fileName, int32_t& which) {
  return ChosenTimeText(ReadFileTimes(fileName), which);
}

std::string FileTimeAsExifText(int fd, int32_t& which) { return ChosenTimeText(ReadFileTimes({}, fd), which); }

std::optional<timespec> InstantOfExifText(std::string_view exifText) {
  const PhotoDateTime parsed = ParseExifDateTime(exifText);
  if (parsed.status != 0) return std::nullopt;
  const auto time = CalendarTimeOf(parsed.dateValue);
  if (!time) return std::nullopt;
  const auto instant = InstantOfLocal(*time);
  if (!instant) return std::nullopt;
  return timespec{*instant, 0};
}

std::optional<std::array<timespec, 2>> FileTimesFor(int32_t which, std::string_view exifText) {
  constexpr int32_t kKnownBits = kSetCreationTime | kSetLastWriteTime | kSetLastAccessTime;
  if ((which & kKnownBits) == 0) return std::nullopt;
  const auto instant = InstantOfExifText(exifText);
  if (!instant) return std::nullopt;
  const timespec omit{0, UTIME_OMIT};
  return std::array<timespec, 2>{(which & kSetLastAccessTime) != 0 ? *instant : omit,
                                 (which & kSetLastWriteTime) != 0 ? *instant : omit};
}

bool SetFileTimes(int32_t which, const std::string& fileName, std::string_view exifText) {
  const auto times = FileTimesFor(which, exifText);
  if (!times || !ReadFileTimes(fileName)) return false;
  if ((which & (kSetLastWriteTime | kSetLastAccessTime)) == 0) return true;  // creation only: can't be set
  return ::utimensat(AT_FDCWD, fileName.c_str(), times->data(), 0) == 0;
}

}  // namespace kelvane
