// SPDX-License-Identifier: GPL-2.0-or-later
// The About window's texts: the program's version, and the tag library's
// release and notice taken from its header strings.
#pragma once

#include <string>

#include "export/tag_library.h"

namespace kelvane {

// "Kelvane Version " and the program's version.
std::string VersionLabelText();

// The tag library's release number, without leading zeros (release
// "0004 2007:01:13" shows 4); empty when the release string is missing.
std::string LibraryReleaseText(const TagLibrary& library);

// The library's one-line notice; empty when missing.
std::string LibraryNoticeText(const TagLibrary& library);

}  // namespace kelvane
