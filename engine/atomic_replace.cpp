// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/atomic_replace.h"

#include <fcntl.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kelvane {
namespace {

constexpr int kAttempts = 100;

std::string FolderPart(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash == 0 ? 1 : slash);
}

// The file a chain of symbolic links ends at; the path itself when it is
// not a link or can't be resolved (the replacement then fails plainly).
std::string LinkTarget(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) return current;
    const std::string next(buffer, static_cast<size_t>(n));
    current = next.front() == '/' ? next : FolderPart(current) + "/" + next;
  }
  return current;
}

std::string RandomPart() {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  // One system call for the whole name: a folder run makes one per photo.
  std::array<uint8_t, 8> random{};
  if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<uint8_t>(now.tv_nsec >> (i * 3));
  }
  std::string part(random.size(), '0');
  for (size_t i = 0; i < random.size(); ++i) part[i] = kDigits[random[i] % (sizeof kDigits - 1)];
  return part;
}

}  // namespace

ReplaceSteps ReplaceSteps::System() {
  return {[](int fd) { return ::fsync(fd); }, [](const char* from, const char* to) { return ::rename(from, to); }};
}

bool IsTemporaryName(std::string_view name) { return name.substr(0, kTemporaryPrefix.size()) == kTemporaryPrefix; }

long TemporaryOwner(std::string_view name) {
  if (!IsTemporaryName(name)) return 0;
  const std::string rest(name.substr(kTemporaryPrefix.size()));
  char* end = nullptr;
  const long pid = std::strtol(rest.c_str(), &end, 10);
  return end != nullptr && *end == '-' && pid > 0 ? pid : 0;
}

AtomicReplace::AtomicReplace(const std::string& target, bool followLink, ReplaceSteps steps)
    : target_(followLink ? LinkTarget(target) : target), steps_(std::move(steps)) {
  const std::string folder = FolderPart(target_);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string candidate =
        folder + "/" + std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" + RandomPart();
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
      fd_.Reset(fd);
      temporary_ = std::move(candidate);
      return;
    }
    if (errno != EEXIST) {
      error_ = errno;
      return;
    }
  }
  error_ = EEXIST;
}

AtomicReplace::~AtomicReplace() {
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

bool AtomicReplace::Fail(int error) {
  if (error_ == 0) error_ = error != 0 ? error : EIO;
  return false;
}

bool AtomicReplace::Write(std::span<const uint8_t> bytes) {
  if (!Ready() || error_ != 0) return Fail(EBADF);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
    done += static_cast<size_t>(n);
  }
  return true;
}

bool AtomicReplace::Write(std::string_view bytes) {
  return Write(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

bool AtomicReplace::CopyFrom(int from, int64_t offset, int64_t length) {
  if (!Ready() || error_ != 0) return Fail(EBADF);
  loff_t in = offset;
  while (length > 0) {
    const ssize_t n = ::copy_file_range(from, &in, fd_.get(), nullptr, static_cast<size_t>(length), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) break;
    if (n < 0) return Fail(errno);
    if (n == 0) return Fail(EIO);  // the source ended early: it changed under us
    length -= n;
  }
  // File systems that can't copy in the kernel: through a buffer.
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(length, 1 << 20)));
  while (length > 0) {
    const ssize_t n = ::pread(from, buffer.data(), static_cast<size_t>(std::min<int64_t>(length, 1 << 20)), in);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? errno : EIO);
    if (!Write(std::span(buffer.data(), static_cast<size_t>(n)))) return false;
    in += n;
    length -= n;
  }
  return true;
}

bool AtomicReplace::TakeAttributes(const struct stat& like, bool keepTimes) {
  if (!Ready()) return Fail(EBADF);
  if (::fchmod(fd_.get(), like.st_mode & 07777) != 0) return Fail(errno);
  // Only a privileged user can give the file to its owner; anyone else owns
  // both already.
  if (::fchown(fd_.get(), like.st_uid, like.st_gid) != 0 && errno != EPERM) return Fail(errno);
  if (keepTimes) {
    const struct timespec times[2] = {like.st_atim, like.st_mtim};
    if (::futimens(fd_.get(), times) != 0) return Fail(errno);
  }
  return true;
}

bool AtomicReplace::Flush() {
  if (!Ready() || error_ != 0) return Fail(EBADF);
  if (!flushed_ && steps_.sync(fd_.get()) != 0) return Fail(errno);
  flushed_ = true;
  return true;
}

bool AtomicReplace::Commit(const std::function<bool()>& stillWanted) {
  if (committed_ || !Flush()) return false;
  if (!fd_.Close()) return Fail(errno);
  if (stillWanted && !stillWanted()) return Fail(ESTALE);
  if (steps_.rename(temporary_.c_str(), target_.c_str()) != 0) return Fail(errno);
  committed_ = true;
  return true;
}

}  // namespace kelvane
