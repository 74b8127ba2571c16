// SPDX-License-Identifier: GPL-2.0-or-later
// The failure list of a run and the completion message composed from it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/user_interface.h"

namespace kelvane {

struct FileFailure {
  std::string fileName;  // name only, no folder
  int code = 0;
};

// A failed file as a front end reports it: its name, code and list message.
struct ReportedFailure {
  std::string fileName;
  int code = 0;
  std::string message;
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

  void Add(std::string fileName, int code) { failures_.push_back({std::move(fileName), code}); }
  // Adds the same failure `times` times over; the entries that the
  // completion text would not list are only counted, so a run can't fill
  // memory with repeats.
  void AddRepeated(const std::string& fileName, int code, size_t times);
  // The entries held: every failure, except repeats past the listed ones.
  const std::vector<FileFailure>& Failures() const { return failures_; }
  bool Empty() const { return failures_.empty(); }
  // The number of failures, counted ones included.
  size_t Count() const { return failures_.size() + unlistedRepeats_; }

  // The completion text: "All files processed successfully", or the heading
  // followed by at most ten "<name> as <message>" lines and the
  // " - and an additional " tail, each line ended by a carriage return.
  // messageOf gives the list message of a code ("" for none).
  std::string CompletionText(const std::string& heading, const std::function<std::string(int)>& messageOf) const;
  // Every failure held, each with its list message.
  RunFailures AllFailures(const std::function<std::string(int)>& messageOf) const;

 private:
  std::vector<FileFailure> failures_;
  size_t unlistedRepeats_ = 0;
};

inline constexpr const char* kAllFilesProcessed = "All files processed successfully";
inline constexpr const char* kFailuresHeading = "The following files where not processed successfuly:";

// The box that ends every completed run: OK, no icon, "Completion Message".
Message CompletionMessage(const std::string& text);

}  // namespace kelvane
