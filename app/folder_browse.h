// SPDX-License-Identifier: GPL-2.0-or-later
// Choosing a folder or a file through the file dialog: the four remembered
// start folders, the browse kinds and result codes, the required extension,
// and what each Browse button asks for.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/run_state.h"
#include "engine/settings_store.h"
#include "engine/user_interface.h"
#include "export/export_table.h"

namespace kelvane {

// A browse mode byte: what to choose, and on return the result code.
namespace browse {
inline constexpr uint8_t kOutput = 1;      // a file to write
inline constexpr uint8_t kFolderPick = 2;  // a folder, not a file
inline constexpr uint8_t kSecondKind = 4;  // the second path (source photo, export target)
// Result codes; any value below kCancelled means a path was returned.
inline constexpr uint8_t kCancelled = 64;
inline constexpr uint8_t kInvalidFileName = 65;
inline constexpr uint8_t kInvalidExtension = 66;
}  // namespace browse

// 0 input, 1 output, 2 second input, 3 second output.
int BrowseKindOf(uint8_t mode);

enum class DialogKind { kOpenFile, kOutputFile, kFolder };

struct DialogRequest {
  DialogKind kind = DialogKind::kOpenFile;
  std::string title;
  std::string filter;       // "description|pattern|description|pattern"
  std::string startFolder;  // empty: the dialog's own choice
};

// The filter's description-and-pattern pairs as dialog name filters,
// "description (pattern pattern)"; "*.*" becomes "*" (every file).
std::vector<std::string> DialogNameFilters(std::string_view filter);

// Shows the dialog: the chosen file, or for a folder pick the folder with a
// closing "/"; nothing when cancelled.
using FileDialog = std::function<std::optional<std::string>(const DialogRequest&)>;

// The start folder of each browse kind, loaded from its key on first use and
// written back when a browse changes it (GENERAL DirIn, DirOut, DirIn2,
// DirOut2; the input kind falls back to the first recent folder).
class BrowseFolders {
 public:
  explicit BrowseFolders(SettingsStore& store) : store_(store) {}

  std::string StartFolder(int kind);
  void Remember(int kind, const std::string& folder);

 private:
  SettingsStore& store_;
  std::array<std::optional<std::string>, 4> folders_{};
};

struct BrowseResult {
  uint8_t code = browse::kCancelled;
  std::string path;
};

// Shows the dialog for mode and checks the result: a folder pick returns the
// chosen folder; a file must have a name and, when requiredExtension is
// given, that extension (a name without one gets it appended).
BrowseResult BrowseForPath(uint8_t mode, std::string_view title, std::string_view filter,
                           std::string_view requiredExtension, BrowseFolders& folders, const FileDialog& dialog);

inline constexpr const char* kJpgFilter = ".JPG|*.jpg|All Files|*.*";
inline constexpr const char* kWorkbookFilter = ".XLSX|*.xlsx|All Files|*.*";
inline constexpr const char* kDatabaseFilter = ".SQLITE|*.sqlite|All Files|*.*";
inline constexpr const char* kCsvFilter = ".CSV|*.csv|All Files|*.*";
inline constexpr const char* kJsonFilter = ".JSON|*.json|All Files|*.*";

struct BrowseRequest {
  uint8_t mode = 0;
  const char* title = "";
  const char* filter = "";
  const char* extension = "";
};

// What Browse button index (0 photos, 1 second path) asks for; nothing for a
// second path the function doesn't use.
std::optional<BrowseRequest> BrowseRequestFor(int index, ProgramFunction function, bool singlePhotoMode,
                                              ExportType exportType, bool targetIsFolder);

// True when the export goes into a folder (a file per photo, or one photo's
// CSV files), false when it goes into a named file.
bool ExportTargetIsFolder(ExportType type, bool perPhoto, bool singlePhotoMode);

// The warning for an export file whose extension doesn't suit the export
// type; nothing when it suits.
std::optional<Message> ExportTargetWarning(std::string_view extension, ExportType type);

// The errors of result codes 65 and 66.
Message BrowseErrorMessage(uint8_t code);

// The warning for a folder or photo named to the program (its argument, a
// drop) that doesn't exist.
Message PathNotFoundMessage(const std::string& path);

}  // namespace kelvane
