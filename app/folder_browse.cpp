// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/folder_browse.h"

#include <algorithm>
#include <cctype>

#include "engine/settings.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr std::array<const char*, 4> kFolderKeys{"DirIn", "DirOut", "DirIn2", "DirOut2"};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// "jpeg" is as much a JPEG photo's extension as "jpg".
bool ExtensionSuits(const std::string& extension, const std::string& required) {
  return extension == required || (required == "jpg" && extension == "jpeg");
}

}  // namespace

std::vector<std::string> DialogNameFilters(std::string_view filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    const size_t bar = std::min(filter.find('|', start), filter.size());
    parts.emplace_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<std::string> filters;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string patterns;
    size_t from = 0;
    const std::string& list = parts[i + 1];
    while (from <= list.size()) {
      const size_t semicolon = std::min(list.find(';', from), list.size());
      std::string pattern = Trim(std::string_view(list).substr(from, semicolon - from));
      if (pattern == "*.*") pattern = "*";
      if (!pattern.empty()) patterns += (patterns.empty() ? "" : " ") + pattern;
      from = semicolon + 1;
    }
    filters.push_back(parts[i] + " (" + patterns + ")");
  }
  return filters;
}

int BrowseKindOf(uint8_t mode) {
  return ((mode & browse::kOutput) != 0 ? 1 : 0) + ((mode & browse::kSecondKind) != 0 ? 2 : 0);
}

std::string BrowseFolders::StartFolder(int kind) {
  auto& folder = folders_[static_cast<size_t>(kind)];
  if (!folder) {
    folder = store_.ReadSetting(kGeneralSection, kFolderKeys[static_cast<size_t>(kind)]);
    if (kind == 0 && folder->empty()) folder = store_.ReadSetting(kGeneralSection, "Dir0");
  }
  return *folder;
}

void BrowseFolders::Remember(int kind, const std::string& folder) {
  if (!folder.empty() && folder != StartFolder(kind)) {
    store_.WriteSetting(kGeneralSection, kFolderKeys[static_cast<size_t>(kind)], folder);
  }
  folders_[static_cast<size_t>(kind)] = folder;
}

BrowseResult BrowseForPath(uint8_t mode, std::string_view title, std::string_view filter,
                           std::string_view requiredExtension, BrowseFolders& folders, const FileDialog& dialog) {
  const std::string required = Lower(Trim(requiredExtension));
  const int kind = BrowseKindOf(mode);
  const bool folderPick = (mode & browse::kFolderPick) != 0;

  DialogRequest request;
  request.kind = folderPick                      ? DialogKind::kFolder
                 : (mode & browse::kOutput) != 0 ? DialogKind::kOutputFile
                                                 : DialogKind::kOpenFile;
  request.title = Trim(title);
  request.filter = std::string(filter);
  request.startFolder = folders.StartFolder(kind);

  const std::optional<std::string> chosen = dialog(request);
  if (!chosen) return {browse::kCancelled, {}};

  const std::string folder = FolderOf(*chosen);
  folders.Remember(kind, folder);
  if (folderPick) return {mode, folder};

  const std::string trimmed = Trim(*chosen);
  if (trimmed.empty() || trimmed.back() == '/') return {browse::kInvalidFileName, {}};
  std::string path = *chosen;
  if (!required.empty()) {
    const std::string extension = FileExtensionOf(path);
    if (extension.empty()) {
      if (path.back() != '.') path += '.';
      path += required;
    } else if (!ExtensionSuits(extension, required)) {
      return {browse::kInvalidExtension, {}};
    }
  }
  return {mode, path};
}

std::optional<BrowseRequest> BrowseRequestFor(int index, ProgramFunction function, bool singlePhotoMode,
                                              ExportType exportType, bool targetIsFolder) {
  using namespace browse;
  if (index == 0) {
    if (!singlePhotoMode) return BrowseRequest{kFolderPick, "Select JPG files Folder (Directory)", kJpgFilter, "jpg"};
    if (function == ProgramFunction::WipeFiles) return BrowseRequest{0, "Select File", kJpgFilter, ""};
    return BrowseRequest{0, "Select JPG File", kJpgFilter, "jpg"};
  }
  if (function == ProgramFunction::RestoreMetadata) {
    return BrowseRequest{kSecondKind, "Select JPG File as Source", kJpgFilter, "jpg"};
  }
  if (function != ProgramFunction::ExportMetadata) return std::nullopt;
  constexpr uint8_t kSecondOutput = kSecondKind | kOutput;
  switch (exportType) {
    case ExportType::Workbook:
      return BrowseRequest{kSecondOutput, "Set Workbook (.xlsx) file for Export", kWorkbookFilter, "xlsx"};
    case ExportType::Database:
      return BrowseRequest{kSecondOutput, "Set SQLite file for Export", kDatabaseFilter, "sqlite"};
    case ExportType::Json:
      return BrowseRequest{kSecondOutput, "Set JSON (.json) file for Export", kJsonFilter, "json"};
    case ExportType::SheetCsv:
    case ExportType::DbCsv:
      break;
  }
  if (targetIsFolder) return BrowseRequest{kSecondOutput | kFolderPick, "Select folder for Export", kCsvFilter, ""};
  return BrowseRequest{kSecondOutput, "Set 'csv' file for Export", kCsvFilter, ""};
}

bool ExportTargetIsFolder(ExportType type, bool perPhoto, bool singlePhotoMode) {
  if (type == ExportType::SheetCsv && perPhoto) return true;
  return singlePhotoMode && (type == ExportType::SheetCsv || type == ExportType::DbCsv);
}

std::optional<Message> ExportTargetWarning(std::string_view extension, ExportType type) {
  const std::string ext = Lower(std::string(extension));
  const char* text = nullptr;
  if (ext == "xlsx" && type != ExportType::Workbook) {
    text = "This data is not suited to the Workbook (.xlsx) file type selected.";
  } else if (ext == "sqlite" && type != ExportType::Database) {
    text = "This data is not suited to the SQLite (.sqlite) file type selected.";
  } else if (ext == "csv" && (type == ExportType::Workbook || type == ExportType::Database)) {
    text = "This data is not suited to the SQLite (.csv) file type selected.";
  } else if (ext == "json" && type != ExportType::Json) {
    text = "This data is not suited to the JSON (.json) file type selected.";
  }
  if (text == nullptr) return std::nullopt;
  return Message{"File select warning", text, MessageIcon::kExclamation, MessageButtons::kOk, 0};
}

Message BrowseErrorMessage(uint8_t code) {
  return {"File select error", code == browse::kInvalidExtension ? "Invalid file extension" : "Invalid filename",
          MessageIcon::kCritical, MessageButtons::kOk, 0};
}

Message PathNotFoundMessage(const std::string& path) {
  return {"Kelvane", "The folder or photo " + path + " was not found.", MessageIcon::kExclamation, MessageButtons::kOk,
          0};
}

}  // namespace kelvane
