// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/library_release.h"

#include <string>

#include "engine/settings.h"
#include "engine/utility_functions.h"

namespace kelvane {

int64_t PreviousLibraryRelease(const SettingsStore& settings) {
  const int64_t previous = LeadingNumber(settings.ReadSetting(kGeneralSection, "RESVer"));
  return previous >= 1 && previous <= 32768 ? previous : 0;
}

void CheckLibraryRelease(const TagLibrary& library, SettingsStore& settings, RunUi& ui, ReleaseAdvice advice) {
  const int64_t previous = PreviousLibraryRelease(settings);
  const int64_t current = library.ReleaseNumber();
  if (previous > 0 && current > previous) {
    const char* what = advice == ReleaseAdvice::Worksheets ? "Worksheets" : "databases";
    Message message;
    message.title = "Tag Library update";
    message.text = "Tag Library update detected to Release " + std::to_string(current) + "\n\n" +
                   "You may wish to re-create earlier " + what + "\nif missing values were present.";
    message.icon = MessageIcon::kInformation;
    ui.Show(message);
  }
  if (current > previous && current > 1) {
    settings.WriteSetting(kGeneralSection, "RESVer", std::to_string(current));
  }
}

}  // namespace kelvane
