// What a run reads from the main window's controls, as plain values. The
// window fills it before Run; the run may write a corrected value back
// (the prefix start value).
#pragma once

#include <array>
#include <string>

namespace kelvane {

// AdjDaysOpt: index 0 Later, 1 Earlier, 2 As Date.
enum class DaysDirection : int { kLater = 0, kEarlier = 1, kAsDate = 2 };
// AdjTimeOpt: index 0 Later, 1 Earlier.
enum class TimeDirection : int { kLater = 0, kEarlier = 1 };

struct BatchInputs {
  // SrceDirTxt(0): the photos folder (ending with "/") or, in single-photo
  // mode, the photo's full path. Untrimmed, as typed.
  std::string sourcePath;
  // SrceDirTxt(1): the restoration source photo or the export target.
  std::string secondPath;

  // Time corrections.
  std::string daysText;  // AdjDaysTxt: a number of days
  DaysDirection daysDirection = DaysDirection::kLater;
  // In "As Date" mode the validated date as yyyy/mm/dd; empty otherwise.
  std::string asDateText;
  std::array<std::string, 3> timeTexts;  // AdjTimeTxt: hours, minutes, seconds
  TimeDirection timeDirection = TimeDirection::kLater;

  // Filename prefix.
  std::string removeCountText;        // RemChrCmb
  std::string prefixText;             // AddPrefixTxt, as typed
  std::string startValueText = "1";   // StrtValTxt; the run writes the start value used back

  // Amend operations (restore, create, copyright, description, export, wipe).
};

}  // namespace kelvane
