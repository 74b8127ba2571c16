// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/workbook_writer.h"

#include <cstdio>

#include "engine/utility_functions.h"
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

// Row 1: the identifiers; row 2: "Filename", the titles and, when the export
// has unknown tags, "[Unknown Tags]" after the last title.
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
  return layout.unknownTags.empty() || sheet.AddText(2, TagColumn(layout.columns.size()), "[Unknown Tags]");
}

// The photo's name and its values; empty values leave their cells empty.
bool AddPhotoRow(WorksheetXml& sheet, uint32_t row, const ExportTable& table, const SheetLayout& layout, size_t p) {
  if (!sheet.AddText(row, 1, table.photoNames[p])) return false;
  for (size_t i = 0; i < layout.columns.size(); ++i) {
    const std::string& value = table.Value(layout.columns[i], p);
    if (!value.empty() && !sheet.AddText(row, TagColumn(i), value)) return false;
  }
  return layout.unknownCell.empty() || sheet.AddText(row, TagColumn(layout.columns.size()), layout.unknownCell);
}

void ShowPhotoProgress(RunUi& ui, size_t p, size_t photos) {
  ui.SetProgress(static_cast<int>(10 + 80 * p / (photos + 1)));
}

}  // namespace

bool WriteWorkbook(const ExportTable& table, const std::string& target, ExportWriterContext& ctx) {
  const size_t photos = table.PhotoCount();
  if (photos == 0 || table.SlotCount() == 0) return false;
  CheckLibraryRelease(ctx.library, ctx.settings, ctx.ui, ReleaseAdvice::Worksheets);

  XlsxPackage package;
  if (ctx.options.appendMode && XlsxPackage::Open(target, package) != XlsxResult::kOk) return false;
  const SheetLayout layout = MakeSheetLayout(table, ctx.library, ctx.valueCharLimit);
  ctx.ui.SetProgress(5);
  ctx.ui.SetProgress(10);

  if (!ctx.options.perPhoto) {
    WorksheetXml sheet;
    if (!AddHeaderRows(sheet, layout, ctx.hexTagIds)) return false;
    for (size_t p = 0; p < photos; ++p) {
      ShowPhotoProgress(ctx.ui, p, photos);
      if (p >= WorksheetXml::kMaxRows - kFirstPhotoRow + 1) return false;
      if (!AddPhotoRow(sheet, kFirstPhotoRow + static_cast<uint32_t>(p), table, layout, p)) return false;
    }
    const std::string name = NumberedSheetName(package.WorksheetCount() + 1);
    if (package.AddWorksheet(name, sheet.Finish()) != XlsxResult::kOk) return false;
  } else {
    for (size_t p = 0; p < photos; ++p) {
      ShowPhotoProgress(ctx.ui, p, photos);
      WorksheetXml sheet;
      if (!AddHeaderRows(sheet, layout, ctx.hexTagIds) || !AddPhotoRow(sheet, kFirstPhotoRow, table, layout, p)) {
        return false;
      }
      // The photo's name when a spreadsheet accepts it as a sheet name.
      std::string name = FileNameWithoutExtension(table.photoNames[p]);
      if (!package.SheetNameAllowed(name)) name = NumberedSheetName(package.WorksheetCount() + 1);
      if (package.AddWorksheet(name, sheet.Finish()) != XlsxResult::kOk) return false;
    }
  }
  return package.Save(target) == XlsxResult::kOk;
}

}  // namespace kelvane
