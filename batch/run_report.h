// SPDX-License-Identifier: GPL-2.0-or-later
// The failure list of a run and the completion message composed from it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/list_messages.h"
#include "engine/user_interface.h"

namespace kelvane {

struct FileFailure {
  std::string fileName;  // name only, no folder
  ListMessage message = ListMessage::kUndefinedProcessingError;
  int osError = 0;       // the operating system's reason, when it gave one
  size_t order = 0;      // the file's place in the run: failures are listed in this order
  std::string text;      // a message already composed (the report of several runs); else the catalogue's
};

// A failed file as a front end reports it.
struct ReportedFailure {
  std::string fileName;
  int code = 0;
  std::string message;
  std::string errorName;  // "ENOSPC" and the like; empty when the system gave no reason
  bool operator==(const ReportedFailure&) const = default;
};

// Every failure of a completed run, for a front end that lists them all
// (the completion text lists ten).
struct RunFailures {
  std::vector<ReportedFailure> files;
  size_t notListed = 0;  // repeats of a failure that were only counted
};

class RunReport {
 public:
  static constexpr int kListedFailures = 10;

  void Add(std::string fileName, ListMessage message, int osError = 0, size_t order = kInRunOrder);
  // Adds the same failure `times` times over; the entries that the
  // completion text would not list are only counted, so a run can't fill
  // memory with repeats.
  void AddRepeated(const std::string& fileName, ListMessage message, size_t times);
  // A failure another report listed, with its message as composed there;
  // and failures another report only counted.
  void AddReported(std::string fileName, std::string text, size_t order);
  void AddCounted(size_t times) { unlistedRepeats_ += times; }
  // The entries held, in the order of the files: every failure, except
  // repeats past the listed ones.
  std::vector<FileFailure> Failures() const;
  bool Empty() const { return failures_.empty(); }
  // The number of failures, counted ones included.
  size_t Count() const { return failures_.size() + unlistedRepeats_; }

  // The completion text: "All files processed successfully", or the heading
  // followed by at most ten "<name> as <message>" lines and the
  // " - and an additional " tail, each line ended by a carriage return.
  std::string CompletionText(const std::string& heading) const;
  // Every failure held, each with its code and list message.
  RunFailures AllFailures() const;

 private:
  // Failures added without a place are listed in the order they came.
  static constexpr size_t kInRunOrder = static_cast<size_t>(-1);

  std::vector<FileFailure> failures_;
  size_t added_ = 0;
  size_t unlistedRepeats_ = 0;
};

inline constexpr const char* kAllFilesProcessed = "All files processed successfully";
inline constexpr const char* kFailuresHeading = "The following files where not processed successfuly:";

// The box that ends every completed run: OK, no icon, "Completion Message".
Message CompletionMessage(const std::string& text);

}  // namespace kelvane
