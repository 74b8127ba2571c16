// SPDX-License-Identifier: GPL-2.0-or-later
// Where the bytes of an export file go: a new file written beside its
// target under a temporary name and renamed over it only when complete (so
// that a failed export leaves neither a partial file nor a changed target),
// or standard output.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/atomic_replace.h"

namespace kelvane {

class ExportOutput {
 public:
  // The file target. A target that is a symbolic link stays a link: the file
  // it names is replaced, in its own folder. The new file takes the
  // permissions (and, where the user may, the owner) of the file it
  // replaces, or those of any new file.
  static ExportOutput File(const std::string& target);
  // Standard output: written as it comes, nothing to commit.
  static ExportOutput StandardOutput();

  // The file's temporary copy is made here; the target is not touched yet.
  bool Open();
  // Buffered; false once a write has failed.
  bool Write(std::string_view bytes);
  // The line and CR LF.
  bool WriteLine(std::string_view line);
  // Writes out the buffer and, for a file, flushes it to the device.
  bool Finish();
  // Renames the finished file over its target.
  bool Commit();

  // A file: the descriptor and name of the temporary copy, for writers that
  // write it themselves (the workbook's zip package, the database).
  int fd() const;
  std::string TemporaryPath() const;
  // What the output is written to, for the report: the target, or "-".
  const std::string& Target() const { return target_; }
  // The errno of the first failed step; 0 when none failed.
  int error() const { return error_; }

 private:
  static constexpr size_t kBufferLimit = 256 * 1024;

  bool Flush();

  std::string target_;
  std::unique_ptr<AtomicReplace> file_;  // none for standard output
  std::string buffer_;
  int error_ = 0;
  bool standard_ = false;
  bool open_ = false;
};

// The permissions a new file gets: 0666 less the process's umask.
mode_t NewFilePermissions();

}  // namespace kelvane
