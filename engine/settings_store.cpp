// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "engine/atomic_replace.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr std::string_view kNotFound = "NOT FOUND";
// Characters that would end a line of the file (or the text) early.
constexpr std::string_view kLineBreaks("\n\r\0", 3);

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// One line of the file as the reader sees it.
struct ParsedLine {
  enum class Kind { kOther, kSection, kKey } kind = Kind::kOther;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed
};

ParsedLine Parse(std::string_view line) {
  const std::string_view text = TrimBlanks(line);
  if (text.empty() || text.front() == ';') return {};
  if (text.front() == '[') {
    const auto close = text.find(']');
    const std::string_view name = text.substr(1, close == std::string_view::npos ? text.npos : close - 1);
    return {ParsedLine::Kind::kSection, TrimBlanks(name), {}};
  }
  const auto equals = text.find('=');
  if (equals == std::string_view::npos) return {};
  return {ParsedLine::Kind::kKey, TrimBlanks(text.substr(0, equals)), TrimBlanks(text.substr(equals + 1))};
}

// The file split at "\n"; each line keeps a "\r" of its own. The last
// element is the (empty) text after the final line break.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (true) {
    const auto end = text.find('\n', start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  lines.push_back(text.substr(start));
  if (!lines.back().empty()) lines.emplace_back();  // end the last line
  return lines;
}

// The file's bytes; nothing when it is missing, not a regular file or
// can't be read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::string> text;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    text.emplace();
    char buf[8192];
    while (true) {
      const ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) text.reset();
      if (n <= 0) break;
      text->append(buf, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  return text;
}

// Where a key is, or where its section would take a new key.
struct KeyPlace {
  std::optional<size_t> section;  // header line of the first section of that name
  std::optional<size_t> key;      // the key's line within it
  size_t sectionEnd = 0;          // line after the section's last non-blank line
};

KeyPlace Locate(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
  KeyPlace place;
  const size_t contentLines = lines.size() - 1;
  for (size_t i = 0; i < contentLines; ++i) {
    const ParsedLine parsed = Parse(lines[i]);
    if (!place.section) {
      if (parsed.kind == ParsedLine::Kind::kSection && SameName(parsed.name, section)) {
        place.section = i;
        place.sectionEnd = i + 1;
      }
      continue;
    }
    if (parsed.kind == ParsedLine::Kind::kSection) break;
    if (!TrimBlanks(lines[i]).empty()) place.sectionEnd = i + 1;
    if (parsed.kind == ParsedLine::Kind::kKey && SameName(parsed.name, key)) {
      place.key = i;
      return place;
    }
  }
  return place;
}

// Replaces the file at path by text. A link is followed, so that the file it
// points at is the one replaced and the link stays.
bool ReplaceFile(const std::string& linkOrPath, const std::string& text) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path folder = fs::path(linkOrPath).has_parent_path() ? fs::path(linkOrPath).parent_path() : fs::path(".");
  if (fs::symlink_status(linkOrPath, ec).type() == fs::file_type::not_found) fs::create_directories(folder, ec);
  AtomicReplace replace(linkOrPath, true);
  struct stat old {};
  const bool existed = ::stat(replace.Target().c_str(), &old) == 0;
  if (!replace.Write(text) || (existed && ::fchmod(replace.fd(), old.st_mode & 07777) != 0) || !replace.Commit()) {
    return false;
  }
  const auto slash = replace.Target().rfind('/');
  SyncFolder(slash == std::string::npos ? "." : replace.Target().substr(0, slash + 1));
  return true;
}

bool ValidName(std::string_view name, char forbidden) {
  return !name.empty() && name.find_first_of(kLineBreaks) == std::string_view::npos &&
         name.find(forbidden) == std::string_view::npos;
}

}  // namespace

SettingsStore::SettingsStore() : SettingsStore(DefaultSettingsPath()) {}

SettingsStore::SettingsStore(std::string path, Writes writes) : path_(std::move(path)), writes_(writes) {}

std::string SettingsStore::ReadSetting(std::string_view section, std::string_view key) const {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (path_.empty() || section.empty() || key.empty()) return {};
  for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
    if (SameName(it->section, section) && SameName(it->key, key)) return it->value;
  }
  const auto text = ReadWholeFile(path_);
  if (!text) return {};
  const std::vector<std::string> lines = SplitLines(*text);
  const KeyPlace place = Locate(lines, section, key);
  if (!place.key) return {};
  std::string_view value = Parse(lines[*place.key]).value;
  if (value.size() > kValueLimit) value = value.substr(0, kValueLimit);
  std::string result = Trim(value);
  if (result == kNotFound) return {};
  return result;
}

int32_t SettingsStore::WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (path_.empty() || !ValidName(section, ']') || !ValidName(key, '=') || key.front() == '[' || key.front() == ';' ||
      value.find_first_of(kLineBreaks) != std::string_view::npos) {
    return 0;
  }
  if (writes_ == Writes::kInMemory) {
    std::string kept = Trim(value.substr(0, std::min(value.size(), kValueLimit)));
    if (kept == kNotFound) kept.clear();
    kept_.push_back({std::string(section), std::string(key), std::move(kept)});
    return 1;
  }
  std::string text;
  if (const auto old = ReadWholeFile(path_)) {
    text = *old;
  } else if (std::error_code ec;
             std::filesystem::symlink_status(path_, ec).type() != std::filesystem::file_type::not_found) {
    return 0;  // there but unreadable: don't replace it with one key
  }
  std::vector<std::string> lines = SplitLines(text);
  // New lines follow the file's own line ending.
  const std::string eol = (lines.size() > 1 && !lines.front().empty() && lines.front().back() == '\r') ? "\r" : "";
  const std::string keyLine = std::string(key) + "=" + std::string(value) + eol;

  const KeyPlace place = Locate(lines, section, key);
  if (place.key) {
    const std::string_view fileKey = Parse(lines[*place.key]).name;
    lines[*place.key] = std::string(fileKey) + "=" + std::string(value) + eol;
  } else if (place.section) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd), keyLine);
  } else {
    const auto end = lines.end() - 1;
    std::vector<std::string> added;
    if (lines.size() > 1 && !TrimBlanks(lines[lines.size() - 2]).empty()) added.push_back(eol);
    added.push_back("[" + std::string(section) + "]" + eol);
    added.push_back(keyLine);
    lines.insert(end, added.begin(), added.end());
  }

  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += '\n';
    out += lines[i];
  }
  return ReplaceFile(path_, out) ? 1 : 0;
}

std::string DefaultSettingsPath() {
  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else {
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0') {
      home = env;
    } else {
      struct passwd entry {};
      struct passwd* found = nullptr;
      std::vector<char> buf(16384);
      if (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
          found->pw_dir != nullptr) {
        home = found->pw_dir;
      }
    }
    if (home.empty()) return {};
    config = home + "/.config";
  }
  if (config.back() != '/') config += '/';
  return config + "kelvane/" + SettingsStore::kFileName;
}

}  // namespace kelvane
