// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_entries.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "batch/sidecars.h"
#include "engine/owned_fd.h"
#include "engine/utility_functions.h"

namespace kelvane {

bool LooksLikePhoto(const std::string& folder, const std::string& name) {
  const std::string extension = FileExtensionOf(name);
  if (extension == "jpg" || extension == "jpeg" || extension == "jpe" || extension == "jfif") return true;
  OwnedFd fd(::open((folder + name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  uint8_t start[3] = {};
  return fd.valid() && ::pread(fd.get(), start, sizeof start, 0) == 3 && start[0] == 0xFF && start[1] == 0xD8 &&
         start[2] == 0xFF;
}

std::vector<FolderEntry> EntriesToVisit(const std::string& folder, const FolderListing& listing,
                                        BatchContext& context, const BatchInputs& inputs) {
  std::vector<FolderEntry> entries = context.settings.KeepXmpInStep
                                         ? PhotosOf(listing, SidecarsAmong(listing.FileNames()))
                                         : listing.entries;
  if (!inputs.onlyFiles.empty()) {
    const std::set<std::string> chosen(inputs.onlyFiles.begin(), inputs.onlyFiles.end());
    std::erase_if(entries, [&chosen](const FolderEntry& entry) { return chosen.count(entry.name) == 0; });
  }
  if (context.state.SkipNonPhotos && context.state.SelectedFunction != ProgramFunction::WipeFiles) {
    std::erase_if(entries, [&](const FolderEntry& entry) {
      if (entry.link || LooksLikePhoto(folder, entry.name)) return false;
      context.skippedFiles.push_back(folder + entry.name);
      return true;
    });
  }
  return entries;
}

}  // namespace kelvane
