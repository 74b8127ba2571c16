// SPDX-License-Identifier: GPL-2.0-or-later
// The prefix function's per-file work: the taken time read by the engine,
// renames by the platform.
#pragma once

#include <string>

#include "batch/filename_prefix.h"
#include "engine/file_ops_library.h"

namespace kelvane {

class EnginePrefixOperations : public PrefixOperations {
 public:
  explicit EnginePrefixOperations(FileOpsLibrary& fileOps) : fileOps_(fileOps) {}

  TakenTime ReadTakenTime(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;

 private:
  FileOpsLibrary& fileOps_;
};

}  // namespace kelvane
