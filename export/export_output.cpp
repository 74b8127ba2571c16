// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/export_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr mode_t kDefaultUmask = 022;

}  // namespace

mode_t NewFilePermissions() {
  // /proc tells the umask without changing it (umask() would set it).
  std::ifstream status("/proc/self/status");
  std::string line;
  mode_t mask = kDefaultUmask;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
      break;
    }
  }
  return 0666 & ~mask;
}

ExportOutput ExportOutput::File(const std::string& target) {
  ExportOutput output;
  output.target_ = target;
  return output;
}

ExportOutput ExportOutput::StandardOutput() {
  ExportOutput output;
  output.target_ = std::string(1, '-');  // not "-": a false -Wrestrict warning of GCC 12
  output.standard_ = true;
  return output;
}

bool ExportOutput::Open() {
  if (open_) return false;
  if (standard_) {
    open_ = true;
    return true;
  }
  file_ = std::make_unique<AtomicReplace>(target_, true);
  if (!file_->Ready()) {
    error_ = file_->error();
    return false;
  }
  struct stat replaced {};
  const bool ok = ::stat(file_->Target().c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode)
                      ? file_->TakeAttributes(replaced, false)
                      : ::fchmod(file_->fd(), NewFilePermissions()) == 0;
  if (!ok) {
    error_ = file_->error() != 0 ? file_->error() : errno;
    return false;
  }
  open_ = true;
  return true;
}

bool ExportOutput::Flush() {
  if (buffer_.empty()) return true;
  errno = 0;
  const bool ok = file_ ? file_->Write(buffer_) : WriteAll(STDOUT_FILENO, buffer_);
  if (!ok) {
    if (error_ == 0) error_ = file_ ? file_->error() : (errno != 0 ? errno : EIO);
    return false;
  }
  buffer_.clear();
  return true;
}

bool ExportOutput::Write(std::string_view bytes) {
  if (!open_ || error_ != 0) return false;
  buffer_ += bytes;
  return buffer_.size() < kBufferLimit || Flush();
}

bool ExportOutput::WriteLine(std::string_view line) { return Write(line) && Write(kLineEnd); }

bool ExportOutput::Finish() {
  if (!open_ || error_ != 0 || !Flush()) return false;
  if (file_ && !file_->Flush()) {
    error_ = file_->error();
    return false;
  }
  return true;
}

bool ExportOutput::Commit() {
  if (!open_ || error_ != 0) return false;
  if (!file_) return true;
  if (!file_->Commit()) {
    error_ = file_->error();
    return false;
  }
  SyncFolder(FolderOf(file_->Target()));
  return true;
}

int ExportOutput::fd() const { return file_ ? file_->fd() : STDOUT_FILENO; }

std::string ExportOutput::TemporaryPath() const { return file_ ? file_->TemporaryPath() : std::string(); }

}  // namespace kelvane
