// SPDX-License-Identifier: GPL-2.0-or-later
#include "utility_functions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace kelvane {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Adds the owner's write permission so that the file can be overwritten.
void MakeWritable(const std::string& path, mode_t mode) {
  if ((mode & S_IWUSR) == 0) ::chmod(path.c_str(), (mode & 07777) | S_IWUSR);
}

}  // namespace

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

int64_t LeadingNumber(std::string_view text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0;
  const bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return negative ? -value : value;
}

std::string FileNameOf(std::string path) {
  path = Trim(path);
  const auto slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return path;
  return path.substr(slash + 1);
}

std::string FolderOf(std::string path) {
  path = Trim(path);
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

std::string FileExtensionOf(std::string path) {
  const std::string name = FileNameOf(std::move(path));
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot + 1 == name.size()) return {};
  std::string extension = name.substr(dot + 1);
  for (char& c : extension) c = LowerAscii(c);
  return extension;
}

std::string FileNameWithoutExtension(std::string path) {
  const std::string name = FileNameOf(std::move(path));
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return name;
  return name.substr(0, dot);
}

std::string CapitaliseWords(std::string text) {
  text = Trim(text);
  for (size_t i = 0; i < text.size(); ++i) {
    const bool wordStart = i == 0 || text[i - 1] == '/' || text[i - 1] == ' ' || text[i - 1] == ':';
    text[i] = wordStart ? UpperAscii(text[i]) : LowerAscii(text[i]);
  }
  return text;
}

int FindInvalidNameChar(std::string_view text, int mode) {
  static constexpr std::string_view kInvalid = " \\/:*?\"<>|";
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' && !(i == 0 && mode == 1)) continue;
    if (kInvalid.find(c) != std::string_view::npos) return static_cast<unsigned char>(c);
  }
  return 0;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return false;
  const std::string folder = path.substr(0, slash + 1);
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

int RemoveFile(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return kRemoveNotFound;
  // A link is removed itself; its target's permissions are left alone.
  if (S_ISREG(st.st_mode)) MakeWritable(path, st.st_mode);
  return ::unlink(path.c_str()) == 0 ? kRemoveDeleted : kRemoveFailed;
}

WipeOutcome WipeFile(const std::string& path, FileOpsLibrary& library) {
  if (path.empty()) return {WipeResult::kNotOverwritten, ENOENT};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {errno == ELOOP ? WipeResult::kLink : WipeResult::kNotOverwritten, errno == ELOOP ? 0 : errno};
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  // The library takes a 32-bit length: a larger file can't be overwritten whole.
  if (!regular || st.st_size > std::numeric_limits<int32_t>::max()) {
    ::close(fd);
    return {WipeResult::kNotOverwritten, regular ? EFBIG : EINVAL};
  }
  if ((st.st_mode & S_IWUSR) == 0) ::fchmod(fd, (st.st_mode & 07777) | S_IWUSR);
  // The library opens by name: it is given the descriptor's own name, so
  // that it overwrites this very file whatever the path names meanwhile.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  const int32_t done = library.wipefile(static_cast<int32_t>(st.st_size), ::access(self.c_str(), F_OK) == 0 ? self : path);
  ::close(fd);
  if (done != -1) return {WipeResult::kNotOverwritten, 0};
  struct stat named {};
  if (::lstat(path.c_str(), &named) != 0 || named.st_dev != st.st_dev || named.st_ino != st.st_ino) {
    return {WipeResult::kNotDeleted, 0};
  }
  return ::unlink(path.c_str()) == 0 ? WipeOutcome{} : WipeOutcome{WipeResult::kNotDeleted, errno};
}

}  // namespace kelvane
