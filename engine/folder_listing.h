// SPDX-License-Identifier: GPL-2.0-or-later
// The files of a folder, as every folder run visits them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvane {

struct FolderEntry {
  std::string name;   // no folder
  bool link = false;  // a symbolic link: never followed
};

struct FolderListing {
  // The regular files and the symbolic links, hidden ones included, sorted
  // by name so that runs are repeatable. Temporary files of the program's
  // own rewrites are never among them.
  std::vector<FolderEntry> entries;
  std::vector<std::string> temporaries;
  // The names of the regular files alone.
  std::vector<std::string> FileNames() const;
};

// Nothing when the folder can't be listed; error then tells why.
std::optional<FolderListing> ListFolder(const std::string& folder, int* error = nullptr);

// The regular files alone (what the export reads).
std::optional<std::vector<std::string>> ListFolderFiles(const std::string& folder);

// Removes the temporary files of the listing whose process is gone (a run
// that was killed); returns how many went.
size_t RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& temporaries);

}  // namespace kelvane
