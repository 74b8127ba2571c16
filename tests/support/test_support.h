// SPDX-License-Identifier: GPL-2.0-or-later
// Helpers shared by the tests: sample photos, scratch folders, file bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kelvane::test {

using Bytes = std::vector<uint8_t>;

// The sample photo folder (KELVANE_SAMPLES, else the configured default), or
// nothing when it is absent.
std::optional<std::filesystem::path> SamplesFolder();

// Every .jpg below the samples folder, sorted, as paths relative to it.
std::vector<std::filesystem::path> SamplePhotos();

// Skips the current test when the samples folder is absent; use as
//   KELVANE_REQUIRE_SAMPLES();
#define KELVANE_REQUIRE_SAMPLES()                                        \
  do {                                                                   \
    if (!::kelvane::test::SamplesFolder()) GTEST_SKIP() << "no samples"; \
  } while (0)

// A fresh folder removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // path() / name, as text.
  std::string File(const std::string& name) const;
  // Copies a sample photo (relative to the samples folder) into the scratch
  // folder under its own file name (or newName) and returns the copy's path.
  std::string CopySample(const std::filesystem::path& relative, const std::string& newName = {}) const;

 private:
  std::filesystem::path path_;
};

Bytes ReadBytes(const std::string& path);
// The file's last-write time in local time as YYYY:MM:DD HH:MM:SS; empty
// when it can't be read.
std::string LastWriteText(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);

// Runs a command through the shell and returns its standard output; nothing
// when it could not run or exited non-zero.
std::optional<std::string> RunCommand(const std::string& command);
// True when a program of that name is on the PATH.
bool HaveProgram(const std::string& name);
// Quotes text for the shell.
std::string ShellQuote(const std::string& text);

}  // namespace kelvane::test
