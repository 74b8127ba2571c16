// SPDX-License-Identifier: GPL-2.0-or-later
#include "exiftool_oracle.h"

#include <sstream>

#include "test_support.h"

namespace kelvane::test {
namespace {

using json = nlohmann::json;

bool IgnoredGroup(const std::string& key) {
  for (const char* group : {"System:", "File:", "ExifTool:", "Composite:"}) {
    if (key.rfind(group, 0) == 0) return true;
  }
  return key == "SourceFile";
}

// Tags whose value is where something lies, not what it is.
bool LocationTag(const std::string& key) {
  const std::string tag = key.substr(key.find(':') + 1);
  for (const char* name : {"ExifOffset", "GPSInfo", "InteropOffset", "ThumbnailOffset", "StripOffsets",
                           "PreviewImageStart", "JpgFromRawStart", "OtherImageStart"}) {
    if (tag == name) return true;
  }
  return false;
}

std::string Shown(const json& value) {
  std::string text = value.is_string() ? value.get<std::string>() : value.dump();
  if (text.size() > 80) text = text.substr(0, 77) + "...";
  return text;
}

}  // namespace

bool HaveExiftool() { return HaveProgram("exiftool"); }

std::optional<json> ExiftoolTags(const std::string& path) {
  const auto output = RunCommand("exiftool -j -a -G1 -s -n -b " + ShellQuote(path) + " 2>/dev/null");
  if (!output) return std::nullopt;
  const json parsed = json::parse(*output, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_array() || parsed.empty()) return std::nullopt;
  return parsed[0];
}

std::multiset<std::string> ExiftoolWarnings(const std::string& path) {
  std::multiset<std::string> warnings;
  const auto output = RunCommand("exiftool -validate -warning -a -s -s " + ShellQuote(path) + " 2>/dev/null");
  if (!output) return warnings;
  std::istringstream lines(*output);
  std::string line;
  const std::string prefix = "Warning: ";
  while (std::getline(lines, line)) {
    if (line.rfind(prefix, 0) == 0) warnings.insert(line.substr(prefix.size()));
  }
  return warnings;
}

std::vector<std::string> NewWarnings(const std::multiset<std::string>& before,
                                     const std::multiset<std::string>& after) {
  std::multiset<std::string> remaining = before;
  std::vector<std::string> added;
  for (const auto& w : after) {
    const auto it = remaining.find(w);
    if (it != remaining.end()) {
      remaining.erase(it);
    } else {
      added.push_back(w);
    }
  }
  return added;
}

std::vector<std::string> TagDifferences(const json& before, const json& after, const std::set<std::string>& edited) {
  std::vector<std::string> differences;
  const auto skip = [&](const std::string& key) {
    return IgnoredGroup(key) || LocationTag(key) || edited.count(key) > 0;
  };
  for (const auto& [key, value] : before.items()) {
    if (skip(key)) continue;
    if (!after.contains(key)) {
      differences.push_back(key + ": " + Shown(value) + " -> (missing)");
    } else if (after[key] != value) {
      differences.push_back(key + ": " + Shown(value) + " -> " + Shown(after[key]));
    }
  }
  for (const auto& [key, value] : after.items()) {
    if (!skip(key) && !before.contains(key)) differences.push_back(key + ": (missing) -> " + Shown(value));
  }
  return differences;
}

}  // namespace kelvane::test
