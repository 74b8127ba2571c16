// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/workbook_writer.h"

#include <cstdio>

#include "engine/utility_functions.h"
#include "export/export_output.h"
#include "export/library_release.h"
#include "export/sheet_layout.h"
#include "export/xlsx_package.h"
#include "export/xlsx_worksheet.h"

namespace kelvane {
namespace {

constexpr uint32_t kFirstPhotoRow = 3;

// "Metadata " and the sheet count as at least three digits.
std::string NumberedSheetName(size_t count) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "Metadata %03zu", count);
  return buf;
}

uint32_t TagColumn(size_t i) { return static_cast<uint32_t>(i + 2); }

// The columns after the tags: the unknown tags (when the export has some), then the folder.
uint32_t UnknownColumn(const SheetLayout& layout) { return TagColumn(layout.columnTags.size()); }
uint32_t FolderColumn(const SheetLayout& layout) { return UnknownColumn(layout) + (layout.HasUnknownColumn() ? 1 : 0); }

// Row 1: the identifiers; row 2: "Filename", the titles, "[Unknown Tags]"
// when the export has unknown tags, and "Folder".
bool AddHeaderRows(WorksheetXml& sheet, const SheetLayout& layout, bool hexTagIds) {
  for (size_t i = 0; i < layout.columnTags.size(); ++i) {
    const int32_t tag = layout.columnTags[i];
    const bool added = hexTagIds ? sheet.AddText(1, TagColumn(i), Hex4(tag)) : sheet.AddNumber(1, TagColumn(i), tag);
    if (!added) return false;
  }
  if (!sheet.AddText(2, 1, "Filename")) return false;
  for (size_t i = 0; i < layout.titles.size(); ++i) {
    if (!layout.titles[i].empty() && !sheet.AddText(2, TagColumn(i), layout.titles[i])) return false;
  }
  if (layout.HasUnknownColumn() && !sheet.AddText(2, UnknownColumn(layout), kUnknownTagsTitle)) return false;
  return sheet.AddText(2, FolderColumn(layout), kFolderTitle);
}

// The photo's name, its values, the unknown-tags cell and its folder; empty
// values leave their cells empty.
bool AddPhotoRow(WorksheetXml& sheet, uint32_t row, const SheetLayout& layout, const PhotoValues& photo) {
  if (!sheet.AddText(row, 1, photo.name)) return false;
  const std::vector<std::string_view> cells = RowCells(layout, photo);
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!cells[i].empty() && !sheet.AddText(row, TagColumn(i), cells[i])) return false;
  }
  if (!layout.unknownCell.empty() && !sheet.AddText(row, UnknownColumn(layout), layout.unknownCell)) return false;
  return sheet.AddText(row, FolderColumn(layout), photo.folder);
}

}  // namespace

bool WriteWorkbook(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& ctx) {
  const size_t count = photos.PhotoCount();
  if (count == 0 || photos.Tags().empty() || target.standardOutput) return false;
  CheckLibraryRelease(ctx.library, ctx.settings, ctx.ui, ReleaseAdvice::Worksheets);

  XlsxPackage package;
  if (ctx.options.appendMode && XlsxPackage::Open(target.path, package) != XlsxResult::kOk) return false;
  const SheetLayout layout = MakeSheetLayout(photos.Tags(), ctx.library, ctx.valueCharLimit);
  ctx.ui.SetProgress(5);
  ctx.ui.SetProgress(10);

  ScratchFile parts;
  size_t p = 0;
  const auto progress = [&] { ctx.ui.SetProgress(static_cast<int>(10 + 80 * p++ / (count + 1))); };
  bool ok = parts.ok();
  if (ok && !ctx.options.perPhoto) {
    WorksheetXml sheet(parts);
    ok = AddHeaderRows(sheet, layout, ctx.hexTagIds) && photos.ForEach([&](const PhotoValues& photo) {
      progress();
      return p <= WorksheetXml::kMaxRows - kFirstPhotoRow + 1 &&
             AddPhotoRow(sheet, kFirstPhotoRow + static_cast<uint32_t>(p - 1), layout, photo);
    });
    const std::optional<PartRange> range = ok ? sheet.Finish() : std::nullopt;
    ok = range &&
         package.AddWorksheet(NumberedSheetName(package.WorksheetCount() + 1), parts, *range) == XlsxResult::kOk;
  } else if (ok) {
    ok = photos.ForEach([&](const PhotoValues& photo) {
      progress();
      WorksheetXml sheet(parts);
      if (!AddHeaderRows(sheet, layout, ctx.hexTagIds) || !AddPhotoRow(sheet, kFirstPhotoRow, layout, photo)) {
        return false;
      }
      const std::optional<PartRange> range = sheet.Finish();
      // The photo's name when a spreadsheet accepts it as a sheet name.
      std::string name = FileNameWithoutExtension(photo.name);
      if (!package.SheetNameAllowed(name)) name = NumberedSheetName(package.WorksheetCount() + 1);
      return range && package.AddWorksheet(name, parts, *range) == XlsxResult::kOk;
    });
  }
  if (!ok || !parts.Flush()) return false;
  ExportOutput file = ExportOutput::File(target.path);
  return file.Open() && package.Save(file.fd()) == XlsxResult::kOk && file.Finish() && file.Commit();
}

}  // namespace kelvane
