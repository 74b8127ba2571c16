// SPDX-License-Identifier: GPL-2.0-or-later
// The ten most recently chosen photo folders of the File menu, kept in the
// settings as GENERAL Dir0..Dir9, most recent first.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "engine/settings_store.h"

namespace kelvane {

class RecentFolders {
 public:
  static constexpr int kCount = 10;
  static constexpr size_t kLongestPath = 255;
  static constexpr size_t kLongestCaption = 63;

  using FolderTest = std::function<bool(const std::string&)>;

  explicit RecentFolders(SettingsStore& store) : store_(store) {}

  // Start-up: reads the list, dropping folders that no longer exist and
  // repeats; the settings are rewritten only when something was dropped.
  void LoadAtStartUp(const FolderTest& folderExists);

  // A folder just chosen by browsing goes to the top: moved there when
  // listed, else pushed in (the oldest drops off). An empty folder text or
  // one longer than 255 characters changes nothing.
  void AddChosenFolder(std::string_view folder);

  // The full path of menu entry index (whatever its caption shows); empty
  // for an index outside the list.
  std::string PathOf(int index) const;
  // Moves entry index to the top (entry 0 stays where it is, unwritten).
  void MoveToTop(int index);

  const std::array<std::string, kCount>& Entries() const { return entries_; }

  // The menu caption of a path: the path itself up to 63 characters, else
  // "~" and its first 62 characters.
  static std::string CaptionOf(std::string_view path);

 private:
  static std::string Key(int index);
  // Reads Dir0..Dir9, empty entries left out.
  std::array<std::string, kCount> Read() const;
  void Write();

  SettingsStore& store_;
  std::array<std::string, kCount> entries_{};
};

}  // namespace kelvane
