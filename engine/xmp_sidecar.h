// SPDX-License-Identifier: GPL-2.0-or-later
// XMP sidecars: the files beside a photo that photo managers keep its XMP in,
// named NAME.xmp (NAME being the photo's name without its extension) or
// NAME.jpg.xmp (the photo's whole name), ".xmp" and the photo's extension in
// either letter case.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/xmp_packet.h"

namespace kelvane {

enum class SidecarForm {
  kStem,      // NAME.xmp
  kFullName,  // NAME.jpg.xmp
};

struct Sidecar {
  std::string name;
  SidecarForm form = SidecarForm::kStem;
};

// True for a name ending in ".xmp" (either case) after at least one other
// character: a companion of a photo, never a photo itself.
bool IsXmpSidecarName(std::string_view name);

// The sidecars of photoName among a folder's file names, in the order of
// names. NAME.xmp is taken only when no other file of the folder has the
// name NAME with another extension (A.jpg beside A.cr2 leaves A.xmp alone:
// it may be the other file's).
std::vector<Sidecar> SidecarsOf(std::string_view photoName, std::span<const std::string> folderNames);

// The sidecars of every photo among a folder's file names (photo -> its
// sidecars, as SidecarsOf gives them), in one pass over the names.
std::map<std::string, std::vector<Sidecar>> SidecarsInFolder(std::span<const std::string> folderNames);

// The sidecar's name once its photo is named newPhotoName: the same form,
// its ".xmp" spelt as before.
std::string RenamedSidecar(const Sidecar& sidecar, std::string_view newPhotoName);

// Edits a sidecar's content, a whole XMP document with or without the
// xpacket wrapper; it takes whatever length its text needs.
XmpEditResult EditXmpSidecar(std::span<const uint8_t> content, const XmpEdits& edits);

}  // namespace kelvane
