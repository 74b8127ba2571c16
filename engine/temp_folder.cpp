// SPDX-License-Identifier: GPL-2.0-or-later
#include "temp_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kelvane {

TempFolder::~TempFolder() {
  if (folder_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

std::string TempFolder::GetTempFolder() {
  if (!folder_.empty()) return folder_;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = (base != nullptr && *base != '\0') ? base : "/tmp";
  if (pattern.back() != '/') pattern += '/';
  pattern += "kelvane-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  folder_ = pattern + '/';
  return folder_;
}

std::string TempFolder::FirstTempFile() { return PathOf(kFirstFileName); }

std::string TempFolder::SecondTempFile() { return PathOf(kSecondFileName); }

std::string TempFolder::PathOf(const char* name) {
  const std::string folder = GetTempFolder();
  return folder.empty() ? std::string() : folder + name;
}

}  // namespace kelvane
