// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/about_texts.h"

namespace kelvane {

std::string ProgramVersionOf(const TagLibrary& library) {
  const auto version = library.LoadLibraryString(library_id::kProgramVersion);
  return version ? std::string(*version) : std::string("02.00.001");
}

std::string VersionLabelText(const std::string& version) {
  const std::string shortVersion =
      !version.empty() && version.front() == '0' ? version.substr(1, 4) : version.substr(0, 5);
  return "Kelvane Version " + shortVersion;
}

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
