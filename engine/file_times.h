// SPDX-License-Identifier: GPL-2.0-or-later
// A file's own times as Exif date/time texts in local time, and their
// setting from such a text.
//
// Last write is the file's modification time (mtime), last access its access
// time (atime), creation its birth time where the file system records one.
// Linux can't set a birth time: a request for it is skipped. Seconds are kept
// exactly; local time follows the system's time-zone rules (TZ honoured).
#pragma once

#include <time.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

// `which` of FileTimeAsExifText.
enum FileTimeChoice : int32_t {
  kEarliestFileTime = 0,
  kCreationTime = 1,
  kLastAccessTime = 2,
  kLastWriteTime = 3,
};

// `which` bits of SetFileTimes.
enum FileTimeBits : int32_t {
  kSetCreationTime = 1,
  kSetLastWriteTime = 2,
  kSetLastAccessTime = 4,
};

// The chosen time of a regular file in local time as YYYY:MM:DD HH:MM:SS.
// With kEarliestFileTime the earliest of creation (when recorded), last
// access and last write is taken, ties in that order, and `which` is set to
// the one chosen. Empty on any failure, for a time before 1980 (not a valid
// Exif date/time), or a `which` outside 0..3; creation alone gives empty
// where the file system records no birth time.
std::string FileTimeAsExifText(const std::string& fileName, int32_t& which);
// The same for a file open as fd.
std::string FileTimeAsExifText(int fd, int32_t& which);

// The instant of an Exif date/time text read as local time (see
// SetFileTimes for skipped and repeated hours); nothing for a text that
// ParseExifDateTime rejects.
std::optional<timespec> InstantOfExifText(std::string_view exifText);

// The access and modification times (in the order futimens takes them) that
// SetFileTimes sets for `which` and a text; UTIME_OMIT where a time is left
// as it is. Nothing for no known bit or a text that is not valid.
std::optional<std::array<timespec, 2>> FileTimesFor(int32_t which, std::string_view exifText);

// Sets the times named by the bits of `which` of a regular file to the local
// date/time of an Exif text. Last write and last access are set; creation is
// skipped. True when the file exists and every settable time asked for was
// set (creation alone: true when the file exists). False for no known bit, a
// text that ParseExifDateTime rejects, a missing file or a failed call.
//
// A local time that does not exist (skipped at the start of summer time) is
// moved forward by the length of the gap, as mktime does (02:30 becomes
// 03:30 summer time); one that occurs twice (the hour repeated at the end of
// summer time) is taken at its first occurrence, in summer time.
bool SetFileTimes(int32_t which, const std::string& fileName, std::string_view exifText);

}  // namespace kelvane
