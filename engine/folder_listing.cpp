// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/folder_listing.h"

#include <algorithm>
#include <filesystem>

namespace kelvane {

std::optional<std::vector<std::string>> ListFolderFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  std::vector<std::string> names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return std::nullopt;
    std::error_code typeError;
    if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace kelvane
