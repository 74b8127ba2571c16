// SPDX-License-Identifier: GPL-2.0-or-later
// The files of a folder, as every folder run visits them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvane {

// The names (no folder) of the regular files in folder, hidden ones
// included, sorted by name so that runs are repeatable; nothing when the
// folder can't be listed.
std::optional<std::vector<std::string>> ListFolderFiles(const std::string& folder);

}  // namespace kelvane
