// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/run_units.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "engine/utility_functions.h"

namespace kelvane::cli {
namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The folders below folder, each before its own subfolders, in name order;
// links to folders are not followed.
void AddSubfolders(const std::string& folder, std::vector<RunUnit>& units) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string sub = WithSlash(folder) + name + "/";
    units.push_back({sub, {}});
    AddSubfolders(sub, units);
  }
}

}  // namespace

// A folder that holds folders and no file of its own is only their
// container: a recursive run passes over it.
bool HoldsFiles(const std::string& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_directory(ec) || it->is_symlink(ec)) return true;
  }
  return false;
}

std::vector<RunUnit> RunUnitsOf(const std::vector<std::string>& paths, bool recursive) {
  std::vector<RunUnit> units;
  // Files named: grouped by their folder at the place of the folder's first.
  std::map<std::string, size_t> fileUnits;
  for (const std::string& path : paths) {
    if (!IsFolder(path) && IsFile(path)) {
      const std::string folder = FolderOf(path).empty() ? "./" : FolderOf(path);
      const auto [found, added] = fileUnits.emplace(folder, units.size());
      if (added) units.push_back({folder, {}});
      units[found->second].onlyFiles.push_back(FileNameOf(path));
      continue;
    }
    units.push_back({path, {}});
    if (recursive && IsFolder(path)) AddSubfolders(path, units);
  }
  if (recursive) {
    std::vector<RunUnit> holding;
    for (RunUnit& unit : units) {
      if (!unit.onlyFiles.empty() || !IsFolder(unit.path) || HoldsFiles(unit.path)) holding.push_back(std::move(unit));
    }
    // Nothing holds a file: the first folder's run says so.
    if (holding.empty() && !units.empty()) holding.push_back(units.front());
    units = std::move(holding);
  }
  for (RunUnit& unit : units) {
    if (unit.onlyFiles.size() != 1) continue;
    unit.path = (unit.path == "./" ? "" : unit.path) + unit.onlyFiles.front();
    unit.onlyFiles.clear();
  }
  return units;
}

}  // namespace kelvane::cli
