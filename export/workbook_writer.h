// SPDX-License-Identifier: GPL-2.0-or-later
// The workbook export: the photos' values as worksheet cells in an .xlsx file.
#pragma once

#include "export/export_table.h"

namespace kelvane {

// Writes the photos as one worksheet, or one worksheet per photo when
// options.perPhoto is set, into a new workbook at target, or appended to the
// workbook at target when options.appendMode is set. Row 1 holds the tag
// identifiers (numbers, or four-digit hexadecimal texts when hexTagIds is
// on), row 2 "Filename", the tag titles and "Folder", rows 3 on the photos;
// every value is stored as text. False when there is nothing to write or
// the workbook can't be read or saved; an existing workbook is then left as
// it was.
bool WriteWorkbook(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& ctx);

}  // namespace kelvane
