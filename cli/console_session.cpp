// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/console_session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "engine/owned_fd.h"

namespace kelvane::cli {
namespace {

constexpr off_t kLargestSettingsFile = 1 << 20;

}  // namespace

std::string SettingsFileProblem(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  if (st.st_size > kLargestSettingsFile) return "larger than 1 MiB";
  // Non-blocking, so that a file swapped for a FIFO meanwhile can't hang the program.
  OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return std::string("can't be read: ") + std::strerror(errno);
  struct stat opened {};
  if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return "not a regular file";
  std::vector<char> text(static_cast<size_t>(kLargestSettingsFile) + 1);
  size_t length = 0;
  for (;;) {
    const ssize_t n = ::read(fd.get(), text.data() + length, text.size() - length);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::string("can't be read: ") + std::strerror(errno);
    if (n == 0) break;
    length += static_cast<size_t>(n);
    if (length > static_cast<size_t>(kLargestSettingsFile)) return "larger than 1 MiB";
  }
  if (std::memchr(text.data(), '\0', length) != nullptr) return "not a text file (it holds NUL bytes)";
  return {};
}

}  // namespace kelvane::cli
