// SPDX-License-Identifier: GPL-2.0-or-later
// `kelvane-cli dump PHOTO`: what the Exif reader finds in one photo, then
// every tag of IFD0 and the Exif IFD as the export formats it.
#pragma once

#include <ostream>
#include <string>

#include "cli/console_session.h"

namespace kelvane::cli {

// Prints the reading (as one JSON object with json); returns the exit
// status: 0 when the reader read the photo, 1 when it failed or the photo
// can't be opened.
int DumpPhoto(const std::string& path, ConsoleSession& session, bool json, std::ostream& out, std::ostream& err);

}  // namespace kelvane::cli
