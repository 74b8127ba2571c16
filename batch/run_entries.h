// SPDX-License-Identifier: GPL-2.0-or-later
// The files a folder run visits, from the folder's listing.
#pragma once

#include <string>
#include <vector>

#include "batch/batch_context.h"
#include "batch/batch_inputs.h"
#include "engine/folder_listing.h"

namespace kelvane {

// True when a file is to be taken for a JPEG photo: its name ends in .jpg,
// .jpeg, .jpe or .jfif (any case), or, for another name, its first bytes are
// a JPEG start-of-image marker.
bool LooksLikePhoto(const std::string& folder, const std::string& name);

// The listing's entries a run visits: without the sidecars that go with its
// photos (while XMP is kept in step), only the files of inputs.onlyFiles
// when it names some, and without files that are no photos when the run
// state asks for that (skipping photos is not for the wipe; the names passed
// over go to context.skippedFiles).
std::vector<FolderEntry> EntriesToVisit(const std::string& folder, const FolderListing& listing,
                                        BatchContext& context, const BatchInputs& inputs);

}  // namespace kelvane
