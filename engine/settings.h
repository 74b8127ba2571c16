// SPDX-License-Identifier: GPL-2.0-or-later
// The program's settings as the rest of the program sees them, and their
// reading from the settings file at start-up.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/settings_store.h"

namespace kelvane {

inline constexpr const char* kGeneralSection = "GENERAL";
inline constexpr const char* kCopyrightSection = "COPYRIGHT";

// The eight program options, numbered as their keys Option0..Option7.
enum class ProgramOption : int {
  UseSounds = 0,
  ShowStartMessage,
  KeepFileTimes,
  FileTimeFromModified,
  NoAutoSpace,
  KeepOriginalCopy,
  ConfirmEachWipe,
  EditorYearRule,
};

struct ProgramOptions {
  static constexpr int kCount = 8;

  bool operator[](ProgramOption option) const { return switches[static_cast<size_t>(option)]; }
  bool& operator[](ProgramOption option) { return switches[static_cast<size_t>(option)]; }

  std::array<bool, kCount> switches{};
};

// The key of option number 0..7 in the GENERAL section.
std::string OptionKey(int number);

struct Settings {
  static constexpr uint8_t kDefaultCsvDelimiter = 9;  // Tab
  static constexpr int16_t kDefaultValueCharLimit = 250;
  static constexpr int kDefaultJournalDays = 30;
  static constexpr int kDefaultJournalMegabytes = 1024;

  ProgramOptions Options;
  bool HexTagIds = false;
  uint8_t CsvDelimiter = kDefaultCsvDelimiter;
  int16_t ValueCharLimit = kDefaultValueCharLimit;
  bool SoundAvailable = false;  // a sound device and all three cue files
  bool SoundsEnabled = false;   // UseSounds and SoundAvailable
  bool StdCopyrightAvailable = false;
  // How long and how much of the run journals are kept (JournalDays,
  // JournalMB): older runs, and the oldest beyond the size, are pruned at
  // start.
  int JournalDays = kDefaultJournalDays;
  int JournalMegabytes = kDefaultJournalMegabytes;
  // The XMP copies of what a run edits (in the photo and in its sidecars)
  // follow the Exif values (KeepXmp, on unless "0").
  bool KeepXmpInStep = true;
};

inline constexpr const char* kKeepXmpKey = "KeepXmp";

inline constexpr const char* kJournalDaysKey = "JournalDays";
inline constexpr const char* kJournalMegabytesKey = "JournalMB";

// Reads the settings at start-up, applying the defaults and writing back the
// values that were missing or invalid (Option0 when sound is unavailable,
// ValCharLim, CSVDelim). soundAvailable: the system has an audio output and
// all three cue files are there.
Settings LoadSettings(SettingsStore& store, bool soundAvailable);

}  // namespace kelvane
