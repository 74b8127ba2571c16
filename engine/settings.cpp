// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings.h"

#include <algorithm>
#include <string_view>

#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr int kMinValueCharLimit = 4;
constexpr int kMaxValueCharLimit = 32767;

// A whole text of decimal digits naming a byte value 1..255, else 0.
uint8_t DelimiterCode(std::string_view text) {
  if (text.empty()) return 0;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    value = std::min(value * 10 + (c - '0'), 256);
  }
  return value <= 255 ? static_cast<uint8_t>(value) : 0;
}

bool AllCuesPresent(const std::string& programFolder) {
  for (const SoundCue cue : {SoundCue::Success, SoundCue::Error, SoundCue::Attention}) {
    if (!FileExists(CuePath(programFolder, cue))) return false;
  }
  return true;
}

}  // namespace

std::string OptionKey(int number) { return "Option" + std::to_string(number); }

const char* CueFileName(SoundCue cue) {
  switch (cue) {
    case SoundCue::Success:
      return "success.wav";
    case SoundCue::Error:
      return "error.wav";
    case SoundCue::Attention:
      return "attention.wav";
  }
  return "";
}

std::string CuePath(const std::string& programFolder, SoundCue cue) {
  if (programFolder.empty()) return {};
  std::string path = programFolder;
  if (path.back() != '/') path += '/';
  return path + CueFileName(cue);
}

Settings LoadSettings(SettingsStore& store, bool soundDevicesAvailable, const std::string& programFolder) {
  Settings settings;
  const bool cuesPresent = AllCuesPresent(programFolder);

  // Sounds are on unless switched off by "0"; without a device or a cue file
  // they are switched off in the file too.
  const std::string useSounds = store.ReadSetting(kGeneralSection, OptionKey(0));
  if (useSounds != "0") {
    if (cuesPresent && soundDevicesAvailable) {
      settings.Options[ProgramOption::UseSounds] = true;
    } else {
      store.WriteSetting(kGeneralSection, OptionKey(0), "0");
    }
  }
  settings.SoundAvailable = cuesPresent && soundDevicesAvailable;
  settings.SoundsEnabled = settings.Options[ProgramOption::UseSounds] && settings.SoundAvailable;

  for (int i = 1; i < ProgramOptions::kCount; ++i) {
    settings.Options.switches[static_cast<size_t>(i)] = store.ReadSetting(kGeneralSection, OptionKey(i)) == "1";
  }

  settings.StdCopyrightAvailable = !store.ReadSetting(kCopyrightSection, "PhotoName").empty() ||
                                   !store.ReadSetting(kCopyrightSection, "EditName").empty();

  const int64_t limit = LeadingNumber(store.ReadSetting(kGeneralSection, "ValCharLim"));
  if (limit < kMinValueCharLimit || limit > kMaxValueCharLimit) {
    store.WriteSetting(kGeneralSection, "ValCharLim", std::to_string(Settings::kDefaultValueCharLimit));
  } else {
    settings.ValueCharLimit = static_cast<int16_t>(limit);
  }

  const uint8_t delimiter = DelimiterCode(store.ReadSetting(kGeneralSection, "CSVDelim"));
  if (delimiter > 0) {
    settings.CsvDelimiter = delimiter;
  } else {
    store.WriteSetting(kGeneralSection, "CSVDelim", std::to_string(Settings::kDefaultCsvDelimiter));
  }

  settings.HexTagIds = store.ReadSetting(kGeneralSection, "ExpOpt0") == "1";
  return settings;
}

}  // namespace kelvane
