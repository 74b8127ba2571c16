// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/csv_writers.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "engine/utility_functions.h"
#include "export/export_output.h"
#include "export/library_release.h"
#include "export/sheet_layout.h"

namespace kelvane {
namespace {

// Tag number of the line that lists the tags the tags file does not define.
constexpr int32_t kUnknownTagsId = 65535;

int PhotoProgress(size_t p, size_t photos) { return 15 + static_cast<int>(80 * p / (photos + 1)); }

std::string Dec(int64_t number) { return std::to_string(number); }

// Joins fields with the delimiter, each written as CsvField says.
class CsvLine {
 public:
  explicit CsvLine(char delimiter) : delimiter_(delimiter) {}
  CsvLine& Add(std::string_view field) {
    if (!first_) text_ += delimiter_;
    first_ = false;
    text_ += CsvField(field, delimiter_);
    return *this;
  }
  const std::string& Text() const { return text_; }

 private:
  char delimiter_;
  bool first_ = true;
  std::string text_;
};

ExportOutput OutputOf(const ExportTarget& target, const std::string& path) {
  return target.standardOutput ? ExportOutput::StandardOutput() : ExportOutput::File(path);
}

}  // namespace

std::string CsvField(std::string_view text, char delimiter) {
  if (text.find_first_of(std::string{delimiter, '"', '\r', '\n'}) == std::string_view::npos) {
    return std::string(text);
  }
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

bool WriteSheetCsv(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& context) {
  if (photos.PhotoCount() == 0 || photos.Tags().empty()) return false;
  CheckLibraryRelease(context.library, context.settings, context.ui, ReleaseAdvice::Worksheets);
  ExportOutput file = OutputOf(target, target.path);
  if (!file.Open()) return false;

  const char d = static_cast<char>(context.csvDelimiter);
  const SheetLayout layout = MakeSheetLayout(photos.Tags(), context.library, context.valueCharLimit);
  CsvLine titles(d);
  titles.Add("Filename");
  for (const std::string& title : layout.titles) titles.Add(title);
  if (layout.HasUnknownColumn()) titles.Add(kUnknownTagsTitle);
  titles.Add(kFolderTitle);
  context.ui.SetProgress(5);

  // The cells above "Filename", "[Unknown Tags]" and "Folder" stay empty.
  CsvLine ids(d);
  ids.Add("");
  for (const int32_t tag : layout.columnTags) ids.Add(context.hexTagIds ? Hex4(tag) : Dec(tag));
  if (layout.HasUnknownColumn()) ids.Add("");
  ids.Add("");
  bool ok = file.WriteLine(ids.Text()) && file.WriteLine(titles.Text());
  context.ui.SetProgress(10);

  const size_t count = photos.PhotoCount();
  size_t p = 0;
  ok = ok && photos.ForEach([&](const PhotoValues& photo) {
    context.ui.SetProgress(PhotoProgress(p++, count));
    CsvLine line(d);
    line.Add(photo.name);
    for (const std::string_view cell : RowCells(layout, photo)) line.Add(cell);
    if (layout.HasUnknownColumn()) line.Add(layout.unknownCell);
    line.Add(photo.folder);
    return file.WriteLine(line.Text());
  });
  return ok && file.Finish() && file.Commit();
}

bool WriteDbCsv(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& context) {
  if (photos.PhotoCount() == 0 || photos.Tags().empty()) return false;
  CheckLibraryRelease(context.library, context.settings, context.ui, ReleaseAdvice::Databases);

  int64_t start = context.initialFileNumber != nullptr ? LeadingNumber(*context.initialFileNumber) : 0;
  if (start < 1) {
    start = 1;
    if (context.initialFileNumber != nullptr) *context.initialFileNumber = std::string(1, '1');
  }
  const size_t count = photos.PhotoCount();
  start = std::min<int64_t>(start, std::numeric_limits<int64_t>::max() - static_cast<int64_t>(count));

  const char d = static_cast<char>(context.csvDelimiter);
  const TagLibrary& library = context.library;
  // The tags file defines the library's tags with formatting fields from 32 on.
  const std::vector<int32_t>& defined = library.RecordedTags();
  const auto isDefined = [&](int32_t tag) { return std::binary_search(defined.begin(), defined.end(), tag); };

  std::optional<ExportOutput> tagsFile;
  if (!context.options.appendMode) {
    tagsFile = ExportOutput::File(target.path + target.suffixes[0]);
    if (!tagsFile->Open() || library.SlotCount() < 1) return false;
    bool ok = true;
    for (const int32_t tag : defined) {
      const std::optional<TagRecord> record = library.Record(tag);
      ok = ok && tagsFile->WriteLine(
                     CsvLine(d).Add(Dec(tag)).Add(record->IsNonTechnical() ? "-1" : "0").Add(record->title).Text());
    }
    ok = ok && tagsFile->WriteLine(CsvLine(d).Add(Dec(kUnknownTagsId)).Add("0").Add(kUnknownTagsTitle).Text());
    if (!ok || !tagsFile->Finish()) return false;
  }
  context.ui.SetProgress(10);

  ExportOutput filesFile = ExportOutput::File(target.path + target.suffixes[1]);
  ExportOutput dataFile = ExportOutput::File(target.path + target.suffixes[2]);
  if (!filesFile.Open() || !dataFile.Open()) return false;

  // The unknown-tags cell names every tag of the export the tags file does not define.
  std::string unknown;
  for (const int32_t tag : photos.Tags()) {
    if (isDefined(tag)) continue;
    unknown += unknown.empty() ? "[" : "|";
    unknown += Hex4(tag);
  }
  if (!unknown.empty()) unknown = CutToLimit(unknown + "]", context.valueCharLimit);

  size_t p = 0;
  const bool ok = photos.ForEach([&](const PhotoValues& photo) {
    context.ui.SetProgress(PhotoProgress(p, count));
    const std::string ref = Dec(start + static_cast<int64_t>(p++));
    bool written = filesFile.WriteLine(CsvLine(d).Add(ref).Add(photo.name).Add(photo.folder).Text());
    // A line for every defined tag of the export, also when the photo has no value for it.
    size_t v = 0;
    for (const int32_t tag : photos.Tags()) {
      if (!written || !isDefined(tag)) continue;
      while (v < photo.values.size() && photo.values[v].tag < tag) ++v;
      const std::string_view value =
          v < photo.values.size() && photo.values[v].tag == tag ? std::string_view(photo.values[v].text) : "";
      written = dataFile.WriteLine(CsvLine(d).Add(ref).Add(Dec(tag)).Add(value).Text());
    }
    if (written && !unknown.empty()) {
      written = dataFile.WriteLine(CsvLine(d).Add(ref).Add(Dec(kUnknownTagsId)).Add(unknown).Text());
    }
    return written;
  });
  if (!ok || !filesFile.Finish() || !dataFile.Finish()) return false;
  // Every file is complete before the first one replaces its target.
  return (!tagsFile || tagsFile->Commit()) && filesFile.Commit() && dataFile.Commit();
}

}  // namespace kelvane
