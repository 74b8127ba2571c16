// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/sidecars.h"

#include <algorithm>
#include <set>

#include "engine/utility_functions.h"

namespace kelvane {

SidecarMap SidecarsAmong(const std::vector<std::string>& names) {
  SidecarMap map;
  // Matching is a pass over the folder per photo: skipped when the folder
  // holds no sidecar, as most do, so that large folders are listed in one pass.
  if (std::none_of(names.begin(), names.end(), [](const std::string& name) { return IsXmpSidecarName(name); })) {
    return map;
  }
  for (const std::string& name : names) {
    if (IsXmpSidecarName(name)) continue;
    std::vector<Sidecar> found = SidecarsOf(name, names);
    if (!found.empty()) map.emplace(name, std::move(found));
  }
  return map;
}

std::vector<FolderEntry> PhotosOf(const FolderListing& listing, const SidecarMap& sidecars) {
  std::set<std::string> companions;
  for (const auto& [photo, list] : sidecars) {
    for (const Sidecar& sidecar : list) companions.insert(sidecar.name);
  }
  std::vector<FolderEntry> photos;
  for (const FolderEntry& entry : listing.entries) {
    if (entry.link || companions.count(entry.name) == 0) photos.push_back(entry);
  }
  return photos;
}

const std::vector<Sidecar>& SidecarFinder::Of(const std::string& photoPath) {
  static const std::vector<Sidecar> kNone;
  const std::string folder = FolderOf(photoPath);
  auto found = folders_.find(folder);
  if (found == folders_.end()) {
    const auto listing = ListFolder(folder.empty() ? "./" : folder);
    found = folders_.emplace(folder, listing ? SidecarsAmong(listing->FileNames()) : SidecarMap{}).first;
  }
  const auto sidecars = found->second.find(FileNameOf(photoPath));
  return sidecars == found->second.end() ? kNone : sidecars->second;
}

void SubmitSidecarEdits(PhotoRun& run, size_t order, const std::string& photoPath,
                        const std::vector<Sidecar>& sidecars, const XmpEdits& edits) {
  for (const Sidecar& sidecar : sidecars) {
    const std::string path = FolderOf(photoPath) + sidecar.name;
    PhotoFile file;
    if (const auto failed = run.Open(path, true, file)) {
      run.Note(order, path, *failed);
      continue;
    }
    const auto size = static_cast<size_t>(file.Size());
    const std::span<const uint8_t> content = file.Head(size);
    if (content.size() != size) {
      run.Note(order, path, FileStep::Failed(ListMessage::kXmpNotUpdated, file.error()));
      continue;
    }
    XmpEditResult result = EditXmpSidecar(content, edits);
    if (result.status == XmpEditStatus::kUnchanged) continue;
    if (result.status == XmpEditStatus::kMalformed || result.status == XmpEditStatus::kTooLarge) {
      run.Note(order, path, FileStep::Failed(ListMessage::kXmpNotUpdated));
      continue;
    }
    PhotoEdit edit;
    edit.replacement = HeadReplacement{static_cast<int64_t>(size), std::move(result.packet)};
    for (XmpChange& change : result.changes) {
      edit.preview.push_back({std::move(change.property), std::move(change.before), std::move(change.after)});
    }
    const FileStep step = run.Submit(order, path, std::move(file), std::move(edit), [](const CommitOutcome& c) {
      switch (c.result) {
        case CommitResult::kDone:
        case CommitResult::kTimesNotSet:
          return FileStep::Done();
        case CommitResult::kChanged:
          return FileStep::Failed(ListMessage::kChangedMeanwhile);
        case CommitResult::kWriteFailed:
          return FileStep::Failed(ListMessage::kCouldNotWrite, c.osError);
      }
      return FileStep::Failed(ListMessage::kUndefinedProcessingError);
    });
    if (step.failure) run.Note(order, path, step);
  }
}

}  // namespace kelvane
