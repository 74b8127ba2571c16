// SPDX-License-Identifier: GPL-2.0-or-later
// An Office Open XML workbook package (.xlsx): a new one, or an existing one
// opened so that worksheets can be appended while every other part is kept
// as it is.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/scratch_file.h"
#include "export/xlsx_worksheet.h"

namespace kelvane {

enum class XlsxResult {
  kOk = 0,
  kCannotOpen,    // missing, unreadable or not a zip package
  kNotAWorkbook,  // a part a workbook needs is missing or unreadable
  kNameRefused,   // a spreadsheet would not accept the sheet name
  kCannotWrite,   // the new package could not be built or saved
};

class XlsxPackage {
 public:
  // A workbook with no sheet yet: content types, relationships, the workbook
  // part and a style sheet.
  XlsxPackage();
  ~XlsxPackage();
  XlsxPackage(XlsxPackage&&) noexcept;
  XlsxPackage& operator=(XlsxPackage&&) noexcept;

  // Reads the workbook at path for appending. The file stays open for
  // reading while the package lives; Save writes the new package elsewhere.
  static XlsxResult Open(const std::string& path, XlsxPackage& package);

  // The worksheets of the workbook (chart sheets not counted).
  size_t WorksheetCount() const;

  // Whether a spreadsheet accepts name for one more sheet: 1 to 31
  // characters, none of : \ / ? * [ ] nor a control character, no
  // apostrophe first or last, and no sheet of that name in any letter case.
  bool SheetNameAllowed(std::string_view name) const;

  // Appends a worksheet named name whose part lies in file at range (see
  // WorksheetXml); file must outlive the package's Save.
  XlsxResult AddWorksheet(std::string_view name, const ScratchFile& file, PartRange range);

  // Writes the package into fd (an empty file open for reading and
  // writing), part by part. Parts that were not changed are copied over as
  // they are stored.
  XlsxResult Save(int fd);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kelvane
