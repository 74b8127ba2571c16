// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/program_files.h"

#include <filesystem>
#include <initializer_list>
#include <vector>

#include "app/help_pages.h"
#include "app/cue_files.h"
#include "engine/settings.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr const char* kIconFile = "kelvane.png";
constexpr const char* kHelpSubfolder = "help/";

// The first of the folders holding every one of the files, else the first
// folder.
std::string FolderHolding(const std::vector<std::string>& folders, std::initializer_list<const char*> files) {
  for (const std::string& folder : folders) {
    bool all = true;
    for (const char* file : files) all = all && FileExists(folder + file);
    if (all) return folder;
  }
  return folders.front();
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string InstallDataFolder(const std::string& programFolder) {
  const std::filesystem::path data = std::filesystem::path(programFolder) / KELVANE_DATA_FROM_PROGRAM;
  return WithSlash(data.lexically_normal().string());
}

ProgramFiles FindProgramFiles(const std::string& programFolder, const std::string& dataFolder) {
  const std::vector<std::string> folders{WithSlash(programFolder), WithSlash(dataFolder)};
  ProgramFiles files;
  files.cueFolder = FolderHolding(
      folders, {CueFileName(SoundCue::Success), CueFileName(SoundCue::Error), CueFileName(SoundCue::Attention)});
  const std::vector<std::string> helpFolders{folders[0] + kHelpSubfolder, folders[1] + kHelpSubfolder};
  files.helpFolder = FolderHolding(helpFolders, {kHelpContentsFile});
  files.iconPath = FolderHolding(folders, {kIconFile}) + kIconFile;
  return files;
}

}  // namespace kelvane
