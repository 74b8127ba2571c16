// SPDX-License-Identifier: GPL-2.0-or-later
// The program's private folder for the engine's temporary files.
#pragma once

#include <string>

namespace kelvane {

// A folder of our own under $TMPDIR (default /tmp), made on first use, so
// that the fixed temporary file names can't meet another program's files or
// a second instance. The folder goes, with its content, when the object does.
class TempFolder {
 public:
  static constexpr const char* kFirstFileName = "QMR018T1";
  static constexpr const char* kSecondFileName = "QMR018T2";

  TempFolder() = default;
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, ending with "/"; empty when it can't be made.
  std::string GetTempFolder();
  // The paths of the two temporary files; empty when there is no folder.
  std::string FirstTempFile();
  std::string SecondTempFile();

 private:
  std::string PathOf(const char* name);

  std::string folder_;
};

}  // namespace kelvane
