// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/xlsx_worksheet.h"

#include <algorithm>

#include "export/xlsx_text.h"

namespace kelvane {
namespace {

constexpr std::string_view kSheetStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
constexpr std::string_view kSheetEnd = "</sheetData></worksheet>";

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string ColumnName(uint32_t column) {
  std::string name;
  while (column > 0) {
    --column;
    name += static_cast<char>('A' + column % 26);
    column /= 26;
  }
  std::reverse(name.begin(), name.end());
  return name;
}

WorksheetXml::WorksheetXml(ScratchFile& file) : file_(file), start_(file.Size()), ok_(file.Append(kSheetStart)) {}

bool WorksheetXml::StartCell(uint32_t row, uint32_t column) {
  if (!ok_ || row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) return false;
  if (row < row_ || (row == row_ && column <= column_)) return false;
  xml_.clear();
  if (row != row_) {
    if (row_ != 0) xml_ += "</row>";
    xml_ += "<row r=\"" + std::to_string(row) + "\">";
    row_ = row;
  }
  column_ = column;
  xml_ += "<c r=\"" + ColumnName(column) + std::to_string(row) + "\"";
  return true;
}

bool WorksheetXml::AddText(uint32_t row, uint32_t column, std::string_view text) {
  if (!StartCell(row, column)) return false;
  // Leading or trailing white space is kept only when the text says so.
  const bool keepSpace = !text.empty() && (IsXmlSpace(text.front()) || IsXmlSpace(text.back()));
  xml_ += keepSpace ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">" : " t=\"inlineStr\"><is><t>";
  xml_ += CellTextXml(text);
  xml_ += "</t></is></c>";
  return ok_ = file_.Append(xml_);
}

bool WorksheetXml::AddNumber(uint32_t row, uint32_t column, int64_t value) {
  if (!StartCell(row, column)) return false;
  xml_ += "><v>" + std::to_string(value) + "</v></c>";
  return ok_ = file_.Append(xml_);
}

std::optional<PartRange> WorksheetXml::Finish() {
  if (!ok_ || (row_ != 0 && !file_.Append("</row>")) || !file_.Append(kSheetEnd)) return std::nullopt;
  ok_ = false;
  return PartRange{start_, file_.Size() - start_};
}

}  // namespace kelvane
