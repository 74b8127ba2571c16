// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/about_texts.h"

#include "kelvane_version.h"

namespace kelvane {

std::string VersionLabelText() { return std::string("Kelvane Version ") + kKelvaneVersion; }

std::string LibraryReleaseText(const TagLibrary& library) {
  const auto release = library.LoadLibraryString(library_id::kRelease);
  if (!release) return {};
  return std::to_string(ReadLibraryNumber(release->substr(0, 4)));
}

std::string LibraryNoticeText(const TagLibrary& library) {
  const auto notice = library.LoadLibraryString(library_id::kNotice);
  return notice ? std::string(*notice) : std::string();
}

}  // namespace kelvane
