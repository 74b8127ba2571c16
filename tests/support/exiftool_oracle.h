// SPDX-License-Identifier: GPL-2.0-or-later
// exiftool as an independent reader for tests that change photos.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelvane::test {

// True when exiftool is on the PATH.
bool HaveExiftool();

// Every tag exiftool reads in the photo (-a -G1 -s -n, binary values such as
// the thumbnail image included as base64), keyed "Group:Tag". Nothing when
// exiftool can't run.
std::optional<nlohmann::json> ExiftoolTags(const std::string& path);

// The warnings of `exiftool -validate -warning -a`, one text each.
std::multiset<std::string> ExiftoolWarnings(const std::string& path);

// Warnings of after that before did not have.
std::vector<std::string> NewWarnings(const std::multiset<std::string>& before, const std::multiset<std::string>& after);

// The differences between two readings, as "key: before -> after" lines.
// Ignored: the System, File, ExifTool and Composite groups, the offset and
// pointer tags whose values move when a directory is rebuilt, and the keys
// (e.g. "IFD0:Copyright") in `edited`.
std::vector<std::string> TagDifferences(const nlohmann::json& before, const nlohmann::json& after,
                                        const std::set<std::string>& edited);

}  // namespace kelvane::test
