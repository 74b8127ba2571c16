// SPDX-License-Identifier: GPL-2.0-or-later
// Reads and writes single keys of the program's INI settings file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

// The settings file is read afresh on every read and rewritten whole on every
// write, so that each change is on disk as soon as it is made.
//
// Reading: a missing file, section or key, an empty value and the value
// "NOT FOUND" all read as empty; values are trimmed and cut to 254
// characters. Section and key names match whatever their case; the first
// section of a name is the one used.
//
// Writing replaces the value of an existing key in place and keeps the rest
// of the file as it was (comments, order, other sections); a new key goes at
// the end of its section, a new section at the end of the file. The new file
// is written beside the old one, flushed and renamed over it, so a crash
// leaves either the old or the new file, never a mix.
class SettingsStore {
 public:
  static constexpr const char* kFileName = "qmre0118.ini";
  static constexpr size_t kValueLimit = 254;

  // The settings file in the user's configuration folder.
  // kInMemory: written values are kept for the rest of the process and the
  // file is never written (the console program reads the desktop program's
  // settings but leaves them as they are).
  enum class Writes { kToFile, kInMemory };

  SettingsStore();
  explicit SettingsStore(std::string path, Writes writes = Writes::kToFile);

  const std::string& Path() const { return path_; }

  std::string ReadSetting(std::string_view section, std::string_view key) const;
  // Non-zero when the value was written. Names and values that would break
  // the file's line structure (line breaks, "]" in a section name, "=" in a
  // key) are refused.
  int32_t WriteSetting(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct KeptValue {
    std::string section;
    std::string key;
    std::string value;
  };

  std::string path_;
  Writes writes_ = Writes::kToFile;
  std::vector<KeptValue> kept_;
};

// $XDG_CONFIG_HOME/kelvane/qmre0118.ini, with ~/.config standing in for an
// unset or relative XDG_CONFIG_HOME; empty when no home folder is known.
std::string DefaultSettingsPath();

}  // namespace kelvane
