// `kelvane-cli dump PHOTO`: what the Exif reader finds in one photo.
#pragma once

#include <ostream>
#include <string>

#include "engine/file_ops_library.h"

namespace kelvane::cli {

// Prints the nine tag slots and the ten locator numbers; returns the exit status.
int DumpPhoto(const std::string& path, FileOpsLibrary& fileOps, std::ostream& out, std::ostream& err);

}  // namespace kelvane::cli
