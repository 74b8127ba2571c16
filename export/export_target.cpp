// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/export_target.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "engine/owned_fd.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr const char* kSuffixDefaults[3] = {"_T", "_F", "_D"};

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool AllReplaceable(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (!CanReplace(file)) return false;
  }
  return true;
}

Message OverwriteError() {
  Message message;
  message.title = "Overwrite error";
  message.text = "Cannot overwrite file\n\nClose file if opened and retry";
  message.icon = MessageIcon::kExclamation;
  message.buttons = MessageButtons::kOk;
  return message;
}

}  // namespace

ExportTarget NameExportTarget(const std::string& target, ExportType type, SettingsStore& settings) {
  ExportTarget named;
  named.path = Trim(target);
  if (type != ExportType::DbCsv) {
    named.files = {named.path};
  } else {
    std::string base = FileNameWithoutExtension(named.path);
    size_t cut = 0;
    for (size_t i = 0; i < 3; ++i) {
      const std::string key = "Ecsv" + std::to_string(i);
      std::string suffix = Trim(settings.ReadSetting("DB", key));
      if (suffix.empty()) {
        suffix = kSuffixDefaults[i];
        settings.WriteSetting("DB", key, suffix);
      }
      if (cut == 0 && EndsWith(base, suffix)) cut = suffix.size();
      named.suffixes[i] = suffix;
    }
    const std::string ext = FileExtensionOf(named.path);
    const bool wasCut = cut > 0 && cut < base.size();
    if (wasCut) base.resize(base.size() - cut);
    named.path = FolderOf(named.path) + base;
    if (wasCut) named.rewrittenText = named.path + "." + ext;
    for (size_t i = 0; i < 3; ++i) {
      named.suffixes[i] += "." + ext;
      named.files.push_back(named.path + named.suffixes[i]);
    }
  }
  for (const std::string& file : named.files) {
    if (FileExists(file)) named.existing.push_back(file);
  }
  return named;
}

bool CanReplace(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return false;
  struct stat st {};
  if (::stat(resolved, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const std::string folder = FolderOf(resolved);
  if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) return false;
  // Flags that keep even the owner from replacing the file; a file system
  // without them has none set.
  const OwnedFd fd(::open(resolved, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  int flags = 0;
  return !fd.valid() || ::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) != 0 ||
         (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) == 0;
}

Message ExistingTargetQuestion(ExportType type, bool perPhoto, ExportCaller caller,
                               const std::vector<std::string>& existing) {
  const std::string name = existing.empty() ? std::string() : FileNameOf(existing.front());
  Message message;
  message.buttons = MessageButtons::kOkCancel;
  switch (type) {
    case ExportType::Database:
      message.title = "Confirm database amend";
      message.text = name +
                     "\n - already exists,\n\nAppend to the existing database ?\n\n"
                     "'No' will replace the existing database";
      message.buttons = MessageButtons::kYesNoCancel;
      message.icon = MessageIcon::kQuestion;
      break;
    case ExportType::Workbook:
      message.title = "Confirm spread-sheet amend";
      message.text = name +
                     "\n - already exists,\n\nAppend as a New Worksheet in the existing Excel file ?\n\n"
                     "'No' will replace the existing file";
      message.buttons = MessageButtons::kYesNoCancel;
      break;
    case ExportType::DbCsv: {
      std::string names;
      for (const std::string& file : existing) {
        if (!names.empty()) names += ", ";
        names += FileNameOf(file);
      }
      message.title = "Confirm file overwrite";
      message.text =
          names + "\n - already exist,\n\n" +
          (caller == ExportCaller::kFolder ? "Overwrite all existing files ?" : "Overwrite existing files ?");
      break;
    }
    case ExportType::SheetCsv:
    case ExportType::Json:
      if (perPhoto && caller == ExportCaller::kPhoto) {
        message.title = "Confirm spread-sheet amend";
        message.text = "One or more files already exist,\n\nOverwrite existing files ?";
      } else {
        message.title = "Confirm file overwrite";
        message.text = name + "\n - already exists,\n\nOverwrite existing file ?";
      }
      break;
  }
  return message;
}

Settled SettleExistingTarget(const ExportTarget& target, ExportCaller caller, ExportOptions& options,
                             RunAnswer& runAnswer, RunUi& ui) {
  options.appendMode = false;
  if (target.existing.empty()) return Settled::kGoOn;
  const bool fromPhoto = caller == ExportCaller::kPhoto;
  if (fromPhoto && runAnswer == RunAnswer::kCancelled) return Settled::kCancelled;
  if (fromPhoto && runAnswer == RunAnswer::kDecided) {
    return AllReplaceable(target.existing) ? Settled::kGoOn : Settled::kNotReplaceable;
  }

  ui.Cue(SoundCue::Attention);
  const MessageAnswer answer =
      ui.Show(ExistingTargetQuestion(options.exportType, options.perPhoto, caller, target.existing));
  switch (answer) {
    case MessageAnswer::kCancel:
      if (fromPhoto) runAnswer = RunAnswer::kCancelled;
      return Settled::kCancelled;
    case MessageAnswer::kYes:
      options.appendMode = true;
      if (fromPhoto) runAnswer = RunAnswer::kDecided;
      return Settled::kGoOn;
    case MessageAnswer::kOk:
    case MessageAnswer::kNo:
      break;
  }
  if (!AllReplaceable(target.existing)) {
    ui.Cue(SoundCue::Error);
    ui.Show(OverwriteError());
    return Settled::kNotReplaceable;
  }
  if (fromPhoto && options.exportType == ExportType::SheetCsv && options.perPhoto) runAnswer = RunAnswer::kDecided;
  return Settled::kGoOn;
}

}  // namespace kelvane
