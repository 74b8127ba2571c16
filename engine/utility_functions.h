// SPDX-License-Identifier: GPL-2.0-or-later
// Small helpers every layer uses: trimming and number reading, path
// splitting, file and folder tests, removal of a file whatever its
// permissions, and the wipe of a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/file_ops_library.h"

namespace kelvane {

// The text without blanks (spaces) at either end.
std::string Trim(std::string_view text);

// The number a text starts with (after blanks, an optional sign, then
// decimal digits; a fraction is ignored); 0 when it does not start with one.
// Saturates at the limits of int64_t.
int64_t LeadingNumber(std::string_view text);

// Path splitting. Folders are "/"-separated; a folder text ends with "/".
// Each takes its argument by value and trims it first; a caller that needs
// the trimmed path itself calls Trim.

// The text after the last "/"; the whole trimmed path when there is no "/"
// or the "/" is its last character.
std::string FileNameOf(std::string path);
// The text up to and including the last "/"; empty when there is none.
std::string FolderOf(std::string path);
// The file name's text after its last dot, in lower case; empty when the
// name has no dot or ends with one.
std::string FileExtensionOf(std::string path);
// The file name up to its last dot; the whole name when it has none; empty
// when the only dot is the first character.
std::string FileNameWithoutExtension(std::string path);
// Trimmed and lower-cased, with the first letter and every letter after
// "/", a space or a colon upper-cased (a-z only).
std::string CapitaliseWords(std::string text);

// The first character a file-name prefix can't hold, scanning from the
// start: space (only at the first position, and only when mode is 1), "\",
// "/", ":", "*", "?", '"', "<", ">", "|". Its code, or 0 when there is none.
int FindInvalidNameChar(std::string_view text, int mode);

// The file-system tests and removals use the path exactly as given: on this
// platform a file name may begin or end with a space, and a trimmed path
// could name another file.

// True when path names a regular file (hidden ones included); false for
// folders, anything else and on any failure.
bool FileExists(const std::string& path);
// True when the folder part of path (FolderOf) is an existing folder.
bool FolderExists(const std::string& path);

enum RemoveFileResult : int {
  kRemoveNotFound = 0,
  kRemoveDeleted = 1,
  kRemoveFailed = 3,
};
// Deletes a file even when it is read-only (it is made writable first).
int RemoveFile(const std::string& path);

// Writes all of bytes to fd, going on after short writes and interruptions.
bool WriteAll(int fd, std::string_view bytes);

// Flushes a folder's entries to the disk, so that a file renamed into it
// stays renamed after a crash. Best effort: a failure changes nothing.
void SyncFolder(const std::string& folder);

enum class WipeResult : int32_t {
  kDone = -1,           // overwritten with zeros and deleted
  kNotOverwritten = 1,  // not found, empty, too large or not overwritten
  kNotDeleted = 2,      // overwritten but not deleted
  kLink = 3,            // a symbolic link: neither it nor what it names was touched
};
struct WipeOutcome {
  WipeResult result = WipeResult::kDone;
  int osError = 0;
};
// Overwrites a file with zero bytes through the library's wipefile, then
// deletes it. A symbolic link is never followed, and the name is deleted
// only while it still names the file that was overwritten.
WipeOutcome WipeFile(const std::string& path, FileOpsLibrary& library);

}  // namespace kelvane
