// SPDX-License-Identifier: GPL-2.0-or-later
// The database export: the photos' values merged into an SQLite export
// database, one photo record per whole path (folder and file name), one
// data record per photo and tag, and a typed table "Photos" for analysis.
#pragma once

#include "export/export_table.h"

namespace kelvane {

// The typed table: one row per photo (FileRef, Folder, Filename) and a
// column per tag named as the library names it (REAL for rationals,
// INTEGER for counts, ISO 8601 TEXT for date/times, decimal degrees for
// GPS coordinates, GPSDateTime in UTC); columns are added as tags appear.
inline constexpr const char* kPhotosTable = "Photos";

// With appendMode, merges into the database at target (asking first
// whether to refresh its tags table after a tag-library update, and moving
// a database of the earlier layout to whole-path keys): the photo record
// found by folder and file name (added when missing), one data record per
// photo and known tag with a value (edited or added), one record with tag
// 65535 listing the tags the tags table lacks, the photo's row of the typed
// table, and one updates record, all in one transaction: on failure the
// database keeps its old content. Otherwise builds a new database beside
// target and renames it over target only when it is complete. False when
// there is nothing to write, the database lacks one of the four tables, or
// any database operation fails.
bool WriteAccessDb(const CollectedPhotos& photos, const ExportTarget& target, ExportWriterContext& ctx);

}  // namespace kelvane
