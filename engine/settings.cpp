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

}  // namespace

std::string OptionKey(int number) { return "Option" + std::to_string(number); }

Settings LoadSettings(SettingsStore& store, bool soundAvailable) {
  Settings settings;

  // Sounds are on unless switched off by "0"; without a device or a cue file
  // they are switched off in the file too.
  const std::string useSounds = store.ReadSetting(kGeneralSection, OptionKey(0));
  if (useSounds != "0") {
    if (soundAvailable) {
      settings.Options[ProgramOption::UseSounds] = true;
    } else {
      store.WriteSetting(kGeneralSection, OptionKey(0), "0");
    }
  }
  settings.SoundAvailable = soundAvailable;
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

  // Missing or out of range: the default, not written back.
  const int64_t days = LeadingNumber(store.ReadSetting(kGeneralSection, kJournalDaysKey));
  if (days >= 1 && days <= 3650) settings.JournalDays = static_cast<int>(days);
  const int64_t megabytes = LeadingNumber(store.ReadSetting(kGeneralSection, kJournalMegabytesKey));
  if (megabytes >= 1 && megabytes <= 1024 * 1024) settings.JournalMegabytes = static_cast<int>(megabytes);
  settings.KeepXmpInStep = store.ReadSetting(kGeneralSection, kKeepXmpKey) != "0";
  return settings;
}

}  // namespace kelvane
