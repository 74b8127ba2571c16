// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/xmp_sidecar.h"

#include <algorithm>
#include <map>

namespace kelvane {
namespace {

constexpr std::string_view kSuffix = ".xmp";

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// The name without its extension (the part from the last dot), and the
// extension with its dot; a name without a dot past its first character
// has none.
std::pair<std::string_view, std::string_view> StemAndExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {name, {}};
  return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

bool IsXmpSidecarName(std::string_view name) {
  return name.size() > kSuffix.size() && SameIgnoringCase(name.substr(name.size() - kSuffix.size()), kSuffix);
}

std::vector<Sidecar> SidecarsOf(std::string_view photoName, std::span<const std::string> folderNames) {
  std::vector<Sidecar> sidecars;
  if (IsXmpSidecarName(photoName)) return sidecars;
  const std::pair<std::string_view, std::string_view> parts = StemAndExtension(photoName);
  const std::string_view stem = parts.first;
  const std::string_view extension = parts.second;
  // NAME.xmp is shared when another file is called NAME with another extension.
  const bool stemShared = std::any_of(folderNames.begin(), folderNames.end(), [&](const std::string& other) {
    const auto [otherStem, otherExtension] = StemAndExtension(other);
    return other != photoName && !otherExtension.empty() && otherStem == stem && !IsXmpSidecarName(other);
  });
  for (const std::string& name : folderNames) {
    if (!IsXmpSidecarName(name)) continue;
    const std::string_view base = std::string_view(name).substr(0, name.size() - kSuffix.size());
    if (base.size() == photoName.size() && base.starts_with(stem) &&
        SameIgnoringCase(base.substr(stem.size()), extension)) {
      sidecars.push_back({name, SidecarForm::kFullName});
    } else if (!extension.empty() && !stemShared && base == stem) {
      sidecars.push_back({name, SidecarForm::kStem});
    }
  }
  return sidecars;
}

std::map<std::string, std::vector<Sidecar>> SidecarsInFolder(std::span<const std::string> folderNames) {
  const auto lower = [](std::string_view text) {
    std::string out(text);
    for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
  };
  // What SidecarsOf looks for, indexed so that a folder costs one pass:
  // the sidecars by their whole base and by stem plus lower-cased
  // extension, and how many files other than sidecars share each stem.
  std::map<std::string, std::vector<size_t>, std::less<>> byBase;
  std::map<std::string, std::vector<size_t>, std::less<>> byFullName;
  std::map<std::string_view, size_t> stems;
  for (size_t i = 0; i < folderNames.size(); ++i) {
    const std::string& name = folderNames[i];
    if (IsXmpSidecarName(name)) {
      const std::string_view base = std::string_view(name).substr(0, name.size() - kSuffix.size());
      byBase[std::string(base)].push_back(i);
      const auto [stem, extension] = StemAndExtension(base);
      if (!extension.empty()) byFullName[std::string(stem) + lower(extension)].push_back(i);
    } else if (const auto [stem, extension] = StemAndExtension(name); !extension.empty()) {
      ++stems[stem];
    }
  }
  std::map<std::string, std::vector<Sidecar>> found;
  for (const std::string& photo : folderNames) {
    if (IsXmpSidecarName(photo)) continue;
    const auto [stem, extension] = StemAndExtension(photo);
    std::vector<std::pair<size_t, SidecarForm>> mine;
    if (extension.empty()) {
      // NAME.xmp of a photo without extension carries its whole name.
      if (const auto it = byBase.find(photo); it != byBase.end()) {
        for (const size_t i : it->second) mine.emplace_back(i, SidecarForm::kFullName);
      }
    } else {
      if (const auto it = byFullName.find(std::string(stem) + lower(extension)); it != byFullName.end()) {
        for (const size_t i : it->second) mine.emplace_back(i, SidecarForm::kFullName);
      }
      const auto shared = stems.find(stem);
      if (shared == stems.end() || shared->second <= 1) {
        if (const auto it = byBase.find(stem); it != byBase.end()) {
          for (const size_t i : it->second) mine.emplace_back(i, SidecarForm::kStem);
        }
      }
    }
    if (mine.empty()) continue;
    std::sort(mine.begin(), mine.end());
    std::vector<Sidecar>& list = found[photo];
    for (const auto& [i, form] : mine) list.push_back({folderNames[i], form});
  }
  return found;
}

std::string RenamedSidecar(const Sidecar& sidecar, std::string_view newPhotoName) {
  const std::string_view suffix = IsXmpSidecarName(sidecar.name)
                                      ? std::string_view(sidecar.name).substr(sidecar.name.size() - kSuffix.size())
                                      : kSuffix;
  const std::string_view base =
      sidecar.form == SidecarForm::kFullName ? newPhotoName : StemAndExtension(newPhotoName).first;
  return std::string(base) + std::string(suffix);
}

XmpEditResult EditXmpSidecar(std::span<const uint8_t> content, const XmpEdits& edits) {
  return EditXmpPacket(content, edits, XmpPacketKind::kSidecar);
}

}  // namespace kelvane
