// SPDX-License-Identifier: GPL-2.0-or-later
// What the export tests share: a scratch folder with a photos folder and an
// output folder, the settings, a scripted user interface and the contexts
// the drivers and writers take.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/file_ops_library.h"
#include "engine/settings_store.h"
#include "export/export_driver.h"
#include "export/export_table.h"
#include "export/tag_library.h"
#include "support/scripted_ui.h"
#include "support/test_support.h"

namespace kelvane::test {

struct ExportHarness {
  explicit ExportHarness(const TagLibrary& library = TagLibrary::BuiltIn())
      : writer{library, settings, ui.Ports(), options} {
    std::filesystem::create_directories(photos);
    std::filesystem::create_directories(out);
    writer.csvDelimiter = ',';
    writer.initialFileNumber = &initialFileNumber;
  }

  std::string Photo(const std::string& name) const { return photos + name; }
  std::string Out(const std::string& name) const { return out + name; }

  ScratchFolder scratch;
  const std::string photos = scratch.File("photos") + "/";
  const std::string out = scratch.File("out") + "/";
  SettingsStore settings{scratch.File("qmre0118.ini")};
  ScriptedUi ui;
  ExportOptions options;
  std::string initialFileNumber = "1";
  ExportWriterContext writer;
  ExportWriters writers;
  RunAnswer runAnswer = RunAnswer::kNotAsked;
  ExportDriverContext context{writer, writers, runAnswer};
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Makes a file impossible to delete for as long as the guard lives: a
// read-only folder for an ordinary user, the immutable flag for root (who
// ignores permissions). Active() is false when neither can be had here.
class UndeletableFile {
 public:
  explicit UndeletableFile(std::string path) : path_(std::move(path)) {
    if (::geteuid() != 0) {
      folder_ = std::filesystem::path(path_).parent_path().string();
      active_ = ::chmod(folder_.c_str(), 0555) == 0;
    } else {
      active_ = SetImmutable(true);
    }
  }
  ~UndeletableFile() {
    if (!active_) return;
    if (folder_.empty()) {
      SetImmutable(false);
    } else {
      ::chmod(folder_.c_str(), 0755);
    }
  }
  UndeletableFile(const UndeletableFile&) = delete;
  UndeletableFile& operator=(const UndeletableFile&) = delete;
  bool Active() const { return active_; }

 private:
  bool SetImmutable(bool on) {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
  }

  std::string path_;
  std::string folder_;
  bool active_ = false;
};

}  // namespace kelvane::test
