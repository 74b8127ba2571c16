// SPDX-License-Identifier: GPL-2.0-or-later
// What a run reads from the main window's controls, as plain values. The
// window fills it before Run; the run may write a corrected value back
// (the prefix start value, a copyright year, the photo's new text after a
// single-photo run, a corrected export target).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace kelvane {

// AdjDaysOpt: index 0 Later, 1 Earlier, 2 As Date.
enum class DaysDirection : int { kLater = 0, kEarlier = 1, kAsDate = 2 };
// AdjTimeOpt: index 0 Later, 1 Earlier.
enum class TimeDirection : int { kLater = 0, kEarlier = 1 };

// The four boxes of the Copyright panel (CRNameTxt 0/1, CRYearTxt 0/1); also
// a photo's notices taken apart into the same four fields.
struct CopyrightEntries {
  std::string photographerName;
  std::string photographerYear;
  std::string editorName;
  std::string editorYear;
  bool operator==(const CopyrightEntries&) const = default;
};

struct BatchInputs {
  // SrceDirTxt(0): the photos folder (ending with "/") or, in single-photo
  // mode, the photo's full path. Untrimmed, as typed.
  std::string sourcePath;
  // A folder run over some of the folder's files only (the photos named on a
  // command line); empty: every file.
  std::vector<std::string> onlyFiles;
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
  std::string removeCountText;       // RemChrCmb
  std::string prefixText;            // AddPrefixTxt, as typed
  std::string startValueText = "1";  // StrtValTxt; the run writes the start value used back

  // Amend operations (restore, create, copyright, description, export, wipe).
  // A typed year is written back as used; a single-photo run shows the
  // photo's new notices here.
  CopyrightEntries copyright;
  // FunctionTextTxt; a single-photo run shows the photo's new description.
  std::string descriptionText;
  // InitSeqTxt: the first file number of a database CSV export.
  std::string initialFileNumber = "1";
};

}  // namespace kelvane
