// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/csv_writers.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "engine/utility_functions.h"
#include "export/library_release.h"
#include "export/sheet_layout.h"
#include "export/staged_text_file.h"

namespace kelvane {
namespace {

// Tag number of the line that lists the tags the tags file does not define.
constexpr int32_t kUnknownTagsId = 65535;
// The tags file starts here; lower numbers are never defined.
constexpr int64_t kFirstDefinedTag = 32;

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

// The tags the tags file defines: a record with formatting fields in
// 32 .. the library's highest tag.
struct DefinedTag {
  int32_t id = 0;
  bool nonTechnical = false;
  std::string title;  // as stored: the record from column 25 on
};
struct DefinedTags {
  std::vector<bool> defined = std::vector<bool>(65536, false);
  std::vector<DefinedTag> list;
};

DefinedTags ReadDefinedTags(const TagLibrary& library) {
  DefinedTags tags;
  const int64_t last = std::min<int64_t>(library.HighestTag(), 65535);
  for (int64_t id = kFirstDefinedTag; id <= last; ++id) {
    const auto record = library.LoadLibraryString(static_cast<uint16_t>(id));
    if (!record) continue;
    const TagRecord parsed = ParseTagRecord(*record);
    if (!parsed.HasFormatting()) continue;
    tags.defined[static_cast<size_t>(id)] = true;
    tags.list.push_back({static_cast<int32_t>(id), parsed.IsNonTechnical(),
                         record->size() > 24 ? std::string(record->substr(24)) : std::string()});
  }
  return tags;
}

bool IsDefined(const DefinedTags& tags, int32_t tag) {
  return tag >= 0 && tag <= 65535 && tags.defined[static_cast<size_t>(tag)];
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

bool WriteSheetCsv(const ExportTable& table, const std::string& target, ExportWriterContext& context) {
  if (table.PhotoCount() == 0 || table.SlotCount() == 0) return false;
  CheckLibraryRelease(context.library, context.settings, context.ui, ReleaseAdvice::Worksheets);
  StagedTextFile file(target);
  if (!file.Open()) return false;

  const char d = static_cast<char>(context.csvDelimiter);
  const SheetLayout layout = MakeSheetLayout(table, context.library, context.valueCharLimit);
  CsvLine titles(d);
  titles.Add("Filename");
  for (const std::string& title : layout.titles) titles.Add(title);
  if (!layout.unknownTags.empty()) titles.Add("[Unknown Tags]");
  context.ui.SetProgress(5);

  // The cell above "Filename" stays empty.
  CsvLine ids(d);
  ids.Add("");
  for (const int32_t tag : layout.columnTags) ids.Add(context.hexTagIds ? Hex4(tag) : Dec(tag));
  bool ok = file.WriteLine(ids.Text()) && file.WriteLine(titles.Text());
  context.ui.SetProgress(10);

  const size_t photos = table.PhotoCount();
  for (size_t p = 0; ok && p < photos; ++p) {
    context.ui.SetProgress(PhotoProgress(p, photos));
    CsvLine line(d);
    line.Add(table.photoNames[p]);
    for (const size_t k : layout.columns) line.Add(table.Value(k, p));
    // Every photo line ends with the unknown-tags cell, empty or not.
    line.Add(layout.unknownCell);
    ok = file.WriteLine(line.Text());
  }
  return ok && file.Finish() && file.Commit();
}

bool WriteDbCsv(const ExportTable& table, const std::string& target, const DbCsvSuffixes& suffixes,
                ExportWriterContext& context) {
  if (table.PhotoCount() == 0 || table.SlotCount() == 0) return false;
  CheckLibraryRelease(context.library, context.settings, context.ui, ReleaseAdvice::Databases);

  int64_t start = context.initialFileNumber != nullptr ? LeadingNumber(*context.initialFileNumber) : 0;
  if (start < 1) {
    start = 1;
    if (context.initialFileNumber != nullptr) *context.initialFileNumber = std::string(1, '1');
  }
  const size_t photos = table.PhotoCount();
  start = std::min<int64_t>(start, std::numeric_limits<int64_t>::max() - static_cast<int64_t>(photos));

  const char d = static_cast<char>(context.csvDelimiter);
  const DefinedTags tags = ReadDefinedTags(context.library);

  std::unique_ptr<StagedTextFile> tagsFile;
  if (!context.options.appendMode) {
    tagsFile = std::make_unique<StagedTextFile>(target + suffixes[0]);
    if (!tagsFile->Open() || context.library.SlotCount() < 1) return false;
    bool ok = true;
    for (const DefinedTag& tag : tags.list) {
      ok = ok &&
           tagsFile->WriteLine(CsvLine(d).Add(Dec(tag.id)).Add(tag.nonTechnical ? "-1" : "0").Add(tag.title).Text());
    }
    ok = ok && tagsFile->WriteLine(CsvLine(d).Add(Dec(kUnknownTagsId)).Add("0").Add("[Unknown Tags]").Text());
    if (!ok || !tagsFile->Finish()) return false;
  }
  context.ui.SetProgress(10);

  StagedTextFile filesFile(target + suffixes[1]);
  StagedTextFile dataFile(target + suffixes[2]);
  if (!filesFile.Open() || !dataFile.Open()) return false;

  // The unknown-tags cell names every slot the tags file does not define.
  std::string unknown;
  for (size_t k = 0; k < table.SlotCount(); ++k) {
    const int32_t tag = table.slotTags[k];
    if (IsDefined(tags, tag)) continue;
    unknown += unknown.empty() ? "[" : "|";
    unknown += Hex4(tag);
  }
  if (!unknown.empty()) unknown = CutToLimit(unknown + "]", context.valueCharLimit);

  bool ok = true;
  for (size_t p = 0; ok && p < photos; ++p) {
    context.ui.SetProgress(PhotoProgress(p, photos));
    const std::string ref = Dec(start + static_cast<int64_t>(p));
    ok = filesFile.WriteLine(CsvLine(d).Add(ref).Add(table.photoNames[p]).Text());
    for (size_t k = 0; ok && k < table.SlotCount(); ++k) {
      const int32_t tag = table.slotTags[k];
      if (!IsDefined(tags, tag)) continue;
      // Written also when the photo has no value for the tag.
      ok = dataFile.WriteLine(CsvLine(d).Add(ref).Add(Dec(tag)).Add(table.Value(k, p)).Text());
    }
    if (ok && !unknown.empty()) {
      ok = dataFile.WriteLine(CsvLine(d).Add(ref).Add(Dec(kUnknownTagsId)).Add(unknown).Text());
    }
  }
  if (!ok || !filesFile.Finish() || !dataFile.Finish()) return false;
  // Every file is complete before the first one replaces its target.
  return (!tagsFile || tagsFile->Commit()) && filesFile.Commit() && dataFile.Commit();
}

}  // namespace kelvane
