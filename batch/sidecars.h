// SPDX-License-Identifier: GPL-2.0-or-later
// XMP sidecars in a run: the companions of the photos a run visits. While
// the XMP is kept in step they are not photos of their own: not counted, not
// listed, edited with their photo, renamed with it and wiped with it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "batch/photo_run.h"
#include "engine/folder_listing.h"
#include "engine/xmp_sidecar.h"

namespace kelvane {

// Photo name -> its sidecars, among a folder's file names.
using SidecarMap = std::map<std::string, std::vector<Sidecar>>;
SidecarMap SidecarsAmong(const std::vector<std::string>& names);

// The entries a run visits: the listing without the sidecars that go with
// one of its photos.
std::vector<FolderEntry> PhotosOf(const FolderListing& listing, const SidecarMap& sidecars);

// The sidecars of the photos of one run, found once per folder.
class SidecarFinder {
 public:
  const std::vector<Sidecar>& Of(const std::string& photoPath);

 private:
  std::map<std::string, SidecarMap> folders_;
};

// Brings the sidecars of a photo in step with the XMP edits its change
// implies: each one's new content is submitted to run under the photo's
// place in the run (a sidecar that can't be edited is listed).
void SubmitSidecarEdits(PhotoRun& run, size_t order, const std::string& photoPath,
                        const std::vector<Sidecar>& sidecars, const XmpEdits& edits);

}  // namespace kelvane
