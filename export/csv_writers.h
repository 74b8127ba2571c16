// SPDX-License-Identifier: GPL-2.0-or-later
// The two delimited-text writers of an export: the spreadsheet CSV (one line
// per photo, one column per tag) and the database CSV (tags, files and data
// files meant to be imported as related tables). Every line of a file has
// the same number of fields.
#pragma once

#include <string>
#include <string_view>

#include "export/export_table.h"

namespace kelvane {

// The field as written between delimiters: unchanged, or, when it holds the
// delimiter, a double quote, a carriage return or a line feed, enclosed in
// double quotes with its own double quotes doubled.
std::string CsvField(std::string_view text, char delimiter);

// Writes target (a file, or standard output): a line of tag identifiers, a
// line of titles, then one line per photo: its name, its values, the
// unknown-tags cell when the export has unknown tags, and its folder. False
// when there is nothing to write or a file operation failed; the target is
// then left as it was.
bool WriteSheetCsv(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& context);

// Writes target.path + suffixes[0] (every tag of the library; skipped with
// appendMode), + suffixes[1] (a reference number, the name and the folder of
// each photo) and + suffixes[2] (one line per photo and tag). The references
// start at the "Initial File number:" text, or at 1 when that is below 1
// (the text then becomes "1"). All files are replaced together, or none.
bool WriteDbCsv(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& context);

}  // namespace kelvane
