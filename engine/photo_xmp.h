// SPDX-License-Identifier: GPL-2.0-or-later
// The XMP copy of what an edit changes in a photo: its standard XMP packet
// brought in step with the new Exif values, in place within the packet's
// padding or as a grown segment.
#pragma once

#include <string>
#include <vector>

#include "engine/photo_edit.h"
#include "engine/photo_file.h"
#include "engine/xmp_packet.h"

namespace kelvane {

// Adds to splices and preview what edits change in the photo's XMP packet,
// when it has one (the head is read as far as the packet lies). Returns why
// the packet could not be brought in step (malformed, or it would pass the
// segment limit), adding nothing then; empty otherwise.
std::string AddXmpEdits(PhotoFile& photo, const XmpEdits& edits, std::vector<HeadSplice>& splices,
                        std::vector<PreviewLine>& preview);

}  // namespace kelvane
