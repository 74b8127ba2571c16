// SPDX-License-Identifier: GPL-2.0-or-later
// An export file written under a hidden temporary name beside its target
// and renamed into place only when complete, so that a failed export never
// leaves a half-written file under the target's name.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

class StagedTextFile {
 public:
  // Lines end with carriage return and line feed.
  static constexpr std::string_view kLineEnd = "\r\n";

  explicit StagedTextFile(std::string target);
  // Removes the temporary file unless it was committed.
  ~StagedTextFile();
  StagedTextFile(const StagedTextFile&) = delete;
  StagedTextFile& operator=(const StagedTextFile&) = delete;

  // Creates the temporary file; the target is not touched yet.
  bool Open();
  // Buffers line + CR LF; false once any write has failed.
  bool WriteLine(std::string_view line);
  // Writes out the buffer, flushes the file to the device and closes it.
  bool Finish();
  // Renames the finished file over the target.
  bool Commit();

  const std::string& Target() const { return target_; }

 private:
  static constexpr size_t kBufferLimit = 64 * 1024;

  bool Flush();

  std::string target_;
  std::string tempPath_;
  std::string buffer_;
  int fd_ = -1;
  bool failed_ = false;
  bool finished_ = false;
  bool committed_ = false;
};

}  // namespace kelvane
