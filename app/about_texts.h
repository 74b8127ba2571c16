// SPDX-License-Identifier: GPL-2.0-or-later
// The About window's texts taken from the tag library's header strings.
#pragma once

#include <string>

#include "export/tag_library.h"

namespace kelvane {

// The program version as the library stores it, "02.00.001" when missing.
std::string ProgramVersionOf(const TagLibrary& library);

// "Kelvane Version " and the short version: a version starting with "0"
// loses it and keeps the next four characters ("02.00.001" shows 2.00);
// any other keeps its first five ("12.01.003" shows 12.01).
std::string VersionLabelText(const std::string& version);

// The tag library's release number, without leading zeros (release
// "0004 2007:01:13" shows 4); empty when the release string is missing.
std::string LibraryReleaseText(const TagLibrary& library);

// The library's one-line notice; empty when missing.
std::string LibraryNoticeText(const TagLibrary& library);

}  // namespace kelvane
