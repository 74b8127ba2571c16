// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/recent_folders.h"

#include <algorithm>

#include "engine/settings.h"
#include "engine/utility_functions.h"

namespace kelvane {

std::string RecentFolders::Key(int index) { return "Dir" + std::to_string(index); }

std::array<std::string, RecentFolders::kCount> RecentFolders::Read() const {
  std::array<std::string, kCount> list{};
  size_t kept = 0;
  for (int k = 0; k < kCount; ++k) {
    std::string entry = store_.ReadSetting(kGeneralSection, Key(k));
    if (!entry.empty() && entry.size() <= kLongestPath) list[kept++] = std::move(entry);
  }
  return list;
}

void RecentFolders::Write() {
  for (int k = 0; k < kCount; ++k) store_.WriteSetting(kGeneralSection, Key(k), entries_[static_cast<size_t>(k)]);
}

void RecentFolders::LoadAtStartUp(const FolderTest& folderExists) {
  entries_ = {};
  size_t kept = 0;
  bool removed = false;
  for (int k = 0; k < kCount; ++k) {
    std::string entry = store_.ReadSetting(kGeneralSection, Key(k));
    if (entry.empty()) continue;
    const bool repeated = std::find(entries_.begin(), entries_.begin() + static_cast<long>(kept), entry) !=
                          entries_.begin() + static_cast<long>(kept);
    if (entry.size() > kLongestPath || repeated || !folderExists(entry)) {
      removed = true;
      continue;
    }
    entries_[kept++] = std::move(entry);
  }
  if (removed) Write();
}

void RecentFolders::AddChosenFolder(std::string_view folder) {
  const std::string path = Trim(folder);
  entries_ = Read();
  if (path.empty() || path.size() > kLongestPath) return;
  auto found = std::find(entries_.begin(), entries_.end(), path);
  if (found == entries_.end()) found = entries_.end() - 1;  // the oldest drops off
  std::rotate(entries_.begin(), found, found + 1);
  entries_[0] = path;
  Write();
}

std::string RecentFolders::PathOf(int index) const {
  if (index < 0 || index >= kCount) return {};
  return entries_[static_cast<size_t>(index)];
}

void RecentFolders::MoveToTop(int index) {
  entries_ = Read();
  if (index < 1 || index >= kCount || entries_[static_cast<size_t>(index)].empty()) return;
  const auto chosen = entries_.begin() + index;
  std::rotate(entries_.begin(), chosen, chosen + 1);
  Write();
}

std::string RecentFolders::CaptionOf(std::string_view path) {
  if (path.size() <= kLongestCaption) return std::string(path);
  return "~" + std::string(path.substr(0, kLongestCaption - 1));
}

}  // namespace kelvane
